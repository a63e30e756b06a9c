// A moment of a fade between two palettes, set as the video palette.
#include "engine/data/palette_fade.h"

#include <algorithm>

#include "engine/data/gfx.h"
#include "engine/platform/present.h"

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
