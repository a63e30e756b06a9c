#pragma once
// The video clip: a ring of the last seconds of play, 30 frames a second of
// game time, kept as 128x128 8-bit bitmaps that are made once and never
// freed. `gif_len` (seconds) sets the ring's capacity; 0 turns recording off.
#include <cstdint>

struct tarq_bitmap;

constexpr int32_t TOVO_CLIP_SLOTS = 3600;  // 120 seconds at 30 frames a second
constexpr int32_t TOVO_CLIP_FPS = 30;

struct tovo_video_clip {
  tarq_bitmap* slot[TOVO_CLIP_SLOTS];
  int32_t index;  // frames held; the next slot to write while filling
  int32_t made;   // slots 0..made-1 have their bitmaps
};

extern tovo_video_clip video_clip;

// Frames the ring holds at this gif_len: gif_len x 30, at most 3600; 0 for
// gif_len 0 or below.
int32_t tovo_clip_capacity(int32_t gif_len);
// Stores one 128x128 frame into the ring (nothing when gif_len is 0 or below).
void record_video_frame(const tarq_bitmap* frame);
// Empties the ring (its bitmaps stay) and turns recording at each flip off.
void reset_video();
// The clip's length in whole seconds, rounded to nearest.
int32_t get_current_gif_len();
// The frame loop's clip step after one console tick, for the frame-rate word
// and the tick's flipper (0 on every second tick): nothing while clips record
// at each flip; with a pause page open one frame; else at 60 one frame on
// every second tick, at 30 one, at 15 two, at other rates none.
void record_tick_frames(const tarq_bitmap* frame, int32_t frame_rate, int32_t paused, int32_t frame_flipper);
