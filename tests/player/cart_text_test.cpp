// The text cart format: header and version rules, every section, the code
// limit and round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "console/machine/cart.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/platform/host.h"
#include "player/cart/cart_text.h"
#include "player/cart/cart_text_tools.h"
#include "player/cart/disk_state.h"
#include "tests/player/cart_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

std::string write_text(tovo_cart* cart) {
  tarq_file* f = tarq_fopen_vdisk("text_cart_test_out.kx", "w");
  EXPECT_EQ(tarq_save_tovo_cart_to_file(cart, f, 0), 0);
  std::string text(reinterpret_cast<char*>(f->data), static_cast<size_t>(f->size));
  tarq_fclose(f);
  return text;
}

tovo_cart* read_text(const std::string& text, int headerless = 0) {
  tarq_file* f = tarq_fopen_memory(text.data(), static_cast<int32_t>(text.size()));
  tovo_cart* cart = tarq_load_tovo_cart_from_file(f, headerless);
  tarq_fclose(f);
  return cart;
}

const std::string HEAD = "tovo cartridge // tovo.invalid\nversion 34\n";

struct cart_ptr {
  tovo_cart* cart;
  explicit cart_ptr(tovo_cart* c) : cart(c) {}
  ~cart_ptr() { tarq_destroy_tovo_cart(cart); }
  tovo_cart* operator->() const { return cart; }
  tovo_cart* get() const { return cart; }
};

TEST(TextCart, ANewCartIsWrittenAsTheHeaderAlone) {
  cart_ptr cart(tarq_create_tovo_cart());
  EXPECT_EQ(write_text(cart.get()), HEAD);
  cart_ptr back(read_text(HEAD));
  ASSERT_TRUE(back.get());
  EXPECT_EQ(back->version, 34);
  EXPECT_EQ(back->code[0], 0);
  tovo_test::expect_same_cart(cart.get(), back.get());
}

TEST(TextCart, AFullCartReadsBackTheSameAndWritesTheSameText) {
  for (size_t code_size : {size_t{1}, size_t{3000}, size_t{65533}}) {
    cart_ptr cart(tovo_test::make_full_cart(code_size));
    std::string text = write_text(cart.get());
    cart_ptr back(read_text(text));
    ASSERT_TRUE(back.get()) << disk_state.text_cart_reason;
    EXPECT_EQ(back->version, 34);
    tovo_test::expect_same_cart(cart.get(), back.get());
    EXPECT_EQ(write_text(back.get()), text);
  }
}

TEST(TextCart, SectionsAreWrittenInOrderAndOnlyWhenUsed) {
  cart_ptr cart(tarq_create_tovo_cart());
  cart->gff[3] = 0x100;  // only the low 8 bits count: empty
  cart->music[63][2] = 5;
  cart->sfx[2].notes[0].volume = 3;
  cart->map->rows[40][0] = 9;  // rows 32-63 belong to the sheet's half
  std::string text = write_text(cart.get());
  EXPECT_EQ(text.find("__gff__"), std::string::npos);
  EXPECT_EQ(text.find("__map__"), std::string::npos);
  EXPECT_EQ(text.find("__gfx__"), std::string::npos);
  size_t sfx = text.find("__sfx__\n");
  size_t music = text.find("__music__\n");
  ASSERT_NE(sfx, std::string::npos);
  ASSERT_LT(sfx, music);
  // sfx 0-2 are written, sfx 1 with its default speed 16.
  std::string sfx_lines = text.substr(sfx + 8, music - sfx - 8);
  EXPECT_EQ(std::count(sfx_lines.begin(), sfx_lines.end(), '\n'), 3);
  EXPECT_EQ(sfx_lines.substr(0, 8), "00010000");
  EXPECT_EQ(sfx_lines.substr(169, 8), "00100000");
  EXPECT_EQ(sfx_lines.substr(2 * 169 + 8, 5), "00030");
  // 64 patterns, the last with channel 2 at 5, then an empty line.
  std::string music_lines = text.substr(music + 10);
  EXPECT_EQ(std::count(music_lines.begin(), music_lines.end(), '\n'), 65);
  EXPECT_EQ(music_lines.substr(0, 12), "00 41424344\n");
  EXPECT_EQ(music_lines.substr(music_lines.size() - 13), "00 41420544\n\n");
}

TEST(TextCart, NoSoundEffectSettingIsDroppedOnWriting) {
  cart_ptr cart(tarq_create_tovo_cart());
  cart->sfx[63].flags = 0x06;  // filter switches alone
  cart_ptr back(read_text(write_text(cart.get())));
  ASSERT_TRUE(back.get());
  EXPECT_EQ(back->sfx[63].flags, 0x06);
  tovo_test::expect_same_cart(cart.get(), back.get());
}

