// Base, coroutine and table functions: the console's add, del, deli and
// count with their results and cycle charges, pack and unpack, assert and
// the message handed to the console, select, tostring, and coroutines suspended
// by the cycle budget.
#include <string>

#include "script/vm/cpu.h"
#include "tests/script/console_double.h"
#include "tests/script/lib_fixture.h"

namespace {

class BaseTest : public LibTest {
 protected:
  // The elements 1..#t of the table at idx, joined with commas.
  std::string elements(int idx) {
    std::string out;
    int n = static_cast<int>(lua_rawlen(L, idx));
    for (int i = 1; i <= n; i++) {
      lua_rawgeti(L, idx, i);
      if (i > 1) out += ',';
      out += luaL_tolstring(L, -1, nullptr);
      lua_pop(L, 2);
    }
    return out;
  }
};

struct ChargeCase {
  const char* name;
  lua_CFunction f;
  const char* args;   // script returning the arguments; the table is the first
  int32_t cycles;     // charged
  int nresults;       // results left
  const char* first;  // text of the first result ("" when none)
  const char* table;  // the table's elements afterwards
};

const ChargeCase kCharges[] = {
    {"add appends for free", tinsert, "return {1, 2, 3}, 'v'", 0, 1, "v", "1,2,3,v"},
    {"add at n+1", tinsert, "return {1, 2, 3}, 'v', 4", 2, 1, "v", "1,2,3,v"},
    {"add at 1 moves three", tinsert, "return {1, 2, 3}, 'v', 1", 6, 1, "v", "v,1,2,3"},
    {"add at a numeric string", tinsert, "return {1, 2, 3}, 'v', '2.9'", 4, 1, "v", "1,v,2,3"},
    {"add to a table only", tinsert, "return {1}", 0, 0, "", "1"},
    {"add at 2 among nodes", tinsert,
     "return (function() local t = {} t[3] = 3 t[2] = 2 t[1] = 1 return t end)(), 'v', 2", 4, 1, "v", "1,v,2,3"},
    {"add at 1 past a hole", tinsert, "return {1, nil, 3}, 'v', 1", 6, 1, "v", "v,1,nil,3"},
    {"deli the last", tremove, "return {1, 2, 3}", 2, 1, "3", "1,2"},
    {"deli the first", tremove, "return {1, 2, 3}, 1", 4, 1, "1", "2,3"},
    {"deli at nil", tremove, "return {1, 2, 3}, nil", 0, 0, "", "1,2,3"},
    {"deli at 0", tremove, "return {1, 2, 3}, 0", 0, 0, "", "1,2,3"},
    {"deli past the end", tremove, "return {1, 2, 3}, 4", 0, 0, "", "1,2,3"},
    {"deli of an empty table", tremove, "return {}", 0, 0, "", ""},
    {"del the first match", tdel, "return {1, 2, 3, 2}, 2", 8, 1, "2", "1,3,2"},
    {"del without a match", tdel, "return {1, 2, 3}, 9", 6, 0, "", "1,2,3"},
    {"del from an empty table", tdel, "return {}, 1", 2, 0, "", ""},
    {"del a string never matches a number", tdel, "return {1, 2}, '1'", 4, 0, "", "1,2"},
    {"del the first hole", tdel, "return {1, nil, 3}, nil", 6, 1, "nil", "1,3"},
    {"del among nodes", tdel, "return (function() local t = {} t[3] = 3 t[2] = 2 t[1] = 1 return t end)(), 1", 6, 1,
     "1", "2,3"},
    {"deli the first past a hole", tremove, "return {1, nil, 3, 4}, 1", 6, 1, "1", "nil,3,4"},
    {"count a value", tcount, "return {1, 2, 1}, 1", 6, 1, "2", "1,2,1"},
    {"count the elements", tcount, "return {1, 2, 1}", 2, 1, "3", "1,2,1"},
    {"count in an empty table", tcount, "return {}, 1", 2, 1, "0", ""},
    {"unpack three", unpack, "return {1, 2, 3}", 12, 3, "1", "1,2,3"},
    {"unpack an empty range", unpack, "return {}, 2, 1", 0, 0, "", ""},
    {"unpack a range", unpack, "return {1, 2, 3}, 2, 3", 8, 2, "2", "1,2,3"},
};

TEST_F(BaseTest, TableFunctionsResultsAndCharges) {
  for (const ChargeCase& c : kCharges) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(run("return " + std::string(c.args).substr(7)), LUA_OK);
    lua_pushvalue(L, 1);
    lua_setglobal(L, "subject");  // kept to look at afterwards
    int32_t cycles = charge_of(c.f, c.args);
    EXPECT_EQ(cycles, c.cycles);
    EXPECT_EQ(lua_gettop(L), c.nresults);
    if (c.nresults > 0) {
      EXPECT_EQ(std::string(luaL_tolstring(L, 1, nullptr)), c.first);
    }
    lua_settop(L, 0);
  }
}

