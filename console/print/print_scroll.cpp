// The console newline and screen scroll of the print engine.
#include "console/print/print_scroll.h"

#include "console/machine/machine.h"
#include "console/machine/pstate.h"
#include "console/print/print_context.h"
#include "console/run/spend_cpu.h"
#include "engine/data/gfx.h"

namespace {

constexpr int32_t SCREEN = 128;
constexpr int32_t NEWLINE_LIMIT = 122;
constexpr int32_t NEWLINE_SCROLL = 6;
constexpr int SCROLL_COST = 65536;

bool scroll_locked() { return print_cart_running() && (pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_NO_SCROLL); }

// Rows n-127 to 0-(127 - n), the freed rows cleared to 0 (both within the
// target's clip rectangle).
void move_rows_up(tarq_bitmap* t, int32_t n) {
  if (!t) return;
  if (n < SCREEN) tarq_blit(t, t, 0, n, 0, 0, SCREEN, SCREEN - n);
  tarq_rectfill(t, 0, n < SCREEN ? SCREEN - n : 0, SCREEN - 1, SCREEN - 1, 0);
}

}  // namespace

void print_console_newline(tarq_bitmap* target, int32_t line_height) {
  pstate().cursor_y =
      static_cast<int32_t>(static_cast<uint32_t>(pstate().cursor_y) + static_cast<uint32_t>(line_height));
  if (pstate().cursor_y <= pstate().camera_y + NEWLINE_LIMIT || scroll_locked()) return;
  pstate().cursor_y -= NEWLINE_SCROLL;
  move_rows_up(target, NEWLINE_SCROLL);
  spend_cpu(SCROLL_COST);
}

void print_scroll_screen(tarq_bitmap* target, int32_t n) {
  if (n <= 0 || scroll_locked()) return;
  pstate().cursor_y = static_cast<int32_t>(static_cast<uint32_t>(pstate().cursor_y) - static_cast<uint32_t>(n));
  move_rows_up(target, n);
  spend_cpu(SCROLL_COST);
}
