// Cart images, picture carts, ROM files and the cart hash.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/formats/sha1.h"
#include "engine/platform/host.h"
#include "engine/platform/present.h"
#include "player/browser/splore.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/compress.h"
#include "player/cart/disk_state.h"
#include "tests/player/cart_fixture.h"
#include "tests/player/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

struct cart_ptr {
  tovo_cart* cart;
  explicit cart_ptr(tovo_cart* c) : cart(c) {}
  ~cart_ptr() { tarq_destroy_tovo_cart(cart); }
  tovo_cart* operator->() const { return cart; }
  tovo_cart* get() const { return cart; }
};

// Gives the 32 console colours distinct values, so labels map back exactly.
struct console_palette {
  tarq_palette* saved;
  tarq_palette own = {};
  console_palette() : saved(tarq_video.tarq_video_palette) {
    if (saved) own = *saved;
    for (int i = 0; i < 32; i++) {
      int index = i < 16 ? i : i + 112;
      own.rgb[index][0] = static_cast<uint8_t>(i * 8);
      own.rgb[index][1] = static_cast<uint8_t>(255 - i * 8);
      own.rgb[index][2] = static_cast<uint8_t>((i * 53) & 0xfc);
    }
    tarq_swap_video_palette(&own);
  }
  ~console_palette() { tarq_swap_video_palette(saved); }
};

std::string random_code(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, ' ');
  for (char& c : s) c = static_cast<char>(1 + rng() % 255);
  return s;
}

std::vector<uint8_t> payload_of(const tarq_bitmap* picture) {
  std::vector<uint8_t> payload(TOVO_CART_PAYLOAD_SIZE);
  const uint32_t* px = reinterpret_cast<const uint32_t*>(picture->pixels);
  for (int i = 0; i < TOVO_CART_PAYLOAD_SIZE; i++) {
    uint32_t p = px[i];
    payload[i] = static_cast<uint8_t>((p & 3) | ((p >> 8) & 3) << 2 | ((p >> 16) & 3) << 4 | (p >> 24 & 3) << 6);
  }
  return payload;
}

// Writes a picture of the given size whose pixels carry `payload`.
void write_picture(const std::string& path, const std::vector<uint8_t>& payload, int w = 160, int h = 205) {
  tarq_bitmap* b = tarq_create_bitmap(w, h, 32);
  uint32_t* px = reinterpret_cast<uint32_t*>(b->pixels);
  for (int i = 0; i < w * h; i++) {
    uint32_t v = i < static_cast<int>(payload.size()) ? payload[i] : 0;
    px[i] = 0xfc404040u | (v & 3) | ((v >> 2) & 3) << 8 | ((v >> 4) & 3) << 16 | ((v >> 6) & 3) << 24;
  }
  ASSERT_EQ(tarq_save_png(path.c_str(), b), 0);
  tarq_destroy_bitmap(b);
}

std::vector<uint8_t> payload_of_file(const std::string& path) {
  tarq_bitmap* picture = tarq_load_png(path.c_str());
  EXPECT_TRUE(picture);
  if (!picture) return {};
  std::vector<uint8_t> payload = payload_of(picture);
  tarq_destroy_bitmap(picture);
  return payload;
}

TEST(PictureCart, RoundTripKeepsRomCodeLabelAndVersion) {
  console_palette palette;
  tovo_test::temp_dir dir;
  for (std::string code : {std::string(), std::string("-- title\nprint(1)"), random_code(TOVO_CODE_AREA_SIZE, 1)}) {
    cart_ptr cart(tovo_test::make_full_cart(2000));
    strcpy(cart->code, code.c_str());
    std::string path = dir.file("game.kx.png");
    ASSERT_EQ(save_tovo_cart_png(cart.get(), path.c_str()), 0);
    cart_ptr back(load_tovo_cart_png(path.c_str()));
    ASSERT_TRUE(back.get()) << disk_state.png_cart_reason;
    EXPECT_EQ(disk_state.png_cart_reason, 0);
    EXPECT_EQ(back->version, 34);
    EXPECT_EQ(tovo_test::rom_bytes(back.get()), tovo_test::rom_bytes(cart.get()));
    EXPECT_EQ(std::string(back->code), code);
    ASSERT_TRUE(back->label);
    EXPECT_EQ(memcmp(back->label->pixels, cart->label->pixels, 128 * 128), 0);
  }
}

