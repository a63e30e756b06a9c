// Buttons and serial as a running cart sees them: btnp repeats at the
// cart's frame rate through the epilogue's button update, and GPIO packets
// arrive when flip ends the frame.
#include <cstring>

#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "engine/platform/events.h"
#include "tests/support/cart_harness.h"

namespace {

class InputRunTest : public tovo_test::CartHarness {
 protected:
  void SetUp() override {
    CartHarness::SetUp();
    std::memset(&button_state(), 0, sizeof button_state());
    std::memset(&button_config(), 0, sizeof button_config());
    tarq_keys_init();
  }
  void TearDown() override {
    tarq_release_keys();
    CartHarness::TearDown();
  }
};

TEST_F(InputRunTest, BtnpRepeatsAtTheCartsFrameRate) {
  const char* carts[] = {
      "f=0 s='' function _update() if btnp(1) then s=s..f..',' end f+=1 end",
      "f=0 s='' function _update60() if btnp(1) then s=s..f..',' end f+=1 end",
  };
  const char* expected[] = {"0,15,19,23,", "0,30,38,46,"};
  for (int i = 0; i < 2; i++) {
    start(carts[i]);
    tick();  // the top level and the first frame, before the key goes down
    std::string first = global("f");
    tarq_set_key(79, 1);  // right arrow held
    tick(i == 0 ? 26 : 50);
    tarq_set_key(79, 0);
    std::string s = global("s");
    // Frames counted from the first one that saw the key.
    std::string shifted;
    int base = std::stoi(first);
    size_t at = 0;
    while (at < s.size()) {
      size_t comma = s.find(',', at);
      shifted += std::to_string(std::stoi(s.substr(at, comma - at)) - base) + ",";
      at = comma + 1;
    }
    EXPECT_EQ(shifted, expected[i]) << carts[i];
    step_input(TOVO_INPUT_CART);  // the key let go before the next cart
  }
}

TEST_F(InputRunTest, SerialPacketsArriveAtFlip) {
  start("poke(0x8000, 0x11, 0x22) serial(3, 0x8000, 2) a=peek(0x5f83) flip() b=peek(0x5f83)");
  tick(3);
  EXPECT_EQ(global("a"), "0");
  EXPECT_EQ(global("b"), "34");
}

}  // namespace
