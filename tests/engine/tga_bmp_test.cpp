// TGA and BMP images: saving, loading back, and refusing bad files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/data/gfx.h"
#include "engine/formats/tga_bmp.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/platform/present.h"
#include "engine/tarq.h"
#include "tests/support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

bytes file_bytes(const std::string& path) {
  std::string s;
  EXPECT_TRUE(tovo_test::read_file(path, &s)) << path;
  return bytes(s.begin(), s.end());
}

void put_file(const std::string& path, const bytes& b) {
  ASSERT_TRUE(tovo_test::write_file(path, std::string(b.begin(), b.end())));
}

tarq_bitmap* tga_from(const bytes& b) {
  tarq_file* f = tarq_fopen_memory(b.data(), (int32_t)b.size());
  tarq_bitmap* bmp = tarq_load_tga_from_file(f, nullptr);
  tarq_fclose(f);
  return bmp;
}

tarq_bitmap* bmp_from(const bytes& b) {
  tarq_file* f = tarq_fopen_memory(b.data(), (int32_t)b.size());
  tarq_bitmap* bmp = tarq_load_bmp_from_file(f);
  tarq_fclose(f);
  return bmp;
}

// A TGA header for the given type, depth, size, descriptor and colour map.
bytes tga_header(int type, int depth, int w, int h, int descriptor = 0, int map_len = 0, int map_bits = 0) {
  bytes b(18, 0);
  b[1] = map_len ? 1 : 0;
  b[2] = (uint8_t)type;
  b[5] = (uint8_t)map_len;
  b[6] = (uint8_t)(map_len >> 8);
  b[7] = (uint8_t)map_bits;
  b[12] = (uint8_t)w;
  b[13] = (uint8_t)(w >> 8);
  b[14] = (uint8_t)h;
  b[15] = (uint8_t)(h >> 8);
  b[16] = (uint8_t)depth;
  b[17] = (uint8_t)descriptor;
  return b;
}

void put32(bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

bytes bmp_header(int32_t w, int32_t h, int bits = 24) {
  bytes b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, 54);
  put32(b, 14, 40);
  put32(b, 18, (uint32_t)w);
  put32(b, 22, (uint32_t)h);
  b[26] = 1;
  b[28] = (uint8_t)bits;
  return b;
}

struct Images : ::testing::Test {
  tovo_test::temp_dir dir;
  tarq_palette palette{};
  tarq_palette* saved_palette = tarq_video.tarq_video_palette;
  int32_t objects = tarq_loop.tarq_items_created;
  void SetUp() override {
    for (int i = 0; i < 256; i++) {
      palette.rgb[i][0] = (uint8_t)i;
      palette.rgb[i][1] = (uint8_t)(i + 1);
      palette.rgb[i][2] = (uint8_t)(i + 2);
    }
    tarq_swap_video_palette(&palette);
  }
  void TearDown() override {
    tarq_swap_video_palette(saved_palette);
    EXPECT_EQ(tarq_loop.tarq_items_created, objects);
  }
};

TEST_F(Images, Tga8BitSavesWithTheVideoPaletteAndLoadsBack) {
  tarq_bitmap* b = tarq_create_bitmap(2, 2, 8);
  b->rows[0][0] = 1;
  b->rows[0][1] = 2;
  b->rows[1][0] = 3;
  b->rows[1][1] = 4;
  std::string path = dir.file("a.tga");
  ASSERT_EQ(tarq_save_tga(path.c_str(), b), 0);
  bytes f = file_bytes(path);
  ASSERT_EQ(f.size(), 18u + 768 + 4);
  EXPECT_EQ(f[1], 1);
  EXPECT_EQ(f[2], 1);
  EXPECT_EQ(f[16], 8);
  EXPECT_EQ(f[18 + 3 * 5], 7);  // entry 5: blue, green, red
  EXPECT_EQ(f[18 + 3 * 5 + 2], 5);
  EXPECT_EQ(f[18 + 768], 3);  // the bottom-left pixel first

  tarq_bitmap* back = tarq_load_tga(path.c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->depth, 8);
  EXPECT_EQ(back->rows[0][0], 1);
  EXPECT_EQ(back->rows[1][1], 4);
  EXPECT_EQ(get_tga_palette()->rgb[5][0], 5);
  EXPECT_EQ(get_tga_palette()->rgb[5][2], 7);
  tarq_destroy_bitmap(back);
  tarq_destroy_bitmap(b);
}

TEST_F(Images, Tga32BitRoundTrip) {
  tarq_bitmap* b = tarq_create_bitmap(3, 2, 32);
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 3; x++) tarq_row32(b, y)[x] = 0x80102030u + (uint32_t)(y * 16 + x);
  std::string path = dir.file("b.tga");
  ASSERT_EQ(tarq_save_tga(path.c_str(), b), 0);
  bytes f = file_bytes(path);
  ASSERT_EQ(f.size(), 18u + 4 * 3 * 2);
  EXPECT_EQ(f[1], 0);
  EXPECT_EQ(f[2], 2);
  EXPECT_EQ(f[18], 0x30 + 16);  // bottom row, blue byte first
  EXPECT_EQ(f[21], 0x80);
  tarq_bitmap* back = tarq_load_image(path.c_str());  // not a BMP: read as TGA
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->depth, 32);
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 3; x++) EXPECT_EQ(tarq_row32(back, y)[x], tarq_row32(b, y)[x]);
  tarq_destroy_bitmap(back);
  tarq_destroy_bitmap(b);
}