// The label of a cart file, as loading and the cart browser read it: a
// picture cart's label area (its name may end in ".png" in any case), a text
// cart's own label, and nothing for a text cart without one, a picture of
// another size or a missing file.
TEST(PictureCart, TheLabelOfACartFile) {
  console_palette palette;
  tovo_test::temp_dir dir;
  cart_ptr cart(tovo_test::make_full_cart(2000));
  ASSERT_TRUE(cart->label);
  ASSERT_EQ(save_tovo_cart_png(cart.get(), dir.file("game.kx.png").c_str()), 0);
  ASSERT_EQ(save_tovo_cart_png(cart.get(), dir.file("game.kx.PNG").c_str()), 0);
  ASSERT_EQ(tarq_save_tovo_cart(cart.get(), dir.file("game.kx").c_str()), 0);
  cart_ptr plain(tarq_create_tovo_cart());
  ASSERT_EQ(tarq_save_tovo_cart(plain.get(), dir.file("plain.kx").c_str()), 0);
  write_picture(dir.file("small.png"), {}, 128, 128);
  const struct {
    const char* name;
    bool has_label;
  } cases[] = {{"game.kx.png", true}, {"game.kx.PNG", true}, {"game.kx", true},
               {"plain.kx", false},   {"small.png", false},  {"missing.kx.png", false}};
  for (const auto& c : cases) {
    tarq_bitmap* label = create_label_from_file(dir.file(c.name).c_str());
    ASSERT_EQ(label != nullptr, c.has_label) << c.name;
    if (label) {
      EXPECT_EQ(label->width, 128) << c.name;
      EXPECT_EQ(memcmp(label->pixels, cart->label->pixels, 128 * 128), 0) << c.name;
    }
    tarq_destroy_bitmap(label);
  }
}

TEST(PictureCart, ThePixelsCarryTheImageAndTrailer) {
  tovo_test::temp_dir dir;
  cart_ptr cart(tovo_test::make_full_cart(1000));
  std::string path = dir.file("game.kx.png");
  ASSERT_EQ(save_tovo_cart_png(cart.get(), path.c_str()), 0);
  std::vector<uint8_t> payload = payload_of_file(path);
  std::vector<uint8_t> image(TOVO_CART_IMAGE_SIZE);
  ASSERT_EQ(save_tovo_cart_32k(cart.get(), image.data()), 0);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), payload.begin()));
  const uint8_t head[] = {34, 0, 2, 4, 'r', 0};
  EXPECT_EQ(memcmp(payload.data() + 0x8000, head, 6), 0);
  char digest[41];
  tarq_sha1(image.data(), image.size(), digest);
  char stored[41];
  for (int i = 0; i < 20; i++) snprintf(stored + i * 2, 3, "%02x", payload[0x8006 + i]);
  EXPECT_STREQ(stored, digest);
  for (int i = 0x801a; i < 0x8020; i++) EXPECT_EQ(payload[i], 0);
}

TEST(PictureCart, TheVisiblePictureStartsFromTheTemplate) {
  tovo_test::temp_dir dir;
  tarq_bitmap* templ = tarq_create_bitmap(160, 205, 32);
  for (int i = 0; i < 160 * 205; i++) reinterpret_cast<uint32_t*>(templ->pixels)[i] = 0xff8040c0;
  tovo_set_cart_template(templ);
  cart_ptr cart(tarq_create_tovo_cart());
  std::string path = dir.file("t.kx.png");
  EXPECT_EQ(save_tovo_cart_png(cart.get(), path.c_str()), 0);
  tovo_set_cart_template(nullptr);
  tarq_bitmap* picture = tarq_load_png(path.c_str());
  ASSERT_TRUE(picture);
  EXPECT_EQ(tarq_row32(picture, 200)[150] & 0xfcfcfcfc, 0xfc8040c0u);
  tarq_destroy_bitmap(picture);
  tarq_destroy_bitmap(templ);
}

