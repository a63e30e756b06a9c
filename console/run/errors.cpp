// Error reports of compiled programs.
#include "console/run/errors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/machine/mem.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/assert_message.h"
#include "console/run/code_tabs.h"
#include "console/run/include.h"
#include "console/run/program_text.h"
#include "console/run/run_state.h"
#include "engine/mem.h"
#include "script/api/api.h"
#include "script/compiler/parse.h"

namespace {

constexpr int HEADING = 14;
constexpr int SOURCE = 7;
constexpr int DETAIL = 6;
constexpr int TRACE = 13;

char* line_buffer = nullptr;

void print_pair(const char* format, int a, int b, int colour, bool logged) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  if (logged) error_tovo_print_col(text, colour);
  else tovo_print_col(text, colour);
}

const char* message_on_top(lua_State* L) {
  const char* msg = lua_gettop(L) > 0 ? lua_tostring(L, -1) : nullptr;
  return msg ? msg : "";
}

// The number after the first ':' of a traceback line, or 0.
int line_after_colon(const char* text) {
  const char* colon = std::strchr(text, ':');
  return colon ? std::atoi(colon + 1) : 0;
}

void report_syntax_detail(const char* msg, const char* source) {
  const char* detail = extract_syntax_error(msg, 0);
  if (!detail) return;
  if (std::strcmp(detail, "unexpected symbol near 'end'") == 0 && !std::strstr(source, "end"))
    detail = "unexpected end of line";
  error_tovo_print_col(detail, DETAIL);
}

}  // namespace

const char* get_nth_line_ex(const char* text, int n, int flatten) {
  if (!text) return "";
  tarq_free(line_buffer);
  size_t size = std::strlen(text) + 1;
  line_buffer = static_cast<char*>(tarq_malloc(size));
  if (!line_buffer) return "";
  const char* source = text;
  if (flatten) {
    tovo_text_result result;
    if (tovo_flatten_includes(text, line_buffer, static_cast<int32_t>(size), &result) == 2) return "";
    source = line_buffer;
  }
  for (int i = 1; i < n && source; i++) {
    source = std::strchr(source, '\n');
    if (source) source++;
  }
  if (n < 1 || !source) return "<eof>";
  const char* end = std::strchr(source, '\n');
  size_t len = end ? static_cast<size_t>(end - source) : std::strlen(source);
  std::memmove(line_buffer, source, len);
  line_buffer[len] = 0;
  return line_buffer;
}

const char* extract_syntax_error(const char* msg, int with_position) {
  static char detail[TOVO_SYNTAX_DETAIL_MAX + 1];
  if (std::strstr(msg, "_end_of_program")) return nullptr;
  if (const char* close = std::strstr(msg, "to close '")) {
    const char* word = close + std::strlen("to close '");
    const char* quote = std::strchr(word, '\'');
    int len = quote ? static_cast<int>(quote - word) : static_cast<int>(std::strlen(word));
    char text[TOVO_SYNTAX_DETAIL_MAX + 1];
    if (with_position) {
      const char* at = std::strstr(close, "at line ");
      int line = 0;
      int tab = 0;
      if (at) std::sscanf(at, "at line %d (tab %d)", &line, &tab);
      std::snprintf(text, sizeof text, "unclosed %.*s at line %d (tab %d)\n", len, word, line, tab);
    } else {
      std::snprintf(text, sizeof text, "unclosed %.*s", len, word);
    }
    error_tovo_print_col(text, DETAIL);
    return nullptr;
  }
  const char* colon = std::strrchr(msg, ':');
  const char* start = msg;
  if (colon) start = colon[1] ? colon + 2 : colon + 1;
  std::snprintf(detail, sizeof detail, "%s", start);
  return detail;
}

