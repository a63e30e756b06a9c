// GUI elements and the per-frame pass, driven with given mouse states and times.
#include <gtest/gtest.h>

#include <vector>

#include "engine/platform/audio_plat.h"
#include "engine/platform/gui.h"
#include "engine/platform/gui_elements.h"
#include "engine/tarq.h"

namespace {

struct sent {
  int32_t slot, message, a, b, c;
  bool operator==(const sent&) const = default;
};

std::vector<sent> messages;
int32_t locked_depth_seen = -1;

void record(tarq_gui_element* e, int32_t a, int32_t b, int32_t c, int32_t message) {
  int32_t slot = -1;
  for (int32_t i = 0; i < TARQ_GUI_SLOTS; i++)
    if (tarq_get_gui_element(i) == e) slot = i;
  messages.push_back({slot, message, a, b, c});
  locked_depth_seen = tarq_audio_lock_depth();
}

std::vector<int32_t> messages_of(int32_t slot) {
  std::vector<int32_t> out;
  for (const sent& s : messages)
    if (s.slot == slot) out.push_back(s.message);
  return out;
}

struct Gui : ::testing::Test {
  int32_t width_ref = 64 * 10;  // double clicks within 10 pixels
  void SetUp() override {
    tarq_state = tarq_engine_state{};
    ASSERT_EQ(tarq_gui_init(), 0);
    messages.clear();
  }
  void TearDown() override { tarq_gui_exit(); }
  int32_t add(int32_t x, int32_t y, int32_t w, int32_t h, int32_t kind = 1) {
    return tarq_add_guie(&width_ref, x, y, w, h, kind, record);
  }
  // One pass; returns the messages it sent.
  std::vector<int32_t> pass(int32_t slot, int32_t mx, int32_t my, int32_t buttons, int32_t now) {
    messages.clear();
    tarq_gui_pass(mx, my, buttons, now);
    return messages_of(slot);
  }
  using msgs = std::vector<int32_t>;
};

TEST_F(Gui, AddStoresFieldsAndFindsSlots) {
  int32_t a = add(1, 2, 3, 4, 5);
  int32_t b = add(0, 0, 1, 1);
  ASSERT_GE(a, 0);
  ASSERT_NE(a, b);
  tarq_gui_element* e = tarq_get_gui_element(a);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->kind, 5);
  EXPECT_EQ(e->x, 1);
  EXPECT_EQ(e->y, 2);
  EXPECT_EQ(e->width, 3);
  EXPECT_EQ(e->height, 4);
  EXPECT_EQ(e->flags, 0u);
  EXPECT_EQ(e->user, &width_ref);
  EXPECT_EQ(tarq_gui_num_elements(), 2);
  EXPECT_EQ(tarq_get_gui_element(-1), nullptr);
  EXPECT_EQ(tarq_get_gui_element(TARQ_GUI_SLOTS), nullptr);
  tarq_delete_guie(a);
  EXPECT_EQ(tarq_get_gui_element(a), nullptr);
  EXPECT_NE(tarq_get_gui_element(b), nullptr);
  EXPECT_EQ(tarq_gui_num_elements(), 1);
}

TEST_F(Gui, FullPodAndMissingPodRefuse) {
  for (int32_t i = 0; i < TARQ_GUI_SLOTS; i++) ASSERT_GE(add(0, 0, 1, 1), 0);
  EXPECT_EQ(add(0, 0, 1, 1), -1);
  tarq_gui_exit();
  EXPECT_EQ(add(0, 0, 1, 1), -1);
  EXPECT_EQ(tarq_get_gui_element(0), nullptr);
  EXPECT_EQ(tarq_gui_num_elements(), 0);
  EXPECT_EQ(tarq_gui_cursor_element(), -1);
  EXPECT_EQ(tarq_gui_get_keyboard_focus(), nullptr);
  EXPECT_EQ(tarq_process_gui(), 0);
}

TEST_F(Gui, EmptyPodPassTakesNoLockAndSendsNothing) {
  locked_depth_seen = -1;
  tarq_gui_pass(5, 5, 1, 1000);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(tarq_audio_lock_depth(), 0);
}

TEST_F(Gui, EnterHoverLeaveUnderTheLock) {
  int32_t e = add(10, 10, 20, 20);
  EXPECT_EQ(pass(e, 0, 0, 0, 1000), msgs{});
  EXPECT_EQ(pass(e, 10, 10, 0, 1016), (msgs{TARQ_GUI_HOVER, TARQ_GUI_ENTER}));
  EXPECT_EQ(locked_depth_seen, 1);
  EXPECT_EQ(tarq_audio_lock_depth(), 0);
  EXPECT_EQ(tarq_gui_cursor_element(), e);
  EXPECT_EQ(pass(e, 29, 29, 0, 1032), msgs{TARQ_GUI_HOVER});
  EXPECT_EQ(pass(e, 30, 29, 0, 1048), msgs{TARQ_GUI_LEAVE});  // right edge is outside
  EXPECT_EQ(tarq_gui_cursor_element(), -1);
}

