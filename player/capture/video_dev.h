#pragma once
// Development tools for the video clip: writing the held frames as TGA files
// and measuring how well screen frames compress (sizes on standard output),
// and freeing the clip ring's bitmaps (the player leaves them to the end of
// the process).
#include <cstdint>

struct tarq_bitmap;

constexpr int32_t TOVO_RLE_RUN_MAX = 32511;
constexpr int32_t TOVO_STREAM_FPS = 30;

// Writes each frame of the clip as folder + "vidout/frame%03d.tga" (8-bit,
// through the engine palette), making the "vidout" folder; only the first
// call of a run writes. Returns the frames written.
int32_t save_video(const char* folder);
// Run-length code of n bytes into out (room for 2n bytes): each run of equal
// bytes (1..32511 long) as its length, one byte for 1..127, else the two
// bytes 0x80 + ((length - 128) >> 8) and (length - 128) & 0xff, then the byte.
// Returns the bytes written.
int32_t rle_compress(const uint8_t* data, int32_t n, uint8_t* out);
// Measures one 128x128 frame of a stream: prints "lz4: %4d  " (the frame's
// bytes through LZ4), "rle: %4d  " (run-length coded), "r&l: %4d  " (both)
// and "diff: %4d\n" (both, of the frame's difference to the previous one);
// after every 30 frames "rle+lz4: %5d k/s\n", the difference stream's
// kilobytes a second. Returns the difference's size.
int32_t record_stream(const tarq_bitmap* frame);
// Starts the measured stream afresh (no previous frame).
void reset_stream();
// Measures every frame of the clip as one stream; returns the frames measured.
int32_t record_test_video();

// Frees the ring's bitmaps and empties it.
void free_video_clip();
