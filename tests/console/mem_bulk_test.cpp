// memcpy, memset and reload: the cases that show the run order, the fast
// paths and their documented differences, and a randomised comparison of the
// fast paths against the byte-by-byte reference routines.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "console/draw/gfx_state.h"
#include "console/machine/cart_tools.h"
#include "console/machine/machine_prng.h"
#include "console/machine/machine_record.h"
#include "console/machine/mem_bulk.h"
#include "console/machine/mem_decode.h"
#include "tests/console/mem_fixture.h"
#include "tests/support/fake_shell.h"

namespace {

using BulkTest = MachineTest;

TEST_F(BulkTest, OverlappingCopyUpwardGoesBackward) {
  tarq_bitmap* screen = pstate().screens[0];
  for (int i = 0; i < 128 * 128; i++) screen->pixels[i] = static_cast<uint8_t>((i / 128 * 3 + i) & 15);
  std::vector<uint8_t> before(screen->pixels, screen->pixels + 128 * 128);
  tovo_memcpy(&pstate(), cart, 0x6040, 0x6000, 0x1fc0);
  EXPECT_EQ(0, std::memcmp(screen->pixels, before.data(), 128));  // row 0 unchanged
  EXPECT_EQ(0, std::memcmp(screen->pixels + 128, before.data(), 127 * 128));
}

TEST_F(BulkTest, ScreenToSheetResyncsTheSharedMapHalf) {
  tarq_bitmap* screen = pstate().screens[0];
  std::mt19937 rng(1);
  for (int i = 0; i < 128 * 128; i++) screen->pixels[i] = static_cast<uint8_t>(rng() & 15);
  pstate().ram[0x0000] = 0x99;
  tovo_memcpy(&pstate(), cart, 0x0000, 0x6000, 0x2000);
  EXPECT_EQ(0, std::memcmp(cart->gfx->pixels, screen->pixels, 128 * 128));
  for (int32_t a = 0x1000; a < 0x2000; a++) {
    int want = screen->pixels[2 * a] | screen->pixels[2 * a + 1] << 4;
    ASSERT_EQ(cart->map->pixels[a], want) << a;
  }
  EXPECT_EQ(pstate().ram[0x0000], 0x99);  // the sheet's RAM image is left alone
}

TEST_F(BulkTest, SpecialPagesCopyAsPeekReadsThem) {
  for (int32_t a = 0x3200; a < 0x3200 + 68 * 2; a++) poke(a, (a * 29 + 5) & 0xff);
  tovo_memcpy(&pstate(), cart, 0x4300, 0x3200, 68 * 2);
  for (int32_t i = 0; i < 68 * 2; i++) EXPECT_EQ(pstate().ram[0x4300 + i], peek(0x3200 + i)) << i;
}

TEST_F(BulkTest, MemsetOfTheSharedHalfUsesTheLowNibbleForMapCells) {
  tovo_memset(&pstate(), cart, 0x1000, 0xa5, 16);
  for (int x = 0; x < 32; x++) EXPECT_EQ(sheet_pixel(x, 64), x % 2 == 0 ? 5 : 10) << x;
  for (int x = 0; x < 16; x++) EXPECT_EQ(map_cell(x, 32), 0x55) << x;
  EXPECT_EQ(map_cell(16, 32), 0);
  EXPECT_EQ(peek(0x1000), 0xa5);
  EXPECT_EQ(pstate().ram[0x1000], 0);
}

TEST_F(BulkTest, MemsetOfTheRegistersGoesThroughTheirWrites) {
  poke(0x5f25, 6);
  poke(0x5f4c, 0x3f);
  tovo_memset(&pstate(), cart, 0x5f00, 0, 0x80);
  EXPECT_EQ(pstate().pen, 0);
  EXPECT_EQ(pstate().held[0][0], 0);
  EXPECT_EQ(pstate().draw_target, cart->gfx);  // 0x5f55 = 0: drawing goes to the sheet
  tovo_memset(&pstate(), cart, 0x5f50, 0x60, 6);
  EXPECT_EQ(pstate().draw_target, pstate().screens[0]);
  EXPECT_EQ(cart->gfx_view, pstate().screens[0]);
}

TEST_F(BulkTest, LengthsAndWrapping) {
  poke(0x4400, 1);
  tovo_memcpy(&pstate(), cart, 0x4401, 0x4400, 0);
  tovo_memcpy(&pstate(), cart, 0x4401, 0x4400, -5);
  tovo_memset(&pstate(), cart, 0x4400, 9, -1);
  EXPECT_EQ(peek(0x4401), 0);
  EXPECT_EQ(peek(0x4400), 1);
  tovo_memset(&pstate(), cart, 0xfffe, 0x21, 4);  // wraps into the sheet
  EXPECT_EQ(pstate().ram[0xffff], 0x21);
  EXPECT_EQ(peek(0x0001), 0x21);
  EXPECT_EQ(peek(0x0002), 0);
  for (int i = 0; i < 4; i++) pstate().ram[0xfffc + i] = static_cast<uint8_t>(0x40 + i);
  tovo_memcpy(&pstate(), cart, 0x0010, 0xfffc, 8);  // source wraps to 0x0000
  EXPECT_EQ(peek(0x0010), 0x40);
  EXPECT_EQ(peek(0x0013), 0x43);
  EXPECT_EQ(peek(0x0014), 0x21);  // was 0x0000
  EXPECT_EQ(peek(0x0015), 0x21);
  tovo_memcpy(&pstate(), cart, -0x10000 + 0x4500, 0x10000 + 0x0010, 2);  // addresses taken & 0xffff
  EXPECT_EQ(peek(0x4500), 0x40);
}

TEST_F(BulkTest, SegmentCrossingAPageGoesByteByByte) {
  for (int32_t a = 0x6000; a < 0x6100; a++) poke(a, a & 0xff);
  tovo_memcpy_segment(&pstate(), cart, 0x1ff0, 0x6000, 0x40);
  for (int32_t i = 0; i < 0x40; i++) EXPECT_EQ(peek((0x1ff0 + i) & 0xffff), i) << i;
  tovo_memcpy_segment(&pstate(), cart, 0x4400, 0x6000, 0x8000);  // too long: nothing
  EXPECT_EQ(peek(0x4401), 0);
}

TEST_F(BulkTest, ReloadReadsTheWorkingCart) {
  for (int32_t a = 0; a < 0x2000; a++) tovo_poke(nullptr, working, a, (a * 13) & 0xff);
  tovo_poke(nullptr, working, 0x3005, 0x77);
  tovo_reload(&pstate(), cart, 0x8000, 0x0000, 0x2000);
  for (int32_t a = 0; a < 0x2000; a++) ASSERT_EQ(pstate().ram[0x8000 + a], (a * 13) & 0xff) << a;
  tovo_reload(&pstate(), cart, 0x0000, 0x0000, 0x4300);
  EXPECT_EQ(peek(0x0001), 13);
  EXPECT_EQ(cart->gff[5], 0x77);
  poke(0x9000, 0x55);
  tovo_reload(&pstate(), cart, 0x9000, 0x4300, 4);  // above the ROM: zeros
  EXPECT_EQ(peek(0x9000), 0);
  poke(0x9000, 0x55);
  tovo_reload(&pstate(), cart, 0x9000, 0x0001, 0x8000);  // too long: nothing
  tovo_reload(&pstate(), cart, 0x9000, 0x0001, 0);
  EXPECT_EQ(peek(0x9000), 0x55);
  pstate().reset_counter = 1;
  poke(0x4300, 0);
  tovo_reload(&pstate(), cart, 0x4300, 0x0001, 1);  // dropped while the reset runs
  tovo_reload(&pstate(), cart, 0x8000, 0x0001, 1);
  EXPECT_EQ(peek(0x4300), 0);
  EXPECT_EQ(peek(0x8000), 13);
  pstate().reset_counter = 0;
  tovo_reload(&pstate(), cart, 0xffff, 0x0000, 2);  // the destination wraps
  EXPECT_EQ(pstate().ram[0xffff], 0);
  EXPECT_EQ(peek(0x0000), 13);
}

// The byte-by-byte routines poke every byte: unlike the fast paths they write
// the RAM image of the sheet page and drop writes to user memory while the
// reset runs; the copy does nothing past 0x7fff bytes.
TEST_F(BulkTest, BytewiseRoutinesPokeEveryByte) {
  tovo_memset_bytewise(&pstate(), cart, 0x0010, 0xa5, 2);
  EXPECT_EQ(pstate().ram[0x0010], 0xa5);
  EXPECT_EQ(sheet_pixel(32, 0), 5);
  EXPECT_EQ(sheet_pixel(33, 0), 10);
  tovo_memset(&pstate(), cart, 0x0020, 0xa5, 2);
  EXPECT_EQ(pstate().ram[0x0020], 0);  // the fast path leaves the image alone
  EXPECT_EQ(peek(0x0020), 0xa5);

  tovo_memcpy_bytewise(&pstate(), cart, 0x0030, 0x0010, 2);
  EXPECT_EQ(pstate().ram[0x0031], 0xa5);
  tovo_memcpy_bytewise(&pstate(), cart, 0x8000, 0x0010, 0x8000);  // too long: nothing
  EXPECT_EQ(peek(0x8000), 0);
  tovo_memcpy_bytewise(&pstate(), cart, 0x8000, 0x0010, 0x7fff);
  EXPECT_EQ(peek(0x8000), 0xa5);

  // Overlapping both ways: the run order keeps the source whole.
  for (int32_t i = 0; i < 8; i++) poke(0x9000 + i, i + 1);
  tovo_memcpy_bytewise(&pstate(), cart, 0x9002, 0x9000, 6);
  EXPECT_EQ(peek(0x9007), 6);
  tovo_memcpy_bytewise(&pstate(), cart, 0x9000, 0x9002, 6);
  EXPECT_EQ(peek(0x9000), 1);
  EXPECT_EQ(peek(0x9005), 6);

  pstate().reset_counter = 1;
  tovo_memset_bytewise(&pstate(), cart, 0x4300, 7, 4);
  EXPECT_EQ(peek(0x4300), 0);
  tovo_memset(&pstate(), cart, 0x4300, 7, 4);
  EXPECT_EQ(peek(0x4300), 7);
  pstate().reset_counter = 0;
  tovo_memset_bytewise(&pstate(), cart, 0xffff, 9, 2);  // wraps to 0x0000
  EXPECT_EQ(peek(0x0000), 9);
}

// cstore is reload the other way: memory into the working cart's ROM, then
// the working cart is saved.
TEST_F(BulkTest, CstoreWritesTheWorkingCartAndSavesIt) {
  install_fake_shell();
  for (int32_t a = 0; a < 0x100; a++) poke(0x8000 + a, a ^ 0x5a);
  poke(0x5e00, 0x42);  // cart data reads through tovo_peek
  tovo_cstore(&pstate(), cart, 0x0000, 0x8000, 0x100);
  for (int32_t a = 0; a < 0x100; a++) ASSERT_EQ(tovo_peek(nullptr, working, a), a ^ 0x5a) << a;
  EXPECT_EQ(working->gfx->pixels[0], 0xa);  // byte 0x5a: the left pixel is the low nibble
  EXPECT_EQ(working->gfx->pixels[1], 0x5);
  EXPECT_EQ(fake_shell.quick_saves, 1);
  tovo_cstore(&pstate(), cart, 0x3000, 0x5e00, 1);
  EXPECT_EQ(working->gff[0], 0x42);
  EXPECT_EQ(fake_shell.quick_saves, 2);
  // At and above 0x4300 the cart has no bytes; the wrong lengths do nothing.
  tovo_cstore(&pstate(), cart, 0x42ff, 0x8000, 2);
  EXPECT_EQ(tovo_peek(nullptr, working, 0x42ff), 0x5a);
  for (int32_t size : {0, -1, 0x8000}) tovo_cstore(&pstate(), cart, 0x0000, 0x9000, size);
  EXPECT_EQ(tovo_peek(nullptr, working, 0x0000), 0x5a);
  EXPECT_EQ(fake_shell.quick_saves, 3);
}

// Everything that a read of the machine can see, plus the live structures
// themselves; the RAM image of the sheet, map and screen pages is left out
// (the fast paths do not write it and no read sees it).
class Snapshot {
 public:
  void take(tovo_cart* cart) {
    machine.resize(sizeof pstate());
    std::memcpy(machine.data(), &pstate(), sizeof pstate());
    cart_words.assign(reinterpret_cast<uint8_t*>(&cart->sfx), reinterpret_cast<uint8_t*>(&cart->label));
    bitmaps.clear();
    for (tarq_bitmap* b :
         {cart->gfx, cart->map, pstate().screens[0], pstate().screens[1], pstate().screens[2], pstate().screens[3]})
      bitmaps.emplace_back(b->pixels, b->pixels + b->width * b->height);
    prng[0] = get_rand_seed(0);
    prng[1] = get_rand_seed(1);
  }

