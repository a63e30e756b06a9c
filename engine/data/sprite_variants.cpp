// Sprite draws the player never makes: through a colour map (by the sprite's
// colour or by the colour under it) and mirrored left to right.
#include "engine/data/sprite_variants.h"

#include "engine/data/gfx.h"

namespace {

bool pixels_of(const tarq_bitmap* b, int32_t depth) { return b && b->rows && b->depth == depth; }

// Where the sprite pixel is not 0, the destination takes map's entry for the
// sprite's colour or, with ByDestination, for the colour already there.
template <bool ByDestination>
void draw_sprite_mapped(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                        int32_t w, int32_t h, const uint8_t* map) {
  if (!map || !pixels_of(src, 8) || !pixels_of(dst, 8) || dst == tarq_video.tarq_screen) return;
  tarq_clip(src, dst, sx, sy, dx, dy, w, h);
  if (w < 1 || h < 1) return;
  for (int32_t r = 0; r < h; r++) {
    const uint8_t* s = src->rows[sy + r] + sx;
    uint8_t* d = dst->rows[dy + r] + dx;
    for (int32_t c = 0; c < w; c++)
      if (s[c]) d[c] = map[ByDestination ? d[c] : s[c]];
  }
}

}  // namespace

void tarq_draw_sprite8_h(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                         int32_t w, int32_t h) {
  for (int32_t r = 0; r < h; r++) {
    const uint8_t* s = src->rows[sy + r] + sx;
    uint8_t* d = dst->rows[dy + r] + dx + w - 1;
    for (int32_t c = 0; c < w; c++)
      if (s[c]) d[-c] = s[c];
  }
}

void tarq_draw_sprite_pal(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                          int32_t w, int32_t h, const uint8_t* map) {
  draw_sprite_mapped<false>(src, dst, sx, sy, dx, dy, w, h, map);
}

void tarq_draw_sprite_shadow(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, const uint8_t* map) {
  draw_sprite_mapped<true>(src, dst, sx, sy, dx, dy, w, h, map);
}

void tarq_draw_sprite_h(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                        int32_t w, int32_t h) {
  if (!pixels_of(src, 8) || !pixels_of(dst, 8) || dst == tarq_video.tarq_screen) return;
  tarq_clip(src, dst, sx, sy, dx, dy, w, h);
  if (w < 1 || h < 1) return;
  tarq_draw_sprite8_h(src, dst, src->width - sx - w, sy, dx, dy, w, h);
}
