#pragma once
// A fixture for tests that run script code: compiles text into a function
// whose first upvalue is the globals table, runs it protected or as a
// coroutine, and starts each test with the state's cycle counters reset.
#include <string>

#include "script/api/api.h"
#include "script/value/gc.h"
#include "script/vm/cpu.h"
#include "script/vm/func.h"
#include "tests/script/runtime_fixture.h"
#include "tests/script/string_chunk.h"

class VmTest : public RuntimeTest {
 protected:
  explicit VmTest(const lua_Host* state_host = &tovo_test::console_host) : RuntimeTest(state_host) {}

  void SetUp() override {
    RuntimeTest::SetUp();
    reset_counters();
  }
  // The state's counters as at the start of a test: nothing charged, no
  // budget, no superyield pending or recorded.
  void reset_counters() {
    lua_reset_cpu_cycles(L, 0);
    lua_set_cpu_cycles_slice_max(L, INT32_MAX);
    lua_cpu_prepare_for_resume(L, 0);
    lua_set_cpu_superyielded_coresume(L, 0);
  }

  // Compiles src and pushes its function; fails the test on a syntax error.
  void load(const std::string& src, lua_State* on = nullptr) {
    lua_State* T = on != nullptr ? on : L;
    int status = load_string(T, src, "=test", "t");
    ASSERT_EQ(status, LUA_OK) << top_text(T);
  }
  // Runs src protected; its results replace the stack.
  int run(const std::string& src, int nresults = LUA_MULTRET) {
    lua_settop(L, 0);
    load(src);
    return lua_pcall(L, 0, nresults, 0);
  }
  // The message of the error src raises ("" when it runs without one).
  std::string error_of(const std::string& src) {
    int status = run(src, 0);
    return status == LUA_OK ? "" : top_text(L);
  }
  // The number src returns.
  lua_Number number_of(const std::string& src) {
    int status = run(src, 1);
    EXPECT_EQ(status, LUA_OK) << top_text(L);
    return lua_tonumber(L, -1);
  }
  std::string text_of(int idx) { return text_of_thread(L, idx); }
  static std::string text_of_thread(lua_State* T, int idx) {
    size_t len = 0;
    const char* s = lua_tolstring(T, idx, &len);
    return s != nullptr ? std::string(s, len) : std::string("<none>");
  }
  void set_global_function(const char* name, lua_CFunction f, int n = 0) {
    lua_pushcclosure(L, f, n);
    lua_setglobal(L, name);
  }
};

inline lua_Number I(int n) { return static_cast<lua_Number>(static_cast<uint32_t>(n) << 16); }
