#pragma once
// Presenting a page in the window through the video palette (gfx.h), and the
// decisions that place an enlarged page there (pixel-perfect scaling, the
// pre-blit factor and the destination rectangle), as pure functions of sizes
// and settings.
#include <cstdint>

#include "engine/data/gfx.h"

struct tarq_rect_i {
  int32_t x, y, w, h;
};

struct tarq_view_settings {
  int32_t software_blit;
  int32_t framebuffer;
  int32_t pixel_perfect;  // -1 automatic, 0 off, 1 on
  int32_t preblit_scale;  // 0 automatic
  int32_t keep_aspect;
  tarq_rect_i draw_rect;  // used as it is when its width and height are positive
};

// Whether the page is shown at a whole multiple of its size. A page of 0x0
// stands for "no back page".
int32_t tarq_pixel_perfect_for(const tarq_view_settings& s, int32_t page_w, int32_t page_h, int32_t win_w,
                               int32_t win_h, int32_t windowed);
// The factor by which the page is enlarged before it is handed to the window.
int32_t tarq_preblit_scale_for(const tarq_view_settings& s, int32_t pixel_perfect, int32_t page_w, int32_t page_h,
                               int32_t screen_w, int32_t screen_h);
// Where the page lands in a window of the given size; w or h 0 means nothing.
tarq_rect_i tarq_present_rect_for(const tarq_view_settings& s, int32_t pixel_perfect, int32_t page_w, int32_t page_h,
                                  int32_t win_w, int32_t win_h);
// A window position mapped back into page pixels through that rectangle.
void tarq_map_to_page(const tarq_rect_i& r, int32_t page_w, int32_t page_h, int32_t mx, int32_t my, int32_t* x,
                      int32_t* y);

// The same decisions for the live window and settings.
tarq_view_settings tarq_current_view_settings();
int32_t tarq_get_pixel_perfect();
int32_t tarq_get_preblit_scale();
tarq_rect_i tarq_get_present_rect();

// Hands a whole page to the window: enlarged by the pre-blit factor first
// when `preblit` is set, converted through the video palette when 8-bit.
void tarq_present_bitmap(tarq_bitmap* page, int32_t preblit);

// The 32-bit conversion page and the enlarged page, kept between frames.
void tarq_destroy_present_pages();
