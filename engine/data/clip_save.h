#pragma once
// One saved clip rectangle: a bitmap's clip is saved and later given back to
// a bitmap. The player never saves a clip this way.
#include <cstdint>

struct tarq_bitmap;

// The single saved clip rectangle of tarq_save_clip / tarq_restore_clip.
struct tarq_clip_rect {
  int32_t x0, x1, y0, y1;
};
extern tarq_clip_rect tarq_clipdat;

void tarq_save_clip(const tarq_bitmap* b);
void tarq_restore_clip(tarq_bitmap* b);