TEST_F(Images, TgaTopLeftOriginAndImageId) {
  bytes f = tga_header(2, 32, 1, 2, 0x20);
  f[0] = 3;  // image id
  f.insert(f.end(), {'i', 'd', '!'});
  f.insert(f.end(), {1, 0, 0, 0, 2, 0, 0, 0});
  tarq_bitmap* b = tga_from(f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tarq_row32(b, 0)[0], 1u);  // the first stored row is the top row
  EXPECT_EQ(tarq_row32(b, 1)[0], 2u);
  tarq_destroy_bitmap(b);
}

TEST_F(Images, TgaColourMapsOfOtherSizesAreSkipped) {
  bytes f = tga_header(1, 8, 1, 1, 0, 2, 32);
  f.insert(f.end(), 8, 0xEE);
  f.push_back(9);
  tarq_bitmap* b = tga_from(f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->rows[0][0], 9);
  tarq_destroy_bitmap(b);

  // A 300-entry 24-bit map: the first 256 entries are kept.
  f = tga_header(1, 8, 1, 1, 0, 300, 24);
  for (int i = 0; i < 300; i++) f.insert(f.end(), {(uint8_t)i, 0, 0});
  f.push_back(7);
  b = tga_from(f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->rows[0][0], 7);
  EXPECT_EQ(get_tga_palette()->rgb[255][2], 255);
  tarq_destroy_bitmap(b);
}

TEST_F(Images, BadTgaFilesFailAndKeepThePalette) {
  tarq_palette before = *get_tga_palette();
  bytes good = tga_header(1, 8, 2, 2, 0, 1, 24);
  good.insert(good.end(), {1, 2, 3, 0, 0, 0, 0});
  bytes truncated_pixels(good.begin(), good.end() - 1);
  bytes bad_type = good;
  bad_type[2] = 10;  // run-length coded
  bytes bad_depth = good;
  bad_depth[16] = 16;
  bytes zero_width = tga_header(2, 32, 0, 5);
  bytes huge = tga_header(2, 32, 65535, 65535);
  bytes id_past_end = tga_header(2, 32, 1, 1);
  id_past_end[0] = 200;
  const bytes cases[] = {
      {}, bytes(good.begin(), good.begin() + 10), truncated_pixels, bad_type, bad_depth, zero_width, huge, id_past_end};
  for (const bytes& c : cases) EXPECT_EQ(tga_from(c), nullptr) << c.size();
  EXPECT_EQ(memcmp(get_tga_palette(), &before, sizeof before), 0);

  tarq_bitmap* b = tga_from(good);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(get_tga_palette()->rgb[0][0], 3);
  tarq_destroy_bitmap(b);
}

TEST_F(Images, SaversRefuse) {
  tarq_bitmap* b16 = tarq_create_bitmap(2, 2, 16);
  tarq_bitmap* b8 = tarq_create_bitmap(2, 2, 8);
  std::string path = dir.file("x");
  EXPECT_EQ(tarq_save_tga(path.c_str(), nullptr), 1);
  EXPECT_EQ(tarq_save_tga(path.c_str(), b16), 1);
  EXPECT_EQ(tarq_save_bmp(path.c_str(), nullptr), 1);
  EXPECT_EQ(tarq_save_bmp(path.c_str(), b8), 1);
  EXPECT_FALSE(tovo_test::file_exists(path));
  std::string no_dir = dir.file("missing/x");
  EXPECT_EQ(tarq_save_tga(no_dir.c_str(), b8), 1);
  tarq_destroy_bitmap(b16);
  tarq_destroy_bitmap(b8);
}

