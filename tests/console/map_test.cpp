// The map: geometry from 0x5f56/0x5f57, cells through the shared half,
// drawing with culling, layers and cell 0, and textured lines with wrap
// masks and offsets, forward against reversed.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "console/draw/map.h"
#include "console/machine/cart_tools.h"
#include "console/machine/machine_record.h"
#include "tests/console/gfx_fixture.h"

namespace {

// Sprite n's pixels are all n & 15, except sprite 0 which is colour 0 and
// sprite 1 whose top row runs 1..8 (colour 16 wraps to 0 for pixel 16 - n).
class MapTest : public ScriptDrawTest {
 protected:
  void SetUp() override {
    ScriptDrawTest::SetUp();
    for (int n = 0; n < 128; n++) {
      for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 8; x++) sheet((n & 15) * 8 + x, (n >> 4) * 8 + y, static_cast<uint8_t>(n & 15));
      }
    }
    for (int x = 0; x < 8; x++) sheet(8 + x, 0, static_cast<uint8_t>(x + 1));
  }
};

TEST_F(MapTest, Geometry) {
  struct Case {
    int base, width;
    int expect_width, expect_height;
    bool ram;
  } cases[] = {
      {0x20, 0x80, 128, 64, false}, {0x20, 0, 256, 32, false}, {0x00, 0x40, 64, 128, false},
      {0x80, 0x40, 64, 512, true},  {0xff, 0, 256, 1, true},   {0x7f, 3, 3, 2730, false},
  };
  for (const Case& c : cases) {
    poke(0x5f56, c.base);
    poke(0x5f57, c.width);
    const tovo_map_shape m = tovo_map_geometry();
    EXPECT_EQ(m.width, c.expect_width) << c.base << " " << c.width;
    EXPECT_EQ(m.height, c.expect_height) << c.base << " " << c.width;
    EXPECT_EQ(m.cells, c.ram ? pstate().ram + c.base * 256 : cart->map->pixels);
  }
}

TEST_F(MapTest, CellsInRamAndCartMaps) {
  poke(0x5f56, 0x80);
  poke(0x5f57, 0x40);
  ASSERT_EQ(run("mset(1,2,0x1ab) a = mget(1,2) b = mget(64,0) c = mget(0,512) mset(64,0,5)"), "");
  EXPECT_EQ(pstate().ram[0x8000 + 2 * 64 + 1], 0xab);
  EXPECT_EQ(global("a"), 0xab << 16);
  EXPECT_EQ(global("b"), 0);
  EXPECT_EQ(global("c"), 0);
  EXPECT_EQ(pstate().ram[0x8000 + 64], 0);
  // The cart map at width 256: row 20 is bytes 5120.. of the shared half.
  poke(0x5f56, 0x20);
  poke(0x5f57, 0);
  ASSERT_EQ(run("mset(200,20,0x3c) a = mget(200,20)"), "");
  EXPECT_EQ(cart->map->pixels[20 * 256 + 200], 0x3c);
  EXPECT_EQ(peek(20 * 256 + 200), 0x3c);  // sheet memory follows
  EXPECT_EQ(global("a"), 0x3c << 16);
}

// Map row r of the shared half, column c, is sheet row 2r + (c >> 6), pixel
// pair c & 63, exactly as the memory map lays the addresses out.
TEST_F(MapTest, SharedHalfFollowsTheMemoryMap) {
  ASSERT_EQ(run("mset(3,40,7) a = sget(6,80) b = sget(7,80)"), "");
  EXPECT_EQ(peek(0x1000 + (40 - 32) * 128 + 3), 7);
  EXPECT_EQ(global("a"), 7 << 16);
  EXPECT_EQ(global("b"), 0);
  for (int r = 32; r < 64; r++) {
    for (int c = 0; c < 128; c += 13) {
      const int v = (r * 7 + c) & 0xff;
      map_putpixel(c, r, v);
      const int sheet_row = 2 * r + (c >> 6), x = 2 * (c & 63);
      ASSERT_EQ(sheet_pixel(x, sheet_row), v & 15) << r << "," << c;
      ASSERT_EQ(sheet_pixel(x + 1, sheet_row), v >> 4) << r << "," << c;
      ASSERT_EQ(peek(r * 128 + c), v);
    }
  }
  // The sync routines agree with it, both ways.
  for (int i = 0; i < 128 * 64; i++) sheet(i % 128, 64 + i / 128, static_cast<uint8_t>((i * 5) & 15));
  sync_shared_gfx_to_map(cart);
  for (int a = 0x1000; a < 0x2000; a += 97) ASSERT_EQ(map_cell(a & 127, a >> 7), peek(a));
  std::memset(cart->gfx->pixels + 64 * 128, 0, 64 * 128);
  sync_shared_map_to_gfx(cart);
  for (int a = 0x1000; a < 0x2000; a += 97) ASSERT_EQ(map_cell(a & 127, a >> 7), peek(a));
}

TEST_F(MapTest, MsetWithTheSheetOnTheScreen) {
  poke(0x5f54, 0x60);
  ASSERT_EQ(run("mset(3,40,0x97)"), "");
  EXPECT_EQ(sheet_pixel(6, 80), 7);  // the sheet, not the screen, follows the map
  EXPECT_EQ(sheet_pixel(7, 80), 9);
  EXPECT_EQ(px(6, 80), 0);
}

