// Clipboard codes: the exact texts, round trips through each reader,
// malformed codes refused, and the cart-file hex converters.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/ctext.h"
#include "engine/data/gfx.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_png.h"
#include "player/clipboard/activity_log.h"
#include "player/clipboard/clip_cart.h"
#include "player/clipboard/clip_codes.h"
#include "player/debug_tools.h"
#include "player/help_topic.h"
#include "player/shell_state.h"
#include "tests/player/cart_fixture.h"
#include "tests/player/disk_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

std::string hex_of(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (unsigned char c : bytes) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

std::string sfx_code(tovo_cart* cart, int32_t n) {
  std::vector<char> out(TOVO_CLIP_CODE_SIZE);
  convert_sfxes_to_bbs_code(cart, n, out.data(), out.size(), 0);
  return out.data();
}

std::string pattern_code(tovo_cart* cart, int32_t p) {
  std::vector<char> out(TOVO_CLIP_CODE_SIZE);
  convert_patterns_to_bbs_code(cart, p, out.data(), out.size(), 0);
  return out.data();
}

std::string bmp_code(const tarq_bitmap* b) {
  std::vector<char> out(TOVO_CLIP_CODE_SIZE);
  convert_bmp_to_bbs_code(b, out.data(), out.size(), 0);
  return out.data();
}

// The 68 memory bytes of a sound effect as digits.
std::string sfx_digits(tovo_cart* cart, int index) {
  return hex_of(tovo_test::rom_bytes(cart).substr(0x3200 + 68 * index, 68));
}

struct clip_codes : ::testing::Test {
  void SetUp() override { cart = tarq_create_tovo_cart(); }
  void TearDown() override { tarq_destroy_tovo_cart(cart); }
  tovo_cart* cart = nullptr;
};

TEST_F(clip_codes, sound_effects_code_lists_each_effect_with_its_index) {
  for (int i = 0; i < 68; i++) tovo_poke(nullptr, cart, 0x3200 + 68 + i, i * 3 + 1);
  std::string expected = "[sfx]0300";
  for (int i = 0; i < 3; i++) expected += "0" + std::to_string(i) + sfx_digits(cart, i);
  expected += "[/sfx]";
  EXPECT_EQ(sfx_code(cart, 3), expected);
  EXPECT_EQ(expected.size(), 9u + 3 * 138 + 6);
}

TEST_F(clip_codes, sound_effects_round_trip_through_a_new_cart) {
  tovo_cart* full = tovo_test::make_full_cart();
  std::string code = sfx_code(full, 64);
  tovo_cart* song = convert_bbs_code_to_song(("pasted: " + code + " trailing").c_str());
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(tovo_test::rom_bytes(song).substr(0x3200), tovo_test::rom_bytes(full).substr(0x3200));
  EXPECT_EQ(song->gff[0], 64);
  EXPECT_EQ(song->gff[1], 0);
  tarq_destroy_tovo_cart(song);
  tarq_destroy_tovo_cart(full);
}

TEST_F(clip_codes, readers_accept_capital_digits) {
  tovo_poke(nullptr, cart, 0x3200 + 5, 0xab);
  std::string code = sfx_code(cart, 1);
  for (size_t i = 5; i + 6 < code.size(); i++)
    if (code[i] >= 'a' && code[i] <= 'f') code[i] = (char)(code[i] - 'a' + 'A');
  tovo_cart* song = convert_bbs_code_to_song(code.c_str());
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(tovo_peek(nullptr, song, 0x3200 + 5), 0xab);
  EXPECT_EQ(song->gff[0], 1);
  tarq_destroy_tovo_cart(song);
}

TEST_F(clip_codes, patterns_of_disabled_channels_list_no_effects) {
  EXPECT_EQ(pattern_code(cart, 2), "[sfx]0002414243440414243440[/sfx]");
}

TEST_F(clip_codes, patterns_list_instruments_first_and_each_effect_once) {
  // Patterns 0 and 1 both play sfx 5; one of its notes plays instrument 2,
  // which channel 1 of pattern 1 also names.
  cart->sfx[5].notes[3].custom = 128;
  cart->sfx[5].notes[3].waveform = 2;
  cart->sfx[5].notes[4].custom = 128;
  cart->sfx[5].notes[4].waveform = 2;
  tovo_poke(nullptr, cart, 0x3100 + 0, 5 | 0x80);
  tovo_poke(nullptr, cart, 0x3100 + 4, 5);
  tovo_poke(nullptr, cart, 0x3100 + 5, 2 | 0x80);
  std::string expected = "[sfx]0202" + std::string("02") + sfx_digits(cart, 2) + "05" + sfx_digits(cart, 5) +
                         "054243441" + "050243442" + "[/sfx]";
  EXPECT_EQ(pattern_code(cart, 2), expected);
}

TEST_F(clip_codes, patterns_round_trip_with_their_effects_and_flags) {
  tovo_cart* full = tovo_test::make_full_cart();
  std::string code = pattern_code(full, 64);
  tovo_cart* song = convert_bbs_code_to_song(code.c_str());
  ASSERT_NE(song, nullptr);
  std::string a = tovo_test::rom_bytes(song), b = tovo_test::rom_bytes(full);
  EXPECT_EQ(a.substr(0x3100, 0x100), b.substr(0x3100, 0x100));
  for (int p = 0; p < 64; p++)
    for (int c = 0; c < 4; c++) {
      int s = full->music[p][c];
      if (s < 0x40) {
        EXPECT_EQ(sfx_digits(song, s), sfx_digits(full, s)) << "sfx " << s;
      }
    }
  EXPECT_EQ(song->gff[0], 64);
  EXPECT_EQ(song->gff[1], 64);
  tarq_destroy_tovo_cart(song);
  tarq_destroy_tovo_cart(full);
}

TEST_F(clip_codes, malformed_sound_codes_are_refused) {
  std::string block = "00" + std::string(136, '0');
  const std::vector<std::string> cases = {
      "",
      "no code here",
      "[sfx]",
      "[sfx]01",
      "[sfx]0g00",
      "[sfx]4100",                         // more effects than there are
      "[sfx]0041",                         // more patterns than there are
      "[sfx]0100" + block.substr(0, 100),  // block cut short
      "[sfx]0100" + block.substr(0, 137) + "[/sfx]",
      "[sfx]0100" + block.substr(0, 50) + "x" + block.substr(51),
      "[sfx]000141424344[/sfx]",  // pattern without its flag digit
      "[sfx]000141424g440[/sfx]",
  };
  for (const std::string& text : cases) {
    tovo_cart* song = convert_bbs_code_to_song(text.c_str());
    EXPECT_EQ(song, nullptr) << text;
    tarq_destroy_tovo_cart(song);
  }
}

TEST(clip_gfx, selection_code_and_round_trip) {
  tarq_bitmap* b = tarq_create_bitmap(16, 8, 8);
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 16; x++) b->rows[y][x] = (uint8_t)(x * 7 + y + 16 * (x & 1));
  std::string digits;
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 16; x++) digits += "0123456789abcdef"[(x * 7 + y) & 15];
  std::string code = bmp_code(b);
  EXPECT_EQ(code, "[gfx]1008" + digits + "[/gfx]");
  tarq_bitmap* back = convert_bbs_code_to_bmp(code.c_str());
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->width, 16);
  ASSERT_EQ(back->height, 8);
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 16; x++) EXPECT_EQ(back->rows[y][x], b->rows[y][x] & 15);
  tarq_destroy_bitmap(back);
  tarq_destroy_bitmap(b);
}