  void restore(tovo_cart* cart) const {
    std::memcpy(&pstate(), machine.data(), sizeof pstate());
    std::memcpy(&cart->sfx, cart_words.data(), cart_words.size());
    tarq_bitmap* targets[] = {cart->gfx,           cart->map,           pstate().screens[0],
                              pstate().screens[1], pstate().screens[2], pstate().screens[3]};
    for (size_t i = 0; i < bitmaps.size(); i++) std::memcpy(targets[i]->pixels, bitmaps[i].data(), bitmaps[i].size());
    set_rand_seed(0, prng[0]);
    set_rand_seed(1, prng[1]);
  }

  // The first difference, or -1.
  ptrdiff_t differs_from(const Snapshot& other) const {
    const size_t ram_start = offsetof(tovo_machine_state, ram);
    for (uint32_t a = 0; a < 0x10000; a++) {
      uint8_t kind = mem_section[a >> 8];
      if (kind == TOVO_PAGE_SHEET || kind == TOVO_PAGE_SCREEN || kind == TOVO_PAGE_MAP) continue;
      if (machine[ram_start + a] != other.machine[ram_start + a]) return static_cast<ptrdiff_t>(a);
    }
    const size_t fields = offsetof(tovo_machine_state, cart);
    if (std::memcmp(machine.data() + fields, other.machine.data() + fields, machine.size() - fields) != 0)
      return 0x10000;
    if (cart_words != other.cart_words) return 0x10001;
    for (size_t i = 0; i < bitmaps.size(); i++)
      if (bitmaps[i] != other.bitmaps[i]) return static_cast<ptrdiff_t>(0x10002 + i);
    if (prng[0] != other.prng[0] || prng[1] != other.prng[1]) return 0x10010;
    return -1;
  }