TEST_F(Gui, LaterElementWinsUnlessEarlierIsElevated) {
  int32_t lower = add(0, 0, 50, 50);
  int32_t upper = add(10, 10, 50, 50);
  pass(upper, 20, 20, 0, 1000);
  EXPECT_EQ(messages_of(upper), (msgs{TARQ_GUI_HOVER, TARQ_GUI_ENTER}));
  EXPECT_EQ(messages_of(lower), msgs{});

  tarq_gui_elevate_element(tarq_get_gui_element(lower));
  pass(upper, 20, 20, 0, 1016);
  EXPECT_EQ(messages_of(upper), msgs{TARQ_GUI_LEAVE});
  EXPECT_EQ(messages_of(lower), (msgs{TARQ_GUI_HOVER, TARQ_GUI_ENTER}));
  EXPECT_EQ(tarq_gui_cursor_element(), lower);
  // Elevation lasts while the element wins; the loser's flag is cleared.
  EXPECT_TRUE(tarq_get_gui_element(lower)->flags & TARQ_GUI_ELEVATED);
  pass(upper, 55, 55, 0, 1032);
  EXPECT_FALSE(tarq_get_gui_element(lower)->flags & TARQ_GUI_ELEVATED);
}

TEST_F(Gui, PressHoldReleaseAndClick) {
  int32_t e = add(0, 0, 100, 100);
  pass(e, 50, 50, 0, 1000);
  EXPECT_EQ(pass(e, 50, 50, 1, 1100), (msgs{TARQ_GUI_PRESS, TARQ_GUI_HOLD}));
  EXPECT_EQ(pass(e, 51, 50, 1, 1200), msgs{TARQ_GUI_HOLD});
  EXPECT_EQ(pass(e, 52, 50, 0, 1300), (msgs{TARQ_GUI_RELEASE, TARQ_GUI_CLICK, TARQ_GUI_DROP}));
  // No hover while still pressed; the click carries the buttons of the last pass.
  EXPECT_EQ(messages[1].c, 1);
  // A slow release completes no click.
  pass(e, 50, 50, 1, 2000);
  EXPECT_EQ(pass(e, 50, 50, 0, 2500), (msgs{TARQ_GUI_RELEASE, TARQ_GUI_DROP}));
}

TEST_F(Gui, HeldButtonEnteringDoesNotPress) {
  int32_t e = add(0, 0, 10, 10);
  pass(e, 50, 50, 1, 1000);  // pressed outside
  EXPECT_EQ(pass(e, 5, 5, 1, 1016), msgs{TARQ_GUI_ENTER});
  // After a clear a held button does not count as a new press either.
  tarq_gui_clear();
  e = add(0, 0, 10, 10);
  EXPECT_EQ(pass(e, 5, 5, 1, 1032), msgs{TARQ_GUI_ENTER});
  EXPECT_EQ(tarq_gui_num_elements(), 1);
}

TEST_F(Gui, DoubleAndTripleClicks) {
  int32_t e = add(0, 0, 100, 100);
  pass(e, 50, 50, 0, 1000);
  EXPECT_EQ(pass(e, 50, 50, 1, 1100), (msgs{TARQ_GUI_PRESS, TARQ_GUI_HOLD}));
  pass(e, 50, 50, 0, 1200);
  EXPECT_EQ(pass(e, 52, 50, 1, 1400), (msgs{TARQ_GUI_PRESS, TARQ_GUI_DOUBLE_CLICK, TARQ_GUI_HOLD}));
  // The release of the second click is a double click on release.
  EXPECT_EQ(pass(e, 52, 50, 0, 1450),
            (msgs{TARQ_GUI_RELEASE, TARQ_GUI_CLICK, TARQ_GUI_DOUBLE_CLICK_RELEASE, TARQ_GUI_DROP}));
  EXPECT_EQ(pass(e, 52, 51, 1, 1700),
            (msgs{TARQ_GUI_PRESS, TARQ_GUI_TRIPLE_CLICK, TARQ_GUI_DOUBLE_CLICK, TARQ_GUI_HOLD}));
}

TEST_F(Gui, DoubleClickNeedsTimeAndRadius) {
  int32_t e = add(0, 0, 100, 100);
  struct {
    int32_t x, t;
    bool doubled;
  } cases[] = {{50, 1399, true}, {50, 1400, false}, {59, 1100, true}, {60, 1100, false}};
  for (auto& c : cases) {
    tarq_gui_init();
    tarq_gui_clear();
    e = add(0, 0, 100, 100);
    pass(e, 50, 50, 0, 900);
    pass(e, 50, 50, 1, 1000);
    pass(e, 50, 50, 0, 1010);
    std::vector<int32_t> got = pass(e, c.x, 50, 1, c.t);
    bool doubled = std::find(got.begin(), got.end(), TARQ_GUI_DOUBLE_CLICK) != got.end();
    EXPECT_EQ(doubled, c.doubled) << c.x << " " << c.t;
  }
}