TEST(clip_gfx, short_code_leaves_zeros_and_non_digits_read_as_zero) {
  tarq_bitmap* b = convert_bbs_code_to_bmp("x[gfx]0302F1z2");
  ASSERT_NE(b, nullptr);
  const uint8_t expected[6] = {15, 1, 0, 2, 0, 0};
  for (int k = 0; k < 6; k++) EXPECT_EQ(b->rows[k / 3][k % 3], expected[k]) << k;
  tarq_destroy_bitmap(b);
  b = convert_bbs_code_to_bmp("[gfx]020255[/gfx]");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->rows[1][0], 0);
  tarq_destroy_bitmap(b);
}

TEST(clip_gfx, malformed_selection_codes_are_refused) {
  for (const char* text : {"", "[gfx]", "[gfx]10", "[gfx]1g08", "[gfx]0008", "[gfx]1000", "gfx]0101"})
    EXPECT_EQ(convert_bbs_code_to_bmp(text), nullptr) << text;
}

TEST(clip_gfx, large_bitmap_writes_its_top_left_255_square) {
  tarq_bitmap* b = tarq_create_bitmap(300, 2, 8);
  b->rows[1][254] = 9;
  std::string code = bmp_code(b);
  EXPECT_EQ(code.substr(0, 9), "[gfx]ff02");
  EXPECT_EQ(code.size(), 9u + 510 + 6);
  EXPECT_EQ(code[9 + 255 + 254], '9');
  tarq_destroy_bitmap(b);
}

TEST(clip_writer, given_buffer_is_cut_to_fit_and_clipboard_used_otherwise) {
  tovo_cart* cart = tarq_create_tovo_cart();
  char small[12];
  convert_sfxes_to_bbs_code(cart, 2, small, sizeof small, 0);
  EXPECT_STREQ(small, "[sfx]020000");
  convert_sfxes_to_bbs_code(cart, 1, nullptr, 0, 1);
  char* clip = tarq_get_clipboard_text();
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(std::string(clip), sfx_code(cart, 1));
  tarq_free(clip);
  tarq_destroy_tovo_cart(cart);
}

std::string read_bytes(const std::string& path) {
  std::string s;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return "<missing>";
  for (int c; (c = fgetc(f)) != EOF;) s += (char)c;
  fclose(f);
  return s;
}

struct clip_files : ::testing::Test {
  std::string read(const std::string& path) { return read_bytes(path); }
  void write(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
  }
  tovo_test::temp_dir tmp;
  std::string dir = tmp.path;
};

