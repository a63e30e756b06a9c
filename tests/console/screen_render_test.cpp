// The machine's screen rendered through the palettes and the screen modes.
#include "console/draw/screen_render.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "console/draw/extpal_glitch.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "tests/console/golden.h"
#include "tests/console/screen_fixture.h"

namespace {

struct screen_render : screen_fixture {
  // A started program on a running machine.
  void render() { tovo_render_screen(0, dst, {1, 1}); }
};

TEST_F(screen_render, DisplayPaletteAndHighColours) {
  page->rows[5][6] = 0x23;  // above 15: its low four bits count
  render();
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) ASSERT_EQ(dst->rows[y][x], ((page->rows[y][x] & 15) + 1) & 15);
  EXPECT_EQ(tovo_extpal_glitch_end(), 0);
}

// Every byte value at every column, through palettes whose entries carry
// bits beyond the shown colours: each pixel is its own palette entry, masked,
// in each palette mode that goes through a whole row at a time.
TEST_F(screen_render, EveryByteThroughEachRowPaletteMode) {
  for (int i = 0; i < 16; i++) {
    pstate().screen_pal[i] = 0x70 | ((i * 7 + 3) & 15) | (i & 1 ? 0x80 : 0);
    pstate().secondary_pal[i] = 0x180 | ((i * 11) & 15);
    pstate().ram[TOVO_REG_ROW_BITS + i] = (uint8_t)(0xa5 ^ (i * 29));
  }
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) page->rows[y][x] = (uint8_t)(x * 2 + y * 3);
  auto bit = [](int y) { return (pstate().ram[TOVO_REG_ROW_BITS + y / 8] >> (y % 8)) & 1; };
  auto shown = [](int32_t c) { return (uint8_t)(c & 0x8f); };
  struct mode_case {
    uint8_t pal_mode;
    int colour;  // the colour of a one-colour mode, or -1
  };
  const mode_case cases[] = {{0x00, -1}, {0x10, -1}, {0x30, 0}, {0x3b, 11}, {0x3f, 15}};
  for (const mode_case& c : cases) {
    SCOPED_TRACE(c.pal_mode);
    pstate().ram[TOVO_REG_PAL_MODE] = c.pal_mode;
    memset(dst->pixels, 0xee, 128 * 128);
    render();
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 128; x++) {
        const int k = page->rows[y][x] & 15;
        int32_t want = pstate().screen_pal[k];
        if (c.pal_mode == 0x10 && bit(y)) want = pstate().secondary_pal[k];
        if (c.colour == k) want = pstate().secondary_pal[bit(y) ? (y / 8 + 1) % 16 : y / 8];
        ASSERT_EQ(dst->rows[y][x], shown(want)) << x << "," << y;
      }
  }
}

TEST_F(screen_render, RowSelectedSecondaryPaletteStartsTheGlitch) {
  pstate().ram[0x5f5f] = 0x10;
  render();
  EXPECT_EQ(dst->rows[9][3], ((9 + 3 + 1) & 15));  // no row bits: all display palette
  EXPECT_NE(tovo_extpal_glitch_end(), 0);          // yet the glitch starts
  pstate().ram[0x5f70 + 1] = 0x02;                 // row 9
  render();
  EXPECT_EQ(dst->rows[9][3], 128 + ((9 + 3) & 15));
  EXPECT_EQ(dst->rows[8][3], (8 + 3 + 1) & 15);
}

TEST_F(screen_render, OneColourThroughTheSecondaryPaletteByRowBand) {
  pstate().ram[0x5f5f] = 0x35;      // colour 5
  pstate().ram[0x5f70 + 2] = 0x01;  // row 16 takes the next entry
  render();
  EXPECT_EQ(dst->rows[0][5], 128 + 0);                            // colour 5 at row 0: entry 0
  EXPECT_EQ(dst->rows[16][5 + 16 - 16 + 5], (10 + 16 + 1) & 15);  // not colour 5
  page->rows[16][0] = 5;
  render();
  EXPECT_EQ(dst->rows[16][0], 128 + 3);  // entry 16/8 + 1
  EXPECT_EQ(dst->rows[1][4], 128 + 0);
}

TEST_F(screen_render, ScreenModesAsTransforms) {
  struct mode_case {
    int32_t mode;
    int sx, sy;  // where the output pixel (x, y) = (10, 20) comes from
  };
  const mode_case cases[] = {
      {0, 10, 20},    {1, 5, 20},     {0x41, 5, 20},   {2, 10, 10},     {3, 5, 10},     {5, 10, 20},    {6, 10, 20},
      {130, 10, 107}, {129, 117, 20}, {131, 117, 107}, {134, 117, 107}, {133, 20, 117}, {135, 107, 10}, {4, 10, 20},
  };
  for (const mode_case& c : cases) {
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 128; x++) dst->rows[y][x] = (uint8_t)((x * 7 + y * 13) & 0xff);
    apply_draw_mode(dst, c.mode);
    EXPECT_EQ(dst->rows[20][10], (uint8_t)((c.sx * 7 + c.sy * 13) & 0xff)) << c.mode;
  }
  // Mirrors copy one half onto the other.
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) dst->rows[y][x] = (uint8_t)x;
  apply_draw_mode(dst, 5);
  EXPECT_EQ(dst->rows[0][127], 0);
  EXPECT_EQ(dst->rows[0][64], 63);
}

