// One console tick of the running program: collector and memory limit
// between sections, the resume under the cycle budget, and what stops it.
#include <cstdint>
#include <cstdio>

#include "console/bindings/api_list.h"
#include "console/draw/gfx_state.h"
#include "console/machine/address_space.h"
#include "console/machine/alloc.h"
#include "console/machine/button.h"
#include "console/machine/gpio.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/registers.h"
#include "console/machine/serial.h"
#include "console/print/console_print.h"
#include "console/print/print.h"
#include "console/run/errors.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/script_host.h"
#include "console/run/shell_port.h"
#include "engine/log.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "script/api/api.h"
#include "script/value/gc.h"
#include "script/vm/cpu.h"

namespace {

constexpr int32_t GC_STEP = 200;
constexpr int32_t GC_STRIKES_STEPPED = 64;
constexpr int32_t CDATA_AUTOSAVE_MS = 1000;
constexpr int32_t CURSOR_Y_MAX = 122;

int32_t saved_camera_x = 0;
int32_t saved_camera_y = 0;

int32_t script_total() { return pstate().script_memory + pstate().code_overhead; }

// Script memory above its limit, or the host memory of the interpreter's
// blocks above its cap.
bool over_memory_limits() {
  return script_total() > TOVO_MEMORY_LIMIT || pstate().host_memory > TOVO_HOST_MEMORY_LIMIT;
}

// Running out of memory ends the cart as a runtime error does, with a fresh
// interpreter left behind.
void end_out_of_memory() {
  if (run_state().running && L0() == L0_cart()) run_state().end_error = TOVO_END_RUNTIME_ERROR;
  reset_lua_machine();
  suspend_program();
  tovo_print_col("out of memory", 6);
}

void poke(int32_t a, int32_t v) { tovo_poke(&pstate(), pstate().cart, a, v); }

// Collects when the memory limit is passed; false when memory stays above it
// and the state was replaced by a fresh one.
bool hold_memory_limit() {
  if (!over_memory_limits() || !lua_gc(L0(), LUA_GCISRUNNING, 0)) return true;
  if (run_state().gc_strike_ticks != run_state().frame_ticks || run_state().gc_strikes == 0) {
    run_state().gc_strikes++;
    run_state().gc_strike_ticks = run_state().frame_ticks;
  }
  lua_gc(L0(), LUA_GCCOLLECT, 0);
  if (!over_memory_limits()) return true;
  int32_t before = script_total();
  if (lua_gc(L0(), LUA_GCISRUNNING, 0)) luaC_fullgc(L0(), 1);
  else tarq_debug("gc not running; could not perform emergency collection\n");
  char line[96];
  std::snprintf(line, sizeof line, "gc hard collect: %d -> %d (overhead:%d)\n", before, script_total(),
                pstate().code_overhead);
  tarq_debug(line);
  if (!over_memory_limits()) return true;
  end_out_of_memory();
  return false;
}

void run_slice_section() {
  if (!L0()) return;
  lua_gc(L0(), LUA_GCRESTART, 0);
  if (lua_gc(L0(), LUA_GCISRUNNING, 0)) {
    if (run_state().gc_strikes <= GC_STRIKES_STEPPED) lua_gc(L0(), LUA_GCSTEP, GC_STEP);
    else lua_gc(L0(), LUA_GCCOLLECT, 0);
  }
  if (!hold_memory_limit()) return;
  lua_gc(L0(), LUA_GCSTOP, 0);

  if (run_state().running == 1 && run_state().editor_view == 0) {
    lua_cpu_prepare_for_resume(L0(), 0);
    pstate().host_refused = 0;
    int status = lua_resume(L0(), nullptr, 0);
    if (status == LUA_OK) {
      suspend_program();
      if (L0() == L0_cart()) run_state().resumable = 0;
    } else if (status == LUA_ERRMEM && pstate().host_refused && pstate().reset_counter <= 0) {
      // A block that the host memory cap refused: the same end as memory
      // that stays above its limit.
      end_out_of_memory();
    } else if (status != LUA_YIELD && pstate().reset_counter <= 0) {
      suspend_program();
      if (L0() == L0_cart()) run_state().end_error = TOVO_END_RUNTIME_ERROR;
      tovo_report_runtime_error(L0(), pitem(0) ? pitem(0)->code : "");
    }
  }

  autosave_cdata(tovo_clock());
}

}  // namespace

void autosave_cdata(int32_t now) {
  if (pstate().cart_data_dirty && static_cast<int64_t>(now) - run_state().cdata_saved_at > CDATA_AUTOSAVE_MS) {
    tovo_shell().save_cdata();
    run_state().cdata_saved_at = now;
  }
}

