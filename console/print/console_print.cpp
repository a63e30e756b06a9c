// Console lines on the machine screen, or on standard output when headless;
// reports also on standard error in a window.
#include "console/print/console_print.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/print_context.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/data/text.h"
#include "engine/tracked_mem.h"

namespace {

tarq_pod* console_font = nullptr;

constexpr int32_t SCROLL_LIMIT = 122;
constexpr int32_t TEXT_FLAGS = 17;  // one colour, wrapped
constexpr int32_t SCROLL_COST = 0x10000;

char* error_log = nullptr;
size_t error_log_used = 0;
size_t error_log_size = 0;

tarq_bitmap* console_target() { return pstate().draw_target ? pstate().draw_target : pstate().screens[0]; }

void scroll_up(tarq_bitmap* b) {
  if (!b || b->depth != 8) return;
  int32_t h = TOVO_CONSOLE_LINE_HEIGHT;
  for (int32_t y = 0; y + h < b->height; y++) std::memcpy(b->rows[y], b->rows[y + h], static_cast<size_t>(b->width));
  for (int32_t y = b->height - h; y < b->height; y++)
    if (y >= 0) std::memset(b->rows[y], 0, static_cast<size_t>(b->width));
}

void log_append(const char* msg) {
  size_t n = std::strlen(msg);
  size_t need = error_log_used + n + 2;
  if (need > error_log_size) {
    size_t size = error_log_size ? error_log_size : 16;
    while (size < need) size *= 2;
    char* grown = static_cast<char*>(tarq_realloc(error_log, size));
    if (!grown) return;
    error_log = grown;
    error_log_size = size;
  }
  std::memcpy(error_log + error_log_used, msg, n);
  error_log_used += n;
  error_log[error_log_used++] = '\n';
  error_log[error_log_used] = 0;
}

}  // namespace

tarq_pod* tovo_console_font() { return console_font; }

void tovo_set_console_font(tarq_pod* font) { console_font = font; }

void cursor_cr() {
  pstate().cursor_y += TOVO_CONSOLE_LINE_HEIGHT;
  // A running cart may turn scrolling off; once it stopped, the console's
  // own lines (its error report among them) scroll again.
  bool locked = print_cart_running() && (pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_NO_SCROLL);
  if (pstate().cursor_y > pstate().camera_y + SCROLL_LIMIT && !locked) {
    scroll_up(console_target());
    pstate().cursor_y -= TOVO_CONSOLE_LINE_HEIGHT;
    spend_cpu(SCROLL_COST);
  }
}

void tovo_print_col(const char* msg, int32_t colour) {
  if (!msg) msg = "";
  // A line printed while no program runs is a report of the player's (a
  // load failure, an error and its traceback, a stop): headless it goes to
  // standard output in place of the screen; in a window, when the shell
  // asks, to standard error as well.
  // (An export target prints to standard output whatever runs.)
  bool headless = (run_state().exec && !run_state().running) || run_state().export_target;
  if (headless || (!run_state().running && run_state().echo_reports)) {
    std::FILE* out = headless ? stdout : stderr;
    std::fputs(msg, out);
    std::fputc('\n', out);
    std::fflush(out);
    if (headless) return;
  }
  size_t n = std::strlen(msg);
  int32_t extra = n <= TOVO_CONSOLE_LINE_CHARS ? 0 : static_cast<int32_t>((n - 33) / 32 + 1);
  for (int32_t i = 0; i < extra; i++) cursor_cr();
  pstate().cursor_y -= extra * TOVO_CONSOLE_LINE_HEIGHT;
  int32_t lines = n == 0 ? 1 : static_cast<int32_t>((n - 1) / 32 + 1);
  tarq_bitmap* b = console_target();
  if (b) {
    tarq_rectfill(b, 0, pstate().cursor_y, 127, pstate().cursor_y + lines * TOVO_CONSOLE_LINE_HEIGHT - 1, 0);
    // One console line at a time, 32 characters each.
    char line[TOVO_CONSOLE_LINE_CHARS + 1];
    for (int32_t i = 0; i < lines && console_font; i++) {
      std::snprintf(line, sizeof line, "%s", msg + static_cast<size_t>(i) * TOVO_CONSOLE_LINE_CHARS);
      tarq_draw_text_ex(b, line, console_font, pstate().cursor_x, pstate().cursor_y + i * TOVO_CONSOLE_LINE_HEIGHT,
                        TEXT_FLAGS, static_cast<uint32_t>(colour));
    }
  }
  pstate().cursor_y += extra * TOVO_CONSOLE_LINE_HEIGHT;
  cursor_cr();
}

void error_tovo_print_col(const char* msg, int32_t colour) {
  tovo_print_col(msg, colour);
  log_append(msg ? msg : "");
}

void tovo_print(const char* msg) { tovo_print_col(msg, 6); }

void tovo_print_2_col(const char* format, int32_t a, int32_t b, int32_t colour) {
  static char buffer[4096];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  tovo_print_col(buffer, colour);
}

void tovo_print_2(const char* format, int32_t a, int32_t b) { tovo_print_2_col(format, a, b, 6); }

const char* tovo_error_log() { return error_log ? error_log : ""; }

void tovo_clear_error_log() {
  tarq_free(error_log);
  error_log = nullptr;
  error_log_used = error_log_size = 0;
}
