// The standard libraries that hosts may open (carts never get them): string
// patterns and format, table concat and sort, bit32's 16-bit results, math
// over 16.16 numbers, os, package without native modules, and the openers.
#include <cstdio>
#include <fstream>

#include "script/lualib.h"
#include "tests/script/lib_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class StdLibTest : public LibTest {
 protected:
  void SetUp() override {
    LibTest::SetUp();
    luaL_openalllibs(L);
  }
  // The results of src as texts joined by tabs (or the error message).
  std::string results(const std::string& src) {
    if (run(src) != LUA_OK) return "error: " + top_text(L);
    std::string out;
    for (int i = 1, n = lua_gettop(L); i <= n; i++) {
      size_t len = 0;
      const char* s = luaL_tolstring(L, i, &len);
      if (i > 1) out += '\t';
      out.append(s, len);
      lua_pop(L, 1);
    }
    return out;
  }
  struct Case {
    const char* src;
    const char* expected;
  };
  template <size_t N>
  void check_cases(const Case (&cases)[N]) {
    for (const Case& c : cases) EXPECT_EQ(results(c.src), c.expected) << c.src;
  }
};

}  // namespace

TEST_F(StdLibTest, PatternsFindMatchGmatchAndGsub) {
  static const Case cases[] = {
      {"return string.find('hello world', 'o w')", "5\t7"},
      {"return string.find('a.b', '.', 1, true)", "2\t2"},
      {"return string.find('abc', 'b', -1)", "nil"},
      {"return string.find('abc', '', 10)", "nil"},
      {"return string.find('abc', '', 4)", "4\t3"},
      {"return string.find('THE (quick) fox', '%((%a+)%)')", "5\t11\tquick"},
      {"return string.match('  trim me  ', '^%s*(.-)%s*$')", "trim me"},
      {"return string.match('key = value', '(%w+)%s*=%s*(%w+)')", "key\tvalue"},
      {"return string.match('hello', '()ll()')", "3\t5"},
      {"return string.match('abab', '^(ab)%1$')", "ab"},
      {"return string.match('xabc', '^abc')", "nil"},
      {"return string.match('abc', 'c$')", "c"},
      {"return string.match('a$b', '$b')", "$b"},
      {"return string.match('f(a(b)c)d', '%b()')", "(a(b)c)"},
      {"return string.match('THE quick', '%f[%a]%a+', 4)", "quick"},
      {"return string.match('aaa', 'a-b')", "nil"},
      {"return string.match('aaab', 'a-b')", "aaab"},
      {"return string.match('[]x', '[]]')", "]"},
      {"return string.match('a-z', '[a%-]+')", "a-"},
      {"return string.match('0x1F!', '%x+', 3)", "1F"},
      {"local t = {} for k, v in string.gmatch('a=1, b=2', '(%w+)=(%w+)') do t[#t+1] = k .. v end "
       "return table.concat(t, ',')",
       "a1,b2"},
      {"local n = 0 for w in string.gmatch('', 'x*') do n = n + 1 end return n", "1"},
      {"return string.gsub('hello world', '(%w+)', '<%1>')", "<hello> <world>\t2"},
      {"return string.gsub('abc', '', '-')", "-a-b-c-\t4"},
      {"return string.gsub('abc', '%w', '%0%0', 2)", "aabbc\t2"},
      {"return string.gsub('hello', 'l+', {ll = 'LL'})", "heLLo\t1"},
      {"return string.gsub('a b', '%w', function(w) if w == 'a' then return 'A' end end)", "A b\t2"},
      {"return string.gsub('abc', '^a', 'x')", "xbc\t1"},
      {"return string.gsub('50%', '%%', ' percent')", "50 percent\t1"},
      {"return ('x'):rep(3, '-'), ('abc'):upper(), ('abc'):byte(-1)", "x-x-x\tABC\t99"},
  };
  check_cases(cases);
}