void extract_runtime_error(const char* msg) {
  static char text[TOVO_RUNTIME_MESSAGE_SIZE];
  std::snprintf(text, sizeof text, "%s", msg);
  if (std::strstr(text, TOVO_PROGRAM_HEADER)) {
    if (std::strstr(text, "assertion failed")) {
      error_tovo_print_col("assertion failed", DETAIL);
      if (tovo_assert_message_store[0]) error_tovo_print_col(tovo_assert_message_store, SOURCE);
    }
    if (char* bounds = std::strstr(text, "position out of bounds")) {
      size_t n = std::strlen(bounds);
      if (n > 0) bounds[n - 1] = 0;
      error_tovo_print_col(bounds, DETAIL);
    }
    return;
  }
  if (std::strcmp(text, "not enough memory") == 0) return;
  error_tovo_print_col(text, DETAIL);
}

void print_traceback(lua_State* L) {
  lua_getglobal(L, "__trace");
  if (lua_pcall(L, 0, 1, 0) != LUA_OK || lua_type(L, -1) != LUA_TSTRING) {
    lua_pop(L, 1);
    return;
  }
  size_t len = 0;
  const char* s = lua_tolstring(L, -1, &len);
  char* text = static_cast<char*>(tarq_malloc(len + 1));
  if (text) std::memcpy(text, s, len + 1);
  lua_pop(L, 1);
  if (!text) return;
  char* line = text;
  for (int i = 0; i < TOVO_TRACEBACK_LINES && line && *line; i++) {
    char* next = std::strchr(line, '\n');
    if (next) *next++ = 0;
    if (!std::strstr(line, "stack traceback") && !std::strstr(line, "'_mainloop")) {
      int program_line = line_after_colon(line);
      if (program_line > 0) {
        int tab = 0;
        int tab_line = find_tab_line(program_line, &tab);
        if (const char* fn = std::strstr(line, "in function '")) {
          fn += std::strlen("in function '");
          const char* quote = std::strchr(fn, '\'');
          int n = quote ? static_cast<int>(quote - fn) : static_cast<int>(std::strlen(fn));
          char out[160];
          std::snprintf(out, sizeof out, "in %.*s line %d (tab %d)", n, fn, tab_line, tab);
          tovo_print_col(out, TRACE);
        } else if (std::strstr(line, "in main chunk") && tab_line >= 0) {
          print_pair("at line %d (tab %d)", tab_line, tab, TRACE, true);
        }
      }
    }
    line = next;
  }
  tarq_free(text);
}

void tovo_report_compile_error(lua_State* L, const char* code, int is_prompt_line) {
  tovo_poke(&pstate, pstate.cart, 0x5f25, 6);
  const char* msg = message_on_top(L);
  int tab = 0;
  int line = is_prompt_line ? 0 : find_tab_line(tovo_last_line_number, &tab);
  const char* source = "";
  if (line == 0) {
    error_tovo_print_col("syntax error", HEADING);
  } else {
    print_pair("syntax error line %d (tab %d)", line, tab, HEADING, true);
    source = get_nth_line_ex(code, tovo_last_line_number - 2, 1);
    error_tovo_print_col(source, SOURCE);
  }
  report_syntax_detail(msg, source);
}

void tovo_report_runtime_error(lua_State* L, const char* code) {
  const char* msg = message_on_top(L);
  char message[TOVO_RUNTIME_MESSAGE_SIZE];
  std::snprintf(message, sizeof message, "%s", msg);
  int at = tovo_runtime_line;
  if (!run_state.program) {
    error_tovo_print_col("runtime error", HEADING);
  } else if (at > 2) {
    int tab = 0;
    int line = find_tab_line(at, &tab);
    if (tab < visible_code_tabs()) {
      print_pair("runtime error line %d tab %d", line, tab, HEADING, true);
      error_tovo_print_col(get_nth_line_ex(code, at - 2, 1), SOURCE);
    } else {
      error_tovo_print_col("runtime error", HEADING);
    }
  }
  extract_runtime_error(message);
  if (tovo_assert_message_store[0]) error_tovo_print_col(tovo_assert_message_store, DETAIL);
  if (pstate.alloc_error) {
    pstate.alloc_error = 0;
    return;
  }
  if (run_state.program) print_traceback(L);
}