 private:
  std::vector<uint8_t> machine;
  std::vector<uint8_t> cart_words;
  std::vector<std::vector<uint8_t>> bitmaps;
  uint32_t prng[2] = {};
};

class BulkDifferentialTest : public MachineTest {
 protected:
  std::mt19937 rng{2024};

  uint32_t pick(uint32_t n) { return rng() % n; }

  int32_t random_address() {
    static const int32_t edges[] = {0x0000, 0x0ff0, 0x1000, 0x1ff0, 0x2000, 0x2ff0, 0x3000, 0x30f8,
                                    0x31fc, 0x3200, 0x42f0, 0x4300, 0x5df0, 0x5e00, 0x5ef0, 0x5f00,
                                    0x5f60, 0x5ff0, 0x6000, 0x7ff0, 0x8000, 0xfff0};
    if (pick(3) == 0) return edges[pick(sizeof edges / sizeof edges[0])] + static_cast<int32_t>(pick(32));
    return static_cast<int32_t>(pick(0x10000));
  }

  int32_t random_length() {
    switch (pick(4)) {
      case 0: return 1 + static_cast<int32_t>(pick(16));
      case 1: return 1 + static_cast<int32_t>(pick(600));
      case 2: return 256 * (1 + static_cast<int32_t>(pick(8)));
      default: return 1 + static_cast<int32_t>(pick(0x7fff));
    }
  }