TEST_F(StdLibTest, GlyphBytesAreLettersAndNothingElse) {
  for (const char* byte : {"\\128", "\\200", "\\255", "\\30", "\\31"}) {
    std::string s = std::string("local c = '") + byte +
                    "' local r = {} "
                    "for _, k in ipairs({'a','l','w','A','L','W','c','d','g','p','s','u','x','z','C','P','S','U'}) do "
                    "  r[#r+1] = string.find(c, '%' .. k) and k or '.' end "
                    "r[#r+1] = string.find(c, '[%a]') and '+' or '-' "
                    "r[#r+1] = string.find(c, '[^%l]') and '+' or '-' "
                    "return table.concat(r)";
    EXPECT_EQ(results(s), "alw...............+-") << byte;
  }
  // Other bytes keep the C library's classes.
  EXPECT_EQ(results("return string.find('\\1', '%c'), string.find('\\127', '%C'), string.find('A', '%u')"),
            "1\tnil\t1\t1");
}

TEST_F(StdLibTest, PatternErrors) {
  static const Case cases[] = {
      {"return string.find('a', '%')", "error: test:1: malformed pattern (ends with '%')"},
      {"return string.find('a', '[a')", "error: test:1: malformed pattern (missing ']')"},
      {"return string.find('a', '%b')", "error: test:1: malformed pattern (missing arguments to '%b')"},
      {"return string.find('a', '%fa')", "error: test:1: missing '[' after '%f' in pattern"},
      {"return string.find('abc', '(')", "error: test:1: unfinished capture"},
      {"return string.gsub('abc', '(', 'x')", "xaxbxcx\t4"},
      {"return string.match('abc', 'a)')", "error: test:1: invalid pattern capture"},
      {"return string.match('abc', '%1')", "error: test:1: invalid capture index %1"},
      {"return string.gsub('abc', '%w', '%2')", "error: test:1: invalid capture index"},
      {"return string.gsub('abc', '%w', '%x')", "error: test:1: invalid use of '%' in replacement string"},
      {"return string.gsub('abc', '%w', true)",
       "error: test:1: bad argument #3 to 'gsub' (string/function/table expected)"},
      {"return string.gsub('abc', '%w', function() return {} end)",
       "error: test:1: invalid replacement value (a table)"},
      {"return string.match(string.rep('a', 40), string.rep('(a)', 33))", "error: test:1: too many captures"},
      {"return string.match(string.rep('a', 300), string.rep('a?', 300) .. 'b')", "error: test:1: pattern too complex"},
  };
  check_cases(cases);
}

TEST_F(StdLibTest, Format) {
  static const Case cases[] = {
      {"return string.format('%d|%5d|%-3i|%x|%X|%o', 3, -42, 7, 255, 3054, 8)", "3|  -42|7  |ff|BEE|10"},
      {"return string.format('%d %d', 2.75, -2.75)", "2 -2"},
      {"return string.format('%5.2f|%.3f|%g|%e', 1.5, 1/3, 0.5, 2)", " 1.50|0.333|0.5|2.000000e+00"},
      {"return string.format('%.5f|%.2f|%5.1f', 0.5, -2.25, 32767)", "0.50000|-2.25|32767.0"},
      {"return string.format('%c%c', 72, 105)", "Hi"},
      {"return string.format('%5s|%-5s|%.2s', 'ab', 'cd', 'xyz')", "   ab|cd   |xy"},
      {"return string.format('%s %s %s', nil, true, 12)", "nil true 12"},
      {"return string.format('%q', 'a\"b\\\\c\\n\\0d\\0001\\r')", "\"a\\\"b\\\\c\\\n\\0d\\0001\\13\""},
      {"return #string.format('%s', string.rep('x', 300))", "300"},
      {"return string.format('100%%')", "100%"},
      {"return string.format('%d')", "error: test:1: bad argument #2 to 'format' (no value)"},
      {"return string.format('%y', 1)", "error: test:1: invalid option '%y' to 'format'"},
      {"return string.format('%123d', 1)", "error: test:1: invalid format (width or precision too long)"},
      {"return string.format('%------d', 1)", "error: test:1: invalid format (repeated flags)"},
      {"return string.format('%d', 'x')", "error: test:1: bad argument #2 to 'format' (number expected, got string)"},
  };
  check_cases(cases);
}