TEST(TextCart, CustomNotesAndLabelLetters) {
  cart_ptr cart(tarq_create_tovo_cart());
  cart->sfx[0].notes[0] = {0x0c, 3, 5, 2, 128};
  cart->label = tarq_create_bitmap(128, 128, 8);
  cart->label->rows[0][0] = 130;
  cart->label->rows[0][1] = 15;
  std::string text = write_text(cart.get());
  // clang-format off
  EXPECT_NE(text.find("__sfx__\n00010000" "0cb52"), std::string::npos);
  // clang-format on
  EXPECT_NE(text.find("__label__\nif0"), std::string::npos);
  cart_ptr back(read_text(text));
  ASSERT_TRUE(back.get());
  EXPECT_EQ(back->sfx[0].notes[0].waveform, 3);
  EXPECT_EQ(back->sfx[0].notes[0].custom, 128);
  EXPECT_EQ(back->label->rows[0][0], 130);
  tovo_test::expect_same_cart(cart.get(), back.get());
}

TEST(TextCart, HeaderRules) {
  struct row {
    std::string first_line;
    bool loads;
  };
  const row rows[] = {
      {"tovo cartridge // tovo.invalid", true},
      {"tovo cartridge", true},
      // clang-format off
      {"xy" "tovo cartridge // anything", true},
      // clang-format on
      {"\xef\xbb\xbftovo cartridge", true},  // a byte-order mark before it
      // clang-format off
      {"at" "tovo cartridge", false},            // the first 't' must start the words
      {"tovo cart", false},
      // clang-format on
      {"", false},
  };
  for (const row& r : rows) {
    cart_ptr cart(read_text(r.first_line + "\nversion 34\n__lua__\nx=1\n"));
    EXPECT_EQ(cart.get() != nullptr, r.loads) << r.first_line;
    EXPECT_EQ(disk_state.text_cart_reason, 0);
  }
}

TEST(TextCart, VersionRules) {
  cart_ptr future(read_text("tovo cartridge\nversion 35\n"));
  EXPECT_EQ(future.get(), nullptr);
  EXPECT_EQ(disk_state.text_cart_reason, TOVO_TEXT_CART_FUTURE);

  cconfig.accept_future = 1;
  cart_ptr accepted(read_text("tovo cartridge\nversion 35\n"));
  cconfig.accept_future = 0;
  ASSERT_TRUE(accepted.get());
  EXPECT_EQ(accepted->version, 35);
  EXPECT_EQ(disk_state.text_cart_reason, 0);

  cart_ptr none(read_text("tovo cartridge\n__lua__\n"));
  ASSERT_TRUE(none.get());
  EXPECT_EQ(none->version, 0);
  cart_ptr huge(read_text("tovo cartridge\nversion 99999999999999999999\n"));
  EXPECT_EQ(huge.get(), nullptr);
}

TEST(TextCart, CodeLimit) {
  // 65535 characters with the newlines between lines load; one more does not.
  std::string line(99, 'a');
  std::string code;
  while (code.size() + 100 <= 65535) code += line + "\n";
  code += std::string(65535 - code.size(), 'b');
  ASSERT_EQ(code.size(), 65535u);
  cart_ptr fits(read_text(HEAD + "__lua__\n" + code + "\n"));
  ASSERT_TRUE(fits.get());
  EXPECT_EQ(std::string(fits->code), code);

  cart_ptr over(read_text(HEAD + "__lua__\n" + code + "c\n"));
  EXPECT_EQ(over.get(), nullptr);
  EXPECT_EQ(disk_state.text_cart_reason, TOVO_TEXT_CART_TOO_LONG);
  cart_ptr over_by_newline(read_text(HEAD + "__lua__\n" + code + "\nc\n"));
  EXPECT_EQ(over_by_newline.get(), nullptr);
}

TEST(TextCart, NoCodeCharacterIsLostAtTheEndOfTheStream) {
  struct row {
    std::string file_code;
    std::string code;
  };
  const row rows[] = {
      {"print(1)", "print(1)"},  // no newline before the end of the file
      {"print(1)\n", "print(1)"}, {"print(1)\n\n", "print(1)\n"},
      {"a\r\nb\r\n", "a\nb"},  // CR LF line ends
      {"a\rb", "a\nb"},           {"\n", ""},
  };
  for (const row& r : rows) {
    cart_ptr cart(read_text(HEAD + "__lua__\n" + r.file_code));
    ASSERT_TRUE(cart.get());
    EXPECT_EQ(std::string(cart->code), r.code) << r.file_code;
  }
}

TEST(TextCart, GlyphsAndCapitalsSurviveTheTextForm) {
  cart_ptr cart(tarq_create_tovo_cart());
  std::string code = "Print(\"\x80\x8f\x99\xcc\xfe\xff\x01\x0f\x10\x1f\x7f\")\tEND";
  strcpy(cart->code, code.c_str());
  std::string text = write_text(cart.get());
  cart_ptr back(read_text(text));
  ASSERT_TRUE(back.get());
  EXPECT_EQ(std::string(back->code), code);
}

