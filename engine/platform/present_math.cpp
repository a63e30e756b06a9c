// The placement of the page in the window: pure functions of sizes and
// settings, shared by presenting and by the mouse mapping.
#include <algorithm>

#include "engine/platform/present.h"

int32_t tarq_pixel_perfect_for(const tarq_view_settings& s, int32_t page_w, int32_t page_h, int32_t win_w,
                               int32_t win_h, int32_t windowed) {
  if (s.software_blit) return 1;
  if (page_w <= 0 || page_h <= 0) return 0;
  if (s.pixel_perfect >= 0) return s.pixel_perfect;
  if (page_w >= 720) return 0;
  if (win_w <= 0 || win_h <= 0) return 0;
  if (windowed && win_w >= page_w && win_h >= page_h) return 1;
  // The largest whole multiple must cover at least 90 % of the window along
  // the side that limits it.
  const int64_t page_aspect = static_cast<int64_t>(page_w) * 256 / page_h;
  const int64_t win_aspect = static_cast<int64_t>(win_w) * 256 / win_h;
  if (page_aspect > win_aspect)
    return static_cast<int64_t>(page_w) * (win_w / page_w) >= static_cast<int64_t>(win_w) * 9 / 10;
  return static_cast<int64_t>(page_h) * (win_h / page_h) >= static_cast<int64_t>(win_h) * 9 / 10;
}

int32_t tarq_preblit_scale_for(const tarq_view_settings& s, int32_t pixel_perfect, int32_t page_w, int32_t page_h,
                               int32_t screen_w, int32_t screen_h) {
  if (pixel_perfect || s.software_blit || s.framebuffer) return 1;
  if (s.preblit_scale > 0) return std::min(s.preblit_scale, 8);
  if (static_cast<int64_t>(page_w) * 3 < screen_w || static_cast<int64_t>(page_h) * 3 < screen_h) return 3;
  if (static_cast<int64_t>(page_w) * 2 < screen_w || static_cast<int64_t>(page_h) * 2 < screen_h) return 2;
  return 1;
}

tarq_rect_i tarq_present_rect_for(const tarq_view_settings& s, int32_t pixel_perfect, int32_t page_w, int32_t page_h,
                                  int32_t win_w, int32_t win_h) {
  if (s.draw_rect.w > 0 && s.draw_rect.h > 0) return s.draw_rect;
  if (win_w <= 0 || win_h <= 0 || page_w <= 0 || page_h <= 0) return {0, 0, 0, 0};
  if (pixel_perfect) {
    const int32_t k = std::max(1, std::min(win_w / page_w, win_h / page_h));
    const int64_t w = static_cast<int64_t>(k) * page_w, h = static_cast<int64_t>(k) * page_h;
    return {static_cast<int32_t>((win_w - w) / 2), static_cast<int32_t>((win_h - h) / 2), static_cast<int32_t>(w),
            static_cast<int32_t>(h)};
  }
  if (!s.keep_aspect) return {0, 0, win_w, win_h};
  if (static_cast<float>(page_w) / static_cast<float>(page_h) > static_cast<float>(win_w) / static_cast<float>(win_h)) {
    const int32_t h = static_cast<int32_t>(static_cast<double>(page_h) * win_w / page_w);
    return {0, (win_h - h) / 2, win_w, h};
  }
  const int32_t w = static_cast<int32_t>(static_cast<double>(page_w) * win_h / page_h);
  return {(win_w - w) / 2, 0, w, win_h};
}

void tarq_map_to_page(const tarq_rect_i& r, int32_t page_w, int32_t page_h, int32_t mx, int32_t my, int32_t* x,
                      int32_t* y) {
  if (r.w <= 0 || r.h <= 0) {
    *x = mx;
    *y = my;
    return;
  }
  *x = static_cast<int32_t>(static_cast<int64_t>(page_w) * (static_cast<int64_t>(mx) - r.x) / r.w);
  *y = static_cast<int32_t>(static_cast<int64_t>(page_h) * (static_cast<int64_t>(my) - r.y) / r.h);
}
