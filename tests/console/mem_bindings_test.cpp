// peek, poke (and the direct screen path), memcpy and memset: results,
// argument conventions and charges (slice-counter deltas).
#include <string>

#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "tests/console/bindings_fixture.h"

namespace {

class MemBindingsTest : public BindingsTest {
 protected:
  uint8_t screen_pixel(int x, int y) { return pstate().draw_target->pixels[y * 128 + x]; }
};

TEST_F(MemBindingsTest, PeekCounts) {
  tovo_poke(&pstate(), cart, 0x8000, 5);
  EXPECT_EQ(results("peek(0x8000)"), "5");
  EXPECT_EQ(results("peek(0x5f00, 0)"), "");
  EXPECT_EQ(results("peek(0, -1)"), "");
  EXPECT_EQ(results("peek(0x8000, 0.5)"), "");
  EXPECT_EQ(results("peek(0x8000, 2)"), "5,0");
  EXPECT_EQ(results("select('#', peek(0, 9000))"), "8192");
  EXPECT_EQ(results("peek(0x8000.9)"), "5");
}

TEST_F(MemBindingsTest, PeekWordsAreSignedAndRaw) {
  for (int a = 0x8000; a < 0x8004; a++) tovo_poke(&pstate(), cart, a, 0xff);
  EXPECT_EQ(results("peek2(0x8000)"), "-1");
  tovo_poke(&pstate(), cart, 0x8010, 0);
  tovo_poke(&pstate(), cart, 0x8011, 0);
  tovo_poke(&pstate(), cart, 0x8012, 1);
  tovo_poke(&pstate(), cart, 0x8013, 0);
  EXPECT_EQ(results("peek4(0x8010)"), "1");
  EXPECT_EQ(raw("peek4(0x8000)"), -1);
  EXPECT_EQ(results("peek2(0x8010, 2)"), "0,1");
  EXPECT_EQ(results("peek(0xffff, 2)"), "0,0");  // the address wraps
}

TEST_F(MemBindingsTest, PokeScreenGoesStraightToPixels) {
  run("poke(0x6000, 0x21)");
  EXPECT_EQ(screen_pixel(0, 0), 1);
  EXPECT_EQ(screen_pixel(1, 0), 2);
  run("poke4(0x6000, 0x7654.3210)");
  for (int x = 0; x < 8; x++) EXPECT_EQ(screen_pixel(x, 0), x);
  run("poke2(0x7ffe, 0xabcd)");
  EXPECT_EQ(screen_pixel(124, 127), 0xd);
  EXPECT_EQ(screen_pixel(127, 127), 0xa);
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x7fff), 0xab);
  run("poke4(0x7ffe, 0x1111.1111)");  // crosses out of the screen: byte by byte
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x8001), 0x11);
}

TEST_F(MemBindingsTest, PokeValuesAndDefaults) {
  tovo_poke(&pstate(), cart, 0x1234, 9);
  run("poke(0x1234)");
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x1234), 0);
  run("poke(0x8000, 1, 2, 3)");
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x8002), 3);
  run("poke(0x8010, 0x1ff)");
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x8010), 0xff);
  run("poke2(0x8020, -2)");
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x8020), 0xfe);
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x8021), 0xff);
  run("poke(-1, 7)");  // -1 is 0xffff
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0xffff), 7);
}

TEST_F(MemBindingsTest, Charges) {
  // spend_cpu(n - 1) charges at least 2 cycles, so one value nets 0.
  EXPECT_EQ(charge("peek", "0x8000"), -2 + 2);
  EXPECT_EQ(charge("peek", "0x8000, 10"), -2 + 2 * 9);
  EXPECT_EQ(charge("peek", ""), 2);
  EXPECT_EQ(charge("poke", "0x8000"), 2);
  EXPECT_EQ(charge("poke", "0x8000, 1"), -2 + 2);
  EXPECT_EQ(charge("poke4", "0x8000, 1, 2, 3"), -2 + 2 * 2);
  EXPECT_EQ(charge("memcpy", "0x8000, 0x9000, 100"), 2 * 50);
  EXPECT_EQ(charge("memcpy", "0x8000, 0x8000, 100"), 0);
  EXPECT_EQ(charge("memset", "0x8000, 7, 100"), 2 * 25);
  EXPECT_EQ(charge("memset", "0, 7, 0.5"), 0);
}

TEST_F(MemBindingsTest, MemcpyAndMemset) {
  run("memset(0x8000, 7, 4) memcpy(0x9000, 0x8000, 3)");
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x9002), 7);
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x9003), 0);
  run("memset(0x8100, 9, 0.5)");
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x8100), 0);
}

TEST_F(MemBindingsTest, ReloadFromTheWorkingCart) {
  tovo_poke(nullptr, working, 0x10, 0x55);
  EXPECT_EQ(results("reload(0x8000, 0x10, 1)"), "1");
  EXPECT_EQ(tovo_peek(&pstate(), cart, 0x8000), 0x55);
  EXPECT_EQ(charge("reload", "0x8000, 0x10, 10000"), 2 * 8 * 4096);
  EXPECT_EQ(charge("reload", ""), 2 * 32768);
}

}  // namespace
