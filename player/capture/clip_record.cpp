#include "player/capture/clip_record.h"

#include <cstring>

#include "console/draw/extpal_glitch.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/tarq.h"
#include "player/shell_state.h"

tovo_video_clip video_clip;

int32_t tovo_clip_capacity(int32_t gif_len) {
  if (gif_len <= 0) return 0;
  return gif_len >= TOVO_CLIP_SLOTS / TOVO_CLIP_FPS ? TOVO_CLIP_SLOTS : gif_len * TOVO_CLIP_FPS;
}

void record_video_frame(const tarq_bitmap* frame) {
  int32_t n = tovo_clip_capacity(app.gif_len);
  if (n == 0 || !frame || frame->depth != 8) return;
  // gif_len lowered while the ring held more: keep within the new capacity.
  if (video_clip.index > n - 1) video_clip.index = n - 1;
  // A slot's bitmap is made when the slot is first written, so a short run
  // never holds the memory of a full clip.
  tarq_bitmap*& dst = video_clip.slot[video_clip.index];
  if (!dst && !(dst = tarq_create_bitmap(128, 128, 8))) return;
  if (video_clip.made < video_clip.index + 1) video_clip.made = video_clip.index + 1;
  int32_t w = frame->width < 128 ? frame->width : 128;
  int32_t h = frame->height < 128 ? frame->height : 128;
  if (w < 128 || h < 128) tarq_clear_bitmap(dst);
  for (int32_t y = 0; y < h; y++) memcpy(dst->rows[y], frame->rows[y], (size_t)w);
  int32_t now = tarq_get_time();
  if (tovo_extpal_glitch_end() > now) draw_extpal_glitch(dst, now);
  if (video_clip.index < n - 1) {
    video_clip.index++;
    return;
  }
  tarq_bitmap* oldest = video_clip.slot[0];
  memmove(&video_clip.slot[0], &video_clip.slot[1], sizeof(tarq_bitmap*) * (size_t)(n - 1));
  video_clip.slot[n - 1] = oldest;
}

void reset_video() {
  video_clip.index = 0;
  run_state().record_every_flip = 0;
}

int32_t get_current_gif_len() { return (video_clip.index + 15) / TOVO_CLIP_FPS; }

void record_tick_frames(const tarq_bitmap* frame, int32_t frame_rate, int32_t paused, int32_t frame_flipper) {
  if (run_state().record_every_flip) return;
  int32_t count = 0;
  if (paused) count = 1;
  else if (frame_rate == 60) count = frame_flipper == 0 ? 1 : 0;
  else if (frame_rate == 30) count = 1;
  else if (frame_rate == 15) count = 2;
  for (int32_t i = 0; i < count; i++) record_video_frame(frame);
}