TEST_F(StdLibTest, PlainStringFunctions) {
  static const Case cases[] = {
      {"return string.sub('hello', 2, -2), string.sub('hello', -3), string.sub('hello', 0), string.sub('hello', 9)",
       "ell\tllo\thello\t"},
      {"return string.len('a\\0b'), string.reverse('abc'), string.lower('ABC\\128'), string.rep('ab', 0)",
       "3\tcba\tabc\x80\t"},
      {"return string.byte('abc', 1, -1)", "97\t98\t99"},
      {"return select('#', string.byte(''))", "0"},
      {"return string.char(104, 105, 0, 255):byte(3, 4)", "0\t255"},
      {"return string.char(256)", "error: test:1: bad argument #1 to 'char' (value out of range)"},
      {"return string.char(-1)", "error: test:1: bad argument #1 to 'char' (value out of range)"},
      {"return string.dump(print)", "error: test:1: unable to dump given function"},
  };
  check_cases(cases);
}

TEST_F(StdLibTest, DumpWritesAChunkThatLoadsBack) {
  EXPECT_EQ(results("local f = load(string.dump(function(a, b) return a * b + 1 end), 'd', 'b') return f(6, 7)"), "43");
  EXPECT_EQ(results("local f = load(string.dump(function(...) local t = {...} return #t, t[3] end), 'd', 'bt') "
                    "return f(4, 5, 6)"),
            "3\t6");
  // Without a mode, load takes text only.
  EXPECT_EQ(results("return load(string.dump(function() end))"), "nil\tattempt to load a binary chunk (mode is 't')");
  EXPECT_EQ(results("return load('return 2')()"), "2");
  EXPECT_EQ(results("local d = string.dump(function() end) return d:byte(1), d:sub(2, 4)"), "27\tLua");
}

TEST_F(StdLibTest, InsertRemoveConcatAndSort) {
  static const Case cases[] = {
      {"return table.concat({1, 2, 3}, ', '), table.concat({}, 'x'), table.concat({'a', 'b', 'c'}, '', 2, 3)",
       "1, 2, 3\t\tbc"},
      {"return table.concat({1, {}, 3})", "error: test:1: invalid value (table) at index 2 in table for 'concat'"},
      {"return table.concat({1, 2}, ',', 1, 3)", "error: test:1: invalid value (nil) at index 3 in table for 'concat'"},
      {"local t = {5, 2, 8, 1, 9, 3, 7, 4, 6, 0} table.sort(t) return table.concat(t, ' ')", "0 1 2 3 4 5 6 7 8 9"},
      {"local t = {'pear', 'fig', 'apple'} table.sort(t) return table.concat(t, ' ')", "apple fig pear"},
      {"local t = {} for i = 1, 200 do t[i] = (i * 37) % 101 end table.sort(t, function(a, b) return a > b end) "
       "for i = 2, 200 do if t[i - 1] < t[i] then return 'unsorted' end end return t[1], t[200]",
       "100\t0"},
      {"local t = {{k = 2}, {k = 1}} table.sort(t, function(a, b) return a.k < b.k end) return t[1].k, t[2].k", "1\t2"},
      {"table.sort({3, 1, 2, 5, 4, 7, 6, 9, 8, 10, 12, 11}, function() return true end)",
       "error: test:1: invalid order function for sorting"},
      {"table.sort({3, 1, 2}, 3)", "error: test:1: bad argument #2 to 'sort' (function expected, got number)"},
      {"table.sort({1, 'x', 2})", "error: attempt to compare string with number"},
      {"local t = {} table.sort(t) table.sort({1}) return #t", "0"},
      {"local t = {'b'} table.insert(t, 'c') table.insert(t, 1, 'a') return table.concat(t), table.remove(t, 1), "
       "table.remove(t), table.concat(t), table.remove({}), #t",
       "abc\ta\tc\tb\tnil\t1"},
      {"table.insert({}, 1, 2, 3)", "error: test:1: wrong number of arguments to 'insert'"},
      {"table.insert({}, 3, 'x')", "error: test:1: bad argument #2 to 'insert' (position out of bounds)"},
      {"table.remove({1}, 5)", "error: test:1: bad argument #1 to 'remove' (position out of bounds)"},
  };
  check_cases(cases);
}