TEST(PictureCart, CodeThatDoesNotFitWritesNothing) {
  tovo_test::temp_dir dir;
  cart_ptr cart(tarq_create_tovo_cart());
  std::string code = random_code(TOVO_CODE_AREA_SIZE + 1, 2);
  strcpy(cart->code, code.c_str());
  uint8_t block[TOVO_CODE_AREA_SIZE + 1];
  ASSERT_EQ(compress_mini(code.c_str(), block, static_cast<int32_t>(code.size())), TOVO_CODE_AREA_SIZE + 1);
  std::string path = dir.file("big.kx.png");
  EXPECT_EQ(save_tovo_cart_png(cart.get(), path.c_str()), 1);
  EXPECT_FALSE(tarq_file_exists(path.c_str()));
  EXPECT_EQ(save_tovo_cart_png(cart.get(), dir.file("no/folder.kx.png").c_str()), 1);
}

TEST(PictureCart, ReasonCodes) {
  tovo_test::temp_dir dir;
  cart_ptr source(tovo_test::make_full_cart(500));
  std::vector<uint8_t> good(TOVO_CART_PAYLOAD_SIZE);
  ASSERT_EQ(save_tovo_cart_32k(source.get(), good.data()), 0);
  good[0x8000] = 34;
  { std::ofstream(dir.file("text.kx.png")) << "not a picture at all"; }
  write_picture(dir.file("short.kx.png"), good, 160, 204);
  std::vector<uint8_t> future = good;
  future[0x8000] = 35;
  write_picture(dir.file("future.kx.png"), future);
  std::vector<uint8_t> digest = good;
  char hex[41];
  tarq_sha1(good.data(), TOVO_CART_IMAGE_SIZE, hex);
  for (int i = 0; i < 20; i++)
    digest[0x8006 + i] = static_cast<uint8_t>(std::stoi(std::string(hex + i * 2, 2), nullptr, 16));
  write_picture(dir.file("signed.kx.png"), digest);
  std::vector<uint8_t> edited = digest;
  edited[0x100] ^= 1;
  write_picture(dir.file("edited.kx.png"), edited);
  std::vector<uint8_t> unsigned_edit = good;
  unsigned_edit[0x100] ^= 1;
  write_picture(dir.file("unsigned.kx.png"), unsigned_edit);

  struct row {
    const char* name;
    int reason;
  };
  const row rows[] = {
      {"missing.kx.png", TOVO_PNG_CART_NO_FILE},  {"text.kx.png", TOVO_PNG_CART_NOT_PNG},
      {"short.kx.png", TOVO_PNG_CART_WRONG_SIZE}, {"future.kx.png", TOVO_PNG_CART_FUTURE},
      {"edited.kx.png", TOVO_PNG_CART_CORRUPT},   {"signed.kx.png", TOVO_PNG_CART_OK},
      {"unsigned.kx.png", TOVO_PNG_CART_OK},
  };
  for (const row& r : rows) {
    cart_ptr cart(load_tovo_cart_png(dir.file(r.name).c_str()));
    EXPECT_EQ(disk_state.png_cart_reason, r.reason) << r.name;
    EXPECT_EQ(cart.get() != nullptr, r.reason == 0) << r.name;
  }
  cart_ptr unsigned_cart(load_tovo_cart_png(dir.file("unsigned.kx.png").c_str()));
  EXPECT_EQ(tovo_peek(nullptr, unsigned_cart.get(), 0x100), static_cast<uint8_t>(good[0x100] ^ 1));

  console_capture console;
  cart_ptr refused(load_tovo_cart_png(dir.file("future.kx.png").c_str()));
  EXPECT_EQ(console.lines(), "future version: 35\n");
  cart_ptr edited_cart(load_tovo_cart_png(dir.file("edited.kx.png").c_str()));
  EXPECT_EQ(console.lines(), "cartridge data is corrupted\n");

  cconfig.accept_future = 1;
  cart_ptr accepted(load_tovo_cart_png(dir.file("future.kx.png").c_str()));
  cconfig.accept_future = 0;
  ASSERT_TRUE(accepted.get());
  EXPECT_EQ(accepted->version, 35);
  EXPECT_STREQ(message_bar.text, "loading future cart version");
  EXPECT_EQ(console.message_ms(), 1500);
}

