// Pause-menu items and external commands.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "console/bindings/api_bindings.h"
#include "console/bindings/control.h"
#include "console/bindings/stat.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/io/path.h"
#include "engine/tarq.h"
#include "script/api/api.h"
#include "script/vm/cpu.h"

namespace {

constexpr int32_t SHORT_MS = 1500;
constexpr int32_t LONG_MS = 2000;
constexpr int32_t RESET_GAP_MS = 500;

int32_t menu_index(lua_State* L) {
  int32_t n = tovo_arg_num(L, 1);
  // 1 <= index < 6 on the 16.16 value, compared as unsigned.
  if (static_cast<uint32_t>(n) - 0x10000u >= 0x50000u) return 0;
  return n >> 16;
}

void screen_command(int32_t a, int32_t b) {
  tovo_shell().copy_back_page();
  if (tovo_shell().save_screenshot(a, b) != 0) {
    tovo_shell().show_message("** could not save screenshot", SHORT_MS);
    return;
  }
  // The message names the file written.
  char text[128];
  std::snprintf(text, sizeof text, b < 1 ? "saved screenshot: %s" : "saved image: %s", tovo_shell().capture_name());
  tovo_shell().show_message(text, SHORT_MS);
}

void video_command(int32_t a, int32_t b) {
  run_state().record_every_flip = 0;
  tovo_shell().copy_back_page();
  int32_t result = tovo_shell().save_video(a, b);
  char text[128];
  if (result == 9) std::snprintf(text, sizeof text, "no video recorded (0 frames)");
  else if (result != 0) std::snprintf(text, sizeof text, "** could not save gif");
  else
    std::snprintf(text, sizeof text, "saved %d second gif: %s", tovo_shell().gif_seconds(),
                  tovo_shell().capture_name());
  tovo_shell().show_message(text, SHORT_MS);
}

void reset_command() {
  int32_t now = tovo_clock();
  if (pstate().reset_counter != 0) return;
  if (run_state().reset_requested && static_cast<int64_t>(now) - run_state().reset_request_time <= RESET_GAP_MS) return;
  pstate().reset_counter = 1;
  run_state().reset_requested = 1;
  run_state().reset_request_time = now;
}

// extcmd("folder"): the cart's output folder.
void open_output_folder() {
  char path[TARQ_PATH_MAX];
  if (tovo_shell().output_path_for("", path) == 0) tovo_shell().open_folder(path);
}

void set_filename(lua_State* L) {
  run_state().set_filename[0] = 0;
  if (lua_type(L, 2) != LUA_TSTRING) return;
  tovo_copy_cut(run_state().set_filename, lua_tostring(L, 2), TOVO_SET_FILENAME_MAX);
  if (char* dot = std::strchr(run_state().set_filename, '.')) *dot = 0;
}

}  // namespace

int kx_menuitem(lua_State* L) {
  int32_t n = menu_index(L);
  if (n == 0) return 0;
  int type = lua_type(L, 2);
  if (type == LUA_TSTRING || type == LUA_TNUMBER)
    tovo_copy_cut(run_state().menu_label[n], lua_tostring(L, 2), TOVO_MENU_LABEL);
  else run_state().menu_label[n][0] = 0;
  return 0;
}

int kx_get_menu_item_selected(lua_State* L) {
  int32_t n = menu_index(L);
  if (n == 0 || run_state().menu_selected[n] == 0) return 0;
  lua_pushnumber(L, run_state().menu_selected[n] << 16);
  run_state().menu_selected[n] = 0;
  return 1;
}

int kx_extcmd(lua_State* L) {
  if (lua_type(L, 1) != LUA_TSTRING) return 0;
  char cmd[64];
  std::snprintf(cmd, sizeof cmd, "%s", lua_tostring(L, 1));
  int32_t a = tovo_arg_int(L, 2);
  int32_t b = tovo_arg_int(L, 3);
  bool bbs = tovo_bbs_cart_running();
  auto is = [&](const char* word) { return std::strcmp(cmd, word) == 0; };
  if (is("label")) {
    tovo_shell().copy_back_page();
    tovo_shell().set_cart_label();
    tovo_shell().show_message("saved label", SHORT_MS);
  } else if (is("screen")) {
    screen_command(a, b);
  } else if (is("rec") || is("rec_frames")) {
    tovo_shell().reset_video();
    run_state().record_every_flip = is("rec_frames");
  } else if (is("video")) {
    video_command(a, b);
  } else if (is("folder") && !bbs) {
    open_output_folder();
  } else if (is("pause")) {
    tovo_shell().build_paused_menu(0, a != 0);
  } else if (is("controls")) {
    tovo_shell().build_paused_menu(1, 0);
  } else if (is("reset")) {
    reset_command();
  } else if ((is("breadcrumb") || is("go_back")) && get_run_chain_filename()) {
    follow_current_breadcrumb();
    lua_cpu_superyield(L);
  } else if (is("shutdown")) {
    tarq_request_quit(TARQ_QUIT_AFTER_FRAME);
  } else if (is("set_title") && !bbs) {
    if (lua_type(L, 2) == LUA_TSTRING) tarq_set_window_title(lua_tostring(L, 2));
  } else if (is("set_filename")) {
    set_filename(L);
  } else {
    char text[96];
    std::snprintf(text, sizeof text, "unknown extcmd:%s", cmd);
    tovo_shell().show_message(text, LONG_MS);
  }
  return 0;
}
