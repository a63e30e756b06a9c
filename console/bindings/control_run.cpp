// Bindings that restart, stop, reset and load: run, stop, reset, load,
// reboot and shutdown.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "console/bindings/api_bindings.h"
#include "console/bindings/control.h"
#include "console/machine/address_space.h"
#include "console/machine/machine_prng.h"
#include "console/machine/machine_record.h"
#include "console/machine/mem_bulk.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/run.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "console/run/spend_cpu.h"
#include "engine/data/ctext.h"
#include "engine/io/path.h"
#include "engine/tarq.h"
#include "script/api/api.h"
#include "script/vm/cpu.h"

namespace {

constexpr int32_t RESET_QUIET = 3;
constexpr int32_t LOAD_HOLD_TICKS = 30;
constexpr int32_t LOAD_COST = 0x800000;

// The registers' bytes after reset(), from TOVO_REGISTERS_START.
const uint8_t default_registers[TOVO_REGISTERS_END - TOVO_REGISTERS_START] = {
    0x10, 1,    2,    3,    4,    5,    6,    7,    8,    9,    10,   11,   12,   13,   14,   15,   0,    1,    2,
    3,    4,    5,    6,    7,    8,    9,    10,   11,   12,   13,   14,   15,   0,    0,    0x80, 0x80, 0,    6,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0x21, 0x21, 0x21, 0x21, 0x21, 0x21, 0x21, 0x21,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0x60, 0x20, 0x80, 0,    0,    0,    0,    0,    0,    0xff,
    0,    0x00, 0x01, 0x12, 0x13, 0x24, 0x15, 0xd6, 0x67, 0x48, 0x49, 0x9a, 0x3b, 0xdc, 0x5d, 0x8e, 0xef, 0,    0,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
};

int32_t load_failed() {
  int32_t reason = tovo_shell().take_load_reason();
  if (run_state().running) return 1;
  tovo_print_col(reason == 1   ? "could not load: future version"
                 : reason == 2 ? "could not load: code size > 64k"
                               : "could not load",
                 6);
  return 1;
}

int code_length() { return pitem(0) ? static_cast<int>(std::strlen(pitem(0)->code)) : 0; }

}  // namespace

bool tovo_clip_name(const char* name) {
  return std::strcmp(name, "@clip") == 0 || std::strcmp(name, "@clip.kx") == 0 || std::strcmp(name, "@clip.png") == 0 ||
         std::strcmp(name, "@clip.kx.png") == 0;
}

void tovo_copy_cut(char* out, const char* text, int max) {
  std::snprintf(out, static_cast<size_t>(max) + 1, "%s", text);
}

int kx_run(lua_State* L) {
  if (pstate().reset_counter > 0) return 0;
  int type = lua_type(L, 1);
  if (type == LUA_TSTRING || type == LUA_TNUMBER) {
    tovo_copy_cut(run_state().pending_param, lua_tostring(L, 1), TOVO_PARAM_MAX);
  } else if (lua_gettop(L) == 0 && !run_state().running) {
    run_state().pending_param[0] = 0;
    run_state().param[0] = 0;
  }
  pstate().reset_counter = RESET_QUIET;
  lua_cpu_superyield(L);
  return 0;
}

int kx_stop(lua_State* L) {
  if (pstate().reset_counter > 0) return 0;
  run_state().pending_action = TOVO_PENDING_SUSPEND;
  for (int a = TOVO_REG_CAMERA_X; a < TOVO_REG_CAMERA_Y + 2; a++) tovo_poke(&pstate(), pstate().cart, a, 0);
  kx_print(L);
  lua_cpu_superyield(L);
  return 0;
}

int kx_reset(lua_State*) {
  // The print cursor (line-start x, x, y) lives in the machine's fields, which
  // cursor() and print move without touching the bytes behind them.
  const int32_t home_x = pstate().print_home_x, x = pstate().cursor_x, y = pstate().cursor_y;
  for (int i = 0; i < TOVO_REGISTERS_END - TOVO_REGISTERS_START; i++)
    tovo_poke(&pstate(), pstate().cart, TOVO_REGISTERS_START + i, default_registers[i]);
  tovo_poke(&pstate(), pstate().cart, TOVO_REG_PRINT_HOME_X, home_x & 0xff);
  tovo_poke(&pstate(), pstate().cart, TOVO_REG_CURSOR_X, x & 0xff);
  tovo_poke(&pstate(), pstate().cart, TOVO_REG_CURSOR_Y, y & 0xff);
  pstate().print_home_x = home_x;
  pstate().cursor_x = x;
  pstate().cursor_y = y;
  tovo_srand(static_cast<uint32_t>(std::time(nullptr)) + static_cast<uint32_t>(tovo_clock()));
  spend_cpu(16);
  return 0;
}

