// cls, clip, camera, fillp, pset and pget over pstate(), and display
// selection and clipping.
#include "console/draw/gfx_state.h"

#include <algorithm>

#include "console/draw/gfx_pixel.h"
#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/platform/window.h"

namespace {

constexpr int32_t SCREEN = 128;

tovo_clip_rect current_clip() { return {pstate().clip[0], pstate().clip[1], pstate().clip[2], pstate().clip[3]}; }

void store_clip(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  pstate().clip[0] = std::clamp(x0, 0, SCREEN);
  pstate().clip[1] = std::clamp(y0, 0, SCREEN);
  pstate().clip[2] = std::clamp(x1, 0, SCREEN);
  pstate().clip[3] = std::clamp(y1, 0, SCREEN);
  update_gfx_clipping();
}

int32_t signed_word(int32_t address) {
  const int32_t low = tovo_peek(&pstate(), pstate().cart, address);
  const int32_t high = tovo_peek(&pstate(), pstate().cart, address + 1);
  return static_cast<int16_t>(static_cast<uint16_t>(low | high << 8));
}

void poke_word(int32_t address, int32_t v) {
  tovo_poke(&pstate(), pstate().cart, address, v & 0xff);
  tovo_poke(&pstate(), pstate().cart, address + 1, v >> 8 & 0xff);
}

}  // namespace

int32_t tovo_target_x(int32_t x) {
  return static_cast<int16_t>(
      static_cast<uint16_t>(static_cast<uint32_t>(x) - static_cast<uint32_t>(pstate().camera_x)));
}

int32_t tovo_target_y(int32_t y) {
  return static_cast<int16_t>(
      static_cast<uint16_t>(static_cast<uint32_t>(y) - static_cast<uint32_t>(pstate().camera_y)));
}

void tovo_cls(int32_t colour) {
  pstate().cursor_x = pstate().cursor_y = pstate().print_home_x = 0;
  store_clip(0, 0, SCREEN, SCREEN);
  if (pstate().draw_target) tarq_rectfill(pstate().draw_target, 0, 0, SCREEN - 1, SCREEN - 1, colour & 0xff);
}

tovo_clip_rect tovo_clip_reset() {
  const tovo_clip_rect old = current_clip();
  store_clip(0, 0, SCREEN, SCREEN);
  return old;
}

tovo_clip_rect tovo_clip_set(int32_t x, int32_t y, int32_t w, int32_t h, bool intersect) {
  const tovo_clip_rect old = current_clip();
  int32_t x0 = x, y0 = y, x1 = x + w, y1 = y + h;
  if (intersect) {
    x0 = std::max(std::min(x0, old.x1), old.x0);
    x1 = std::max(std::min(x1, old.x1), old.x0);
    y0 = std::max(std::min(y0, old.y1), old.y0);
    y1 = std::max(std::min(y1, old.y1), old.y0);
  }
  store_clip(x0, y0, x1, y1);
  return old;
}

void tovo_camera(int32_t x, int32_t y, int32_t* old_x, int32_t* old_y) {
  *old_x = signed_word(TOVO_REG_CAMERA_X);
  *old_y = signed_word(TOVO_REG_CAMERA_Y);
  poke_word(TOVO_REG_CAMERA_X, x);
  poke_word(TOVO_REG_CAMERA_Y, y);
}

int32_t tovo_fillp(bool given, int32_t value) {
  const uint32_t old = static_cast<uint32_t>(pstate().fill_pattern);
  uint32_t word = 0;
  if (given) {
    const uint32_t v = static_cast<uint32_t>(value);
    word = (v >> 16) | (v & 0x8000 ? 0x10000u : 0) | (v & 0x4000 ? 0x20000u : 0) | (v & 0x2000 ? 0x40000u : 0);
  }
  pstate().fill_pattern = static_cast<int32_t>(word);
  return static_cast<int32_t>((old & 0xffff) << 16 | (old & 0x10000 ? 0x8000u : 0) | (old & 0x20000 ? 0x4000u : 0));
}

void tovo_pset(int32_t x, int32_t y, uint32_t colour) {
  if (pstate().draw_target) {
    tovo_putpixel(pstate().draw_target, x, y, colour, static_cast<uint32_t>(pstate().fill_pattern));
  }
}

int32_t tovo_pget(int32_t x, int32_t y) { return static_cast<int32_t>(tarq_getpixel(pstate().draw_target, x, y) & 15); }

// Display selection and clipping.
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
