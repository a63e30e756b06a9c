#pragma once
// A machine ready to draw (the memory fixture's machine with display 0
// selected) and, for binding tests, an interpreter state with the drawing
// functions registered: run("code") runs a chunk and reports its error.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "console/bindings/api_list.h"
#include "console/bindings/gfx_bindings.h"
#include "console/draw/gfx_state.h"
#include "console/draw/sprite.h"
#include "console/machine/machine_record.h"
#include "console/run/run_state.h"
#include "console/run/script_host.h"
#include "script/api/api.h"
#include "script/api/auxlib.h"
#include "script/vm/cpu.h"
#include "tests/console/mem_fixture.h"
#include "tests/support/counting_alloc.h"

class DrawTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    set_draw_display(0);
  }
  void TearDown() override {
    tovo_free_sprite_scratch();
    MachineTest::TearDown();
  }

  tarq_bitmap* screen() { return pstate().screens[0]; }
  uint8_t px(int x, int y) { return screen()->pixels[y * 128 + x]; }
  void fill_screen(uint8_t v) { std::memset(screen()->pixels, v, 128 * 128); }
  // The coordinates of the pixels that differ from value v.
  std::vector<std::pair<int, int>> pixels_not(uint8_t v) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < 128; y++) {
      for (int x = 0; x < 128; x++) {
        if (px(x, y) != v) out.emplace_back(x, y);
      }
    }
    return out;
  }
  // Sheet pixel (x, y) written directly.
  void sheet(int x, int y, uint8_t v) { cart->gfx->pixels[y * 128 + x] = v; }
};

class ScriptDrawTest : public DrawTest {
 protected:
  lua_State* L = nullptr;
  lua_State* saved_state = nullptr;
  counting_alloc alloc;

  void SetUp() override {
    DrawTest::SetUp();
    L = lua_newstate(counting_alloc_fn, &alloc);
    ASSERT_NE(L, nullptr);
    lua_sethost(L, &tovo_script_host);
    saved_state = L0();
    L0() = L;  // the state in use, which the machine charges
    // Chunks run as plain protected calls, where the program cannot be
    // suspended: an unlimited budget never asks for it, also when a binding
    // requests a superyield.
    lua_set_cpu_cycles_slice_max(L, INT32_MAX);
    lua_cpu_prepare_for_resume(L, 0);
    // Every binding of the console's API as a global of L, registered as
    // the console registers it.
    for (const tovo_api_entry& e : tovo_api_list) {
      lua_pushcclosure(L, e.binding, e.kind == TOVO_API_FAST ? TOVO_FAST_CFUNCTION : 0);
      lua_setglobal(L, e.name);
    }
  }
  void TearDown() override {
    L0() = saved_state;
    lua_close(L);
    DrawTest::TearDown();
  }
  // Runs code; an empty string on success, else the error message.
  std::string run(const std::string& code) {
    if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 0, 0) != 0) {
      const char* message = lua_tostring(L, -1);
      std::string text = message ? message : "?";
      lua_pop(L, 1);
      return text;
    }
    return "";
  }
  // The global name as a 16.16 number.
  int32_t global(const char* name) {
    lua_getglobal(L, name);
    const int32_t v = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return v;
  }
  int global_type(const char* name) {
    lua_getglobal(L, name);
    const int t = lua_type(L, -1);
    lua_pop(L, 1);
    return t;
  }
  bool global_bool(const char* name) {
    lua_getglobal(L, name);
    const bool b = lua_toboolean(L, -1);
    lua_pop(L, 1);
    return b;
  }
  // Cycles that the binding charges for the call name(args): the cycles of
  // the call less those of the same call to a binding that does nothing.
  int cost(const std::string& name, const std::string& args) {
    bool fast = false;
    for (const tovo_api_entry& e : tovo_api_list) {
      if (name == e.name) fast = e.kind == TOVO_API_FAST;
    }
    lua_pushcclosure(
        L, [](lua_State*) { return 0; }, fast ? TOVO_FAST_CFUNCTION : 0);
    lua_setglobal(L, "__nothing");
    const int start = lua_get_cpu_cycles(L);
    EXPECT_EQ(run("__nothing(" + args + ")"), "");
    const int middle = lua_get_cpu_cycles(L);
    EXPECT_EQ(run(name + "(" + args + ")"), "") << name << "(" << args << ")";
    return (lua_get_cpu_cycles(L) - middle) - (middle - start);
  }
};
