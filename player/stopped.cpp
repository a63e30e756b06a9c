// Stopped screen and console scrolling.
#include "player/stopped.h"

#include <cstring>

#include "console/machine/button.h"
#include "console/machine/pstate.h"
#include "console/run/spend_cpu.h"
#include "engine/data/gfx.h"
#include "engine/data/text.h"
#include "engine/tarq.h"
#include "player/shell_state.h"

void process_immediate_mode_keypresses() {
  for (int b = 0; b < 6; b++)
    if (button_pressed(b, 0)) tarq_quit = 1;
}

void scroll_immediate_mode_screen(int32_t n) {
  tarq_bitmap* t = pstate.draw_target;
  bool locked = shell.program_started && shell.mode == TOVO_MODE_RUNNING && (pstate.ram[0x5f36] & 0x40);
  if (!t || locked || n <= 0) return;
  pstate.cursor_y -= n;
  int32_t h = t->height < 128 ? t->height : 128;
  for (int32_t y = n; y < h; y++) memcpy(t->rows[y - n], t->rows[y], (size_t)t->width);
  for (int32_t y = h - n < 0 ? 0 : h - n; y < h; y++) memset(t->rows[y], 0, (size_t)t->width);
  spend_cpu(65536);
}

void draw_stopped_bar(tarq_bitmap* page) {
  if (!page) return;
  tarq_rectfill(page, 0, 121, 127, 127, 6);
  tarq_line(page, 0, 120, 127, 120, 0);
  if (shell.font)
    tarq_draw_text_ex(page, " stopped. press button to exit", shell.font, 1, 122, TARQ_TEXT_ONE_COLOUR, 1);
}