TEST_F(MapTest, DrawsWithCulling) {
  for (int c = 0; c < 4; c++) map_putpixel(c, 0, 16 + c);
  ASSERT_EQ(run("map(0,0,-16,0,4,1)"), "");
  EXPECT_EQ(px(0, 0), 2);  // cell 2 at x = 0, cell 3 at x = 8
  EXPECT_EQ(px(8, 0), 3);
  EXPECT_EQ(px(16, 0), 0);
  EXPECT_EQ(cost("map", "0,0,-16,0,4,1"), 2 * 128);
  EXPECT_EQ(cost("map", "0,0,-4,0,4,1"), 2 * (4 * 8 + 3 * 64));
  EXPECT_EQ(cost("map", "0,0,0,0,0,1"), 0);
  // Clip and camera.
  fill_screen(0);
  ASSERT_EQ(run("camera(-20, 0) clip(24, 0, 100, 100) map(0,0,0,0,4,1) camera() clip()"), "");
  EXPECT_EQ(px(23, 0), 0);
  EXPECT_EQ(px(24, 0), 0);  // cell 0 skipped
  EXPECT_EQ(px(28, 0), 1);
  EXPECT_EQ(px(36, 0), 2);
}

TEST_F(MapTest, WholeMapCellZeroAndLayers) {
  for (int y = 0; y < 64; y++) {
    for (int x = 0; x < 128; x++) map_putpixel(x, y, (x + y) % 3);  // 0, 1, 2
  }
  fill_screen(9);
  ASSERT_EQ(run("map()"), "");
  EXPECT_EQ(px(0, 0), 9);  // cell 0 transparent
  EXPECT_EQ(px(8, 0), 1);
  EXPECT_EQ(px(16, 0), 2);
  EXPECT_EQ(px(127, 127), 9);  // cell (15, 15) holds 0
  poke(0x5f36, 8);
  ASSERT_EQ(run("palt(0, false) mapdraw() palt()"), "");
  EXPECT_EQ(px(0, 0), 0);  // cell 0 drawn (sprite 0 is colour 0, opaque after palt)
  poke(0x5f36, 0);
  fill_screen(9);
  cart->gff[2] = 0x4;
  ASSERT_EQ(run("map(0,0,0,0,nil,nil,0x4)"), "");
  EXPECT_EQ(px(8, 0), 9);  // sprite 1 has no flag in common
  EXPECT_EQ(px(16, 0), 2);
}

TEST_F(MapTest, TlineSamplesTheMap) {
  map_putpixel(0, 0, 1);
  ASSERT_EQ(run("tline(0,0,7,0,0,0)"), "");
  for (int x = 0; x < 8; x++) EXPECT_EQ(px(x, 0), x + 1) << x;
  std::vector<uint8_t> forward(screen()->pixels, screen()->pixels + 128);
  fill_screen(0);
  ASSERT_EQ(run("tline(7,0,0,0,0.875,0,-0.125,0)"), "");
  EXPECT_EQ(0, std::memcmp(forward.data(), screen()->pixels, 128));
  EXPECT_EQ(cost("tline", "0,0,7,0,0,0"), 2 * 2 * 8);
  EXPECT_EQ(cost("tline", "0,-5,7,-5,0,0"), 2);
}

TEST_F(MapTest, TlineWrapsAndOffsets) {
  map_putpixel(0, 0, 16 + 3);
  map_putpixel(1, 0, 16 + 4);
  map_putpixel(2, 0, 16 + 5);
  poke(0x5f38, 2);
  ASSERT_EQ(run("tline(0,0,31,0,0,0,0.125,0)"), "");
  for (int x = 0; x < 32; x++) EXPECT_EQ(px(x, 0), (x / 8) % 2 == 0 ? 3 : 4) << x;
  poke(0x5f3a, 1);
  ASSERT_EQ(run("tline(0,1,31,1,0,0,0.125,0)"), "");
  for (int x = 0; x < 32; x++) EXPECT_EQ(px(x, 1), (x / 8) % 2 == 0 ? 4 : 5) << x;
  // Transparency through the draw palette, colour 0 opaque after palt.
  poke(0x5f38, 0);
  poke(0x5f3a, 0);
  ASSERT_EQ(run("palt(3, true) tline(0,2,7,2,0,0)"), "");
  EXPECT_EQ(px(0, 2), 0);
}

// tline with its ends given in either order draws the same pixels when the
// texture is reversed too.
TEST_F(MapTest, TlineForwardEqualsReversed) {
  for (int y = 0; y < 32; y++) {
    for (int x = 0; x < 32; x++) map_putpixel(x, y, 16 + (x * 3 + y) % 15);
  }
  for (int x = 0; x < 128; x++) {
    for (int y = 0; y < 128; y++) sheet(x, y, static_cast<uint8_t>((x * 7 + y * 3) % 16));
  }
  std::mt19937 rng(7);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<uint8_t> a(128 * 128);
  for (int round = 0; round < 300; round++) {
    const int x0 = pick(-40, 170), y0 = pick(-40, 170), x1 = pick(-40, 170), y1 = pick(-40, 170);
    const int mx = pick(0, 0x100000), my = pick(0, 0x100000), mdx = pick(-0x8000, 0x8000), mdy = pick(-0x8000, 0x8000);
    const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    fill_screen(0);
    const int32_t c1 = tovo_tline(x0 << 16, y0 << 16, x1 << 16, y1 << 16, mx, my, mdx, mdy, 0);
    std::memcpy(a.data(), screen()->pixels, a.size());
    fill_screen(0);
    const int32_t c2 = tovo_tline(x1 << 16, y1 << 16, x0 << 16, y0 << 16, mx + mdx * n, my + mdy * n, -mdx, -mdy, 0);
    if (y0 != y1) {
      ASSERT_EQ(0, std::memcmp(a.data(), screen()->pixels, a.size())) << round;
      ASSERT_EQ(c1, c2);
    }
  }
}

}  // namespace
