// 8-bit pages to 32-bit pixels through a colour table made from the video
// palette, and a moment of a fade between two palettes.
#include "engine/data/palette_tools.h"

#include <algorithm>

#include "engine/data/gfx.h"
#include "engine/platform/present.h"

void calculate_emucol(uint32_t* table, int32_t divisor) {
  if (divisor < 1) divisor = 1;
  for (int i = 0; i < 256; i++) {
    const uint8_t* e = tarq_video.tarq_video_palette ? tarq_video.tarq_video_palette->rgb[i] : nullptr;
    const uint32_t r = e ? e[0] / divisor : 0, g = e ? e[1] / divisor : 0, b = e ? e[2] / divisor : 0;
    table[i] = 0xFF000000u | r << 16 | g << 8 | b;
  }
}

void blit_from_8_to_32(const tarq_bitmap* src, const uint32_t* table, uint32_t* dst, int32_t pitch) {
  if (!src || !src->rows || src->depth != 8 || !dst) return;
  auto* out = reinterpret_cast<uint8_t*>(dst);
  for (int32_t y = 0; y < src->height; y++) {
    uint32_t* d = reinterpret_cast<uint32_t*>(out + static_cast<int64_t>(y) * pitch);
    const uint8_t* s = src->rows[y];
    for (int32_t x = 0; x < src->width; x++) d[x] = table[s[x]];
  }
}

// A moment of a fade between two palettes, set as the video palette.
void tarq_fade_palette_moment(const tarq_palette* a, const tarq_palette* b, int32_t t) {
  if (!a || !b || !tarq_video.tarq_video_palette) return;
  t = std::clamp(t, 0, 256);
  tarq_palette mix;
  for (int i = 0; i < 256; i++)
    for (int k = 0; k < 3; k++)
      mix.rgb[i][k] = static_cast<uint8_t>((((256 - t) * a->rgb[i][k]) >> 8) + ((t * b->rgb[i][k]) >> 8));
  *tarq_video.tarq_video_palette = mix;
  tarq_set_palette(tarq_video.tarq_video_palette);
}