TEST_F(clip_files, cart_file_round_trips_through_its_hex_code) {
  std::string bytes;
  for (int i = 0; i < 600; i++) bytes += (char)(i * 37);
  write(dir + "/a.kx.png", bytes);
  ASSERT_EQ(convert_binary_file_to_hex((dir + "/a.kx.png").c_str(), (dir + "/a.hex").c_str()), 0);
  std::string code = read(dir + "/a.hex");
  EXPECT_EQ(code, "[cart]" + hex_of(bytes) + "[/cart]");
  ASSERT_EQ(convert_hex_to_binary_file(code.c_str(), (dir + "/b.kx.png").c_str()), 0);
  EXPECT_EQ(read(dir + "/b.kx.png"), bytes);
}

TEST_F(clip_files, hex_reader_stops_at_a_bad_or_lone_digit) {
  const struct {
    const char* text;
    std::string bytes;
  } cases[] = {
      {"[cart]0a0B[/cart]", std::string("\x0a\x0b")},
      {"[cart]0a0b0", std::string("\x0a\x0b")},
      {"[cart]0az1ff", std::string("\x0a")},
      {"[cart]", ""},
      {"[ca", ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(convert_hex_to_binary_file(c.text, (dir + "/out").c_str()), 0);
    EXPECT_EQ(read(dir + "/out"), c.bytes) << c.text;
  }
}

TEST_F(clip_files, converters_report_files_they_cannot_open) {
  write(dir + "/in", "xy");
  EXPECT_EQ(convert_binary_file_to_hex((dir + "/none").c_str(), (dir + "/out").c_str()), 1);
  EXPECT_EQ(convert_binary_file_to_hex((dir + "/in").c_str(), (dir + "/no/out").c_str()), 2);
  EXPECT_EQ(convert_hex_to_binary_file("[cart]00", (dir + "/no/out").c_str()), 1);
  EXPECT_EQ(read(dir + "/out"), "<missing>");
}

struct clip_cart : disk_fixture {};

TEST_F(clip_cart, saved_cart_goes_on_the_clipboard_as_its_picture_file_code) {
  tovo_cart* cart = tovo_test::make_full_cart();
  ASSERT_EQ(save_cart_to_clipboard(cart), 0);
  std::string png = read_bytes(appdata + "_clip.kx.png");
  ASSERT_NE(png, "<missing>");
  std::string code = "[cart]" + hex_of(png) + "[/cart]";
  EXPECT_EQ(read_bytes(appdata + "_clip.kx.png.hex"), code);
  char* clip = tarq_get_clipboard_text();
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(std::string(clip), code);
  // Pasted back, the code gives the same cart.
  ASSERT_EQ(convert_hex_to_binary_file(clip, file("pasted.kx.png").c_str()), 0);
  tarq_free(clip);
  tovo_cart* back = load_tovo_cart_png(file("pasted.kx.png").c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(tovo_test::rom_bytes(back), tovo_test::rom_bytes(cart));
  EXPECT_STREQ(back->code, cart->code);
  tarq_destroy_tovo_cart(back);
  tarq_destroy_tovo_cart(cart);
}

TEST_F(clip_cart, nothing_to_save_fails) { EXPECT_EQ(save_cart_to_clipboard(nullptr), 1); }

TEST(activity_log, hooks_return_their_argument_and_timer_counts_cpu_time) {
  EXPECT_EQ(log_activity(7), 7);
  EXPECT_EQ(flush_activity_log_buffer(-3), -3);
  timer_start();
  volatile uint32_t x = 1;
  for (int i = 0; i < 2000000; i++) x = x * 1103515245u + 12345u;
  EXPECT_GT(timer_end(), 0);
}

TEST(help_topic, prints_the_topic_or_the_word_at_the_cursor) {
  int32_t saved_exec = run_state().exec, saved_running = run_state().running, saved_tab = code_tab_selected();
  tarq_ctext* saved = shell.tabs[2];
  run_state().exec = 1;  // console lines go to standard output
  run_state().running = 0;
  auto printed = [](const char* topic) {
    testing::internal::CaptureStdout();
    print_help_topic(topic);
    return testing::internal::GetCapturedStdout();
  };
  EXPECT_EQ(printed("spr"), "help topic: spr\nblah\n");
  uint8_t text[] = "x=Circfill(1) rect_fill2(0)";
  tarq_ctext tab{};
  tab.text = text;
  shell.tabs[2] = &tab;
  code_tab_selected() = 2;
  const struct {
    int32_t cursor;
    const char* out;
  } cases[] = {{5, "help topic: ircfill\nblah\n"},     {18, "help topic: rect_fill2\nblah\n"},
               {14, "help topic: rect_fill2\nblah\n"}, {1, "help topic: x\nblah\n"},
               {-4, "help topic: x\nblah\n"},          {999, "help topic: \nblah\n"}};
  for (const auto& c : cases) {
    tab.cursor = c.cursor;
    EXPECT_EQ(printed(nullptr), c.out) << c.cursor;
  }
  shell.tabs[2] = saved;
  code_tab_selected() = saved_tab;
  run_state().exec = saved_exec;
  run_state().running = saved_running;
}

}  // namespace
