// printh and its log files.
#include "console/print/host_output.h"

#include <cstdio>
#include <cstring>

#include "console/bindings/api_bindings.h"
#include "console/bindings/bindings_error.h"
#include "console/run/shell_port.h"
#include "engine/formats/glyph_utf8.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "script/api/api.h"

namespace {

const char* const KEPT_EXTENSIONS[] = {".kxl", ".txt", ".obj", ".mtl", ".svg", ".pov", ".sfd", ".csv", ".ppm"};

int32_t log_total = 0;
char registry[TOVO_LOG_FILES_MAX][TARQ_PATH_MAX];
int registry_count = 0;
char* clipboard_text = nullptr;

bool name_char_ok(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '/' || c == ' ';
}

bool kept_extension(const char* name) {
  const char* last_part = strrchr(name, '/');
  const char* dot = strrchr(last_part ? last_part : name, '.');
  if (!dot) return false;
  for (const char* e : KEPT_EXTENSIONS)
    if (strcmp(dot, e) == 0) return true;
  return false;
}

// False when the file is new and the registry is full.
bool register_file(const char* path) {
  for (int i = 0; i < registry_count; i++)
    if (strcmp(registry[i], path) == 0) return true;
  if (registry_count >= TOVO_LOG_FILES_MAX) return false;
  snprintf(registry[registry_count++], TARQ_PATH_MAX, "%s", path);
  return true;
}

// The argument's text: strings and numbers as text, booleans, else the
// type name in brackets.
const char* text_of(lua_State* L, int i, size_t* len) {
  switch (lua_type(L, i)) {
    case LUA_TSTRING:
    case LUA_TNUMBER: return lua_tolstring(L, i, len);
    case LUA_TBOOLEAN: lua_pushstring(L, lua_toboolean(L, i) ? "true" : "false"); break;
    default: lua_pushfstring(L, "[%s]", lua_typename(L, lua_type(L, i))); break;
  }
  return lua_tolstring(L, -1, len);
}

void write_log(lua_State* L, const char* text, size_t len, const char* file, bool overwrite, bool desktop) {
  char path[TARQ_PATH_MAX];
  if (strlen(file) + 4 > 1022 || get_kxl_log_file_name(file, path, desktop) != 0) {
    tovo_binding_error(L, "printh: bad log file name");
    return;
  }
  size_t text_len = strlen(text);
  if (int64_t{log_total} + static_cast<int64_t>(text_len) > TOVO_LOG_BYTES_MAX) {
    tovo_binding_error(L, "printh: too much log data (10mb max)");
    return;
  }
  log_total += static_cast<int32_t>(text_len);
  if (!register_file(path)) {
    tovo_binding_error(L, "too many printh files");
    return;
  }
  if (desktop) tarq_make_parent_folder(path);  // a fresh home has no desktop folder
  FILE* f = fopen(path, overwrite ? "w" : "a");
  if (!f) {
    tovo_shell().show_message("printh: could not write file", 1500);
    return;
  }
  char* escaped = convert_glyphs_to_escaped_ex(reinterpret_cast<const uint8_t*>(text), nullptr, 1);
  if (escaped) fprintf(f, text_len < len ? "%s" : "%s\n", escaped);
  tarq_free(escaped);
  fclose(f);
}

}  // namespace

int get_kxl_log_file_name(const char* name, char* out, bool desktop) {
  out[0] = 0;
  if (!name[0] || name[0] == '/' || strstr(name, "..")) return 1;
  for (const char* p = name; *p; p++)
    if (!name_char_ok(*p)) return 1;
  char full[TARQ_PATH_MAX];
  int n = snprintf(full, sizeof full, kept_extension(name) ? "%s" : "%s.kxl", name);
  if (n < 0 || n >= static_cast<int>(sizeof full)) return 1;
  if (desktop) return tarq_prefix_with_desktop_path(full, out) != 0;
  if (tovo_shell().output_path_for(full, out) != 0) {
    out[0] = 0;
    return 1;
  }
  return 0;
}

void tovo_reset_printh_log() {
  log_total = 0;
  registry_count = 0;
}

const char* tovo_player_clipboard_text() { return clipboard_text; }

void tovo_set_player_clipboard(const char* text) {
  tarq_free(clipboard_text);
  clipboard_text = nullptr;
  if (!text) return;
  size_t n = strlen(text);
  clipboard_text = static_cast<char*>(tarq_malloc(n + 1));
  if (clipboard_text) memcpy(clipboard_text, text, n + 1);
}

int kx_printh(lua_State* L) {
  int top = lua_gettop(L);
  if (top == 0) return 0;
  size_t len = 0;
  const char* text = text_of(L, 1, &len);
  if (top == 1) {
    char* escaped = convert_glyphs_to_escaped_ex(reinterpret_cast<const uint8_t*>(text), nullptr, 1);
    printf("%s\n", escaped ? escaped : "");
    fflush(stdout);
    tarq_free(escaped);
    return 0;
  }
  int t = lua_type(L, 2);
  if (t != LUA_TSTRING && t != LUA_TNUMBER) return 0;
  const char* file = lua_tolstring(L, 2, nullptr);
  bool overwrite = lua_toboolean(L, 3);
  if (strcmp(file, "@clip") == 0) {
    char* escaped = convert_glyphs_to_escaped_ex(reinterpret_cast<const uint8_t*>(text), nullptr, 1);
    if (escaped) {
      tarq_set_clipboard_text(escaped);
      tovo_set_player_clipboard(escaped);
    }
    tarq_free(escaped);
    return 0;
  }
  write_log(L, text, len, file, overwrite, lua_toboolean(L, 4));
  return 0;
}
