// Development tools for the video clip, and freeing the clip ring's bitmaps.
#include "player/capture/video_dev.h"

#include <lz4.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/data/gfx.h"
#include "engine/formats/tga_bmp.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "player/capture/clip_record.h"

namespace {

constexpr int32_t FRAME_SIDE = 128;
constexpr int32_t FRAME_BYTES = FRAME_SIDE * FRAME_SIDE;
constexpr int32_t SHORT_RUN_MAX = 127;
constexpr int32_t LONG_RUN_BASE = 128;
constexpr uint8_t LONG_RUN_MARK = 0x80;

bool video_saved = false;

struct stream_state {
  uint8_t previous[FRAME_BYTES];
  int32_t frames;
  int32_t second_bytes;  // difference bytes of the frames of this second
};
stream_state stream;

// The 128x128 frame's pixel bytes, row by row (0 outside a smaller bitmap).
void frame_bytes(const tarq_bitmap* frame, uint8_t* out) {
  memset(out, 0, FRAME_BYTES);
  if (!frame || frame->depth != 8) return;
  for (int32_t y = 0; y < FRAME_SIDE && y < frame->height; y++)
    memcpy(out + y * FRAME_SIDE, frame->rows[y], (size_t)(frame->width < FRAME_SIDE ? frame->width : FRAME_SIDE));
}

int32_t lz4_size(const uint8_t* data, int32_t n) {
  std::vector<char> out((size_t)LZ4_compressBound(n));
  return LZ4_compress_default(reinterpret_cast<const char*>(data), out.data(), n, (int)out.size());
}

int32_t rle_lz4_size(const uint8_t* data, int32_t n) {
  std::vector<uint8_t> rle((size_t)n * 2);
  int32_t length = rle_compress(data, n, rle.data());
  return lz4_size(rle.data(), length);
}

}  // namespace

int32_t save_video(const char* folder) {
  if (video_saved) return 0;
  video_saved = true;
  char dir[TARQ_PATH_MAX];
  if (snprintf(dir, sizeof dir, "%svidout/", folder ? folder : "") >= (int)sizeof dir) return 0;
  tarq_mkdir(dir);
  int32_t written = 0;
  for (int32_t i = 0; i < video_clip.index; i++) {
    char path[TARQ_PATH_MAX];
    if (snprintf(path, sizeof path, "%sframe%03d.tga", dir, i) >= (int)sizeof path) break;
    if (video_clip.slot[i] && tarq_save_tga(path, video_clip.slot[i]) == 0) written++;
  }
  return written;
}

int32_t rle_compress(const uint8_t* data, int32_t n, uint8_t* out) {
  int32_t at = 0;
  for (int32_t i = 0; i < n;) {
    int32_t run = 1;
    while (i + run < n && run < TOVO_RLE_RUN_MAX && data[i + run] == data[i]) run++;
    if (run <= SHORT_RUN_MAX) {
      out[at++] = (uint8_t)run;
    } else {
      out[at++] = (uint8_t)(LONG_RUN_MARK + ((run - LONG_RUN_BASE) >> 8));
      out[at++] = (uint8_t)((run - LONG_RUN_BASE) & 0xff);
    }
    out[at++] = data[i];
    i += run;
  }
  return at;
}

void reset_stream() { stream = {}; }

int32_t record_stream(const tarq_bitmap* frame) {
  uint8_t bytes[FRAME_BYTES], diff[FRAME_BYTES];
  frame_bytes(frame, bytes);
  for (int32_t i = 0; i < FRAME_BYTES; i++) diff[i] = bytes[i] ^ stream.previous[i];
  memcpy(stream.previous, bytes, FRAME_BYTES);
  std::vector<uint8_t> rle((size_t)FRAME_BYTES * 2);
  int32_t rle_size = rle_compress(bytes, FRAME_BYTES, rle.data());
  int32_t diff_size = rle_lz4_size(diff, FRAME_BYTES);
  printf("lz4: %4d  ", lz4_size(bytes, FRAME_BYTES));
  printf("rle: %4d  ", rle_size);
  printf("r&l: %4d  ", lz4_size(rle.data(), rle_size));
  printf("diff: %4d\n", diff_size);
  stream.second_bytes += diff_size;
  if (++stream.frames % TOVO_STREAM_FPS == 0) {
    printf("rle+lz4: %5d k/s\n", stream.second_bytes / 1024);
    stream.second_bytes = 0;
  }
  return diff_size;
}

int32_t record_test_video() {
  reset_stream();
  int32_t measured = 0;
  for (int32_t i = 0; i < video_clip.index; i++)
    if (video_clip.slot[i]) {
      record_stream(video_clip.slot[i]);
      measured++;
    }
  return measured;
}

// Freeing the GIF clip ring's bitmaps.
void free_video_clip() {
  for (int32_t i = 0; i < video_clip.made; i++) video_clip.slot[i] = tarq_destroy_bitmap(video_clip.slot[i]);
  video_clip.made = 0;
  video_clip.index = 0;
}
