// The video palette: the colours through which an 8-bit back page is shown.
#include <cstring>

#include "engine/platform/present.h"

tarq_palette* tarq_video_palette = nullptr;
tarq_palette* tarq_black_palette = nullptr;

void tarq_set_palette(const tarq_palette* p) {
  if (!p || !tarq_video_palette || p == tarq_video_palette) return;
  memcpy(tarq_video_palette->rgb, p->rgb, sizeof(tarq_video_palette->rgb));
}
