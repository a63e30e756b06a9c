#pragma once
// Bitmaps and palettes: rectangles of 8-bit palette indices or 32-bit
// 0xAARRGGBB words, each with a clip rectangle that every drawing operation
// respects; spans, rectangles, lines, blits, sprite draws and palette tools.
#include <cstdint>

struct tarq_bitmap {
  int32_t width;
  int32_t height;
  int32_t depth;             // bits per pixel: 8 or 32 are drawn on
  uint8_t* pixels;           // width * height * depth/8 bytes, row 0 first
  uint8_t** rows;            // height row pointers, in the record's own allocation
  int32_t tag;               // kept for pod files; no bitmap operation reads it
  int32_t clip_x0, clip_x1;  // x0 inclusive, x1 exclusive
  int32_t clip_y0, clip_y1;  // y0 inclusive, y1 exclusive
};

struct tarq_palette {
  uint8_t rgb[256][3];
};

// The screen record and the palettes, which the video system makes and
// changes; the drawing modules read them.
struct tarq_video_pages {
  // The window's stand-in bitmap: its size is the window's, it has no
  // pixels, and nothing is drawn on it or copied to or from it (the back page
  // is shown by tarq_present_bitmap). Null until the first tarq_set_screen.
  tarq_bitmap* tarq_screen;
  // The palette through which an 8-bit page is shown and an 8-bit bitmap is
  // copied into a 32-bit one; made by the video system at start as a grey
  // ramp. A second, black palette is made with it.
  tarq_palette* tarq_video_palette;
  tarq_palette* tarq_black_palette;
};
extern tarq_video_pages tarq_video;
// Puts p in as the video palette (null: none) and returns the one it
// replaces, which the caller then owns.
tarq_palette* tarq_swap_video_palette(tarq_palette* p);
// Copies p into the video palette (nothing when p is the video palette).
void tarq_set_palette(const tarq_palette* p);

inline uint32_t* tarq_row32(const tarq_bitmap* b, int32_t y) { return reinterpret_cast<uint32_t*>(b->rows[y]); }

// Creation and access
tarq_bitmap* tarq_create_bitmap(int32_t width, int32_t height, int32_t depth);
tarq_bitmap* tarq_destroy_bitmap(tarq_bitmap* b);
void tarq_clear_bitmap(tarq_bitmap* b);
tarq_palette* tarq_create_palette();
tarq_palette* tarq_destroy_palette(tarq_palette* p);
void tarq_putpixel(tarq_bitmap* b, int32_t x, int32_t y, uint32_t colour);
uint32_t tarq_getpixel(const tarq_bitmap* b, int32_t x, int32_t y);

// Clip rectangle
void tarq_set_clip(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
void tarq_reset_clip(tarq_bitmap* b);

// Spans, rectangles and lines: ends and corners in any order, both inclusive.
void tarq_hline(tarq_bitmap* b, int32_t x0, int32_t x1, int32_t y, uint32_t colour);
void tarq_vline(tarq_bitmap* b, int32_t x, int32_t y0, int32_t y1, uint32_t colour);
void tarq_rect(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
void tarq_rectfill(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
void tarq_line(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
void tarq_line_noclip(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);

// Blits and sprites: source, destination, source x, y, destination x, y, size.
void tarq_clip(const tarq_bitmap* src, const tarq_bitmap* dst, int32_t& sx, int32_t& sy, int32_t& dx, int32_t& dy,
               int32_t& w, int32_t& h);
void tarq_blit(tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
               int32_t h);
void tarq_draw_sprite(tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
                      int32_t h);
void tarq_draw_sprite_col(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                          int32_t w, int32_t h, uint32_t colour, int32_t flags);
void tarq_stretch_blit(tarq_bitmap* src, tarq_bitmap* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t flags);
uint32_t tarq_blend32(uint32_t dst, uint32_t src, uint32_t alpha);

// Row loops behind the sprite draws; the rectangle is already clipped.
void tarq_draw_sprite8(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                       int32_t w, int32_t h);
void tarq_draw_sprite32(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                        int32_t w, int32_t h);

int32_t tarq_find_colour(int32_t r, int32_t g, int32_t b, const tarq_palette* p);
void tarq_convert_bitmap(tarq_bitmap* src, tarq_bitmap* dst, const tarq_palette* p);
