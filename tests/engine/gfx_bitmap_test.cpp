#include <gtest/gtest.h>

#include <climits>

#include "engine/data/bitmap_tools.h"
#include "engine/tarq.h"
#include "tests/engine/gfx_test_util.h"

TEST(EngineBitmap, CreationRefusesBadSizesAndCountsLiveBitmaps) {
  const struct {
    int w, h, depth;
  } refused[] = {{0, 5, 8},      {5, 0, 8},  {-1, 5, 8}, {5, -7, 32},        {4, 4, 0},
                 {4, 4, 7},      {4, 4, -8}, {4, 4, 64}, {65536, 65536, 32}, {INT_MAX, INT_MAX, 32},
                 {INT_MAX, 2, 8}};
  for (const auto& c : refused)
    EXPECT_EQ(tarq_create_bitmap(c.w, c.h, c.depth), nullptr) << c.w << "x" << c.h << "x" << c.depth;

  const int32_t before = tarq_loop.tarq_items_created;
  tarq_bitmap* b = tarq_create_bitmap(3, 2, 32);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 1);
  EXPECT_EQ(b->rows[1], b->pixels + 12);  // rows follow each other
  EXPECT_EQ(b->clip_x0, 0);
  EXPECT_EQ(b->clip_x1, 3);
  EXPECT_EQ(b->clip_y1, 2);
  for (int i = 0; i < 24; i++) EXPECT_EQ(b->pixels[i], 0);
  EXPECT_EQ(tarq_destroy_bitmap(b), nullptr);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
  EXPECT_EQ(tarq_destroy_bitmap(nullptr), nullptr);

  tarq_palette* p = tarq_create_palette();
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 1);
  EXPECT_EQ(p->rgb[255][2], 0);
  tarq_destroy_palette(p);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST(EngineBitmap, OneByOneBitmapAndPixelAccess) {
  auto b = make_bitmap(1, 1);
  tarq_putpixel(b.get(), 0, 0, 0x1234);  // low byte only
  EXPECT_EQ(tarq_getpixel(b.get(), 0, 0), 0x34u);
  tarq_putpixel(b.get(), 1, 0, 9);
  tarq_putpixel(b.get(), 0, -1, 9);
  EXPECT_EQ(tarq_getpixel(b.get(), 1, 0), 0u);
  tarq_put_pixel(nullptr, 0, 0, 1);
  EXPECT_EQ(tarq_getpixel(nullptr, 0, 0), 0u);

  auto c = make_bitmap(2, 2, 32);
  tarq_putpixel(c.get(), 1, 1, 0x80FF0102);
  EXPECT_EQ(tarq_getpixel(c.get(), 1, 1), 0x80FF0102u);
}

TEST(EngineBitmap, ClipRectangleRules) {
  auto b = make_bitmap(8, 6);
  tarq_set_clip(b.get(), -5, -2, 100, 100);
  EXPECT_EQ(b->clip_x0, 0);
  EXPECT_EQ(b->clip_y0, 0);
  EXPECT_EQ(b->clip_x1, 8);
  EXPECT_EQ(b->clip_y1, 6);

  b->rows[2][2] = 7;
  tarq_set_clip(b.get(), 3, 0, 8, 6);
  EXPECT_EQ(tarq_getpixel(b.get(), 2, 2), 0u);  // present but outside the clip
  EXPECT_EQ(code_point(b.get(), 2, 7), 1 | 8);
  EXPECT_EQ(code_point(b.get(), 8, -1), 2 | 4);

  tarq_set_clip(b.get(), 6, 0, 2, 6);  // crossed ends: nothing is drawn
  tarq_rectfill(b.get(), 0, 0, 7, 5, 1);
  tarq_putpixel(b.get(), 4, 4, 1);
  tarq_set_clip(b.get(), 0, 0, INT_MIN, INT_MIN);
  tarq_hline(b.get(), INT_MIN, INT_MAX, 0, 1);
  tarq_reset_clip(b.get());
  EXPECT_EQ(picture(b.get()),
            "........\n"
            "........\n"
            "..7.....\n"
            "........\n"
            "........\n"
            "........\n");
}

TEST(EngineBitmap, SavedClipMovesAcrossBitmapsAndStaysInside) {
  auto big = make_bitmap(20, 20);
  auto small = make_bitmap(4, 4);
  tarq_set_clip(big.get(), 1, 2, 3, 4);
  tarq_save_clip(big.get());
  tarq_restore_clip(small.get());
  EXPECT_EQ(small->clip_x0, 1);
  EXPECT_EQ(small->clip_y0, 2);
  EXPECT_EQ(small->clip_x1, 3);
  EXPECT_EQ(small->clip_y1, 4);

  // A rectangle from a larger bitmap is cut to this one, so fills stay inside.
  tarq_reset_clip(big.get());
  tarq_save_clip(big.get());
  tarq_restore_clip(small.get());
  EXPECT_EQ(small->clip_x1, 4);
  EXPECT_EQ(small->clip_y1, 4);
  tarq_rectfill(small.get(), 0, 0, 19, 19, 2);
  EXPECT_EQ(picture(small.get()), "2222\n2222\n2222\n2222\n");
}

TEST(EngineBitmap, ClearBitmapZeroesEveryRow) {
  auto b = make_bitmap(3, 2, 32);
  tarq_rectfill(b.get(), 0, 0, 2, 1, 0xFFFFFFFF);
  tarq_set_clip(b.get(), 1, 1, 2, 2);
  tarq_clear_bitmap(b.get());
  for (int i = 0; i < 24; i++) EXPECT_EQ(b->pixels[i], 0);
}
