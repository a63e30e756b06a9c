// Error reports of compiled programs.
#include "console/run/errors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/code_tabs.h"
#include "console/run/include.h"
#include "console/run/program_text.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/script_host.h"
#include "engine/tracked_mem.h"
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

// The start of a message's text after its position ("chunk:line: "), or the
// whole message when it carries none.
const char* after_position(const char* msg) {
  for (const char* c = std::strchr(msg, ':'); c; c = std::strchr(c + 1, ':')) {
    const char* d = c + 1;
    while (*d >= '0' && *d <= '9') d++;
    if (d > c + 1 && d[0] == ':' && d[1] == ' ') return d + 2;
  }
  return msg;
}

// The cart line and tab that a compiler message names ("... at line 3 (tab
// 1) ..."): true when it names one.
bool named_line_of(const char* msg, int* line, int* tab) {
  const char* at = std::strstr(msg, "at line ");
  return at && std::sscanf(at, "at line %d (tab %d)", line, tab) == 2 && *line > 0 && *tab >= 0 &&
         *tab < TOVO_CODE_TABS;
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
  std::snprintf(detail, sizeof detail, "%s", after_position(msg));
  return detail;
}

void extract_runtime_error(const char* msg) {
  static char text[TOVO_RUNTIME_MESSAGE_SIZE];
  std::snprintf(text, sizeof text, "%s", msg);
  if (std::strstr(text, TOVO_PROGRAM_HEADER)) {
    if (std::strstr(text, "assertion failed")) {
      error_tovo_print_col("assertion failed", DETAIL);
      if (tovo_stored_assert_message()[0]) error_tovo_print_col(tovo_stored_assert_message(), SOURCE);
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
      // Frames of the prelude and the epilogue are not the cart's: left out.
      int tab = 0;
      int tab_line = find_cart_line(line_after_colon(line), &tab);
      if (tab_line > 0) {
        if (const char* fn = std::strstr(line, "in function '")) {
          fn += std::strlen("in function '");
          const char* quote = std::strchr(fn, '\'');
          int n = quote ? static_cast<int>(quote - fn) : static_cast<int>(std::strlen(fn));
          char out[160];
          std::snprintf(out, sizeof out, "in %.*s line %d (tab %d)", n, fn, tab_line, tab);
          tovo_print_col(out, TRACE);
        } else if (std::strstr(line, "in main chunk")) {
          print_pair("at line %d (tab %d)", tab_line, tab, TRACE, true);
        }
      }
    }
    line = next;
  }
  tarq_free(text);
}

void tovo_report_compile_error(lua_State* L, const char* code, int is_prompt_line) {
  tovo_poke(&pstate(), pstate().cart, TOVO_REG_PEN, 6);
  const char* msg = message_on_top(L);
  int tab = 0;
  int line = 0;
  const char* source = "";
  bool detail = true;
  if (!is_prompt_line) {
    line = find_cart_line(tovo_last_line_number(L), &tab);
    if (line > 0) {
      source = get_nth_line_ex(code, tovo_last_line_number(L) - 2, 1);
    } else if (named_line_of(msg, &line, &tab)) {
      // The parser stopped past the cart's code (a block left open took in
      // the epilogue, or the end of the program found a goto without its
      // label): the report names the cart's line that the message names. For
      // a block left open that is all.
      source = get_nth_line_ex(code_tab(tab), line, 0);
      detail = !std::strstr(msg, "to close '");
    } else {
      line = find_tab_line(tovo_last_line_number(L), &tab);
      if (line > 0) source = get_nth_line_ex(code, tovo_last_line_number(L) - 2, 1);
      else line = 0;
    }
  }
  if (line == 0) {
    error_tovo_print_col("syntax error", HEADING);
  } else {
    print_pair("syntax error line %d (tab %d)", line, tab, HEADING, true);
    error_tovo_print_col(source, SOURCE);
    select_code_tab_line(tab, line);
  }
  if (detail) report_syntax_detail(msg, source);
}

void tovo_report_runtime_error(lua_State* L, const char* code) {
  const char* msg = message_on_top(L);
  char message[TOVO_RUNTIME_MESSAGE_SIZE];
  std::snprintf(message, sizeof message, "%s", msg);
  int at = tovo_runtime_line(L);
  if (!run_state().program) {
    error_tovo_print_col("runtime error", HEADING);
  } else if (at > 2) {
    int tab = 0;
    int line = find_cart_line(at, &tab);
    if (line > 0) {
      print_pair("runtime error line %d tab %d", line, tab, HEADING, true);
      error_tovo_print_col(get_nth_line_ex(code, at - 2, 1), SOURCE);
      select_code_tab_line(tab, line);
    } else {
      error_tovo_print_col("runtime error", HEADING);
    }
  }
  extract_runtime_error(message);
  if (tovo_stored_assert_message()[0]) error_tovo_print_col(tovo_stored_assert_message(), DETAIL);
  if (pstate().alloc_error) {
    pstate().alloc_error = 0;
    return;
  }
  if (run_state().program) print_traceback(L);
}