int32_t kx_load_0(const char* name, const char* breadcrumb) {
  run_state().load_status = 0;
  char remembered[TARQ_PATH_MAX];
  std::snprintf(remembered, sizeof remembered, "%s", tovo_shell().current_filename());
  if (name[0] == '/') name++;
  if (name[0] == '#' || tovo_clip_name(name)) return 1;
  if (std::strncmp(name, "__", 2) == 0) return load_failed();
  char line[2 * TARQ_PATH_MAX + 32];
  if (std::strcmp(name, "@dropped") == 0) {
    if (tovo_shell().load_dropped_cart() != 0) return load_failed();
    std::snprintf(line, sizeof line, "loaded cartridge (%d chars)", code_length());
    tovo_print_col(line, 6);
  } else {
    if (!tovo_shell().is_mounted(name)) return 1;
    if (tovo_shell().load_working_cart(name) != 0) return load_failed();
    if (!run_state().running) {
      char base[TARQ_PATH_MAX], ext[TARQ_PATH_MAX];
      tarq_split_filename(tovo_shell().current_filename(), nullptr, base, ext);
      std::snprintf(line, sizeof line, "loaded %s%s (%d chars)", base, ext, code_length());
      tovo_print_col(line, 6);
    }
  }
  if (breadcrumb && std::strlen(breadcrumb) > 1) add_run_chain_item(remembered, breadcrumb, 0);
  reset_runtime_state();
  if (tarq_ctext* text = tovo_shell().code_tab_record(code_tab_selected())) {
    text->cursor = 0;
    text->select_start = text->select_end = 0;
  }
  tovo_reload(&pstate(), pstate().cart, 0, 0, TOVO_ROM_SIZE);
  spend_cpu(LOAD_COST);
  if (run_state().exec || !run_state().running) return 0;
  run_state().pending_action = TOVO_PENDING_RUN;
  if (std::strcmp(tovo_shell().current_filename(), remembered) != 0) run_state().load_delay = LOAD_HOLD_TICKS;
  return 0;
}

int kx_load(lua_State* L) {
  if (pstate().reset_counter > 0) return 0;
  tovo_shell().save_cdata();
  if (lua_type(L, 1) != LUA_TSTRING) return 0;
  const char* breadcrumb = nullptr;
  if (lua_gettop(L) < 2) {
    if (!run_state().running) reset_run_chain();
  } else {
    breadcrumb = lua_tostring(L, 2);
  }
  const char* param = lua_type(L, 3) == LUA_TSTRING ? lua_tostring(L, 3) : "";
  tovo_copy_cut(run_state().pending_param, param, TOVO_PARAM_MAX);
  char name[TARQ_PATH_MAX];
  std::snprintf(name, sizeof name, "%s", lua_tostring(L, 1));
  char crumb[TOVO_RUN_CHAIN_LABEL];
  if (breadcrumb) std::snprintf(crumb, sizeof crumb, "%s", breadcrumb);
  lua_pushboolean(L, kx_load_0(name, breadcrumb ? crumb : nullptr) == 0);
  return 1;
}

int kx_reboot(lua_State* L) {
  if (!tovo_prompt_allowed()) return 0;
  if (tovo_shell().unsaved_changes_confirmation("continue with reboot? [y/n]") != 0) return 0;
  tovo_shell().save_backup();
  run_state().pending_action = TOVO_PENDING_REBOOT;
  tovo_shell().clear_kiosk();
  lua_cpu_superyield(L);
  return 0;
}

int kx_shutdown(lua_State* L) {
  if (!tovo_prompt_allowed()) return 0;
  if (tovo_shell().unsaved_changes_confirmation("continue with shutdown? [y/n]") != 0) return 0;
  tovo_shell().save_backup();
  tarq_request_quit(TARQ_QUIT_AFTER_FRAME);
  lua_cpu_superyield(L);
  return 0;
}
