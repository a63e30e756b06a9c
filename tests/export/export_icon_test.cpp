// The exported icon: made from sprites or the label, its shadow, the macOS
// icon file and the Windows icon block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "player/export/export_icon.h"
#include "tests/support/temp_dir.h"

namespace {

struct icon_fixture : ::testing::Test {
  tarq_bitmap* icon = tarq_create_bitmap(128, 128, 32);
  tovo_cart* cart = tarq_create_tovo_cart();
  tarq_palette pal{};
  void SetUp() override {
    for (int c = 0; c < 256; c++) {
      pal.rgb[c][0] = (uint8_t)c;
      pal.rgb[c][1] = (uint8_t)(c + 1);
      pal.rgb[c][2] = (uint8_t)(c + 2);
    }
  }
  void TearDown() override {
    tarq_destroy_bitmap(icon);
    tarq_destroy_tovo_cart(cart);
  }
  uint32_t at(int x, int y) const { return tarq_row32(icon, y)[x]; }
};

TEST_F(icon_fixture, SpriteIconsStretchIntoTheirBorder) {
  // Sprite 17 sits at (8, 8); its pixels are colour 9 with one transparent 0.
  for (int y = 8; y < 48; y++)
    for (int x = 8; x < 48; x++) cart->gfx->rows[y][x] = 9;
  cart->gfx->rows[8][8] = 0;
  struct {
    int size, offset, side;
  } cases[] = {{-1, 8, 112}, {1, 8, 112}, {2, 8, 112}, {3, 4, 120}, {4, 0, 128}, {5, 4, 120}};
  for (auto c : cases) {
    SCOPED_TRACE(c.size);
    ASSERT_TRUE(tovo_make_export_icon(icon, cart, &pal, 17, c.size, -1));
    uint32_t nine = 0xFF000000u | 9u << 16 | 10u << 8 | 11u;
    EXPECT_EQ(at(c.offset, c.offset), 0u);  // the transparent corner
    EXPECT_EQ(at(c.offset + c.side - 1, c.offset + c.side - 1), nine);
    if (c.offset > 0) {
      EXPECT_EQ(at(c.offset - 1, c.offset + 20), 0u);
    }
  }
}

TEST_F(icon_fixture, LabelIconIsOpaqueUnlessAColourIsTransparent) {
  cart->label = tarq_create_bitmap(128, 128, 8);
  memset(cart->label->pixels, 0, 128 * 128);
  cart->label->rows[5][6] = 130;  // an extended colour keeps its own RGB
  ASSERT_TRUE(tovo_make_export_icon(icon, cart, &pal, -1, -1, -1));
  EXPECT_EQ(at(0, 0), 0xFF000102u);
  EXPECT_EQ(at(6, 5), 0xFF828384u);
  ASSERT_TRUE(tovo_make_export_icon(icon, cart, &pal, -1, -1, 0));
  EXPECT_EQ(at(0, 0), 0u);
  EXPECT_EQ(at(6, 5), 0xFF828384u);
}

TEST_F(icon_fixture, NoLabelAndNoSpriteGivesNoIcon) {
  EXPECT_FALSE(tovo_make_export_icon(icon, cart, &pal, -1, -1, -1));
  EXPECT_FALSE(tovo_make_export_icon(icon, cart, &pal, 3, 0, -1));  // a size below 1 means the label
}

TEST_F(icon_fixture, ShadowFallsBelowAndRightOfOpaquePixels) {
  memset(icon->pixels, 0, 128 * 128 * 4);
  tarq_row32(icon, 60)[60] = 0xFFFFFFFFu;
  tarq_row32(icon, 62)[62] = 0x00FFFFFFu;  // transparent, with colour bits
  generate_shadow(icon);
  int total = 0;
  for (int dy = -5; dy <= 5; dy++)
    for (int dx = -5; dx <= 5; dx++) total += 2048 / std::max(1, dx * dx + dy * dy);
  EXPECT_EQ(at(62, 62), (uint32_t)(80 * 2048 / total) << 24 | 0x100820u);
  EXPECT_EQ(at(63, 62) >> 24, (uint32_t)(80 * 2048 / total));
  EXPECT_EQ(at(64, 62) >> 24, (uint32_t)(80 * 512 / total));
  EXPECT_EQ(at(55, 55), 0u);  // well above and left of the pixel: no shadow
  EXPECT_EQ(at(60, 60), 0xFFFFFFFFu);
}

TEST_F(icon_fixture, IcnsFileHasItsFixedLayout) {
  memset(icon->pixels, 0, 128 * 128 * 4);
  tarq_row32(icon, 0)[1] = 0xFF123456u;
  tovo_test::temp_dir dir;
  std::string path = dir.file("game.icns");
  ASSERT_EQ(save_icns(icon, path.c_str()), 0);
  std::string f;
  ASSERT_TRUE(tovo_test::read_file(path, &f));
  ASSERT_EQ(f.size(), 65948u);
  EXPECT_EQ(f.substr(0, 4), "icns");
  EXPECT_EQ(f.substr(4, 4), std::string("\x00\x01\x01\x9c", 4));
  EXPECT_EQ(f.substr(8, 4), "it32");
  EXPECT_EQ(f.substr(12, 8), std::string("\x00\x00\xc1\x8c\x00\x00\x00\x00", 8));
  const size_t plane = 128 * 129;
  EXPECT_EQ((uint8_t)f[20], 0x7F);
  EXPECT_EQ((uint8_t)f[22], 0x12);              // red of pixel 1
  EXPECT_EQ((uint8_t)f[20 + plane + 2], 0x34);  // green
  EXPECT_EQ((uint8_t)f[20 + 2 * plane + 2], 0x56);
  size_t mask = 20 + 3 * plane;
  EXPECT_EQ(f.substr(mask, 8), std::string("t8mk\x00\x00\x40\x08", 8));
  EXPECT_EQ((uint8_t)f[mask + 8], 0x00);
  EXPECT_EQ((uint8_t)f[mask + 9], 0xFF);
}

TEST_F(icon_fixture, WindowsIconGoesBeforeItsMarker) {
  memset(icon->pixels, 0, 128 * 128 * 4);
  tarq_row32(icon, 127)[0] = 0x80102030u;      // the bottom row comes first
  std::vector<uint8_t> program(120000, 0xAA);  // the block runs on past the marker
  const uint8_t marker[16] = {0xE8, 0xF1, 0xFF, 0xFF, 0xE8, 0xF1, 0xFF, 0xFF,
                              0x9C, 0x76, 0x83, 0xFF, 0x9C, 0x76, 0x83, 0xFF};
  memcpy(&program[30000], marker, 16);
  ASSERT_TRUE(inject_windows_icon(icon, program.data(), program.size()));
  size_t start = 30000 - 14632;
  EXPECT_EQ(program[start - 1], 0xAA);
  EXPECT_EQ(program[start + 0], 0x30);
  EXPECT_EQ(program[start + 1], 0x20);
  EXPECT_EQ(program[start + 2], 0x10);
  EXPECT_EQ(program[start + 3], 0x80);
  EXPECT_EQ(program[start + 128 * 128 * 4], 0xAA);

  std::vector<uint8_t> plain(80000, 0xAA);
  EXPECT_FALSE(inject_windows_icon(icon, plain.data(), plain.size()));
  EXPECT_EQ(plain, std::vector<uint8_t>(80000, 0xAA));
}

TEST(ExportPlist, NamesTheApplication) {
  tovo_test::temp_dir dir;
  std::string path = dir.file("Info.plist");
  ASSERT_EQ(create_plist_file(path.c_str(), "game"), 0);
  std::string text;
  ASSERT_TRUE(tovo_test::read_file(path, &text));
  EXPECT_NE(text.find("<plist version=\"1.0\">"), std::string::npos);
  EXPECT_NE(text.find("\t<key>CFBundleIconFile</key>\n\t<string>game.icns</string>"), std::string::npos);
  EXPECT_NE(text.find("<string>com.tovo_author.game</string>"), std::string::npos);
  EXPECT_NE(text.find("\t<key>NSSupportsAutomaticGraphicsSwitching</key>\n\t<string>TRUE</string>"), std::string::npos);

  ASSERT_EQ(create_plist_file(path.c_str(), "r&d <1>"), 0);
  ASSERT_TRUE(tovo_test::read_file(path, &text));
  EXPECT_NE(text.find("<string>r&amp;d &lt;1&gt;.icns</string>"), std::string::npos) << text;
}

}  // namespace
