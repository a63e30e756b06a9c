// Freeing the GIF clip ring's bitmaps.
#include "player/capture/video_clip_free.h"

#include "engine/data/gfx.h"
#include "player/capture/clip_record.h"

void free_video_clip() {
  for (int32_t i = 0; i < video_clip.made; i++) video_clip.slot[i] = tarq_destroy_bitmap(video_clip.slot[i]);
  video_clip.made = 0;
  video_clip.index = 0;
}
