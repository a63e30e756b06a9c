// spr, sspr, sget, sset, fget and fset over pstate().
#include "console/draw/sprite.h"

#include <cstring>

#include "console/draw/gfx_state.h"
#include "console/draw/map.h"
#include "console/draw/sprite_blit.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"

namespace {

constexpr int32_t SHEET = 128;
constexpr uint8_t EMPTY = 16;

tarq_bitmap* spr_scratch = nullptr;
tarq_bitmap* sspr_scratch = nullptr;

// The scratch bitmap at w x h, re-made only when the size changes, filled
// with the transparent value. Null when memory runs out.
tarq_bitmap* ready(tarq_bitmap*& scratch, int32_t w, int32_t h) {
  if (!scratch || scratch->width != w || scratch->height != h) {
    tarq_destroy_bitmap(scratch);
    scratch = tarq_create_bitmap(w, h, 8);
    if (!scratch) return nullptr;
  }
  std::memset(scratch->pixels, EMPTY, static_cast<size_t>(w) * static_cast<size_t>(h));
  return scratch;
}

tarq_bitmap* source() { return pstate().cart ? pstate().cart->gfx_view : nullptr; }

}  // namespace

int32_t tovo_spr(int32_t n, int32_t x, int32_t y, int32_t w, int32_t h, bool flip_x, bool flip_y) {
  tarq_bitmap* target = pstate().draw_target;
  if (n < 0 || n > 255 || w <= 0 || h <= 0 || !target || !source()) return 0;
  if (w > SHEET) w = SHEET;
  if (h > SHEET) h = SHEET;
  tarq_bitmap* scratch = ready(spr_scratch, w, h);
  if (!scratch) return 0;
  tovo_blit(source(), scratch, (n & 15) * 8, (n >> 4) * 8, 0, 0, w, h, flip_x, flip_y, pstate().draw_pal);
  const int32_t tx = tovo_target_x(x), ty = tovo_target_y(y);
  tovo_draw_sprite(scratch, target, 0, 0, tx, ty, w, h);
  return tovo_clipped_area(target, tx, ty, w, h);
}

int32_t tovo_sspr(int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                  bool flip_x, bool flip_y) {
  tarq_bitmap* target = pstate().draw_target;
  if (sw < 1 || sw > SHEET || sh < 1 || sh > SHEET || dw == 0 || dh == 0 || !target || !source()) return 0;
  int32_t x = tovo_target_x(dx);
  if (dw < 0) {
    x += dw;
    dw = -dw;
    flip_x = !flip_x;
  }
  if (dh < 0) flip_y = !flip_y;
  tarq_bitmap* scratch = ready(sspr_scratch, sw, sh);
  if (!scratch) return 0;
  tovo_blit(source(), scratch, sx, sy, 0, 0, sw, sh, flip_x, flip_y, pstate().draw_pal);
  int32_t y = tovo_target_y(dy);
  if (dh < 0) {
    y += dh;
    dh = -dh;
  }
  tovo_stretch_blit(scratch, target, x, y, dw, dh);
  return tovo_clipped_area(target, x, y, dw, dh);
}

int32_t tovo_sget(int32_t x, int32_t y) { return static_cast<int32_t>(tarq_getpixel(source(), x, y) & 15); }

void tovo_sset(int32_t x, int32_t y, int32_t colour) {
  tovo_cart* cart = pstate().cart;
  if (x < 0 || x >= SHEET || y < 0 || y >= SHEET || !cart) return;
  const int32_t address = y * 64 + (x >> 1);
  const uint8_t* pair = cart->gfx->rows[y] + (x & ~1);
  const int32_t old = (pair[0] & 15) | (pair[1] & 15) << 4;
  const int32_t v = x & 1 ? (old & 0x0f) | (colour & 15) << 4 : (old & 0xf0) | (colour & 15);
  tovo_write_shared_byte(cart, address, v);
}

int32_t tovo_fget(int32_t n) {
  if (n < 0 || n > 255 || !pstate().cart) return 0;
  return pstate().cart->gff[n] & 0xff;
}

void tovo_fset(int32_t n, int32_t flags) {
  if (n < 0 || n > 255 || !pstate().cart) return;
  pstate().cart->gff[n] = flags & 0xff;
}

void tovo_free_sprite_scratch() {
  spr_scratch = tarq_destroy_bitmap(spr_scratch);
  sspr_scratch = tarq_destroy_bitmap(sspr_scratch);
}