TEST(TextCart, OldVersionsAndShortLines) {
  std::string text = "tovo cartridge\nversion 2\n__gff__\n0123456789abcdef" + std::string(112, '1') +
                     "\n__music__\n00010203\n05000000\n__sfx__\n0a10\n__gfx__\n12x4\n__map__\n0a0G\n";
  cart_ptr cart(read_text(text));
  ASSERT_TRUE(cart.get());
  for (int i = 0; i < 16; i++) EXPECT_EQ(cart->gff[i], i);
  EXPECT_EQ(cart->gff[16], 1);
  EXPECT_EQ(cart->gff[128], 0);
  EXPECT_EQ(cart->music_flags[0], 0);
  EXPECT_EQ(cart->music[0][0], 0x41);  // 00 in a version 3 or older cart
  EXPECT_EQ(cart->music[0][1], 1);
  EXPECT_EQ(cart->music[1][0], 5);
  EXPECT_EQ(cart->music[1][1], 0x41);
  EXPECT_EQ(cart->music[2][0], 0x41);  // not in the file
  EXPECT_EQ(cart->sfx[0].flag0, 0);
  EXPECT_EQ(cart->sfx[0].flags, 0x0a);
  EXPECT_EQ(cart->sfx[0].speed, 0x10);
  EXPECT_EQ(cart->sfx[0].loop_start, 0);
  EXPECT_EQ(cart->sfx[1].speed, 16);
  EXPECT_EQ(cart->gfx->rows[0][0], 1);
  EXPECT_EQ(cart->gfx->rows[0][2], 0);
  EXPECT_EQ(cart->gfx->rows[0][3], 4);
  EXPECT_EQ(cart->gfx->rows[0][4], 0);
  EXPECT_EQ(cart->map->rows[0][0], 0x0a);
  EXPECT_EQ(cart->map->rows[0][1], 0x00);  // "0G": G is no lower-case digit
}

TEST(TextCart, MusicKeepsItsDefaultsOnEmptyLines) {
  cart_ptr cart(read_text(HEAD + "__music__\n01 01020304\n\n"));
  ASSERT_TRUE(cart.get());
  EXPECT_EQ(cart->music_flags[0], 1);
  EXPECT_EQ(cart->music[0][3], 4);
  for (int c = 0; c < 4; c++) EXPECT_EQ(cart->music[1][c], 0x41 + c);
}

TEST(TextCart, SectionNamesEndMarkAndChangeMask) {
  std::string mask(TOVO_CHANGE_MASK_SIZE * 2, '0');
  mask.replace(0, 4, "ff7f");
  std::string text = HEAD + "ignored\n__lua__ trailing words\ncode\n__change_mask__\n" + mask +
                     "\nnot code\n__lua__\nmore\n##end_kx\n__gfx__\n1111\n";
  cart_ptr cart(read_text(text));
  ASSERT_TRUE(cart.get());
  EXPECT_STREQ(cart->code, "code\nmore");
  EXPECT_EQ(cart->change_mask[0], 0xff);
  EXPECT_EQ(cart->change_mask[1], 0x7f);
  EXPECT_EQ(cart->change_mask[2], 0);
  EXPECT_EQ(cart->gfx->rows[0][0], 0);
}

TEST(TextCart, HeaderlessStreams) {
  cart_ptr cart(read_text("__lua__\nx=1\n", 1));
  ASSERT_TRUE(cart.get());
  EXPECT_EQ(cart->version, 34);
  EXPECT_STREQ(cart->code, "x=1");
  EXPECT_EQ(read_text("__lua__\nx=1\n", 0), nullptr);

  tarq_file* f = tarq_fopen_vdisk("headerless_out.kx", "w");
  cart_ptr source(tovo_test::make_full_cart(100));
  tarq_save_tovo_cart_to_file(source.get(), f, 1);
  std::string text(reinterpret_cast<char*>(f->data), static_cast<size_t>(f->size));
  EXPECT_EQ(text.rfind("__lua__\n", 0), 0u);
  cart_ptr back(read_text(text, 1));
  tovo_test::expect_same_cart(source.get(), back.get());
}

TEST(TextCart, FilesAreWrittenWhole) {
  tovo_test::temp_dir dir;
  cart_ptr cart(tovo_test::make_full_cart());
  std::string path = dir.file("game.kx");
  EXPECT_EQ(tarq_save_tovo_cart(cart.get(), path.c_str()), 0);
  cart_ptr back(tarq_load_tovo_cart(path.c_str()));
  tovo_test::expect_same_cart(cart.get(), back.get());
  EXPECT_FALSE(tarq_file_exists((path + ".tmp").c_str()));
  EXPECT_EQ(tarq_save_tovo_cart(cart.get(), dir.file("no/such/folder.kx").c_str()), 1);
  EXPECT_EQ(tarq_load_tovo_cart(dir.file("missing.kx").c_str()), nullptr);
}

TEST(TextCart, VersionGuess) {
  struct row {
    const char* code;
    int32_t version;
  };
  const row rows[] = {
      {"[[text]]", 9},     {"x = [[a]]", 9},    {"--[[ comment ]]", 8},  {"printh(a, b)", 10}, {"printh(f(a, b))", 8},
      {"printh \"x\"", 8}, {"printh\"x\"", 10}, {"printh(\"a,b\")", 10}, {"print(1)", 8},
  };
  for (const row& r : rows) EXPECT_EQ(tarq_determine_cart_version(r.code), r.version) << r.code;
}

}  // namespace
