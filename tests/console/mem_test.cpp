// The memory map: page kinds, the round trip of every address, the byte
// layouts of the live structures, the reset-counter drop, the null machine
// and the peek operators.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "tests/console/mem_fixture.h"

namespace {

constexpr int32_t ONE = 0x10000;

// A whole-number address as the 16.16 operand of a peek operator.
int32_t at(uint32_t address) { return static_cast<int32_t>(address << 16); }

TEST(MemSection, PageKindsFollowTheMap) {
  struct Range {
    int first, last, kind;
  } ranges[] = {{0x00, 0x1f, 1}, {0x20, 0x2f, 8}, {0x30, 0x42, 0}, {0x43, 0x5d, 9},
                {0x5e, 0x5f, 0}, {0x60, 0x7f, 2}, {0x80, 0xff, 10}};
  for (const Range& r : ranges)
    for (int page = r.first; page <= r.last; page++) EXPECT_EQ(mem_section[page], r.kind) << "page " << page;
}

using MemTest = MachineTest;

// What a peek right after poking v at a gives back.
int32_t readback(int32_t a, int32_t v) {
  if (a >= 0x5f50 && a <= 0x5f53) return v & 0xc0;  // bits 0-5: held buttons of players 4-7
  return v;
}

TEST_F(MemTest, EveryAddressReadsBackWhatWasPoked) {
  int mismatches = 0;
  std::string first;
  for (int32_t v : {0x00, 0xa5, 0x5a, 0xff, -1}) {
    for (int32_t a = 0; a < 0x10000; a++) {
      int32_t value = v < 0 ? (a * 37 + 11) & 0xff : v;
      poke(a, value);
      int32_t got = peek(a);
      if (got != readback(a, value) || pstate().ram[a] != value) {
        if (mismatches++ == 0)
          first = std::to_string(a) + " <- " + std::to_string(value) + " gave " + std::to_string(got);
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "first: " << first;
}

TEST_F(MemTest, AddressesAndValuesAreMasked) {
  poke(0x12345, 0x1a7);  // 0x2345, 0xa7
  EXPECT_EQ(peek(0x2345), 0xa7);
  EXPECT_EQ(peek(-0x10000 + 0x2345), 0xa7);
  poke(-1, 0x3c);  // 0xffff
  EXPECT_EQ(pstate().ram[0xffff], 0x3c);
}

TEST_F(MemTest, SharedHalfIsSheetPixelsAndMapCell) {
  poke(0x1234, 0xa5);
  EXPECT_EQ(sheet_pixel(104, 72), 5);
  EXPECT_EQ(sheet_pixel(105, 72), 10);
  EXPECT_EQ(map_cell(52, 36), 0xa5);
  EXPECT_EQ(peek(0x1234), 0xa5);
  // The sheet answers for the shared half, not the map cell.
  cart->map->pixels[36 * 128 + 52] = 0x11;
  EXPECT_EQ(peek(0x1234), 0xa5);
}

TEST_F(MemTest, LiveLayouts) {
  poke(0x0041, 0x3c);  // sheet row 1, x 2
  EXPECT_EQ(sheet_pixel(2, 1), 0xc);
  EXPECT_EQ(sheet_pixel(3, 1), 0x3);
  poke(0x2081, 0x77);  // map row 1, column 1
  EXPECT_EQ(map_cell(1, 1), 0x77);
  poke(0x30ff, 0x9e);
  EXPECT_EQ(cart->gff[255], 0x9e);
  poke(0x6041, 0xe2);  // screen row 1, x 2
  EXPECT_EQ(screen_pixel(2, 1), 2);
  EXPECT_EQ(screen_pixel(3, 1), 0xe);
  poke(0x9000, 0x42);
  EXPECT_EQ(pstate().ram[0x9000], 0x42);
  EXPECT_EQ(peek(0x9000), 0x42);
  poke(0x4300, 0x17);
  EXPECT_EQ(peek(0x4300), 0x17);
}

TEST_F(MemTest, PixelsAboveFifteenReadMasked) {
  cart->gfx->pixels[0] = 0x1f;
  cart->gfx->pixels[1] = 0x23;
  EXPECT_EQ(peek(0x0000), 0x3f);
  pstate().screens[0]->pixels[0] = 0x85;
  EXPECT_EQ(peek(0x6000), 0x05);
}

TEST_F(MemTest, MusicBytesCarryTheFlagBits) {
  poke(0x3105, 0x83);
  EXPECT_EQ(cart->music[1][1], 3);
  EXPECT_EQ(cart->music_flags[1], 2);
  EXPECT_EQ(peek(0x3105), 0x83);
  poke(0x3107, 0xc1);
  EXPECT_EQ(cart->music_flags[1], 0xa);
  poke(0x3105, 0x05);
  EXPECT_EQ(cart->music_flags[1], 0x8);
  EXPECT_EQ(cart->music[1][1], 5);
  EXPECT_EQ(peek(0x3100), 0x41);  // the default channel value
}

TEST_F(MemTest, SfxNoteBytesKeepTheOtherWaveformBits) {
  const int32_t sfx = 3, note = 5;
  const int32_t even = 0x3200 + sfx * 68 + note * 2;
  poke(even + 1, 0xff);  // waveform bit 2, volume 7, effect 7, custom
  const tovo_note& n = cart->sfx[sfx].notes[note];
  EXPECT_EQ(n.waveform, 4);
  EXPECT_EQ(n.volume, 7);
  EXPECT_EQ(n.effect, 7);
  EXPECT_EQ(n.custom, 0x80);
  poke(even, 0xab);  // pitch 0x2b, waveform bits 0-1 = 2
  EXPECT_EQ(n.pitch, 0x2b);
  EXPECT_EQ(n.waveform, 6);
  poke(even + 1, 0x00);
  EXPECT_EQ(n.waveform, 2);
  EXPECT_EQ(n.custom, 0);
  EXPECT_EQ(peek(even), 0xab);
  EXPECT_EQ(peek(even + 1), 0x00);
}

TEST_F(MemTest, SfxTailBytes) {
  const int32_t base = 0x3200 + 63 * 68;
  poke(base + 64, 0xb7);
  EXPECT_EQ(cart->sfx[63].flags, 0xb6);
  EXPECT_EQ(cart->sfx[63].flag0, 1);
  poke(base + 65, 200);
  poke(base + 66, 3);
  poke(base + 67, 250);
  EXPECT_EQ(cart->sfx[63].speed, 200);
  EXPECT_EQ(cart->sfx[63].loop_start, 3);
  EXPECT_EQ(cart->sfx[63].loop_end, 250);
  EXPECT_EQ(peek(base + 64), 0xb7);
  EXPECT_EQ(peek(0x3200 + 65), 1);        // sfx 0 speed default
  EXPECT_EQ(peek(0x3200 + 68 + 65), 16);  // sfx 1
}

TEST_F(MemTest, CartDataWordsAndTheDirtyFlag) {
  poke(0x5e05, 0x12);  // word 1, byte 1
  EXPECT_EQ(pstate().cart_data[1], 0x1200);
  EXPECT_EQ(pstate().cart_data_dirty, 1);
  pstate().cart_data_dirty = 0;
  poke(0x5e05, 0x12);
  EXPECT_EQ(pstate().cart_data_dirty, 0);  // unchanged word
  poke(0x5e07, 0x80);
  EXPECT_EQ(pstate().cart_data[1], static_cast<int32_t>(0x80001200u));
  EXPECT_EQ(pstate().cart_data_dirty, 1);
  EXPECT_EQ(peek(0x5e07), 0x80);
  EXPECT_EQ(peek(0x5e04), 0x00);
}

TEST_F(MemTest, SheetAndScreenAddressesFollowTheMapping) {
  poke(0x5f54, 0x60);  // sheet addresses reach the screen
  poke(0x0000, 0x21);
  EXPECT_EQ(screen_pixel(0, 0), 1);
  EXPECT_EQ(sheet_pixel(0, 0), 0);
  EXPECT_EQ(peek(0x0000), 0x21);
  poke(0x5f54, 0);
  poke(0x5f55, 0);  // screen addresses reach the sheet
  poke(0x6000, 0x43);
  EXPECT_EQ(sheet_pixel(0, 0), 3);
  EXPECT_EQ(sheet_pixel(1, 0), 4);
  EXPECT_EQ(peek(0x6000), 0x43);
  EXPECT_EQ(peek(0x0000), 0x43);
}

TEST_F(MemTest, ResetCounterDropsUserMemoryAndCartData) {
  pstate().reset_counter = 1;
  for (int32_t a : {0x4300, 0x5000, 0x5dff, 0x5e00, 0x5eff}) {
    poke(a, 0x99);
    EXPECT_EQ(pstate().ram[a], 0) << a;
    EXPECT_EQ(peek(a), 0) << a;
  }
  EXPECT_EQ(pstate().cart_data_dirty, 0);
  for (int32_t a : {0x42ff, 0x5f00, 0x8000}) {
    poke(a, 0x07);
    EXPECT_EQ(peek(a), 0x07) << a;
  }
}

TEST_F(MemTest, NullMachineReachesOnlyTheCartRom) {
  tovo_cart* temp = tarq_create_tovo_cart();
  tovo_poke(nullptr, temp, 0x3000, 0x5a);
  tovo_poke(nullptr, temp, 0x1001, 0x76);
  EXPECT_EQ(temp->gff[0], 0x5a);
  EXPECT_EQ(temp->map->pixels[0x1001], 0x76);
  EXPECT_EQ(tovo_peek(nullptr, temp, 0x1001), 0x76);
  for (int32_t a : {0x4300, 0x5e00, 0x5f25, 0x5f80, 0x6000, 0x8000}) {
    pstate().ram[a] = 0x33;
    tovo_poke(nullptr, temp, a, 0x44);
    EXPECT_EQ(pstate().ram[a], 0x33) << a;
    EXPECT_EQ(tovo_peek(nullptr, temp, a), 0) << a;
  }
  EXPECT_EQ(pstate().pen, 6);
  EXPECT_EQ(pstate().ram[0x3000], 0);  // no RAM image written below 0x4300 either
  tarq_destroy_tovo_cart(temp);
}

TEST_F(MemTest, PeekOperators) {
  poke(0x4400, 0xff);
  poke(0x4401, 0xff);
  EXPECT_EQ(tovo_peek_2(0x4400 * ONE), -ONE);
  poke(0x4402, 0x00);
  poke(0x4403, 0x80);
  poke(0x4404, 0x01);
  poke(0x4405, 0x00);
  EXPECT_EQ(tovo_peek_4(0x4402 * ONE), 0x18000);              // 1.5
  EXPECT_EQ(tovo_peek_1(0x4400 * ONE + 0xffff), 0xff * ONE);  // the fraction is ignored
  poke(0xffff, 0x34);
  poke(0x0000, 0x12);
  EXPECT_EQ(tovo_peek_2(-ONE), 0x1234 * ONE);  // address -1 is 0xffff, then 0x0000
  poke(0x0001, 0x78);
  poke(0x0002, 0x56);
  EXPECT_EQ(tovo_peek_4(at(0xffff)), 0x56781234);
}

TEST_F(MemTest, PeekOperatorsAgreeWithPeekEverywhere) {
  std::mt19937 rng(9);
  for (int32_t a = 0; a < 0x10000; a++) poke(a, static_cast<int32_t>(rng() & 0xff));
  poke(0x5f54, 0);  // keep the default binding for the sweep
  poke(0x5f55, 0x60);
  int mismatches = 0;
  for (int32_t n = 0; n < 0x10000; n++) {
    uint32_t b[4];
    for (int k = 0; k < 4; k++) b[k] = static_cast<uint32_t>(peek((n + k) & 0xffff));
    int32_t x = static_cast<int32_t>(static_cast<uint32_t>(n) << 16 | (rng() & 0xffff));
    bool ok = tovo_peek_1(x) == static_cast<int32_t>(b[0] << 16) &&
              tovo_peek_2(x) == static_cast<int32_t>(b[0] << 16 | b[1] << 24) &&
              tovo_peek_4(x) == static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24);
    if (!ok && mismatches++ < 5) ADD_FAILURE() << "address " << n;
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(PeekOperatorsWithoutMachine, CartAndScreenAddressesReadZero) {
  std::memset(&pstate(), 0, sizeof pstate());
  pstate().ram[0x0000] = 0x12;
  pstate().ram[0x6000] = 0x34;
  pstate().ram[0x8000] = 0x56;
  EXPECT_EQ(tovo_peek_1(0), 0);
  EXPECT_EQ(tovo_peek_1(0x6000 * ONE), 0);
  EXPECT_EQ(tovo_peek_1(at(0x8000)), 0x56 * ONE);
  tovo_poke(&pstate(), nullptr, 0x5f25, 9);
  EXPECT_EQ(tovo_peek_1(0x5f25 * ONE), 9 * ONE);
  std::memset(&pstate(), 0, sizeof pstate());
}

}  // namespace
