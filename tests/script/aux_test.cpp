// The auxiliary library: argument errors with their position and recorded
// line, traceback cutting and native names, integer checks, values as text,
// loading text and files, buffers, references and metatables by name.
#include <cstdio>
#include <string>
#include <vector>

#include "script/value/number.h"
#include "tests/script/lib_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class AuxTest : public LibTest {};

int check_second(lua_State* L) {
  luaL_checkinteger(L, 2);
  return 0;
}
int check_first(lua_State* L) {
  lua_pushinteger(L, luaL_checkinteger(L, 1));
  return 1;
}
int traceback_here(lua_State* L) {
  luaL_traceback(L, L, lua_tostring(L, 1), lua_tointeger(L, 2));
  return 1;
}
int where_here(lua_State* L) {
  luaL_where(L, lua_tointeger(L, 1));
  return 1;
}

// The entries of a traceback: its text split at each "\n\t".
std::vector<std::string> entries(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t at = text.find("\n\t", start);
    out.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return out;
    start = at + 2;
  }
}

TEST_F(AuxTest, ArgumentErrorsNameTheFunctionAndRecordTheLine) {
  tovo_set_runtime_line(L, 0);
  EXPECT_EQ(error_of("local t = {}\n\n\n\n\n\nsetmetatable(t, 5)"),
            "test:7: bad argument #2 to 'setmetatable' (nil or table expected)");
  EXPECT_EQ(tovo_runtime_line(L), 7);

  set_global_function("check_second", check_second);
  set_global_function("check_first", check_first);
  EXPECT_EQ(error_of("local o = {f = check_second}\no:f({})"),
            "test:2: bad argument #1 to 'f' (number expected, got table)");
  EXPECT_EQ(error_of("local o = {f = check_first}\no:f()"),
            "test:2: calling 'f' on bad self (number expected, got table)");
  EXPECT_EQ(error_of("local g = check_first\ng(nil)"), "test:2: bad argument #1 to 'g' (number expected, got nil)");
  // Called from native code: no position, the name found among the globals.
  ASSERT_EQ(run("return pcall(check_first)"), LUA_OK);
  EXPECT_EQ(text_of(2), "bad argument #1 to 'check_first' (number expected, got no value)");
  lua_newtable(L);
  lua_pushnumber(L, 0);
  lua_pushcclosure(L, check_first, 1);  // reachable only as lib.inner
  lua_setfield(L, -2, "inner");
  lua_setglobal(L, "lib");
  ASSERT_EQ(run("return pcall(lib.inner, {})"), LUA_OK);
  EXPECT_EQ(text_of(2), "bad argument #1 to 'lib.inner' (number expected, got table)");
}

TEST_F(AuxTest, ArgumentErrorWithoutACallingFunction) {
  ASSERT_NE(run_protected(L, [&] { luaL_argerror(L, 3, "why"); }), LUA_OK);
  EXPECT_EQ(top_text(L), "bad argument #3 (why)");
  ASSERT_NE(run_protected(L, [&] { luaL_error(L, "n=%d, %s", I(12), "text"); }), LUA_OK);
  EXPECT_EQ(top_text(L), "n=12, text");
}

TEST_F(AuxTest, CheckIntegerTakesTheFloorOfNumbersAndNumericStrings) {
  set_global_function("int", check_first);
  ASSERT_EQ(run("return int(-1.5), int('0x10'), int(32767.99), int('  7  '), int(-0.5)"), LUA_OK) << top_text(L);
  EXPECT_EQ(lua_tonumber(L, 1), I(-2));
  EXPECT_EQ(lua_tonumber(L, 2), I(16));
  EXPECT_EQ(lua_tonumber(L, 3), I(32767));
  EXPECT_EQ(lua_tonumber(L, 4), I(7));
  EXPECT_EQ(lua_tonumber(L, 5), I(-1));
  EXPECT_EQ(error_of("return int('x1')"), "test:1: bad argument #1 to 'int' (number expected, got string)");
}

TEST_F(AuxTest, TracebacksCutLongStacksAndNameNativeFunctions) {
  set_global_function("tb", traceback_here);
  ASSERT_EQ(run("local function r(n) if n == 0 then return (tb(nil, 1)) end return (r(n - 1)) end\n"
                "local v = r(27) return v",
                1),
            LUA_OK)
      << top_text(L);
  std::vector<std::string> e = entries(text_of(-1));
  ASSERT_EQ(e.size(), 23u) << text_of(-1);
  EXPECT_EQ(e[0], "stack traceback:");
  for (int i = 1; i <= 10; i++) EXPECT_EQ(e[i], "test:1: in function 'r'") << i;
  EXPECT_EQ(e[11], "...");
  for (int i = 12; i <= 21; i++) EXPECT_EQ(e[i], "test:1: in function 'r'") << i;
  EXPECT_EQ(e[22], "test:2: in main chunk");

  ASSERT_EQ(run("local function f() return (tb('oops', 0)) end\nlocal v = f() return v", 1), LUA_OK) << top_text(L);
  e = entries(text_of(-1));
  ASSERT_EQ(e.size(), 4u) << text_of(-1);
  EXPECT_EQ(e[0], "oops\nstack traceback:");
  EXPECT_EQ(e[1], "[C]: in function 'tb'");
  EXPECT_EQ(e[2], "test:1: in function 'f'");
  EXPECT_EQ(e[3], "test:2: in main chunk");

  // A native function without a global name.
  lua_pushnumber(L, 0);
  lua_pushcclosure(L, traceback_here, 1);
  lua_pushstring(L, "m");
  lua_pushinteger(L, 0);
  lua_call(L, 2, 1);
  EXPECT_EQ(text_of(-1), "m\nstack traceback:\n\t[C]: in ?");
}