TEST_F(StdLibTest, Bit32KeepsTheLow16Bits) {
  static const Case cases[] = {
      {"return bit32.lshift(1, 16), bit32.band(), bit32.bnot(0), bit32.lshift(1, 15)", "0\t-1\t-1\t-32768"},
      {"return bit32.bor(1, 2, 4), bit32.bxor(5, 3), bit32.band(12, 10), bit32.btest(1, 2), bit32.btest(3, 2)",
       "7\t6\t8\tfalse\ttrue"},
      {"return bit32.rshift(-1, 28), bit32.arshift(-16, 2), bit32.arshift(-1, 40), bit32.rshift(256, -4)",
       "15\t-4\t-1\t4096"},
      {"return bit32.lrotate(1, 33), bit32.rrotate(1, 1), bit32.lrotate(-32768, 1)", "2\t0\t1"},
      {"return bit32.extract(0xf0, 4, 4), bit32.replace(0, 5, 4, 3), bit32.band(1.9, 3)", "15\t80\t1"},
      {"return bit32.extract(1, -1)", "error: test:1: bad argument #2 to 'extract' (field cannot be negative)"},
      {"return bit32.extract(1, 1, 0)", "error: test:1: bad argument #3 to 'extract' (width must be positive)"},
      {"return bit32.extract(1, 30, 4)", "error: test:1: trying to access non-existent bits"},
  };
  check_cases(cases);
}

TEST_F(StdLibTest, MathOnFixedPointNumbers) {
  static const Case cases[] = {
      {"return math.floor(3.7), math.floor(-3.5), math.ceil(3.2), math.ceil(-3.2), math.ceil(5)", "3\t-4\t4\t-3\t5"},
      {"return math.abs(-7.5), math.max(1, 5.5, 3), math.min(4, -2), math.fmod(7, 3), math.fmod(-7, 3)",
       "7.5\t5.5\t-2\t1\t-1"},
      {"return math.modf(-1.5)", "-1\t-0.5"},
      {"return math.sqrt(16), math.pi, math.sin(0), math.cos(0), math.huge", "4\t3.1416\t0\t1\t32768"},
      {"return math.floor(math.deg(math.pi) + 0.5), math.rad(180), math.pow(2, 10), math.exp(0)",
       "180\t3.1416\t1024\t1"},
      {"return math.log(8, 2), math.log(100, 10), math.frexp(8), math.ldexp(1, 4)", "3\t2\t0.5\t16"},
      {"return math.sqrt(-1), math.pow(10, 10), math.exp(-20)", "0\t32768\t0"},
      {"math.randomseed(7) local a = math.random() math.randomseed(7) return a == math.random(), a >= 0 and a < 1",
       "true\ttrue"},
      {"for i = 1, 50 do local r = math.random(3, 5) if r < 3 or r > 5 or r % 1 ~= 0 then return r end end "
       "return math.random(1)",
       "1"},
      {"return math.random(2, 1)", "error: test:1: bad argument #2 to 'random' (interval is empty)"},
      {"return math.random(1, 2, 3)", "error: test:1: wrong number of arguments"},
  };
  check_cases(cases);
}

TEST_F(StdLibTest, OsDatesAndTimes) {
  static const Case cases[] = {
      {"return os.date('%Q')", "error: test:1: bad argument #1 to 'date' (invalid conversion specifier '%Q')"},
      {"local now = os.time() return os.time(os.date('*t', now)) == now, type(os.date('*t').isdst)", "true\tboolean"},
      {"local t = os.date('!*t', 0) return t.year, t.month, t.day, t.hour, t.min, t.wday, t.yday",
       "1970\t1\t1\t0\t0\t5\t1"},
      {"return os.date('!%Y-%m-%d %H:%M:%S|%%|%j', 0)", "1970-01-01 00:00:00|%|001"},
      {"return os.time({year = 2000})", "error: test:1: field 'day' missing in date table"},
      {"return os.getenv('TOVO_SURELY_UNSET_VARIABLE'), os.setlocale(), os.setlocale('de_DE')", "nil\tC\tnil"},
      {"return os.clock() >= 0, os.clock() < 1000", "true\ttrue"},
  };
  check_cases(cases);
  // Time values are raw 32-bit values: 2000-01-01 00:00:00 UTC.
  lua_settop(L, 0);
  lua_getglobal(L, "os");
  lua_getfield(L, -1, "date");
  lua_pushstring(L, "!%Y-%m-%d %H:%M:%S");
  lua_pushnumber(L, 946684800);
  ASSERT_EQ(lua_pcall(L, 2, 1, 0), LUA_OK) << top_text(L);
  EXPECT_EQ(text_of(-1), "2000-01-01 00:00:00");
  lua_getfield(L, 1, "difftime");
  lua_pushnumber(L, 100);
  lua_pushnumber(L, 40);
  ASSERT_EQ(lua_pcall(L, 2, 1, 0), LUA_OK) << top_text(L);
  EXPECT_EQ(lua_tonumber(L, -1), 60);
  lua_getfield(L, 1, "difftime");
  lua_pushnumber(L, INT32_MAX);
  lua_pushnumber(L, INT32_MIN);
  ASSERT_EQ(lua_pcall(L, 2, 1, 0), LUA_OK) << top_text(L);
  EXPECT_EQ(lua_tonumber(L, -1), INT32_MAX);  // saturated, not wrapped
}

