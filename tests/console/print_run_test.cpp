// print inside a running cart: a wait ends the frame, the run loop finishes
// the text on later ticks before the program goes on, and the cart's console
// lines scroll unless it turns scrolling off while it runs.
#include "console/machine/machine_record.h"
#include "console/print/console_print.h"
#include "console/print/print.h"
#include "console/print/print_pending.h"
#include "console/run/run_record.h"
#include "engine/data/pod.h"
#include "tests/support/cart_harness.h"
#include "tests/support/synthetic_font.h"

namespace {

class PrintRunTest : public tovo_test::CartHarness {
 protected:
  tarq_pod* font = nullptr;
  tarq_pod* saved = nullptr;

  void SetUp() override {
    CartHarness::SetUp();
    font = make_synthetic_font_pod();
    saved = tovo_console_font();
    tovo_set_console_font(font);
    init_print_context();
  }
  void TearDown() override {
    init_print_context();
    CartHarness::TearDown();
    tovo_set_console_font(saved);
    tarq_destroy_pod(font);
  }
  // The glyph code drawn in colour v in the narrow cell at (x, y).
  int code_at(int x, int y, uint8_t v) {
    int code = 0;
    for (int r = 0; r < 2; r++) {
      for (int j = 0; j < 4; j++) {
        if (pstate().screens[0]->pixels[(y + r) * 128 + x + j] == v) code |= 1 << (4 * r + j);
      }
    }
    return code;
  }
};

TEST_F(PrintRunTest, AWaitSpansTicksAndHoldsTheProgram) {
  start("cls() w = print('a\\^3b', 0, 0, 7) after = 1");
  tick();
  EXPECT_EQ(code_at(0, 0, 7), 'a');
  EXPECT_EQ(code_at(4, 0, 7), 0);
  EXPECT_EQ(global("w"), "nil");
  EXPECT_EQ(global("after"), "nil");
  tick(3);  // three frames waited
  EXPECT_EQ(code_at(4, 0, 7), 0);
  EXPECT_EQ(global("after"), "nil");
  tick();
  EXPECT_EQ(code_at(4, 0, 7), 'b');
  EXPECT_EQ(global("after"), "1");
}

TEST_F(PrintRunTest, ARunDropsAWaitingPrint) {
  start("cls() print('a\\^9b', 0, 0, 7)");
  tick();
  EXPECT_EQ(code_at(0, 0, 7), 'a');
  ASSERT_TRUE(print_text_pending());
  // A new run starts at once: the old text neither holds it nor goes on.
  start("x = 1");
  EXPECT_FALSE(print_text_pending());
  tick();
  EXPECT_EQ(global("x"), "1");
  tick(12);
  EXPECT_EQ(code_at(4, 0, 7), 0);
}

TEST_F(PrintRunTest, CartLinesScrollUnlessBit6Of5f36) {
  // Each scroll charges 65536 cycles (doubled): the loop spans slices.
  start("cls() for i = 1, 30 do print('x') end done = peek(0x5f27)");
  tick(30);
  EXPECT_EQ(global("done"), "120");
  start("cls() poke(0x5f36, 0x40) for i = 1, 30 do print('x') end done = peek(0x5f27)");
  tick();
  EXPECT_EQ(global("done"), "180");
}

TEST_F(PrintRunTest, OnlyARunningCartKeepsConsoleLinesFromScrolling) {
  start("poke(0x5f36, 0x40)");
  tick();
  ASSERT_EQ(pstate().ram[0x5f36], 0x40);
  const int32_t running = run_state().running, program = run_state().program;
  const struct {
    const char* what;
    int32_t running, program, cursor_y;
  } cases[] = {
      {"the cart runs", 1, 1, 126},
      {"the cart has stopped", 0, 1, 120},
      {"a prompt line", 1, 0, 120},
  };
  for (const auto& c : cases) {
    run_state().running = c.running;
    run_state().program = c.program;
    pstate().camera_y = 0;
    pstate().cursor_y = 120;
    tovo_print_col("x", 7);
    EXPECT_EQ(pstate().cursor_y, c.cursor_y) << c.what;
  }
  run_state().running = running;
  run_state().program = program;
}

}  // namespace