TEST(RomFile, RoundTripAndShortOrLongFiles) {
  tovo_test::temp_dir dir;
  cart_ptr cart(tovo_test::make_full_cart(4000));
  std::string path = dir.file("game.rom");
  ASSERT_EQ(save_tovo_cart_rom(cart.get(), path.c_str()), 0);
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes.size(), 32768u);
  cart_ptr back(load_tovo_cart_rom(path.c_str()));
  ASSERT_TRUE(back.get());
  EXPECT_EQ(back->version, 34);
  EXPECT_EQ(tovo_test::rom_bytes(back.get()), tovo_test::rom_bytes(cart.get()));
  EXPECT_STREQ(back->code, cart->code);

  std::ofstream(dir.file("short.rom"), std::ios::binary) << bytes.substr(0, 100);
  cart_ptr short_cart(load_tovo_cart_rom(dir.file("short.rom").c_str()));
  ASSERT_TRUE(short_cart.get());
  std::string rom = tovo_test::rom_bytes(short_cart.get());
  EXPECT_EQ(rom.substr(0, 100), bytes.substr(0, 100));
  EXPECT_EQ(rom.substr(100), std::string(0x4300 - 100, '\0'));
  EXPECT_STREQ(short_cart->code, "");

  std::ofstream(dir.file("long.rom"), std::ios::binary) << bytes << "trailing bytes";
  cart_ptr long_cart(load_tovo_cart_rom(dir.file("long.rom").c_str()));
  ASSERT_TRUE(long_cart.get());
  EXPECT_STREQ(long_cart->code, cart->code);

  EXPECT_EQ(load_tovo_cart_rom(dir.file("missing.rom").c_str()), nullptr);
  strcpy(cart->code, random_code(TOVO_CODE_AREA_SIZE + 1, 3).c_str());
  EXPECT_EQ(save_tovo_cart_rom(cart.get(), dir.file("big.rom").c_str()), 1);
  EXPECT_FALSE(tarq_file_exists(dir.file("big.rom").c_str()));
}

TEST(CartImage, PlainAndOldFormatCodeAreas) {
  std::vector<uint8_t> image(TOVO_CART_IMAGE_SIZE);
  memcpy(image.data() + TOVO_CODE_AREA_START, "print(1)", 8);
  cart_ptr cart(tarq_create_tovo_cart());
  strcpy(cart->code, "old text that must go");
  load_tovo_cart_32k(cart.get(), image.data());
  EXPECT_STREQ(cart->code, "print(1)");

  const uint8_t old[] = {':', 'c', ':', 0, 0, 3, 0, 0, 36, 51, 3};
  memcpy(image.data() + TOVO_CODE_AREA_START, old, sizeof old);
  load_tovo_cart_32k(cart.get(), image.data());
  EXPECT_STREQ(cart->code, "x=0");
}

TEST(CartHash, IgnoresTheLabelAndFollowsCodeAndRom) {
  cart_ptr cart(tovo_test::make_full_cart(1000));
  std::string code = cart->code;
  char first[41], second[41];
  hash_cart(cart.get(), first);
  EXPECT_EQ(strlen(first), 40u);
  EXPECT_EQ(std::string(cart->code), code);

  cart->label->rows[5][5] ^= 1;
  hash_cart(cart.get(), second);
  EXPECT_STREQ(first, second);

  cart->code[10] ^= 1;
  hash_cart(cart.get(), second);
  EXPECT_STRNE(first, second);
  cart->code[10] ^= 1;

  tovo_poke(nullptr, cart.get(), 0x3000, tovo_peek(nullptr, cart.get(), 0x3000) ^ 1);
  hash_cart(cart.get(), second);
  EXPECT_STRNE(first, second);

  // By hand: the image with the compressed digest of the code.
  std::vector<uint8_t> image(TOVO_CART_IMAGE_SIZE);
  for (int a = 0; a < 0x4300; a++) image[a] = static_cast<uint8_t>(tovo_peek(nullptr, cart.get(), a));
  char code_digest[41];
  tarq_sha1(cart->code, strlen(cart->code), code_digest);
  compress_mini(code_digest, image.data() + TOVO_CODE_AREA_START, 40);
  char expected[41];
  tarq_sha1(image.data(), image.size(), expected);
  EXPECT_STREQ(second, expected);

  hash_cart(nullptr, second);
  EXPECT_EQ(std::string(second), std::string(40, '0'));
}

}  // namespace
