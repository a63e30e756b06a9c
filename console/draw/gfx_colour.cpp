// Colour resolution and the palettes.
#include "console/draw/gfx_colour.h"

#include "console/draw/extpal_glitch.h"
#include "console/draw/gfx_pixel.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"

namespace {

constexpr int32_t SECONDARY_DEFAULTS[16] = {0x00, 0x01, 0x12, 0x13, 0x24, 0x15, 0xd6, 0x67,
                                            0x48, 0x49, 0x9a, 0x3b, 0xdc, 0x5d, 0x8e, 0xef};
constexpr int32_t TRANSPARENT = 16;

uint32_t through_draw_palette(uint32_t c) {
  const uint32_t* pal = reinterpret_cast<const uint32_t*>(pstate().draw_pal);
  return (pal[c >> 4 & 15] << 4 & 0xf0) | (pal[c & 15] & 15);
}

void set_screen_entry(int32_t k, int32_t v) {
  pstate().screen_pal[k] = v & 0xff;
  if (v & 0x80) activate_extpal_glitch();
}

}  // namespace

bool tovo_colour_pattern(int32_t value) {
  const int32_t integer = value >> 16;
  if (pstate().drawing_flag != 1 || !(integer & 0x1000)) return false;
  pstate().fill_pattern = (value & 0xffff) | (integer & 0x100 ? 0x10000 : 0) | (integer & 0x200 ? 0x20000 : 0);
  return true;
}

uint32_t tovo_resolve_colour(uint32_t c) {
  c &= 0xff;
  if (static_cast<uint32_t>(pstate().fill_pattern) & TOVO_PATTERN_SECONDARY) {
    return static_cast<uint32_t>(pstate().secondary_pal[pstate().draw_pal[c & 15] & 15]) & 0xff;
  }
  return through_draw_palette(c);
}

uint32_t tovo_colour_arg(int32_t value) {
  const uint32_t c = static_cast<uint32_t>(value >> 16) & 0xff;
  pstate().pen = static_cast<int32_t>(c);
  if (tovo_colour_pattern(value)) return through_draw_palette(c);
  return tovo_resolve_colour(c);
}

uint32_t tovo_colour_pen() { return tovo_resolve_colour(static_cast<uint32_t>(pstate().pen)); }

int32_t tovo_pal_set(int32_t k, int32_t v, int32_t p) {
  k &= 15;
  int32_t old;
  switch (p) {
    case 0:
      old = pstate().draw_pal[k] & ~TRANSPARENT;
      pstate().draw_pal[k] = (pstate().draw_pal[k] & TRANSPARENT) | (v & 15);
      return old;
    case 1:
      old = pstate().screen_pal[k];
      set_screen_entry(k, v);
      return old;
    case 2:
      old = pstate().secondary_pal[k];
      pstate().secondary_pal[k] = v & 0xff;
      return old;
    default: return 0;
  }
}

void tovo_pal_reset(int32_t p) {
  for (int i = 0; i < 16; i++) {
    if (p == 0 || p == -1) pstate().draw_pal[i] = i == 0 ? TRANSPARENT : i;
    if (p == 1 || p == -1) pstate().screen_pal[i] = i;
    if (p == 2 || p == -1) pstate().secondary_pal[i] = SECONDARY_DEFAULTS[i];
  }
}

int32_t tovo_palt_bits() {
  int32_t bits = 0;
  for (int i = 0; i < 16; i++) {
    if (pstate().draw_pal[i] & TRANSPARENT) bits |= 1 << (15 - i);
  }
  return bits;
}

void tovo_palt_set_bits(int32_t bits) {
  for (int i = 0; i < 16; i++) {
    pstate().draw_pal[i] = (pstate().draw_pal[i] & ~TRANSPARENT) | (bits >> (15 - i) & 1 ? TRANSPARENT : 0);
  }
}

bool tovo_palt_set(int32_t c, bool transparent) {
  int32_t& entry = pstate().draw_pal[c & 15];
  const bool was = (entry & TRANSPARENT) != 0;
  entry = (entry & 15) | (transparent ? TRANSPARENT : 0);
  return was;
}