TEST_F(AuxTest, WhereGivesThePositionOfAScriptLevel) {
  set_global_function("where", where_here);
  ASSERT_EQ(run("local a = where(0)\nlocal b = where(1)\nreturn a, b"), LUA_OK) << top_text(L);
  EXPECT_EQ(text_of(1), "");  // the native function itself has no line
  EXPECT_EQ(text_of(2), "test:2: ");
  EXPECT_EQ(tovo_runtime_line(L), 2);
}

TEST_F(AuxTest, ValuesAsText) {
  ASSERT_EQ(run("return {}, setmetatable({}, {__tostring = function() return 'custom' end}), 0.5, 1/3, nil, false"),
            LUA_OK);
  const void* p = lua_topointer(L, 1);
  char expected[64];
  std::snprintf(expected, sizeof expected, "table: 0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  size_t len = 0;
  EXPECT_STREQ(luaL_tolstring(L, 1, &len), expected);
  EXPECT_EQ(len, std::string(expected).size());
  EXPECT_STREQ(luaL_tolstring(L, 2, nullptr), "custom");
  EXPECT_STREQ(luaL_tolstring(L, 3, nullptr), "0.5");
  EXPECT_STREQ(luaL_tolstring(L, 4, nullptr), "0.3333");
  EXPECT_STREQ(luaL_tolstring(L, 5, nullptr), "nil");
  EXPECT_STREQ(luaL_tolstring(L, 6, nullptr), "false");
  lua_pushcclosure(L, check_first, TOVO_FAST_CFUNCTION);
  EXPECT_EQ(std::string(luaL_tolstring(L, -1, nullptr)).rfind("function: 0x", 0), 0u);
}

TEST_F(AuxTest, LengthWithMetamethods) {
  ASSERT_EQ(run("return setmetatable({}, {__len = function() return 2.5 end}),"
                " setmetatable({}, {__len = function() return 'x' end}), {1, 2, 3}, 'abcd'"),
            LUA_OK);
  EXPECT_EQ(luaL_len(L, 1), 2);
  EXPECT_EQ(luaL_len(L, 3), 3);
  EXPECT_EQ(luaL_len(L, 4), 4);
  EXPECT_NE(run_protected(L, [&] { luaL_len(L, 2); }), LUA_OK);
  EXPECT_EQ(top_text(L), "object length is not a number");
}

TEST_F(AuxTest, LoadStringNamesTheChunkByItsTextAndSetsTheGlobals) {
  ASSERT_EQ(luaL_loadstring(L, "x = 41 + 1\nreturn x"), LUA_OK) << top_text(L);
  lua_call(L, 0, 1);
  EXPECT_EQ(lua_tonumber(L, -1), I(42));
  EXPECT_EQ(number_of("return x"), I(42));
  lua_settop(L, 0);
  ASSERT_EQ(luaL_loadstring(L, "local y = = 1\nmore"), LUA_ERRSYNTAX);
  EXPECT_EQ(top_text(L).rfind("[string \"local y = = 1...\"]:1:", 0), 0u) << top_text(L);
  lua_settop(L, 0);
  ASSERT_EQ(luaL_loadbuffer(L, "return 5", 8, "=buf"), LUA_OK);
  lua_call(L, 0, 1);
  EXPECT_EQ(lua_tonumber(L, -1), I(5));
}

TEST_F(AuxTest, LoadFileSkipsAMarkAndACommentLine) {
  tovo_test::temp_dir dir;
  std::string path = dir.file("prog.lua");
  ASSERT_TRUE(tovo_test::write_file(path, "\xEF\xBB\xBF#!/usr/bin/env runscript\nlocal a = 6\nreturn a * 7, nope.x"));
  ASSERT_EQ(luaL_loadfile(L, path.c_str()), LUA_OK) << top_text(L);
  EXPECT_EQ(lua_gettop(L), 1);
  EXPECT_NE(lua_pcall(L, 0, 1, 0), LUA_OK);  // the line numbers stay right
  EXPECT_EQ(tovo_runtime_line(L), 3);
  lua_settop(L, 0);
  std::string missing = dir.file("missing.lua");
  EXPECT_EQ(luaL_loadfile(L, missing.c_str()), LUA_ERRFILE);
  EXPECT_EQ(top_text(L), "cannot open " + missing + ": No such file or directory");
  EXPECT_EQ(lua_gettop(L), 1);
}

TEST_F(AuxTest, BuffersGrowIntoTheStackAndJoinValues) {
  ASSERT_EQ(run_protected(L,
                          [&] {
                            luaL_Buffer b;
                            luaL_buffinit(L, &b);
                            for (int i = 0; i < 20000; i++) luaL_addchar(&b, static_cast<char>('a' + i % 26));
                            luaL_addstring(&b, "|end");
                            lua_pushnumber(L, I(12));
                            luaL_addvalue(&b);
                            char* room = luaL_prepbuffsize(&b, 3);
                            room[0] = 'x';
                            room[1] = 'y';
                            luaL_addsize(&b, 2);
                            luaL_pushresult(&b);
                          }),
            LUA_OK);
  ASSERT_EQ(lua_gettop(L), 1);  // the box is gone
  std::string s = text_of(1);
  ASSERT_EQ(s.size(), 20000u + 4 + 2 + 2);
  EXPECT_EQ(s.substr(0, 3), "abc");
  EXPECT_EQ(s[19999], static_cast<char>('a' + 19999 % 26));
  EXPECT_EQ(s.substr(20000), "|end12xy");

  lua_settop(L, 0);
  ASSERT_EQ(run_protected(L, [&] { luaL_gsub(L, "a.b.c", ".", "::"); }), LUA_OK);
  EXPECT_EQ(text_of(-1), "a::b::c");
}

TEST_F(AuxTest, ReferencesReuseReleasedSlots) {
  lua_newtable(L);
  int t = lua_gettop(L);
  lua_pushstring(L, "a");
  int r1 = luaL_ref(L, t);
  lua_pushstring(L, "b");
  int r2 = luaL_ref(L, t);
  EXPECT_EQ(r1, 1);
  EXPECT_EQ(r2, 2);
  lua_pushnil(L);
  EXPECT_EQ(luaL_ref(L, t), LUA_REFNIL);
  EXPECT_EQ(lua_gettop(L), t);
  luaL_unref(L, t, r1);
  luaL_unref(L, t, LUA_NOREF);  // does nothing
  lua_pushstring(L, "c");
  EXPECT_EQ(luaL_ref(L, t), r1);
  lua_rawgeti(L, t, r1);
  EXPECT_EQ(text_of(-1), "c");
  lua_pushstring(L, "d");
  EXPECT_EQ(luaL_ref(L, t), 3);
}

TEST_F(AuxTest, MetatablesByNameAndUserdataChecks) {
  EXPECT_EQ(luaL_newmetatable(L, "Thing"), 1);
  EXPECT_EQ(luaL_newmetatable(L, "Thing"), 0);
  lua_settop(L, 0);
  lua_newuserdata(L, 4);
  luaL_setmetatable(L, "Thing");
  EXPECT_NE(luaL_testudata(L, 1, "Thing"), nullptr);
  EXPECT_EQ(luaL_testudata(L, 1, "Other"), nullptr);
  EXPECT_NE(run_protected(L, [&] { luaL_checkudata(L, 1, "Other"); }), LUA_OK);
  EXPECT_EQ(top_text(L), "bad argument #1 (Other expected, got userdata)");
  lua_settop(L, 1);
  EXPECT_EQ(luaL_getmetafield(L, 1, "__name"), 0);
  EXPECT_EQ(luaL_getsubtable(L, LUA_REGISTRYINDEX, "sub"), 0);
  EXPECT_EQ(luaL_getsubtable(L, LUA_REGISTRYINDEX, "sub"), 1);
  EXPECT_EQ(error_of("collectgarbage('bogus')"),
            "test:1: bad argument #1 to 'collectgarbage' (invalid option 'bogus')");
  EXPECT_NE(run_protected(L, [&] { luaL_checkstack(L, LUAI_MAXSTACK, "too many"); }), LUA_OK);
  EXPECT_EQ(top_text(L), "stack overflow (too many)");
  EXPECT_EQ(run_protected(L, [&] { luaL_checkversion(L); }), LUA_OK);
}

TEST(AuxStateTest, NewStateOpensNoLibraries) {
  lua_State* L = luaL_newstate();
  ASSERT_NE(L, nullptr);
  luaL_openlibs(L);
  lua_getfield(L, LUA_REGISTRYINDEX, "_PRELOAD");
  EXPECT_EQ(lua_type(L, -1), LUA_TTABLE);
  lua_getglobal(L, "print");
  EXPECT_EQ(lua_type(L, -1), LUA_TNIL);
  lua_close(L);
}

}  // namespace
