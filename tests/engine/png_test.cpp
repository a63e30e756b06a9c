#include <gtest/gtest.h>
#include <lodepng.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/data/gfx.h"
#include "engine/formats/compressed_blocks.h"
#include "engine/formats/lodepng_adapter.h"
#include "engine/formats/png.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/platform/present.h"
#include "tests/support/png_forge.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

std::string encode_rgba(const std::vector<unsigned char>& rgba, unsigned w, unsigned h) {
  unsigned char* out = nullptr;
  size_t size = 0;
  EXPECT_EQ(lodepng_encode32(&out, &size, rgba.data(), w, h), 0u);
  std::string s((const char*)out, size);
  free(out);
  return s;
}

uint32_t pixel32(const tarq_bitmap* b, int x, int y) { return tarq_row32(b, y)[x]; }

// The IHDR of a picture of any size, with a valid CRC, and nothing after it.
std::string header_only_png(uint32_t w, uint32_t h) {
  std::vector<unsigned char> rgba(4, 0);
  std::string png = encode_rgba(rgba, 1, 1);
  std::string out = png.substr(0, 33);
  for (int i = 0; i < 4; i++) {
    out[16 + i] = (char)(w >> (24 - 8 * i));
    out[20 + i] = (char)(h >> (24 - 8 * i));
  }
  unsigned crc = lodepng_crc32((const unsigned char*)out.data() + 12, 17);
  for (int i = 0; i < 4; i++) out[29 + i] = (char)(crc >> (24 - 8 * i));
  return out + png.substr(33);
}

}  // namespace

TEST(EnginePng, LoadsFromMemoryAndSwapsRedAndBlue) {
  std::string png = encode_rgba({0x11, 0x22, 0x33, 0x44}, 1, 1);
  tarq_file* f = tarq_fopen_memory(png.data(), (int32_t)png.size());
  f->pos = 5;
  tarq_bitmap* b = tarq_load_png_from_file(f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->depth, 32);
  EXPECT_EQ(pixel32(b, 0, 0), 0x44112233u);
  EXPECT_EQ(f->pos, 0);  // a memory stream is decoded in place from its start
  tarq_destroy_bitmap(b);
  tarq_fclose(f);
  EXPECT_EQ(tarq_load_png_from_file(nullptr), nullptr);
  unsigned char* px;
  unsigned w, h;
  EXPECT_EQ(LodePNG_decode32_tarq_file(&px, &w, &h, nullptr), TARQ_PNG_NO_STREAM);
}

TEST(EnginePng, RefusesSizesBeforeDecoding) {
  for (auto size : {std::pair<uint32_t, uint32_t>{16385, 1}, {1, 16385}, {100000, 100000}, {0, 5}}) {
    std::string png = header_only_png(size.first, size.second);
    tarq_file* f = tarq_fopen_memory(png.data(), (int32_t)png.size());
    unsigned char* px = nullptr;
    unsigned w, h;
    unsigned error = LodePNG_decode32_tarq_file(&px, &w, &h, f);
    EXPECT_NE(error, 0u);
    if (size.first != 0) {
      EXPECT_EQ(error, TARQ_PNG_BAD_SIZE) << size.first << "x" << size.second;
    }
    EXPECT_EQ(px, nullptr);
    EXPECT_EQ(tarq_load_png_from_file(f), nullptr);
    tarq_fclose(f);
  }
  // A real picture 16385 pixels wide is refused as well; 16384 is fine.
  for (unsigned w : {16385u, 16384u}) {
    std::string png = encode_rgba(std::vector<unsigned char>(w * 4, 9), w, 1);
    tarq_file* f = tarq_fopen_memory(png.data(), (int32_t)png.size());
    tarq_bitmap* b = tarq_load_png_from_file(f);
    EXPECT_EQ(b != nullptr, w == 16384u);
    tarq_destroy_bitmap(b);
    tarq_fclose(f);
  }
  // Garbage and truncated pictures give null.
  std::string png = encode_rgba(std::vector<unsigned char>(64 * 4, 1), 8, 8);
  for (size_t cut : {(size_t)0, (size_t)8, (size_t)40, png.size() - 1}) {
    std::string part = png.substr(0, cut);
    tarq_file* f = tarq_fopen_memory(part.data(), (int32_t)part.size());
    EXPECT_EQ(tarq_load_png_from_file(f), nullptr) << cut;
    tarq_fclose(f);
  }
}

