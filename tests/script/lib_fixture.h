#pragma once
// A fixture for tests of the library functions: a state whose globals hold
// the functions that carts reach (under the console's names) and the other
// base functions, and a way to call one function from native code and see
// the cycles it charged.
#include <string>

#include "script/api/auxlib.h"
#include "script/lib/lib_base.h"
#include "tests/script/vm_fixture.h"

class LibTest : public VmTest {
 protected:
  void SetUp() override {
    VmTest::SetUp();
    // clang-format off
    static const luaL_Reg functions[] = {
        {"add", tinsert},          {"del", tdel},
        {"deli", tremove},         {"count", tcount},
        {"pairs", luaB_pairs},     {"ipairs", luaB_ipairs},
        {"type", luaB_type},       {"next", luaB_next},
        {"setmetatable", luaB_setmetatable}, {"getmetatable", luaB_getmetatable},
        {"rawequal", luaB_rawequal}, {"rawlen", luaB_rawlen},
        {"rawget", luaB_rawget},   {"rawset", luaB_rawset},
        {"assert", luaB_assert},   {"cocreate", luaB_cocreate},
        {"coresume", luaB_coresume}, {"costatus", luaB_costatus},
        {"yield", luaB_yield},     {"unpack", unpack},
        {"pack", pack},            {"select", luaB_select},
        {"tostring", luaB_tostring}, {"tonumber", luaB_tonumber},
        {"error", luaB_error},     {"pcall", luaB_pcall},
        {"xpcall", luaB_xpcall},   {"load", luaB_load},
        {"collectgarbage", luaB_collectgarbage}, {nullptr, nullptr},
    };
    // clang-format on
    lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
    luaL_setfuncs(L, functions, 0);
    lua_pop(L, 1);
  }

  // Runs args_src, whose results become the arguments of f, then calls f
  // from native code (so that no instruction is charged). Returns the cycles
  // f charged; its results replace the stack, or the test fails.
  int32_t charge_of(lua_CFunction f, const std::string& args_src) {
    int status = run(args_src);
    EXPECT_EQ(status, LUA_OK) << top_text(L);
    int nargs = lua_gettop(L);
    lua_pushcfunction(L, f);
    lua_insert(L, 1);
    int32_t before = lua_get_cpu_cycles(L);
    status = lua_pcall(L, nargs, LUA_MULTRET, 0);
    EXPECT_EQ(status, LUA_OK) << top_text(L);
    return lua_get_cpu_cycles(L) - before;
  }

  // The text the script expression src evaluates to through tostring.
  std::string show(const std::string& src) {
    int status = run("return tostring(" + src + ")");
    EXPECT_EQ(status, LUA_OK) << top_text(L);
    return text_of(-1);
  }
};