  // Writes to 0x5f54 or 0x5f55 could bind the sheet and screen addresses to
  // one bitmap; the comparison keeps each binding to its own bitmap.
  static bool touches_binding(int32_t address, int32_t n) {
    for (uint32_t reg : {0x5f54u, 0x5f55u})
      if (((reg - static_cast<uint32_t>(address)) & 0xffff) < static_cast<uint32_t>(n)) return true;
    return false;
  }

  void scramble() {
    for (int32_t a = 0; a < 0x10000; a++) {
      if (a == 0x5f54 || a == 0x5f55) continue;
      poke(a, static_cast<int32_t>(rng() & 0xff));
    }
  }

  void choose_binding() {
    bool swapped = pick(2) == 1;
    poke(0x5f54, swapped ? 0x60 : 0);
    poke(0x5f55, swapped ? 0 : 0x60);
    set_draw_display(static_cast<int>(pick(4)));
  }
};

TEST_F(BulkDifferentialTest, MemcpyMatchesTheReference) {
  scramble();
  int compared = 0;
  while (compared < 400) {
    int32_t d = random_address(), s = random_address(), n = random_length();
    if (touches_binding(d, n)) continue;
    choose_binding();
    Snapshot start, fast, reference;
    start.take(cart);
    tovo_memcpy(&pstate(), cart, d, s, n);
    fast.take(cart);
    start.restore(cart);
    tovo_memcpy_bytewise(&pstate(), cart, d, s, n);
    reference.take(cart);
    ASSERT_EQ(fast.differs_from(reference), -1) << "memcpy(" << d << ", " << s << ", " << n << ")";
    fast.restore(cart);
    if (++compared % 50 == 0) scramble();
  }
}

TEST_F(BulkDifferentialTest, MemsetMatchesTheReferenceWithTheMapRule) {
  scramble();
  int compared = 0;
  while (compared < 400) {
    int32_t a = random_address(), n = random_length(), v = static_cast<int32_t>(pick(256));
    if (touches_binding(a, n)) continue;
    choose_binding();
    Snapshot start, fast, reference;
    start.take(cart);
    tovo_memset(&pstate(), cart, a, v, n);
    fast.take(cart);
    start.restore(cart);
    tovo_memset_bytewise(&pstate(), cart, a, v, n);
    for (int32_t i = 0; i < n; i++) {
      uint32_t at = static_cast<uint32_t>(a + i) & 0xffff;
      if (at >= 0x1000 && at < 0x2000) cart->map->pixels[at] = static_cast<uint8_t>((v & 15) * 17);
    }
    reference.take(cart);
    ASSERT_EQ(fast.differs_from(reference), -1) << "memset(" << a << ", " << v << ", " << n << ")";
    fast.restore(cart);
    if (++compared % 50 == 0) scramble();
  }
}

}  // namespace