TEST(EnginePng, StdioStreams) {
  tovo_test::temp_dir dir;
  std::string png = encode_rgba({1, 2, 3, 255, 4, 5, 6, 128}, 2, 1);
  std::string path = dir.file("p.png");
  ASSERT_TRUE(tovo_test::write_file(path, png));
  tarq_file* f = tarq_fopen(path.c_str(), "rb");
  char skip[10];
  tarq_fread(skip, 1, 10, f);  // already partly read
  tarq_bitmap* b = tarq_load_png_from_file(f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(pixel32(b, 1, 0), 0x80040506u);
  tarq_destroy_bitmap(b);
  EXPECT_EQ(tarq_fgetc(f), EOF);  // left at the end of the file
  tarq_fclose(f);

  b = tarq_load_png(path.c_str());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->width, 2);
  tarq_destroy_bitmap(b);
  EXPECT_EQ(tarq_load_png(dir.file("none.png").c_str()), nullptr);

  // A file above 256 MiB is not read (a sparse file costs no disk).
  std::string big = dir.file("big.png");
  ASSERT_TRUE(tovo_test::write_file(big, png));
  ASSERT_EQ(truncate(big.c_str(), TARQ_PNG_MAX_FILE + 1), 0);
  f = tarq_fopen(big.c_str(), "rb");
  unsigned char* px;
  unsigned w, h;
  EXPECT_EQ(LodePNG_decode32_tarq_file(&px, &w, &h, f), TARQ_PNG_FILE_TOO_LARGE);
  tarq_fclose(f);
}