TEST_F(Images, BmpSavesUnpaddedRowsAndLoadsBack) {
  tarq_bitmap* b = tarq_create_bitmap(3, 1, 32);
  tarq_row32(b, 0)[0] = 0xFF112233u;
  tarq_row32(b, 0)[1] = 0x00445566u;
  tarq_row32(b, 0)[2] = 0xAA778899u;
  std::string path = dir.file("a.bmp");
  ASSERT_EQ(tarq_save_bmp(path.c_str(), b), 0);
  bytes f = file_bytes(path);
  ASSERT_EQ(f.size(), 63u);
  EXPECT_EQ(f[2], 63);
  EXPECT_EQ(f[34], 48);
  EXPECT_EQ(f[54], 0x33);
  EXPECT_EQ(f[56], 0x11);
  tarq_bitmap* back = tarq_load_image(path.c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->depth, 32);
  EXPECT_EQ(tarq_row32(back, 0)[0], 0x00112233u);
  EXPECT_EQ(tarq_row32(back, 0)[1], 0x00445566u);
  EXPECT_EQ(tarq_row32(back, 0)[2], 0x00778899u);
  tarq_destroy_bitmap(back);

  // Bottom row first; pixels outside the clip rectangle are written black.
  tarq_destroy_bitmap(b);
  b = tarq_create_bitmap(2, 2, 32);
  for (int i = 0; i < 4; i++) tarq_row32(b, i / 2)[i % 2] = 0x010101u * (uint32_t)(i + 1);
  tarq_set_clip(b, 0, 0, 1, 2);
  ASSERT_EQ(tarq_save_bmp(path.c_str(), b), 0);
  f = file_bytes(path);
  ASSERT_EQ(f.size(), 54u + 12);
  EXPECT_EQ(f[54], 3);  // (0, 1)
  EXPECT_EQ(f[57], 0);  // (1, 1), clipped
  EXPECT_EQ(f[60], 1);  // (0, 0)
  tarq_destroy_bitmap(b);
}

TEST_F(Images, BmpReadsPaddedRowsTopDownFilesAndFollowsTheDataOffset) {
  bytes f = bmp_header(1, 2);
  f.insert(f.end(), {1, 2, 3, 0, 4, 5, 6, 0});  // rows padded to four bytes
  tarq_bitmap* b = bmp_from(f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tarq_row32(b, 1)[0], 0x030201u);
  EXPECT_EQ(tarq_row32(b, 0)[0], 0x060504u);
  tarq_destroy_bitmap(b);

  f = bmp_header(1, -2);
  put32(f, 10, 58);
  f.insert(f.end(), {9, 9, 9, 9, 1, 2, 3, 4, 5, 6});
  b = bmp_from(f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tarq_row32(b, 0)[0], 0x030201u);
  EXPECT_EQ(tarq_row32(b, 1)[0], 0x060504u);
  tarq_destroy_bitmap(b);
}

TEST_F(Images, BadBmpFilesFail) {
  bytes good = bmp_header(2, 2);
  good.insert(good.end(), 12, 0x40);
  auto with = [&](size_t at, uint32_t v) {
    bytes b = good;
    put32(b, at, v);
    return b;
  };
  bytes not_bm = good;
  not_bm[1] = 'X';
  bytes bits32 = good;
  bits32[28] = 32;
  bytes huge = with(18, 0x7FFFFFFF);  // a size whose byte count passes 64 bits
  put32(huge, 22, 0x7FFFFFFF);
  const bytes cases[] = {{},
                         bytes(good.begin(), good.begin() + 53),
                         bytes(good.begin(), good.end() - 1),
                         not_bm,
                         bits32,
                         with(30, 1),            // compressed
                         with(46, 2),            // a colour table
                         with(18, 0),            // zero width
                         with(18, 0x80000000u),  // negative width
                         with(22, 0),            // zero height
                         with(22, 0x80000000u),
                         with(10, 20),     // data inside the header
                         with(10, 1000),   // data past the end
                         with(18, 40000),  // more rows than the file holds
                         huge};
  for (const bytes& c : cases) EXPECT_EQ(bmp_from(c), nullptr) << c.size();
  tarq_bitmap* b = bmp_from(good);
  ASSERT_NE(b, nullptr);
  tarq_destroy_bitmap(b);
}

TEST_F(Images, LoadersLogAndFindVirtualDiskFiles) {
  std::string log_path = dir.file("log.txt");
  FILE* log = fopen(log_path.c_str(), "w+");
  ASSERT_NE(log, nullptr);
  FILE* old_log = tarq_state.log_file;
  tarq_state.log_file = log;
  std::string missing = dir.file("none.tga");
  EXPECT_EQ(tarq_load_image(missing.c_str()), nullptr);
  bytes bad = tga_header(3, 8, 1, 1);
  put_file(dir.file("bad.tga"), bad);
  EXPECT_EQ(tarq_load_tga(dir.file("bad.tga").c_str()), nullptr);
  tarq_state.log_file = old_log;
  fclose(log);
  bytes text = file_bytes(log_path);
  std::string s(text.begin(), text.end());
  EXPECT_NE(s.find("tarq_load_bmp " + missing + " not found\n"), std::string::npos) << s;
  EXPECT_NE(s.find("tarq_load_tga " + missing + " not found\n"), std::string::npos) << s;
  EXPECT_NE(s.find("bad.tga [3 0]failed\n"), std::string::npos) << s;

  bytes tga = tga_header(2, 32, 1, 1);
  tga.insert(tga.end(), {1, 2, 3, 4});
  tarq_file* v = tarq_fopen_vdisk("h22_image.tga", "wb");
  ASSERT_NE(v, nullptr);
  tarq_fwrite(tga.data(), 1, tga.size(), v);
  tarq_fclose(v);
  tarq_bitmap* b = tarq_load_image("h22_image.tga");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tarq_row32(b, 0)[0], 0x04030201u);
  tarq_destroy_bitmap(b);
}

}  // namespace
