// Bindings that pace frames and count CPU: flip, the epilogue's helpers,
// refunds, time, and the coroutine functions.
#include "console/bindings/api_bindings.h"
#include "console/bindings/control.h"
#include "console/draw/gfx_state.h"
#include "console/machine/address_space.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/serial.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "script/api/api.h"
#include "script/lib/lib_base.h"
#include "script/vm/cpu.h"

int kx_flip(lua_State* L) {
  int entries = run_state().current_fps == 30 ? 2 : run_state().current_fps == 15 ? 3 : 1;
  for (int i = 0; i < entries; i++) record_resource_data();
  // The buttons are read by the next tick's input step, before the cart
  // goes on: flip ends the slice.
  tovo_shell().update_paused_menu();
  run_state().hold_frame = 0;
  serial_end_frame();
  lua_reset_cpu_cycles(L);
  run_state().spend_counter = 0;
  if (run_state().step) {
    tovo_poke(&pstate(), pstate().cart, TOVO_REG_CURSOR_X, 0);
    tovo_poke(&pstate(), pstate().cart, TOVO_REG_CURSOR_Y, 0);
    tovo_poke(&pstate(), pstate().cart, TOVO_REG_PRINT_HOME_X, 0);
    run_state().pending_action = TOVO_PENDING_SUSPEND;
  }
  if (run_state().record_every_flip) {
    tovo_shell().copy_back_page();
    tovo_shell().record_video_frame();
  }
  lua_cpu_superyield(L);
  return 0;
}

int kx_superyield(lua_State* L) {
  lua_cpu_superyield(L);
  return 0;
}

int kx_holdframe(lua_State*) {
  run_state().hold_frame = 1;
  run_state().frame_held = 1;
  return 0;
}

int kx_set_fps(lua_State* L) {
  run_state().current_fps = run_state().target_fps = tovo_arg_int(L, 1);
  return 0;
}

int kx_set_mainloop_exists(lua_State* L) {
  run_state().mainloop_exists = tovo_arg_int(L, 1);
  return 0;
}

// One frame of the cart's main loop: its presses come from what the tick's
// input step read.
int kx_update_buttons(lua_State* L) {
  run_state().frame_ticks =
      static_cast<int32_t>(static_cast<uint32_t>(run_state().frame_ticks) + static_cast<uint32_t>(tovo_arg_int(L, 1)));
  update_buttons();
  return 0;
}

int kx_update_frame_rate(lua_State*) {
  update_frame_rate();
  return 0;
}

int kx_mark_cpu(lua_State* L) {
  int32_t i = tovo_arg_num(L, 1);
  int k = i < 0 ? 0 : i >= (2 << 16) ? 2 : i >> 16;
  run_state().mark_cycles[k] = get_cpu_cycles_since_flip(0);
  run_state().mark_time[k] = tovo_clock();
  return 0;
}

int kx_map_display(lua_State* L) {
  int32_t k = tovo_arg_int(L, 1);
  if (k < 0) k = 0;
  if (k > 7) k = 7;
  if (k != 0 && !(pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_DISPLAYS)) {
    lua_pushboolean(L, 0);
    return 1;
  }
  set_draw_display(k);
  lua_pushboolean(L, 1);
  return 1;
}

int kx_refund_cpu(lua_State* L) {
  int32_t n = tovo_arg_int(L, 1);
  if (!run_state().refund_allowed || n < -17) return 0;
  // Refunds within one slice never pass the slice budget, so a loop that
  // refunds more than it costs still reaches the end of its slice.
  int32_t c = 2 * n;
  if (c < 0) {
    int32_t room = lua_cpu(L).cpu_cycles_slice_max - run_state().refunded;
    if (room <= 0) return 0;
    if (-c > room) c = -room;
    run_state().refunded -= c;
  }
  lua_cpu(L).cpu_cycles_slice += c;
  return 0;
}

int kx__yielded_to_escape_slice(lua_State* L) {
  if (lua_gettop(L) == 1 && lua_type(L, 1) == LUA_TNUMBER) {
    int32_t n = tovo_arg_num(L, 1);
    lua_set_cpu_superyielded_coresume(L, n / 65536);
    return 0;
  }
  lua_pushboolean(L, lua_get_cpu_superyielded_coresume(L) != 0);
  return 1;
}

int kx_yield(lua_State* L) {
  const int n = lua_gettop(L);
  // Copies of the arguments are yielded; when the stack cannot take them,
  // the arguments themselves, which are the same values.
  if (n > 0 && lua_checkstack(L, n))
    for (int i = 1; i <= n; i++) lua_pushvalue(L, i);
  return lua_yieldk(L, n, 0, nullptr);
}

int kx_time(lua_State* L) {
  long long t = static_cast<long long>(run_state().frame_ticks) * 65536 / 60;
  lua_pushnumber(L, static_cast<int32_t>(static_cast<uint32_t>(t)));
  return 1;
}

int kx_type(lua_State* L) {
  if (lua_gettop(L) == 0) return 0;
  return luaB_type(L);
}