TEST_F(StdLibTest, OsFilesAndCommands) {
  tovo_test::temp_dir dir;
  const std::string a = dir.file("a.txt"), b = dir.file("b.txt");
  std::ofstream(a) << "x";
  lua_pushstring(L, a.c_str());
  lua_setglobal(L, "A");
  lua_pushstring(L, b.c_str());
  lua_setglobal(L, "B");
  EXPECT_EQ(results("return os.rename(A, B), os.remove(B)"), "true\ttrue");
  EXPECT_EQ(results("local ok, msg = os.remove(B) return ok, msg == B .. ': No such file or directory'"), "nil\ttrue");
  EXPECT_EQ(results("local n = os.tmpname() local ok = os.remove(n) return n:sub(1, 9), #n, ok"),
            "/tmp/lua_\t15\ttrue");
  EXPECT_EQ(results("return os.execute()"), "true");
  EXPECT_EQ(results("return os.execute('true')"), "true\texit\t0");
  EXPECT_EQ(results("return os.execute('exit 3')"), "nil\texit\t768");  // the status word, not decoded
}

TEST_F(StdLibTest, PackageFindsScriptModulesButNoNativeOnes) {
  tovo_test::temp_dir dir;
  std::ofstream(dir.file("mymod.lua")) << "local name = ... return {name = name, twice = function(x) return 2 * x end}";
  std::ofstream(dir.file("quiet.lua")) << "loaded_quiet = (loaded_quiet or 0) + 1";
  std::ofstream(dir.file("broken.lua")) << "return +";
  std::ofstream(dir.file("native.so")) << "";
  lua_getglobal(L, "package");
  lua_pushstring(L, (dir.path + "/?.lua").c_str());
  lua_setfield(L, -2, "path");
  lua_pushstring(L, (dir.path + "/?.so").c_str());
  lua_setfield(L, -2, "cpath");
  lua_pop(L, 1);
  EXPECT_EQ(results("local m = require('mymod') return m.name, m.twice(21), require('mymod') == m"), "mymod\t42\ttrue");
  EXPECT_EQ(results("require('quiet') return require('quiet'), loaded_quiet, package.loaded.quiet"), "true\t1\ttrue");
  EXPECT_EQ(results("package.preload.pre = function(n) return n .. '!' end return require('pre')"), "pre!");
  std::string missing = results("return require('nothere')");
  EXPECT_EQ(missing, "error: test:1: module 'nothere' not found:\n\tno field package.preload['nothere']\n\tno file '" +
                         dir.file("nothere.lua") + "'\n\tno file '" + dir.file("nothere.so") + "'");
  EXPECT_EQ(results("return require('native')"),
            "error: error loading module 'native' from file '" + dir.file("native.so") +
                "':\n\tdynamic libraries not enabled; check your Lua installation");
  EXPECT_NE(results("return require('broken')").find("error loading module 'broken' from file"), std::string::npos);
  EXPECT_EQ(results("return package.loadlib('x.so', 'f')"),
            "nil\tdynamic libraries not enabled; check your Lua installation\tabsent");
  EXPECT_EQ(results("return package.searchpath('a.b', 'x/?.lua;y/?.x')"),
            "nil\t\n\tno file 'x/a/b.lua'\n\tno file 'y/a/b.x'");
  EXPECT_EQ(results("return package.searchpath('mymod', package.path) == package.path:gsub('?', 'mymod')"), "true");
  EXPECT_EQ(results("return package.config"), "/\n;\n?\n!\n-\n");
}

