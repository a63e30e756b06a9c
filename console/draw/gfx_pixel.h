#pragma once
// The pixel pipeline: the one rule by which every drawing call writes a 4-bit
// pixel into the draw target. A pixel inside the target's clip rectangle
// takes its fill-pattern bit (0x8000 is the top-left pixel of each 4x4 cell,
// one row per nibble, left pixel highest); with the transparent bit a pixel
// whose bit is 1 is left alone; colour pairs give the low nibble where the bit
// is 0 and the high nibble where it is 1; the bitplane masks decide which
// bits of the old pixel stay. Old pixels above 15 are masked on the way.
#include <cstdint>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"

// Fill pattern word bits above the 4x4 pattern.
constexpr uint32_t TOVO_PATTERN_TRANSPARENT = 0x10000;
constexpr uint32_t TOVO_PATTERN_SPRITES = 0x20000;    // also for sprites, map and tline
constexpr uint32_t TOVO_PATTERN_SECONDARY = 0x40000;  // colours through the secondary palette

// Span colour that leaves its pixel alone (a transparent pattern bit).
constexpr uint32_t TOVO_SPAN_SKIP = 16;

inline uint32_t tovo_pattern_bit(uint32_t pattern, int32_t x, int32_t y) {
  return pattern >> ((3 - (y & 3)) * 4 + (3 - (x & 3))) & 1;
}

inline bool tovo_inside_clip(const tarq_bitmap* t, int32_t x, int32_t y) {
  return x >= t->clip_x0 && x < t->clip_x1 && y >= t->clip_y0 && y < t->clip_y1;
}

// Writes colour n through the bitplane masks (pattern already applied).
inline void tovo_write_masked(uint8_t* pixel, uint32_t n) {
  const uint32_t wm = static_cast<uint32_t>(pstate().write_mask) & 15;
  const uint32_t rm = static_cast<uint32_t>(pstate().read_mask);
  *pixel = static_cast<uint8_t>(((wm & rm & n) | (*pixel & ~wm)) & 15);
}

// One pixel of target coordinates: clip, pattern bit, colour pair, masks.
inline void tovo_putpixel(tarq_bitmap* t, int32_t x, int32_t y, uint32_t colour, uint32_t pattern) {
  if (!tovo_inside_clip(t, x, y)) return;
  const uint32_t bit = tovo_pattern_bit(pattern, x, y);
  if (bit && (pattern & TOVO_PATTERN_TRANSPARENT)) return;
  tovo_write_masked(&t->rows[y][x], colour >> (bit * 4));
}

// The same rule worked out once for many pixels of one colour and pattern:
// the target's rows and clip rectangle, and for each pattern bit the bits
// its colour sets, with the bits of the old pixel that stay. A loop of
// writes through it reloads nothing after each write.
struct tovo_pen {
  uint8_t* const* rows;
  int32_t clip_x0, clip_x1, clip_y0, clip_y1;
  uint32_t pattern;
  uint32_t keep;        // bits of the old pixel that stay
  uint32_t set0, set1;  // bits set where the pattern bit is 0, and 1
};

inline tovo_pen tovo_make_pen(const tarq_bitmap* t, uint32_t colour, uint32_t pattern) {
  const uint32_t wm = static_cast<uint32_t>(pstate().write_mask) & 15;
  const uint32_t rm = static_cast<uint32_t>(pstate().read_mask);
  return {t->rows,
          t->clip_x0,
          t->clip_x1,
          t->clip_y0,
          t->clip_y1,
          pattern,
          ~wm & 15,
          wm & rm & colour & 15,
          wm & rm & (colour >> 4) & 15};
}

// One pixel already known to be inside the clip rectangle.
inline void tovo_pen_pixel(const tovo_pen& pen, int32_t x, int32_t y) {
  // Without a pattern (the commonest) every bit is 0: loops over pixels are
  // made twice by the compiler, once without the bit's arithmetic.
  const uint32_t bit = (pen.pattern & 0xffff) == 0 ? 0 : tovo_pattern_bit(pen.pattern, x, y);
  if (bit && (pen.pattern & TOVO_PATTERN_TRANSPARENT)) return;
  uint8_t* pixel = &pen.rows[y][x];
  *pixel = static_cast<uint8_t>((bit ? pen.set1 : pen.set0) | (*pixel & pen.keep));
}

// One pixel anywhere: written only inside the clip rectangle.
inline void tovo_pen_plot(const tovo_pen& pen, int32_t x, int32_t y) {
  if (x >= pen.clip_x0 && x < pen.clip_x1 && y >= pen.clip_y0 && y < pen.clip_y1) tovo_pen_pixel(pen, x, y);
}

// The four colours of row y for pixels with x & 3 = 0..3, and of column x
// for rows with y & 3 = 0..3; TOVO_SPAN_SKIP marks pixels left alone.
void tovo_row_colours(uint32_t colour, uint32_t pattern, int32_t y, uint32_t out[4]);
void tovo_column_colours(uint32_t colour, uint32_t pattern, int32_t x, uint32_t out[4]);

// Pixels x0..x1 of row y, and rows y0..y1 of column x, both inside the
// target (the caller clips), with the colours from above and the masks.
void tovo_span(tarq_bitmap* t, int32_t x0, int32_t x1, int32_t y, const uint32_t colours[4]);
// The same for a row of one colour (0..15), through the masks.
void tovo_span_solid(tarq_bitmap* t, int32_t x0, int32_t x1, int32_t y, uint32_t colour);
void tovo_column(tarq_bitmap* t, int32_t x, int32_t y0, int32_t y1, const uint32_t colours[4]);
