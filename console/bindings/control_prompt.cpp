// Prompt commands, which act only when no cart runs or the player was
// started with exec, and the stubs of services this player does not offer.
#include <cstdio>
#include <cstring>

#include "console/bindings/api_bindings.h"
#include "console/bindings/control.h"
#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/code_tabs.h"
#include "console/run/include.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "console/run/spend_cpu.h"
#include "console/run/token.h"
#include "engine/data/gfx.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "script/api/api.h"
#include "script/api/api_access.h"

namespace {

constexpr int32_t MESSAGE_MS = 2000;
constexpr size_t MAX_NAME = 512;  // names of this length or longer are refused
constexpr int LIST_FILTER_MAX = 1023;

const char* string_arg(lua_State* L, int i) { return lua_type(L, i) == LUA_TSTRING ? lua_tostring(L, i) : nullptr; }

void save_to_clipboard() {
  if (pitem(0) && label_is_blank(pitem(0)->label)) {
    tovo_print_col("warning: label is blank", 9);
    tovo_print_col("run cart and ctrl-7 to capture", 10);
  }
  tovo_print_col(tovo_shell().save_to_clipboard() == 0 ? "saved to clipboard" : "failed to save to clipboard", 6);
}

// The shell's root path and current folder joined (TARQ_PATH_MAX bytes);
// false when they do not fit.
bool current_folder_path(char* out) {
  int n = std::snprintf(out, TARQ_PATH_MAX, "%s%s", tovo_shell().root_path(), tovo_shell().current_folder());
  return n >= 0 && n < TARQ_PATH_MAX;
}

// ls() while a cart runs: a table of the names in the current folder that
// hold ".kx" and no "~".
void push_cart_names(lua_State* L) {
  char folder[TARQ_PATH_MAX];
  lua_createtable(L, 0, 0);
  if (!current_folder_path(folder)) return;
  tarq_find found;
  int32_t n = 0;
  for (int r = tarq_find_first(folder, "*", &found, TARQ_FIND_FILES); r == 0; r = tarq_find_next(&found)) {
    if (!std::strstr(found.name, ".kx") || std::strchr(found.name, '~')) continue;
    spend_cpu(32);
    lua_pushstring(L, found.name);
    lua_rawseti(L, -2, ++n);
  }
  tarq_find_close(&found);
}

// folder(location): the folder a location names (a trailing "/" cut), in
// path; 1 for an unknown location.
int location_path(const char* where, char* path) {
  char place[16];
  if (std::snprintf(place, sizeof place, "%s", where) >= (int)sizeof place) return 1;
  size_t n = std::strlen(place);
  if (n > 0 && place[n - 1] == '/') place[n - 1] = 0;
  if (std::strcmp(place, "backups") == 0) return tarq_prefix_with_appdata_path("backup", path);
  if (std::strcmp(place, "config") == 0) return tarq_prefix_with_appdata_path("", path);
  if (std::strcmp(place, "bbs") == 0) return tarq_prefix_with_appdata_path("bbs", path);
  if (std::strcmp(place, "desktop") == 0) return tarq_prefix_with_desktop_path("", path);
  return 1;
}

}  // namespace

bool tovo_prompt_allowed() { return !run_state().running || run_state().exec; }

int kx_save(lua_State* L) {
  if (run_state().exec && pitem(0)) {
    for (int32_t a = 0; a < TOVO_ROM_SIZE; a++) tovo_poke(nullptr, pitem(0), a, tovo_peek(&pstate(), pstate().cart, a));
  } else if (run_state().running) {
    tovo_print_col("can not save while running", 6);
    return 0;
  }
  const char* name = string_arg(L, 1);
  if (!name || !name[0]) {
    tovo_shell().quick_save();
    return 0;
  }
  if (std::strlen(name) >= MAX_NAME) {
    tovo_print_col("filename too long", 6);
    lua_pushboolean(L, false);
    return 1;
  }
  if (tovo_clip_name(name)) {
    save_to_clipboard();
    return 0;
  }
  lua_pushboolean(L, tovo_shell().save_cart(name) == 0);
  return 1;
}

int kx_info(lua_State*) {
  if (!tovo_prompt_allowed()) return 0;
  const char* name = tovo_shell().current_filename();
  if (name[0]) {
    char line[TARQ_PATH_MAX + 16];
    std::snprintf(line, sizeof line, "file: %s%s", name, std::strchr(name, '.') ? "" : ".kx");
    tovo_print_col(line, 14);
  }
  if (!pitem(0)) return 0;
  merge_code_from_tabs(pitem(0));
  constexpr int32_t size = 262144;
  char* flat = static_cast<char*>(tarq_malloc(size));
  tovo_text_result result{};
  if (flat && tovo_flatten_includes(pitem(0)->code, flat, size, &result) == 0) {
    tovo_check_code_limits(flat, &result);
    int32_t chars = static_cast<int32_t>(std::strlen(flat));
    tovo_print_2_col("tokens:     %5d /  %d", result.tokens, TOVO_TOKEN_LIMIT,
                     result.tokens <= TOVO_TOKEN_LIMIT ? 6 : 9);
    tovo_print_2_col("chars:      %5d / %d", chars, 65535, chars < TOVO_CHAR_LIMIT ? 6 : 9);
    constexpr int32_t CODE_AREA = 0x3d00;
    int32_t compressed = tovo_shell().compressed_size(flat);
    tovo_print_2_col("compressed: %5d / %d", compressed, CODE_AREA, compressed <= CODE_AREA ? 6 : 9);
  }
  tarq_free(flat);
  if (tovo_shell().unsaved_changes()) tovo_print_col("unsaved changes", 6);
  if (tovo_shell().external_changes()) tovo_print_col("external changes", 6);
  return 0;
}

