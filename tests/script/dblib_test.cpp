// The debug library's functions, called from scripts that register them.
#include "script/debug/dblib.h"
#include "tests/script/vm_fixture.h"

namespace {

class DblibTest : public VmTest {
 protected:
  void SetUp() override {
    VmTest::SetUp();
    const std::pair<const char*, lua_CFunction> fns[] = {
        {"getinfo", db_getinfo},           {"getlocal", db_getlocal},         {"setlocal", db_setlocal},
        {"getupvalue", db_getupvalue},     {"setupvalue", db_setupvalue},     {"upvalueid", db_upvalueid},
        {"upvaluejoin", db_upvaluejoin},   {"sethook", db_sethook},           {"gethook", db_gethook},
        {"getregistry", db_getregistry},   {"getmetatable", db_getmetatable}, {"setmetatable", db_setmetatable},
        {"getuservalue", db_getuservalue}, {"traceback", db_traceback},
    };
    for (const auto& f : fns) set_global_function(f.first, f.second);
  }
};

TEST_F(DblibTest, InfoAboutFramesAndFunctions) {
  const std::pair<const char*, lua_Number> cases[] = {
      {"local function f()\n  return getinfo(1, 'l').currentline\nend\nreturn f()", I(2)},
      {"local function f()\n  return getinfo(1, 'S').linedefined\nend\nreturn f()", I(1)},
      {"local function f(a, b, ...) end return getinfo(f, 'u').nparams", I(2)},
      {"local function f(a, b, ...) end return getinfo(f, 'u').isvararg and 1 or 0", I(1)},
      {"return getinfo(100) == nil and 1 or 0", I(1)},
      {"local function f() return getinfo(1, 'n').name == 'f' and 1 or 0 end local r = f() return r", I(1)},
      {"local function f() end return getinfo(f, 'f').func == f and 1 or 0", I(1)},
      {"local function f()\n\nend return getinfo(f, 'L').activelines[3] and 1 or 0", I(1)},
      {"return getinfo(1, 'S').what == 'main' and 1 or 0", I(1)},
  };
  for (const auto& c : cases) EXPECT_EQ(number_of(c.first), c.second) << c.first;
  EXPECT_NE(error_of("getinfo('x')").find("function or level expected"), std::string::npos);
  EXPECT_NE(error_of("getinfo(1, '?')").find("invalid option"), std::string::npos);
}

TEST_F(DblibTest, LocalsAndUpvalues) {
  const std::pair<const char*, lua_Number> cases[] = {
      {"local a = 7 local n, v = getlocal(1, 1) return n == 'a' and v or -1", I(7)},
      {"local a = 7 setlocal(1, 1, 9) return a", I(9)},
      {"local function f(x, y) end return getlocal(f, 2) == 'y' and 1 or 0", I(1)},
      {"local u = 4 local function f() return u end local n, v = getupvalue(f, 1) return n == 'u' and v or -1", I(4)},
      {"local u = 4 local function f() return u end setupvalue(f, 1, 6) return f()", I(6)},
      {"local u = 1 local function f() return u end local function g() return u end "
       "return upvalueid(f, 1) == upvalueid(g, 1) and 1 or 0",
       I(1)},
      {"local u, w = 1, 2 local function f() return u end local function g() return w end "
       "upvaluejoin(f, 1, g, 1) return f()",
       I(2)},
  };
  for (const auto& c : cases) EXPECT_EQ(number_of(c.first), c.second) << c.first;
  EXPECT_NE(error_of("getlocal(50, 1)").find("level out of range"), std::string::npos);
  EXPECT_NE(error_of("local function f() return u end upvalueid(f, 2)").find("invalid upvalue index"),
            std::string::npos);
}

int fast_zero(lua_State*) { return 0; }

TEST_F(DblibTest, UpvalueJoinRefusesNativeFunctions) {
  lua_pushcclosure(L, fast_zero, TOVO_FAST_CFUNCTION);
  lua_setglobal(L, "fast");
  lua_pushinteger(L, 1);
  lua_pushcclosure(L, fast_zero, 1);
  lua_setglobal(L, "closure");
  EXPECT_NE(
      error_of("local u local function f() return u end upvaluejoin(closure, 1, f, 1)").find("Lua function expected"),
      std::string::npos);
  // A fast native function has no upvalues at all.
  EXPECT_NE(
      error_of("local u local function f() return u end upvaluejoin(f, 1, fast, 1)").find("invalid upvalue index"),
      std::string::npos);
}

TEST_F(DblibTest, HooksAreStoredAndReportedButNeverRun) {
  ASSERT_EQ(run("local calls = 0 local function h() calls = calls + 1 end sethook(h, 'crl', 3) "
                "local s = 0 for i = 1, 50 do s = s + i end local f, m, c = gethook() "
                "return calls, f == h, m, c",
                4),
            LUA_OK)
      << top_text(L);
  EXPECT_EQ(lua_tonumber(L, 1), 0);
  EXPECT_TRUE(lua_toboolean(L, 2));
  EXPECT_EQ(text_of(3), "crl");
  EXPECT_EQ(lua_tonumber(L, 4), I(3));
  lua_sethook(
      L, [](lua_State*, lua_Debug*) {}, LUA_MASKLINE, 0);
  ASSERT_EQ(run("return gethook()", 1), LUA_OK);
  EXPECT_EQ(text_of(1), "external hook");
  ASSERT_EQ(run("sethook() local f, m, c = gethook() return f == nil, m, c", 3), LUA_OK);
  EXPECT_TRUE(lua_toboolean(L, 1));
  EXPECT_EQ(text_of(2), "");
  EXPECT_EQ(lua_tonumber(L, 3), 0);
}

TEST_F(DblibTest, RegistryAndMetatables) {
  const std::pair<const char*, lua_Number> cases[] = {
      {"return getregistry() ~= nil and 1 or 0", I(1)},
      {"local t = setmetatable({}, {__index = function() return 5 end}) return t.x", I(5)},
      {"local mt = {} local t = setmetatable({}, mt) return getmetatable(t) == mt and 1 or 0", I(1)},
      {"return getuservalue(1) == nil and 1 or 0", I(1)},
  };
  for (const auto& c : cases) EXPECT_EQ(number_of(c.first), c.second) << c.first;
  EXPECT_NE(error_of("setmetatable({}, 1)").find("nil or table expected"), std::string::npos);
}

}  // namespace