TEST(StdLibPaths, DefaultsAndEnvironment) {
  struct {
    const char* env;       // LUA_PATH_5_2, null: unset
    const char* expected;  // package.path
  } cases[] = {
      {nullptr,
       "/usr/local/share/lua/5.2/?.lua;/usr/local/share/lua/5.2/?/init.lua;/usr/local/lib/lua/5.2/?.lua;"
       "/usr/local/lib/lua/5.2/?/init.lua;./?.lua"},
      {"/a/?.lua", "/a/?.lua"},
      {"/a/?.lua;;",
       "/a/?.lua;/usr/local/share/lua/5.2/?.lua;/usr/local/share/lua/5.2/?/init.lua;"
       "/usr/local/lib/lua/5.2/?.lua;/usr/local/lib/lua/5.2/?/init.lua;./?.lua;"},
  };
  for (const auto& c : cases) {
    tovo_test::scoped_env env{"LUA_PATH_5_2", c.env};
    lua_State* L = luaL_newstate();
    ASSERT_NE(L, nullptr);
    luaL_openalllibs(L);
    lua_getglobal(L, "package");
    lua_getfield(L, -1, "path");
    EXPECT_STREQ(lua_tostring(L, -1), c.expected);
    lua_getfield(L, -2, "cpath");
    EXPECT_STREQ(lua_tostring(L, -1), "/usr/local/lib/lua/5.2/?.so;/usr/local/lib/lua/5.2/loadall.so;./?.so");
    lua_close(L);
  }
}

TEST_F(StdLibTest, OpenersFillTheGlobalsAndPackageLoaded) {
  EXPECT_EQ(results("return _VERSION, _G == _ENV, io, type(print), type(dofile), type(loadfile)"),
            "Lua 5.2\ttrue\tnil\tfunction\tfunction\tfunction");
  EXPECT_EQ(results("local n = 0 for _, name in ipairs({'_G', 'package', 'coroutine', 'table', 'os', 'string', "
                    "'bit32', 'math', 'debug'}) do if package.loaded[name] == _G[name] then n = n + 1 end end "
                    "return n, package.loaded.io"),
            "9\tnil");
  EXPECT_EQ(results("local co = coroutine.wrap(function(a) local b = coroutine.yield(a + 1) return b * 2 end) "
                    "return co(1), co(5), coroutine.running()"),
            results("return 2, 10, coroutine.running()"));
  EXPECT_EQ(results("local t = {1, 2} table.insert(t, 3) table.insert(t, 1, 0) return table.remove(t), "
                    "table.concat(t, ','), select('#', table.unpack(table.pack(1, nil, 3)))"),
            "3\t0,1,2\t3");
  EXPECT_EQ(results("return type(debug.traceback()), type(debug.getinfo(1).currentline)"), "string\tnumber");
}

TEST_F(StdLibTest, FileFunctionsOfTheBaseLibrary) {
  tovo_test::temp_dir dir;
  std::ofstream(dir.file("chunk.lua")) << "local a, b = ... return (a or 1) + 1, x";
  lua_pushstring(L, dir.file("chunk.lua").c_str());
  lua_setglobal(L, "F");
  EXPECT_EQ(results("x = 'global' return dofile(F)"), "2\tglobal");
  EXPECT_EQ(results("local f = loadfile(F, 't', {x = 'own'}) return f(4)"), "5\town");
  EXPECT_EQ(results("local f, msg = loadfile(F .. 'no') return f, msg:find('cannot open') ~= nil"), "nil\ttrue");
  EXPECT_NE(results("return dofile(F .. 'no')").find("cannot open"), std::string::npos);
}

// What carts see: luaL_openlibs opens nothing, so the library names are nil
// globals and strings have no methods.
TEST_F(LibTest, CartsGetNoStandardLibraries) {
  luaL_openlibs(L);
  EXPECT_EQ(error_of("return string.len('a')"), "attempt to index global 'string' (a nil value)");
  EXPECT_EQ(error_of("return math.floor(1)"), "attempt to index global 'math' (a nil value)");
  EXPECT_EQ(error_of("return ('abc'):len()"), "attempt to index constant 'abc' (a string value)");
}