// Every palette mode, with and without a screen mode, from a screen page,
// from the sprite sheet as draw target, and before the program started: the
// rendered bytes stay those of the golden, one 128x128 picture per case.
TEST_F(screen_render, RenderedBytesForEachDisplayMode) {
  struct render_case {
    const char* name;
    uint8_t pal_mode;     // the extended palette mode byte
    int32_t screen_mode;  // stretch, mirror, flip or rotation
    int32_t running;
    int32_t started;
    int32_t page;
    bool sheet;  // the sprite sheet is the draw target
  };
  const render_case cases[] = {
      {"display palette", 0x00, 0, 1, 1, 0, false},
      {"display palette, turned", 0x00, 133, 1, 1, 0, false},
      {"rows through the secondary palette", 0x10, 0, 1, 1, 0, false},
      {"rows, stretched both ways", 0x10, 3, 1, 1, 0, false},
      {"halves in screen mode 1", 0x20, 1, 1, 1, 0, false},
      {"halves while stopped", 0x20, 1, 0, 1, 0, false},
      {"one colour by row band, flipped", 0x37, 130, 1, 1, 0, false},
      {"one colour, mirrored", 0x30, 7, 1, 1, 0, false},
      {"page 2 before the program started", 0x00, 129, 1, 0, 2, false},
      {"page 2 of a started program", 0x00, 135, 1, 1, 2, false},
      {"the sprite sheet as draw target", 0x10, 5, 1, 1, 1, true},
  };
  tarq_bitmap* page2 = tarq_create_bitmap(128, 128, 8);
  tarq_bitmap* sheet = tarq_create_bitmap(128, 128, 8);
  static tovo_cart cart;
  cart.gfx = sheet;
  tovo_cart* saved_cart = pstate().cart;
  tarq_bitmap* saved_page2 = pstate().screens[2];
  pstate().screens[2] = page2;
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) {
      // Bands, a diagonal and a corner mark, so that turns and mirrors show.
      page->rows[y][x] = (uint8_t)(x < 64 ? (y / 8 + x / 16) & 15 : (x * y / 64) & 15);
      if (x + y < 24) page->rows[y][x] = (uint8_t)(0x10 | (x & 7));
      if ((x / 4 + y / 4) % 5 == 0) page->rows[y][x] = 0;
      page2->rows[y][x] = (uint8_t)((x ^ y) & 15);
      sheet->rows[y][x] = (uint8_t)(((x / 3) * (y / 5)) & 15);
    }
  for (int i = 0; i < 16; i++) {
    pstate().ram[TOVO_REG_SECONDARY_PAL + i] = (uint8_t)(128 + ((i * 5) & 15));
    pstate().secondary_pal[i] = 128 + ((i * 5) & 15);
    pstate().ram[TOVO_REG_ROW_BITS + i] = (uint8_t)(0x5a ^ (i * 17));
  }
  std::vector<uint8_t> image;
  for (const render_case& c : cases) {
    SCOPED_TRACE(c.name);
    pstate().ram[TOVO_REG_PAL_MODE] = c.pal_mode;
    pstate().screen_mode = c.screen_mode;
    pstate().ram[TOVO_REG_DRAW_TARGET] = c.sheet ? TOVO_TARGET_SHEET : 0x60;
    pstate().cart = &cart;
    memset(dst->pixels, 0xee, 128 * 128);
    tovo_render_screen(c.page, dst, {c.started, c.running});
    pstate().cart = saved_cart;
    image.insert(image.end(), dst->pixels, dst->pixels + 128 * 128);
  }
  check_golden("screen_render_modes", image);
  pstate().screens[2] = saved_page2;
  tarq_destroy_bitmap(page2);
  tarq_destroy_bitmap(sheet);
}

TEST_F(screen_render, GlitchRotatesEveryOtherRow) {
  tarq_bitmap* back = tarq_create_bitmap(128, 128, 8);
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) back->rows[y][x] = (uint8_t)(x & 15);
  draw_extpal_glitch(back, 12345);
  EXPECT_EQ(back->rows[2][0], 1);  // rotated left
  EXPECT_EQ(back->rows[2][127], 0);
  EXPECT_EQ(back->rows[1][0], 0);  // odd rows untouched
  tarq_destroy_bitmap(back);
}

}  // namespace