TEST_F(BaseTest, TableFunctionsChangeTheTable) {
  for (const ChargeCase& c : kCharges) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(run(c.args), LUA_OK);
    int nargs = lua_gettop(L);
    lua_pushvalue(L, 1);
    lua_insert(L, 1);  // a reference to the table below the call
    lua_pushcfunction(L, c.f);
    lua_insert(L, 2);
    ASSERT_EQ(lua_pcall(L, nargs, 0, 0), LUA_OK) << top_text(L);
    EXPECT_EQ(elements(1), c.table);
    lua_settop(L, 0);
  }
}

TEST_F(BaseTest, PackChargesTwiceItsCount) {
  EXPECT_EQ(charge_of(pack, "return"), 2);
  lua_getfield(L, 1, "n");
  EXPECT_EQ(lua_tonumber(L, -1), 0);
  EXPECT_EQ(charge_of(pack, "return 1, nil, 3"), 12);
  lua_getfield(L, 1, "n");
  EXPECT_EQ(lua_tonumber(L, -1), I(3));
  lua_rawgeti(L, 1, 3);
  EXPECT_EQ(lua_tonumber(L, -1), I(3));
}

TEST_F(BaseTest, AddStoresRawlyAtTheLengthPlusOne) {
  // add stores past the length as # gives it ("__len" included), never
  // through "__newindex", into the array part or the hash part alike.
  const std::pair<const char*, const char*> cases[] = {
      {"local log = 0\n"
       "local t = setmetatable({}, {__newindex = function() log = log + 1 end})\n"
       "add(t, 'a') add(t, 'b')\n"
       "return log .. ':' .. rawlen(t) .. ':' .. t[1] .. t[2]",
       "0:2:ab"},
      {"local t = setmetatable({}, {__len = function() return 5 end})\n"
       "add(t, 'x') add(t, 'y')\n"
       "return rawlen(t) .. ':' .. tostring(rawget(t, 6)) .. ':' .. tostring(rawget(t, 1))",
       "0:y:nil"},
      {"local t = setmetatable({}, {__index = function() return 'i' end})\n"
       "add(t, 'a')\n"
       "return #t .. t[1] .. t[2]",
       "1ai"},
      {"local t = {1, 2, nil, 4} add(t, 5) return #t .. ':' .. t[5]", "5:5"},
      {"local t = {1, 2, 3, 4, 5, 6, 7, 8} t[8] = nil t[3] = nil local n = #t add(t, 'v')\n"
       "return n .. ':' .. t[n + 1] .. ':' .. #t",
       "7:v:8"},
      {"local t = {} t[3] = 3 t[2] = 2 t[1] = 1 add(t, 4) add(t, 5) return #t .. ':' .. t[5]", "5:5"},
      {"local t = {[0] = 'z', [-1] = 'm'} add(t, 'a') add(t, 'b')\n"
       "return #t .. t[1] .. t[2] .. t[0] .. t[-1]",
       "2abzm"},
      {"local t = {x = 1} for i = 1, 40 do add(t, i) end return #t .. ':' .. t[40] .. ':' .. t.x", "40:40:1"},
      {"local t = {} for i = 1, 300 do add(t, i) end t[150] = nil add(t, 'e')\n"
       "return #t .. ':' .. tostring(t[301])",
       "301:e"},
      {"local t = {} for i = 1, 17 do add(t, i) end t.k = 'v'\n"
       "local o = '' for k in pairs(t) do o = o .. tostring(k) .. ' ' end return o",
       "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 k "},
  };
  for (const auto& [src, expected] : cases) {
    ASSERT_EQ(run(src), LUA_OK) << src << "\n" << top_text(L);
    EXPECT_EQ(text_of(-1), expected) << src;
    lua_settop(L, 0);
  }
}

