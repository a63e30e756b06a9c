// The registration lists: names, kinds, the API name list, and the system
// names put back before every compile.
#include <set>
#include <string>

#include "console/bindings/api_bindings.h"
#include "console/bindings/api_list.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/token.h"
#include "tests/support/cart_harness.h"

namespace {

TEST(ApiRegistration, Lists) {
  int fast = 0;
  int internal = 0;
  std::set<std::string> names;
  for (const tovo_api_entry& e : tovo_api_list) {
    fast += e.kind == TOVO_API_FAST;
    internal += e.internal;
    names.insert(e.name);
    EXPECT_NE(e.binding, nullptr) << e.name;
  }
  EXPECT_EQ(names.size(), 151u);
  EXPECT_EQ(fast, 28);
  EXPECT_EQ(internal, 41);
  EXPECT_STREQ(tovo_api_list[0].name, "deli");
  EXPECT_STREQ(tovo_api_list[150].name, "__refund_cpu__");
  for (const tovo_api_entry& e : tovo_api_system_list) EXPECT_EQ(e.kind, TOVO_API_ORDINARY) << e.name;
  // The coroutine calls are the console's own bindings.
  auto binding_of = [](const auto& list, const char* name) -> lua_CFunction {
    for (const tovo_api_entry& e : list)
      if (std::string(e.name) == name) return e.binding;
    return nullptr;
  };
  EXPECT_EQ(binding_of(tovo_api_list, "coresume"), kx_coresume);
  EXPECT_EQ(binding_of(tovo_api_list, "yield"), kx_yield);
  EXPECT_EQ(binding_of(tovo_api_system_list, "__coresume"), kx_coresume);

  tovo_add_api_names();
  ASSERT_EQ(tovo_api_function_name_count(), 110);
  EXPECT_STREQ(tovo_api_function_name(0), "deli");
  EXPECT_STREQ(tovo_api_function_name(4), "flip");
  EXPECT_STREQ(tovo_api_function_name(5), "reset");  // "__flip" and "__superyield" are internal
  EXPECT_STREQ(tovo_api_function_name(109), "select");
}

class ApiStateTest : public tovo_test::CartHarness {};

TEST_F(ApiStateTest, EveryNameIsAFunctionAndTheSystemNamesComeBack) {
  reset_lua_machine();
  for (const tovo_api_entry& e : tovo_api_list) {
    lua_getglobal(L0_cart(), e.name);
    EXPECT_EQ(lua_type(L0_cart(), -1), LUA_TFUNCTION) << e.name;
    lua_pop(L0_cart(), 1);
  }
  lua_getglobal(L0_cart(), "tostring");
  EXPECT_EQ(lua_type(L0_cart(), -1), LUA_TNIL);  // only the system list makes it
  lua_pop(L0_cart(), 1);

  // A cart that overwrote system names still compiles against the built-ins.
  start("function _update() end __load=1 run=2 tostring=3");
  tick();
  run_program("x=tostring(5) y=type(run)", 1);
  tick();
  EXPECT_EQ(global("x"), "5");
  EXPECT_EQ(global("y"), "function");
}

}  // namespace
