#include <gtest/gtest.h>

#include "engine/platform/present.h"

namespace {

tarq_view_settings automatic() {
  tarq_view_settings s{};
  s.pixel_perfect = -1;
  s.keep_aspect = 1;
  return s;
}

}  // namespace

TEST(PresentMath, PixelPerfectDecision) {
  const struct {
    const char* what;
    int32_t setting, software, page_w, page_h, win_w, win_h, windowed, want;
  } cases[] = {
      {"software blit is always whole multiples", -1, 1, 128, 128, 1000, 700, 0, 1},
      {"setting on", 1, 0, 128, 128, 1000, 1000, 0, 1},
      {"setting off", 0, 0, 128, 128, 1280, 1280, 1, 0},
      {"no back page", 1, 0, 0, 0, 640, 480, 0, 0},
      {"720 wide pages never automatically", -1, 0, 720, 400, 1440, 800, 1, 0},
      {"unknown window size", -1, 0, 128, 128, 0, 480, 0, 0},
      {"windowed and large enough", -1, 0, 128, 128, 130, 129, 1, 1},
      {"height decides: 640 >= 630", -1, 0, 128, 128, 1000, 700, 0, 1},
      {"height decides: 384 < 405", -1, 0, 128, 128, 1000, 450, 0, 0},
      {"wider page, width decides: 1024 >= 972", -1, 0, 256, 64, 1080, 1000, 0, 1},
      {"wider page, width decides: 768 < 900", -1, 0, 256, 64, 1000, 1000, 0, 0},
  };
  for (const auto& c : cases) {
    tarq_view_settings s = automatic();
    s.pixel_perfect = c.setting;
    s.software_blit = c.software;
    EXPECT_EQ(tarq_pixel_perfect_for(s, c.page_w, c.page_h, c.win_w, c.win_h, c.windowed), c.want) << c.what;
  }
}

TEST(PresentMath, PreblitScale) {
  const struct {
    int32_t pixel_perfect, software, framebuffer, setting, page_w, page_h, screen_w, screen_h, want;
  } cases[] = {
      {1, 0, 0, 4, 128, 128, 1920, 1080, 1},  {0, 1, 0, 4, 128, 128, 1920, 1080, 1},
      {0, 0, 1, 4, 128, 128, 1920, 1080, 1},  {0, 0, 0, 4, 128, 128, 1920, 1080, 4},
      {0, 0, 0, 12, 128, 128, 1920, 1080, 8}, {0, 0, 0, 0, 128, 128, 1920, 1080, 3},
      {0, 0, 0, 0, 128, 128, 300, 257, 2},    {0, 0, 0, 0, 128, 128, 256, 256, 1},
      {0, 0, 0, 0, 128, 128, 385, 100, 3},    {0, 0, 0, 0, 128, 128, 384, 384, 2},
  };
  for (const auto& c : cases) {
    tarq_view_settings s = automatic();
    s.software_blit = c.software;
    s.framebuffer = c.framebuffer;
    s.preblit_scale = c.setting;
    EXPECT_EQ(tarq_preblit_scale_for(s, c.pixel_perfect, c.page_w, c.page_h, c.screen_w, c.screen_h), c.want)
        << c.setting << " " << c.screen_w << "x" << c.screen_h;
  }
}

TEST(PresentMath, DestinationRectangle) {
  const struct {
    int32_t pixel_perfect, keep_aspect, page_w, page_h, win_w, win_h;
    tarq_rect_i want;
  } cases[] = {
      {1, 1, 128, 128, 1280, 720, {320, 40, 640, 640}}, {1, 1, 128, 128, 100, 100, {-14, -14, 128, 128}},  // at least 1
      {1, 1, 128, 128, 0, 720, {0, 0, 0, 0}},  // unknown size: nothing
      {0, 1, 128, 128, 1280, 720, {280, 0, 720, 720}},  {0, 1, 256, 128, 1000, 1000, {0, 250, 1000, 500}},
      {0, 1, 128, 128, 999, 1001, {0, 1, 999, 999}},    {0, 0, 128, 128, 1280, 720, {0, 0, 1280, 720}},
  };
  for (const auto& c : cases) {
    tarq_view_settings s = automatic();
    s.keep_aspect = c.keep_aspect;
    const tarq_rect_i r = tarq_present_rect_for(s, c.pixel_perfect, c.page_w, c.page_h, c.win_w, c.win_h);
    EXPECT_EQ(r.x, c.want.x) << c.win_w << "x" << c.win_h;
    EXPECT_EQ(r.y, c.want.y) << c.win_w << "x" << c.win_h;
    EXPECT_EQ(r.w, c.want.w) << c.win_w << "x" << c.win_h;
    EXPECT_EQ(r.h, c.want.h) << c.win_w << "x" << c.win_h;
  }
  tarq_view_settings s = automatic();
  s.draw_rect = {5, 6, 70, 80};
  const tarq_rect_i r = tarq_present_rect_for(s, 1, 128, 128, 0, 0);  // used as it is
  EXPECT_EQ(r.x + r.y + r.w + r.h, 5 + 6 + 70 + 80);
}

TEST(PresentMath, MouseMapsBackThroughTheRectangle) {
  const tarq_rect_i r{320, 40, 640, 640};
  const struct {
    int32_t mx, my, x, y;
  } cases[] = {{320, 40, 0, 0}, {959, 679, 127, 127}, {640, 360, 64, 64}, {0, 0, -64, -8}, {325, 44, 1, 0}};
  for (const auto& c : cases) {
    int32_t x = -99, y = -99;
    tarq_map_to_page(r, 128, 128, c.mx, c.my, &x, &y);
    EXPECT_EQ(x, c.x) << c.mx;
    EXPECT_EQ(y, c.y) << c.my;
  }
  int32_t x = 0, y = 0;
  tarq_map_to_page({0, 0, 0, 0}, 128, 128, 33, 44, &x, &y);  // empty rectangle: the raw position
  EXPECT_EQ(x, 33);
  EXPECT_EQ(y, 44);
}
