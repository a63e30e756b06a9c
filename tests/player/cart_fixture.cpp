#include "tests/player/cart_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "engine/data/gfx.h"

namespace tovo_test {

tovo_cart* make_full_cart(size_t code_size) {
  tovo_cart* cart = tarq_create_tovo_cart();
  std::mt19937 rng(11);
  std::string code =
      "-- a full cart\n-- by the tests\n\nfunction _draw()\n\tcls(1) print(\"Hi \x80\x99\xfe\x10\x05\")\nend\n";
  while (code.size() < code_size) code += static_cast<char>(rng() % 8 == 0 ? '\n' : 32 + rng() % 95);
  code.resize(code_size);
  code += "\n\n";  // ends in blank lines
  memcpy(cart->code, code.data(), code.size());
  cart->code[code.size()] = 0;

  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) cart->gfx->rows[y][x] = static_cast<uint8_t>(y < 120 ? (x * 3 + y) & 15 : 0);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 128; x++) cart->map->rows[y][x] = static_cast<uint8_t>(y < 30 ? x * 7 + y : 0);
  for (int i = 0; i < TOVO_SPRITES; i++) cart->gff[i] = (i * 37) & 0xff;
  for (int i = 0; i < 60; i++) {
    tovo_sfx& s = cart->sfx[i];
    s.flags = (i * 2) & 0xfe;
    s.flag0 = i & 1;
    s.speed = (i * 5) & 0xff;
    s.loop_start = i % 32;
    s.loop_end = (i * 3) % 32;
    for (int n = 0; n < TOVO_SFX_NOTES; n++) {
      tovo_note& note = s.notes[n];
      note.pitch = (i + n * 5) & 63;
      note.waveform = (i + n) & 7;
      note.volume = (n * 3) & 7;
      note.effect = (i * n) & 7;
      note.custom = (i + n) % 5 == 0 ? 128 : 0;
    }
  }
  for (int p = 0; p < 50; p++) {
    cart->music_flags[p] = p & 15;
    for (int c = 0; c < 4; c++) cart->music[p][c] = (p * 4 + c) % 70;
  }
  cart->label = tarq_create_bitmap(128, 128, 8);
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) {
      int v = (x + y * 5) & 31;
      cart->label->rows[y][x] = static_cast<uint8_t>(v < 16 ? v : v + 112);
    }
  for (int i = 0; i < TOVO_CHANGE_MASK_SIZE; i++) cart->change_mask[i] = static_cast<uint8_t>(i * 13);
  return cart;
}

void expect_same_cart(const tovo_cart* a, const tovo_cart* b) {
  ASSERT_TRUE(a && b);
  EXPECT_STREQ(a->code, b->code);
  EXPECT_EQ(memcmp(a->gfx->pixels, b->gfx->pixels, 128 * 128), 0) << "sprite sheet";
  EXPECT_EQ(memcmp(a->map->pixels, b->map->pixels, 128 * 64), 0) << "map";
  EXPECT_EQ(memcmp(a->gff, b->gff, sizeof a->gff), 0) << "sprite flags";
  for (int i = 0; i < TOVO_SFX_COUNT; i++)
    EXPECT_EQ(memcmp(&a->sfx[i], &b->sfx[i], sizeof a->sfx[i]), 0) << "sfx " << i;
  EXPECT_EQ(memcmp(a->music, b->music, sizeof a->music), 0) << "music";
  EXPECT_EQ(memcmp(a->music_flags, b->music_flags, sizeof a->music_flags), 0) << "music flags";
  EXPECT_EQ(memcmp(a->change_mask, b->change_mask, sizeof a->change_mask), 0) << "change mask";
  ASSERT_EQ(a->label == nullptr, b->label == nullptr);
  if (a->label) {
    EXPECT_EQ(memcmp(a->label->pixels, b->label->pixels, 128 * 128), 0) << "label";
  }
}

std::string rom_bytes(tovo_cart* cart) {
  std::string rom(0x4300, '\0');
  for (int a = 0; a < 0x4300; a++) rom[a] = static_cast<char>(tovo_peek(nullptr, cart, a));
  return rom;
}

}  // namespace tovo_test