TEST_F(Gui, NoUserDataTakesTheElementWidth) {
  int32_t e = tarq_add_guie(nullptr, 0, 0, 640, 100, 1, record);
  pass(e, 50, 50, 0, 1000);
  pass(e, 50, 50, 1, 1100);
  pass(e, 50, 50, 0, 1200);
  EXPECT_EQ(pass(e, 55, 50, 1, 1300), (msgs{TARQ_GUI_PRESS, TARQ_GUI_DOUBLE_CLICK, TARQ_GUI_HOLD}));
}

TEST_F(Gui, QuickClickWithinOneFrame) {
  int32_t e = add(0, 0, 100, 100);
  pass(e, 50, 50, 0, 1000);
  tarq_state.quick_click_button = 3;
  tarq_state.quick_click_time = 1010;
  EXPECT_EQ(pass(e, 50, 50, 0, 1016), (msgs{TARQ_GUI_HOVER, TARQ_GUI_CLICK}));
  EXPECT_EQ(messages[1].c, 3);
  EXPECT_EQ(tarq_state.quick_click_button, 0);
  // A stale record is dropped without a click.
  tarq_state.quick_click_button = 1;
  tarq_state.quick_click_time = 1000;
  EXPECT_EQ(pass(e, 50, 50, 0, 1600), msgs{TARQ_GUI_HOVER});
}

TEST_F(Gui, WheelGoesToTheElementUnderTheMouseAndIsCleared) {
  int32_t e = add(0, 0, 10, 10);
  tarq_state.wheel_x = 2;
  tarq_state.wheel_y = -3;
  pass(e, 50, 50, 0, 1000);
  EXPECT_EQ(tarq_state.wheel_y, -3);  // nothing under the mouse keeps the sums
  pass(e, 5, 5, 0, 1016);
  ASSERT_EQ(messages.back().message, TARQ_GUI_WHEEL);
  EXPECT_EQ(messages.back().a, 2);
  EXPECT_EQ(messages.back().b, -3);
  EXPECT_EQ(tarq_state.wheel_x, 0);
  EXPECT_EQ(tarq_state.wheel_y, 0);
}

TEST_F(Gui, BroadcastKeysAndFocus) {
  int32_t a = add(0, 0, 1, 1, 4), b = add(0, 0, 1, 1, 4), c = add(0, 0, 1, 1, 7), d = add(0, 0, 1, 1, 2);
  messages.clear();
  tarq_gui_broadcast(TARQ_GUI_DRAW, 4);
  EXPECT_EQ(messages.size(), 2u);
  messages.clear();
  tarq_gui_broadcast(TARQ_GUI_DRAW, 0);
  EXPECT_EQ(messages.size(), 4u);

  messages.clear();
  tarq_gui_key_event(42);
  EXPECT_EQ(messages, (std::vector<sent>{{c, TARQ_GUI_KEY, 42, 0, 0}}));
  EXPECT_EQ(tarq_gui_get_keyboard_focus(), nullptr);

  tarq_gui_set_keyboard_focus(tarq_get_gui_element(b));
  EXPECT_EQ(tarq_gui_get_keyboard_focus(), tarq_get_gui_element(a));  // same kind: both get focus
  EXPECT_FALSE(tarq_get_gui_element(d)->flags & TARQ_GUI_FOCUS);
  messages.clear();
  tarq_gui_key_event(7);
  EXPECT_EQ(messages.size(), 3u);

  messages.clear();
  tarq_gui_message_ex(d, 99, 1, 2, 3);
  tarq_gui_message_ex(TARQ_GUI_SLOTS + 5, 99, 1, 2, 3);
  EXPECT_EQ(messages, (std::vector<sent>{{d, 99, 1, 2, 3}}));
}

// A handler that deletes every element when it is pressed.
void clear_on_press(tarq_gui_element* e, int32_t a, int32_t b, int32_t c, int32_t message) {
  record(e, a, b, c, message);
  if (message == TARQ_GUI_PRESS) tarq_gui_clear();
}

TEST_F(Gui, HandlerMayClearThePodDuringThePass) {
  add(0, 0, 100, 100);
  int32_t e = tarq_add_guie(&width_ref, 0, 0, 10, 10, 1, clear_on_press);
  pass(e, 5, 5, 0, 1000);
  messages.clear();
  tarq_gui_pass(5, 5, 1, 1100);
  EXPECT_EQ(tarq_gui_num_elements(), 0);
  EXPECT_EQ(messages.back().message, TARQ_GUI_PRESS);
  EXPECT_EQ(tarq_audio_lock_depth(), 0);
}

}  // namespace