TEST(EnginePng, SavesBothDepths) {
  tovo_test::temp_dir dir;
  tarq_bitmap* b32 = tarq_create_bitmap(3, 2, 32);
  tarq_row32(b32, 1)[2] = 0x80FF2010u;
  std::string path = dir.file("s32.png");
  EXPECT_EQ(tarq_save_png(path.c_str(), b32), 0);
  tarq_bitmap* back = tarq_load_png(path.c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(pixel32(back, 2, 1), 0x80FF2010u);
  tarq_destroy_bitmap(back);

  // 8-bit pictures are written through the current video palette.
  tarq_palette* saved = tarq_video.tarq_video_palette;
  tarq_palette* pal = tarq_create_palette();
  pal->rgb[5][0] = 0xAA;
  pal->rgb[5][1] = 0xBB;
  pal->rgb[5][2] = 0xCC;
  tarq_swap_video_palette(pal);
  tarq_bitmap* b8 = tarq_create_bitmap(2, 2, 8);
  b8->rows[1][0] = 5;
  path = dir.file("s8.png");
  EXPECT_EQ(tarq_save_png(path.c_str(), b8), 0);
  tarq_swap_video_palette(saved);
  back = tarq_load_png(path.c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(pixel32(back, 0, 1), 0xFFAABBCCu);
  EXPECT_EQ(pixel32(back, 0, 0) >> 24, 0u);  // index 0 is transparent
  tarq_destroy_bitmap(back);

  // A save that fails says so.
  EXPECT_NE(tarq_save_png(dir.file("no/such/folder/x.png").c_str(), b32), 0);
  tarq_destroy_bitmap(b8);
  tarq_destroy_bitmap(b32);
  tarq_destroy_palette(pal);
}

TEST(EnginePng, ZlibBlocks) {
  std::string text;
  for (int i = 0; i < 5000; i++) text += (char)('a' + i % 7);
  for (unsigned window : {512u, 32768u}) {
    tarq_set_zlib_window_size(window);
    unsigned char* z = nullptr;
    size_t zsize = 0;
    ASSERT_EQ(tarq_compress((const unsigned char*)text.data(), text.size(), &z, &zsize), 0u);
    EXPECT_LT(zsize, text.size() / 10);
    unsigned char* back = nullptr;
    size_t back_size = 0;
    ASSERT_EQ(tarq_decompress(z, zsize, &back, &back_size), 0u);
    EXPECT_EQ(std::string((const char*)back, back_size), text);
    free(back);
    // A damaged stream is reported.
    z[zsize / 2] ^= 0x55;
    z[zsize - 1] ^= 0x55;
    back = nullptr;
    EXPECT_NE(tarq_decompress(z, zsize, &back, &back_size), 0u);
    free(back);
    free(z);
  }
  tarq_set_zlib_window_size(512);
}

// The decoder stops inflating a picture's data at the size its header
// allows: a small file whose data inflates to 128 MiB costs no more memory
// than the picture it claims to be.
TEST(EnginePng, DataInflatingPastItsHeaderIsStoppedEarly) {
  const size_t inflated = 128u << 20;
  std::string png = tovo_test::forged_png(160, 205, 8, 6, inflated);
  ASSERT_LT(png.size(), 512u * 1024);
  ASSERT_TRUE(tovo_test::reset_peak_resident());
  const long before = tovo_test::resident_kb();
  unsigned char* px = nullptr;
  unsigned w = 0, h = 0;
  EXPECT_NE(LodePNG_decode(&px, &w, &h, (const unsigned char*)png.data(), png.size(), LODEPNG_COLOUR_RGBA, 8), 0u);
  EXPECT_EQ(px, nullptr);
  const long grown_kb = tovo_test::peak_resident_kb() - before;
  EXPECT_LT(grown_kb, 32 * 1024) << "KiB more at the peak";
}

// The limit leaves every honest picture alone: interlaced or not, at any
// bit depth.
TEST(EnginePng, PicturesOfEveryLayoutStillDecode) {
  struct layout {
    LodePNGColorType colour;
    unsigned depth;
  };
  for (layout l : {layout{LCT_RGBA, 8}, layout{LCT_RGBA, 16}, layout{LCT_GREY, 1}, layout{LCT_GREY, 4}}) {
    for (unsigned interlace : {0u, 1u}) {
      for (auto size : {std::pair<unsigned, unsigned>{1, 1}, {7, 3}, {33, 17}, {160, 205}}) {
        LodePNGState state;
        lodepng_state_init(&state);
        state.info_raw.colortype = LCT_RGBA;
        state.info_raw.bitdepth = 8;
        state.info_png.color.colortype = l.colour;
        state.info_png.color.bitdepth = l.depth;
        state.info_png.interlace_method = interlace;
        state.encoder.auto_convert = 0;
        std::vector<unsigned char> rgba((size_t)size.first * size.second * 4, 255);
        for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = (unsigned char)((i / 4 % 2) * 16);
        if (l.colour == LCT_GREY)
          for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = rgba[i + 1] = rgba[i + 2] = rgba[i] ? 255 : 0;
        unsigned char* out = nullptr;
        size_t out_size = 0;
        ASSERT_EQ(lodepng_encode(&out, &out_size, rgba.data(), size.first, size.second, &state), 0u);
        lodepng_state_cleanup(&state);
        unsigned char* px = nullptr;
        unsigned w = 0, h = 0;
        EXPECT_EQ(LodePNG_decode(&px, &w, &h, out, out_size, LODEPNG_COLOUR_RGBA, 8), 0u)
            << l.colour << "/" << l.depth << " interlace " << interlace << " " << size.first << "x" << size.second;
        EXPECT_EQ(w, size.first);
        EXPECT_EQ(h, size.second);
        free(px);
        free(out);
      }
    }
  }
}
