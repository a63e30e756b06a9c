// Map geometry, cells, writes to the shared half and map drawing.
#include "console/draw/map.h"

#include <algorithm>

#include "console/draw/gfx_state.h"
#include "console/draw/sprite_blit.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"

namespace {

constexpr int32_t CART_MAP_BYTES = 8192;
constexpr int32_t UPPER_PAGE = TOVO_UPPER_START / TOVO_PAGE_SIZE;

bool draws_cell(int32_t v, int32_t layers) {
  if (v == 0 && !(pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_DRAW_ZERO)) return false;
  return layers == 0 || (pstate().cart->gff[v] & layers) != 0;
}

}  // namespace

tovo_map_shape tovo_map_geometry() {
  const int32_t base = pstate().ram[TOVO_REG_MAP_BASE];
  const int32_t width = pstate().ram[TOVO_REG_MAP_WIDTH] ? pstate().ram[TOVO_REG_MAP_WIDTH] : 256;
  if (base >= UPPER_PAGE)
    return {pstate().ram + base * TOVO_PAGE_SIZE, width, (TOVO_RAM_SIZE - base * TOVO_PAGE_SIZE) / width};
  if (!pstate().cart || !pstate().cart->map) return {nullptr, width, 0};
  return {pstate().cart->map->pixels, width, CART_MAP_BYTES / width};
}

int32_t map_getpixel(int32_t x, int32_t y) {
  const tovo_map_shape m = tovo_map_geometry();
  if (x < 0 || x >= m.width || y < 0 || y >= m.height) return 0;
  return m.cells[y * m.width + x];
}

void map_putpixel(int32_t x, int32_t y, int32_t value) {
  const tovo_map_shape m = tovo_map_geometry();
  if (x < 0 || x >= m.width || y < 0 || y >= m.height) return;
  const int32_t index = y * m.width + x;
  m.cells[index] = static_cast<uint8_t>(value);
  if (pstate().ram[TOVO_REG_MAP_BASE] < UPPER_PAGE && index >= TOVO_SHARED_START)
    tovo_write_shared_byte(pstate().cart, index, value);
}

void tovo_write_shared_byte(tovo_cart* cart, int32_t address, int32_t v) {
  if (address < 0 || address >= TOVO_SHEET_BYTES) return;
  pstate().ram[address] = static_cast<uint8_t>(v);
  uint8_t* pair = cart->gfx->pixels + 2 * address;
  pair[0] = static_cast<uint8_t>(v & 15);
  pair[1] = static_cast<uint8_t>(v >> 4 & 15);
  if (address >= TOVO_SHARED_START) cart->map->pixels[address] = static_cast<uint8_t>(v);
}

int32_t tovo_map_draw(int32_t cx, int32_t cy, int32_t sx, int32_t sy, int32_t cw, int32_t ch, int32_t layers) {
  tarq_bitmap* target = pstate().draw_target;
  if (cw <= 0 || ch <= 0 || !target || !pstate().cart || !pstate().cart->gfx_view) return 0;
  sx = tovo_target_x(sx);
  sy = tovo_target_y(sy);
  if (sx < target->clip_x0 - 7) {
    const int32_t k = (target->clip_x0 - sx) / 8;
    cx += k;
    sx += 8 * k;
    cw -= k;
  }
  if (sy < target->clip_y0 - 7) {
    const int32_t k = (target->clip_y0 - sy) / 8;
    cy += k;
    sy += 8 * k;
    ch -= k;
  }
  const int32_t columns = std::min(cw, (target->clip_x1 - target->clip_x0 + 7) / 8 + 1);
  const int32_t rows = std::min(ch, (target->clip_y1 - target->clip_y0 + 7) / 8 + 1);
  int32_t area = 0;
  for (int32_t j = 0; j < rows; j++) {
    for (int32_t i = 0; i < columns; i++) {
      const int32_t v = map_getpixel(cx + i, cy + j);
      if (!draws_cell(v, layers)) continue;
      const int32_t x = sx + 8 * i, y = sy + 8 * j;
      tovo_draw_sprite_pal(pstate().cart->gfx_view, target, (v & 15) * 8, (v >> 4) * 8, x, y, 8, 8, pstate().draw_pal);
      area += tovo_clipped_area(target, x, y, 8, 8);
    }
  }
  return area;
}