TEST_F(BaseTest, TableFunctionErrors) {
  EXPECT_EQ(error_of("local t = {1, 2, 3}\nadd(t, 1, 5)"), "test:2: bad argument #3 to 'add' (position out of bounds)");
  EXPECT_EQ(error_of("add({1}, 1, 0)"), "test:1: bad argument #3 to 'add' (position out of bounds)");
  EXPECT_EQ(error_of("add({1}, 1, nil)"), "test:1: bad argument #3 to 'add' (position out of bounds)");
  EXPECT_EQ(error_of("add({1}, 1, {})"), "test:1: bad argument #3 to 'add' (position out of bounds)");
  EXPECT_EQ(error_of("unpack(nil)"), "test:1: bad argument #1 to 'unpack' (table expected, got nil)");
  const char* bad_len = "setmetatable({}, {__len = function() return {} end})";
  for (const char* f : {"add", "deli", "del", "count"}) {
    EXPECT_EQ(error_of(std::string(f) + "(" + bad_len + ", 1)"), "test:1: object length is not a number") << f;
  }
  EXPECT_EQ(number_of("return select('#', add(nil, 1)) + select('#', add()) + select('#', deli(5))"
                      " + select('#', count('abc')) + select('#', del({}))"),
            0);
}

TEST_F(BaseTest, DelAndCountCompareThroughEq) {
  ASSERT_EQ(run("local E = {__eq = function(a, b) return a.k == b.k end}\n"
                "local a, b, c = setmetatable({k = 1}, E), setmetatable({k = 2}, E), setmetatable({k = 1}, E)\n"
                "local t = {a, b, a}\n"
                "local n = count(t, c)\n"
                "local removed = del(t, c)\n"
                "return n, removed == a and rawequal(removed, a), #t, count({type, 1, type}, type),"
                " count({type}, function() end)"),
            LUA_OK)
      << top_text(L);
  EXPECT_EQ(lua_tonumber(L, 1), I(2));
  EXPECT_TRUE(lua_toboolean(L, 2));
  EXPECT_EQ(lua_tonumber(L, 3), I(2));
  EXPECT_EQ(lua_tonumber(L, 4), I(2));
  EXPECT_EQ(lua_tonumber(L, 5), 0);  // a native function never equals a closure
}

TEST_F(BaseTest, DelWithoutAnEqFindsTheFirstEqualValue) {
  // A value no "__eq" can take part for is found by equality alone: long
  // strings by their bytes, numbers by value, tables by identity, never
  // through the elements' own "__eq".
  const std::pair<const char*, const char*> cases[] = {
      {"local a, b = '', '' for i = 1, 50 do a = a .. 'q' b = b .. 'q' end\n"
       "local t = {1, a, 3} local r = del(t, b) return tostring(rawequal(r, a)) .. #r .. ':' .. #t .. t[2]",
       "true50:23"},
      {"local t = {0.25, 0.5, -0.5, 0.5} local r = del(t, 0.5) return r .. ':' .. #t .. ':' .. t[2] .. t[3]",
       "0.5:3:-0.50.5"},
      {"local log = 0 local E = {__eq = function() log = log + 1 return true end}\n"
       "local p = {} local t = {setmetatable({}, E), p, setmetatable({}, E)}\n"
       "local r = del(t, p) return log .. ':' .. tostring(r == p) .. ':' .. #t .. select('#', del(t, {}))",
       "0:true:20"},
      {"local t = {false, true, false} local r = del(t, false) return tostring(r) .. #t .. tostring(t[1])",
       "false2true"},
  };
  for (const auto& [src, expected] : cases) {
    ASSERT_EQ(run(src), LUA_OK) << src << "\n" << top_text(L);
    EXPECT_EQ(text_of(-1), expected) << src;
    lua_settop(L, 0);
  }
}

