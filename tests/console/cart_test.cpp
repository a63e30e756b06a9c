// The cart object: its defaults, the shared half of sheet and map, and a
// destruction that stops its sound first and lets go of the machine.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "sound/play/play.h"

namespace {

TEST(Cart, Defaults) {
  tovo_cart* cart = tarq_create_tovo_cart();
  ASSERT_NE(cart, nullptr);
  ASSERT_NE(cart->code, nullptr);
  EXPECT_EQ(cart->code[0], 0);
  EXPECT_EQ(cart->code[TOVO_CODE_SIZE - 1], 0);
  ASSERT_NE(cart->gfx, nullptr);
  EXPECT_EQ(cart->gfx->width, 128);
  EXPECT_EQ(cart->gfx->height, 128);
  EXPECT_EQ(cart->gfx->depth, 8);
  EXPECT_EQ(cart->gfx_view, cart->gfx);
  ASSERT_NE(cart->map, nullptr);
  EXPECT_EQ(cart->map->width, 128);
  EXPECT_EQ(cart->map->height, 64);
  EXPECT_EQ(cart->label, nullptr);
  EXPECT_EQ(cart->version, 0);
  EXPECT_EQ(cart->legacy_done, 0);
  for (tarq_undo_stack* stack : cart->undo) EXPECT_NE(stack, nullptr);
  for (int i = 0; i < TOVO_SFX_COUNT; i++) {
    const tovo_sfx& sfx = cart->sfx[i];
    EXPECT_EQ(sfx.speed, i == 0 ? 1 : 16) << i;
    EXPECT_EQ(sfx.flags | sfx.flag0 | sfx.loop_start | sfx.loop_end, 0) << i;
    for (const tovo_note& note : sfx.notes)
      EXPECT_EQ(note.pitch | note.waveform | note.volume | note.effect | note.custom, 0);
  }
  for (int p = 0; p < TOVO_PATTERNS; p++) {
    for (int c = 0; c < 4; c++) EXPECT_EQ(cart->music[p][c], 0x41 + c);
    EXPECT_EQ(cart->music_flags[p], 0);
  }
  for (int32_t flags : cart->gff) EXPECT_EQ(flags, 0);
  for (uint8_t byte : cart->change_mask) EXPECT_EQ(byte, 0xff);
  // As ROM bytes.
  EXPECT_EQ(tovo_peek(nullptr, cart, 0x3100), 0x41);
  EXPECT_EQ(tovo_peek(nullptr, cart, 0x3103), 0x44);
  EXPECT_EQ(tovo_peek(nullptr, cart, 0x3200 + 65), 1);
  EXPECT_EQ(tovo_peek(nullptr, cart, 0x3200 + 68 * 63 + 65), 16);
  tarq_destroy_tovo_cart(cart);
}

TEST(Cart, SharedHalfLayout) {
  tovo_cart* cart = tarq_create_tovo_cart();
  std::mt19937 rng(5);
  for (int32_t a = 0x1000; a < 0x2000; a++) tovo_poke(nullptr, cart, a, static_cast<int32_t>(rng() & 0xff));
  for (int r = 32; r < 64; r++) {
    for (int x = 0; x < 128; x++) {
      const uint8_t* row = cart->gfx->pixels + (2 * r + (x >> 6)) * 128;
      int pair = row[2 * (x & 63)] | row[2 * (x & 63) + 1] << 4;
      ASSERT_EQ(cart->map->pixels[r * 128 + x], pair) << x << ", " << r;
    }
  }
  tarq_destroy_tovo_cart(cart);
}

TEST(Cart, DestructionStopsItsSoundAndReleasesTheMachine) {
  std::memset(&pstate(), 0, sizeof pstate());
  tarq_bitmap* screen = pstate().screens[0] = tarq_create_bitmap(128, 128, 8);
  tovo_cart* cart = pstate().cart = tarq_create_tovo_cart();
  pstate().draw_target = cart->gfx;  // drawing to the sheet (0x5f55 = 0)
  cart->music[0][0] = 2;
  tarq_play_tovo_song(cart, 0, 0);
  ASSERT_GE(tarq_play_sfx_ex(&cart->sfx[5], 0, 0, cart, 3), 0);
  ASSERT_EQ(tarq_music_is_playing(), 1);
  tarq_destroy_tovo_cart(cart);
  for (int channel = 0; channel < 16; channel++) EXPECT_EQ(tarq_get_tovo_channel_sfx(channel), nullptr) << channel;
  EXPECT_EQ(tarq_music_is_playing(), 0);
  EXPECT_EQ(pstate().cart, nullptr);
  EXPECT_EQ(pstate().draw_target, screen);

  tovo_cart* other = tarq_create_tovo_cart();
  tovo_cart* machine = pstate().cart = tarq_create_tovo_cart();
  tarq_destroy_tovo_cart(other);
  EXPECT_EQ(pstate().cart, machine);  // another cart leaves the machine's alone
  tarq_destroy_tovo_cart(machine);
  tarq_destroy_tovo_cart(nullptr);
  tarq_destroy_bitmap(screen);
  std::memset(&pstate(), 0, sizeof pstate());
}

}  // namespace