void run_slice() {
  int32_t fps = run_state().current_fps > 0 ? run_state().current_fps : 30;
  if (L0()) {
    lua_set_cpu_cycles_slice_max(L0(), TOVO_CPU_HZ / fps);
    lua_cpu_prepare_for_slice(L0());
  }
  run_state().refunded = 0;
  if (continue_print_text()) return;
  for (int i = 0; i < TOVO_SECTIONS_MAX; i++) {
    pstate().slice_escape = 0;
    run_state().section_count++;
    run_slice_section();
    if (!pstate().slice_escape) break;
  }
}

void suspend_program() {
  if (pstate().reset_counter > 0) return;
  if (run_state().program) {
    L0_cart() = L0();
    tovo_shell().save_cdata();
    tovo_shell().reset_splore_animation();
    int32_t keep = pstate().ram[TOVO_REG_PERSIST];
    if (!(keep & TOVO_KEEP_DRAW_PAL))
      for (int c = 0; c < TOVO_PALETTE_ENTRIES; c++)
        poke(TOVO_REG_DRAW_PAL + c, c == 0 ? TOVO_DRAW_PAL_TRANSPARENT : c);
    if (!(keep & TOVO_KEEP_PAL_MODE)) poke(TOVO_REG_PAL_MODE, 0);
    if (!(keep & TOVO_KEEP_SOUND))
      for (int a = TOVO_REG_SOUND; a < TOVO_REG_SOUND + TOVO_SOUND_REGISTERS; a++) poke(a, 0);
    if (!(keep & TOVO_KEEP_MASKS)) poke(TOVO_REG_MASKS, TOVO_DEFAULT_MASKS);
    if (!(keep & TOVO_KEEP_PRINT)) {
      for (int a = TOVO_REG_PRINT_STYLE; a < TOVO_REG_PRINT_STYLE + TOVO_PRINT_REGISTERS; a++) poke(a, 0);
      reset_print_context();
      reload_font();
    }
    if (!(keep & TOVO_KEEP_FILL_PATTERN))
      for (int a = TOVO_REG_FILL_PATTERN; a < TOVO_REG_FILL_PATTERN + TOVO_FILL_PATTERN_BYTES; a++) poke(a, 0);
    if (!(keep & TOVO_KEEP_PEN)) poke(TOVO_REG_PEN, TOVO_DEFAULT_PEN);
    if (!(keep & TOVO_KEEP_MAPPING)) {
      poke(TOVO_REG_SPRITE_SOURCE, 0);
      poke(TOVO_REG_DRAW_TARGET, TOVO_DEFAULT_DRAW_TARGET);
    }
  }
  saved_camera_x = pstate().camera_x;
  saved_camera_y = pstate().camera_y;
  const int32_t clip[4] = {0, 0, 128, 128};
  for (int i = 0; i < 4; i++) poke(TOVO_REG_CLIP + i, clip[i]);
  run_state().running = 0;
  // A stopped program holds no frame: the stopped screen and the error
  // report show at once.
  run_state().hold_frame = 0;
  for (int a = TOVO_REG_CAMERA_X; a < TOVO_REG_CAMERA_Y + 2; a++) poke(a, 0);
  poke(TOVO_REG_CURSOR_X, 0);
  int32_t y = pstate().cursor_y;
  poke(TOVO_REG_CURSOR_Y, y < 0 ? 0 : y > CURSOR_Y_MAX ? CURSOR_Y_MAX : y);
  set_draw_display(0);
  if (run_state().program)
    while (tarq_keypressed()) tarq_readkey();
  if (run_state().exec) tarq_request_quit(TARQ_QUIT_AFTER_FRAME);
}

void continue_program() {
  poke(TOVO_REG_CAMERA_X, saved_camera_x & 0xff);
  poke(TOVO_REG_CAMERA_X + 1, (saved_camera_x >> 8) & 0xff);
  poke(TOVO_REG_CAMERA_Y, saved_camera_y & 0xff);
  poke(TOVO_REG_CAMERA_Y + 1, (saved_camera_y >> 8) & 0xff);
  update_gfx_clipping();
  set_draw_display(0);
  run_state().running = 1;
}

void reset_runtime_state() {
  tovo_reset_registers(&pstate(), pstate().cart);
  update_gfx_clipping();
  for (int32_t i = 0; i < TOVO_GPIO_BYTES; i++) poke(TOVO_GPIO_START + i, 0);
  gpio_open();
  reset_serial_state();
  run_state().frame_ticks = 0;
  tovo_assert_message(nullptr);
  run_state().mainloop_exists = 0;
  run_state().gc_strikes = 0;
  run_state().set_filename[0] = 0;
  destroy_print_buffer();
  reset_print_context();
}