TEST_F(BaseTest, AssertHandsTheConsoleItsMessage) {
  std::string long_message(300, 'm');
  struct Case {
    std::string src;
    std::string error;
    std::string stored;
  } cases[] = {
      {"assert(false, 'broken')", "test:1: broken", "broken"},
      {"\nassert(nil)", "test:2: assertion failed!", ""},
      {"assert(false, nil)", "test:1: assertion failed!", ""},
      {"assert(false, 12.5)", "test:1: 12.5", "12.5"},
      {"assert(false, {})", "test:1: bad argument #2 to 'assert' (string expected, got table)", ""},
      {"assert(false, '" + long_message + "')", "test:1: " + long_message, long_message},
  };
  for (const Case& c : cases) {
    tovo_test::keep_assert_message("stale");
    tovo_set_runtime_line(L, 0);
    EXPECT_EQ(error_of(c.src), c.error) << c.src;
    EXPECT_EQ(tovo_test::assert_message, c.stored) << c.src;
    EXPECT_GT(tovo_runtime_line(L), 0);
  }
  tovo_test::keep_assert_message("kept");
  ASSERT_EQ(run("return assert(1, 2, 3)"), LUA_OK);
  EXPECT_EQ(lua_gettop(L), 3);
  EXPECT_EQ(tovo_test::assert_message, "kept");  // nothing handed on success
}

TEST_F(BaseTest, SelectAndTostring) {
  ASSERT_EQ(run("return select('#', 'a', 'b'), select(-1, 'a', 'b'), select(1.9, 'x', 'y')"), LUA_OK);
  ASSERT_EQ(lua_gettop(L), 4);
  EXPECT_EQ(lua_tonumber(L, 1), I(2));
  EXPECT_EQ(text_of(2), "b");
  EXPECT_EQ(text_of(3), "x");
  EXPECT_EQ(text_of(4), "y");
  EXPECT_EQ(error_of("select(0, 'a')"), "test:1: bad argument #1 to 'select' (index out of range)");
  EXPECT_EQ(error_of("select(-3, 'a')"), "test:1: bad argument #1 to 'select' (index out of range)");
  EXPECT_EQ(show("0.5"), "0.5");
  EXPECT_EQ(show("1/3"), "0.3333");
  EXPECT_EQ(show("-32768"), "-32768");
  EXPECT_EQ(error_of("tostring()"), "test:1: bad argument #1 to 'tostring' (value expected)");
  EXPECT_EQ(show("type(type)"), "function");
}

TEST_F(BaseTest, TonumberReadsTextAndBases) {
  ASSERT_EQ(run("return tonumber('0x10'), tonumber('10', 16), tonumber(' -101 ', 2), tonumber('z', 36),"
                " tonumber('12', 2), tonumber({}), tonumber('1.5')"),
            LUA_OK);
  EXPECT_EQ(lua_tonumber(L, 1), I(16));
  EXPECT_EQ(lua_tonumber(L, 2), I(16));
  EXPECT_EQ(lua_tonumber(L, 3), I(-5));
  EXPECT_EQ(lua_tonumber(L, 4), I(35));
  EXPECT_TRUE(lua_isnil(L, 5));
  EXPECT_TRUE(lua_isnil(L, 6));
  EXPECT_EQ(lua_tonumber(L, 7), I(1) + 32768);
  EXPECT_EQ(error_of("tonumber('1', 99)"), "test:1: bad argument #2 to 'tonumber' (base out of range)");
}

TEST_F(BaseTest, TypesOfEveryKindOfFunction) {
  lua_pushcclosure(L, luaB_type, TOVO_FAST_CFUNCTION);
  lua_setglobal(L, "fast");
  ASSERT_EQ(run("return type(fast), type(type), type(function() end), type(nil), type(cocreate(type))"), LUA_OK);
  EXPECT_EQ(text_of(1), "function");
  EXPECT_EQ(text_of(2), "function");
  EXPECT_EQ(text_of(3), "function");
  EXPECT_EQ(text_of(4), "nil");
  EXPECT_EQ(text_of(5), "thread");
  EXPECT_EQ(error_of("type()"), "test:1: bad argument #1 to 'type' (value expected)");
}

