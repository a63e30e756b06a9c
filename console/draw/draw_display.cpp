// Display selection and clipping over pstate().
#include "console/draw/draw_display.h"

#include "console/machine/cart.h"
#include "console/machine/machine.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/platform/window.h"

void set_draw_display(int display) {
  if (display < 0) display = 0;
  if (display > TOVO_DISPLAYS - 1) display = TOVO_DISPLAYS - 1;
  pstate().display = display;
  tarq_bitmap* screen = pstate().screens[display];
  tarq_bitmap* sheet = pstate().cart ? pstate().cart->gfx : nullptr;
  if (pstate().cart)
    pstate().cart->gfx_view = pstate().ram[TOVO_REG_SPRITE_SOURCE] == TOVO_SOURCE_SCREEN ? screen : sheet;
  pstate().draw_target = pstate().ram[TOVO_REG_DRAW_TARGET] != TOVO_TARGET_SHEET ? screen : sheet;
  update_gfx_clipping();
}

void update_gfx_clipping() {
  if (pstate().cart && pstate().cart->gfx) tarq_reset_clip(pstate().cart->gfx);
  tarq_bitmap* target = pstate().draw_target;
  if (!target) return;
  tarq_reset_clip(target);
  tarq_set_clip(target, pstate().clip[0], pstate().clip[1], pstate().clip[2], pstate().clip[3]);
}

int get_number_of_displays() {
  if (!tarq_window.tarq_back_page) return 1;
  int n = (tarq_window.tarq_back_page->width / 128) * (tarq_window.tarq_back_page->height / 128);
  if (n < 1) return 1;
  return n > TOVO_DISPLAYS ? TOVO_DISPLAYS : n;
}