int kx_help(lua_State*) {
  if (!tovo_prompt_allowed()) return 0;
  static const struct {
    const char* text;
    int32_t colour;
    // clang-format off
  } lines[] = {
      {"", 6}, {"commands", 12}, {"", 6}, {"load <filename>  save <filename>", 6}, {"run (or ctrl-r)  resume", 6},
      {"shutdown         reboot", 6}, {"install_demos    ls", 6}, {"cd <dirname>     mkdir <dirname>", 6},
      {"cd ..      to go up a directory", 6}, {"keyconfig  to choose buttons", 6},
      {"splore     to explore cartridges", 14}, {"", 6}, {"press esc to toggle editor view", 6},
      {"alt+enter to toggle fullscreen", 6}, {"alt+f4 or ctrl-q to fastquit", 6}, {"", 6},
      {"see tovo.txt for more info", 12}, {"or visit: tovo.invalid", 12}, {"", 6},
  };
  // clang-format on
  for (const auto& line : lines) tovo_print_col(line.text, line.colour);
  return 0;
}

int kx_cd(lua_State* L) {
  if (!tovo_prompt_allowed()) return 0;
  const char* dir = string_arg(L, 1);
  if (!dir) {
    char line[TARQ_PATH_MAX + 16];
    std::snprintf(line, sizeof line, "directory: /%s", tovo_shell().current_folder());
    tovo_print_col(line, 12);
    return 0;
  }
  if (std::strlen(dir) < MAX_NAME) tovo_shell().change_folder(dir);
  return 0;
}

int kx_ls(lua_State* L) {
  if (!run_state().running) {
    char filter[LIST_FILTER_MAX + 1];
    const char* given = string_arg(L, 1);
    tovo_copy_cut(filter, given ? given : "", LIST_FILTER_MAX);
    tovo_shell().list_files(given ? filter : nullptr);
    return 0;
  }
  if (lua_gettop(L) > 0 || !run_state().list_to_table) return 0;
  push_cart_names(L);
  return 1;
}

int kx_mkdir(lua_State* L) {
  if (!tovo_prompt_allowed()) return 0;
  const char* name = string_arg(L, 1);
  if (!name) {
    tovo_print_col("mkdir [name]", 6);
    return 0;
  }
  if (std::strlen(name) >= MAX_NAME || tovo_shell().make_folder(name) != 0) {
    lua_pushnumber(L, 0);
    return 1;
  }
  return 0;
}

int kx_folder(lua_State* L) {
  if (!tovo_prompt_allowed()) return 0;
  const char* where = string_arg(L, 1);
  char path[TARQ_PATH_MAX];
  if (!where) {
    if (current_folder_path(path)) tovo_shell().open_folder(path);
    return 0;
  }
  if (location_path(where, path) != 0) {
    tovo_print_col("useage: folder [location]", 14);
    tovo_print_col("locations:", 6);
    tovo_print_col("backups config bbs desktop", 6);
    return 0;
  }
  tovo_shell().open_folder(path);
  return 0;
}

int kx_backup(lua_State*) {
  if (!tovo_prompt_allowed()) return 0;
  tovo_shell().save_backup();
  char folder[TARQ_PATH_MAX], base[TARQ_PATH_MAX], ext[TARQ_PATH_MAX], line[2 * TARQ_PATH_MAX + 16];
  tarq_split_filename(tovo_shell().current_filename(), folder, base, ext);
  std::snprintf(line, sizeof line, "backed up %s%s", base, ext);
  tovo_print_col(line, 6);
  return 0;
}

int kx_install_demos(lua_State*) {
  if (tovo_prompt_allowed()) tovo_shell().install_demos();
  return 0;
}

int kx_install_games(lua_State*) {
  if (!tovo_prompt_allowed()) return 0;
  tovo_print_col("installing games to /games/", 14);
  tovo_shell().install_games();
  return 0;
}

int kx_keyconfig(lua_State*) {
  if (tovo_prompt_allowed()) tovo_shell().open_keyconfig();
  return 0;
}

int kx_splore(lua_State*) {
  if (!tovo_prompt_allowed()) return 0;
  tovo_print_col("splore is not available", 6);
  tovo_print_col("in this version.", 6);
  return 0;
}

int kx_login(lua_State* L) {
  tovo_print_col("login unavailable", 6);
  lua_pushnil(L);
  return 1;
}

int kx_logout(lua_State* L) {
  lua_pushnil(L);
  return 1;
}

int kx_radio(lua_State* L) {
  lua_pushnil(L);
  lua_pushnumber(L, 0);
  return 2;
}

int kx_scoresub(lua_State* L) {
  if (!run_state().scoresub_shown) tovo_shell().show_message("high scores not implemented yet!", MESSAGE_MS);
  run_state().scoresub_shown = 1;
  lua_pushnil(L);
  lua_pushnumber(L, 0);
  return 2;
}

int kx_bbsreq(lua_State* L) {
  if (!run_state().bbsreq_shown) tovo_shell().show_message("can not connect to bbsreq host", MESSAGE_MS);
  run_state().bbsreq_shown = 1;
  lua_pushnil(L);
  return 1;
}

int kx_set_draw_slice(lua_State*) { return 0; }
int kx_export(lua_State*) { return 0; }
int kx_import(lua_State*) { return 0; }