TEST_F(BaseTest, CoroutineOfANativeFunction) {
  ASSERT_EQ(run("local co = cocreate(select) return coresume(co, 2, 'a', 'b', 'c')"), LUA_OK) << top_text(L);
  ASSERT_EQ(lua_gettop(L), 3);
  EXPECT_TRUE(lua_toboolean(L, 1));
  EXPECT_EQ(text_of(2), "b");
  EXPECT_EQ(text_of(3), "c");
  EXPECT_EQ(error_of("cocreate({})"), "test:1: bad argument #1 to 'cocreate' (function expected, got table)");
}

TEST_F(BaseTest, ACoroutineSuspendedByTheBudgetResumesToTrueAloneAndStaysSuspended) {
  load(
      "local co = cocreate(function() local x = 0 for i = 1, 1000 do x = x + i end return x end)\n"
      "local r = pack(coresume(co))\n"
      "return r.n, r[1], costatus(co)");
  lua_set_cpu_cycles_slice_max(L, 50);
  lua_set_cpu_superyielded_coresume(L, 0);
  // Run as the console runs a program, a resume per slice: the program is
  // suspended too, between the instructions around the coroutine's resume.
  int status, slices = 0;
  do {
    lua_cpu_prepare_for_slice(L);
    status = lua_resume(L, nullptr, 0);
  } while (status == LUA_YIELD && ++slices < 1000);
  ASSERT_EQ(status, LUA_OK) << top_text(L);
  ASSERT_EQ(lua_gettop(L), 3);
  EXPECT_EQ(lua_tonumber(L, 1), I(1));
  EXPECT_TRUE(lua_toboolean(L, 2));
  EXPECT_EQ(text_of(3), "suspended");
  EXPECT_EQ(lua_get_cpu_superyielded_coresume(L), 1);
}

TEST_F(BaseTest, LoadFromTextAndFromAReaderFunction) {
  ASSERT_EQ(run("local f = load('return 1 + ...') return f(41)"), LUA_OK) << top_text(L);
  EXPECT_EQ(lua_tonumber(L, 1), I(42));
  ASSERT_EQ(run("local parts, i = {'return ', 'x', ' * 2'}, 0\n"
                "local f = load(function() i = i + 1 return parts[i] end, '=pieces', 't', {x = 21})\n"
                "return f()"),
            LUA_OK)
      << top_text(L);
  EXPECT_EQ(lua_tonumber(L, 1), I(42));
  ASSERT_EQ(run("return load('return +', '=broken')"), LUA_OK);
  EXPECT_TRUE(lua_isnil(L, 1));
  EXPECT_EQ(text_of(2).rfind("broken:1:", 0), 0u) << text_of(2);
  ASSERT_EQ(run("return load(function() return {} end)"), LUA_OK);
  EXPECT_TRUE(lua_isnil(L, 1));
  EXPECT_NE(text_of(2).find("reader function must return a string"), std::string::npos) << text_of(2);
}

TEST_F(BaseTest, WrapAndRunning) {
  set_global_function("wrap", luaB_cowrap);
  set_global_function("running", luaB_corunning);
  ASSERT_EQ(run("local g = wrap(function(a) local b = yield(a * 2) return b + 1 end)\n"
                "local main, ismain = running()\n"
                "return g(5), g(9), ismain, type(main)"),
            LUA_OK)
      << top_text(L);
  EXPECT_EQ(lua_tonumber(L, 1), I(10));
  EXPECT_EQ(lua_tonumber(L, 2), I(10));
  EXPECT_TRUE(lua_toboolean(L, 3));
  EXPECT_EQ(text_of(4), "thread");
  EXPECT_EQ(error_of("local g = wrap(function() error('inside', 0) end)\ng()"), "test:2: inside");
  EXPECT_EQ(error_of("local g = wrap(function() end)\ng()\ng()"), "test:3: corolib: cannot resume dead coroutine");
}

}  // namespace
