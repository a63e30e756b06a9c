// Scrolling the console text screen, measures of console text, and the
// prompt's screen and file hooks.
#include "player/prompt_tools.h"

#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/spend_cpu.h"
#include "engine/data/gfx.h"
#include "player/shell_state.h"

void scroll_immediate_mode_screen(int32_t n) {
  tarq_bitmap* t = pstate().draw_target;
  bool locked = shell.program_started && shell.mode == TOVO_MODE_RUNNING &&
                (pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_NO_SCROLL);
  if (!t || locked || n <= 0) return;
  pstate().cursor_y -= n;
  int32_t h = t->height < 128 ? t->height : 128;
  for (int32_t y = n; y < h; y++) memcpy(t->rows[y - n], t->rows[y], (size_t)t->width);
  for (int32_t y = h - n < 0 ? 0 : h - n; y < h; y++) memset(t->rows[y], 0, (size_t)t->width);
  spend_cpu(65536);
}

namespace {

constexpr unsigned GLYPHS_FROM = 128;
constexpr int32_t LAST_CONTROL_CODE = 15;

}  // namespace

int32_t visual_strlen(const char* text) {
  int32_t width = 0;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); c && *c; c++)
    width += *c >= GLYPHS_FROM ? 2 : 1;
  return width;
}

bool is_input_char(int32_t code) { return code > LAST_CONTROL_CODE; }

int32_t draw_splash_screen(int32_t arg) { return arg; }
int32_t draw_command_string(int32_t arg) { return arg; }
int32_t open_filesystem(int32_t arg) { return arg; }
int32_t do_file_test(int32_t arg) { return arg; }
