// Controllers plugged in and pulled out while the player runs: SDL's virtual
// controllers go through the engine's event pump, and the frame loop tells
// the user on the message bar (but not during the boot).
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "engine/platform/events.h"
#include "engine/platform/joystick.h"
#include "engine/tarq.h"
#include "player/frame.h"
#include "player/message.h"
#include "player/shell_state.h"
#include "tests/support/temp_dir.h"

namespace {

struct joystick_message : ::testing::Test {
  tovo_test::temp_home home;  // the controller slots look for a mapping file there
  void SetUp() override {
    tarq_state = tarq_engine_state{};
    message_bar = {};
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS), 0);
    tarq_joystick_init();
    pump();  // nothing plugged in yet
  }
  void TearDown() override {
    tarq_joystick_exit();
    SDL_Quit();
    shell.mode = 0;
    message_bar = {};
    tarq_state = tarq_engine_state{};
  }
  // The platform events as the engine's pump hands them on.
  static void pump() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) tarq_handle_event(e, 0);
  }
  static int plug_in() { return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0); }
  // The message the frame loop shows now, "" for none.
  static std::string shown() {
    serve_joystick_reports();
    return tarq_get_time() < message_bar.end ? message_bar.text : "";
  }
};

TEST_F(joystick_message, PluggingAndPullingShowTheControllersSlot) {
  shell.mode = TOVO_MODE_RUNNING;
  const int first = plug_in();
  ASSERT_GE(first, 0);
  pump();
  EXPECT_EQ(shown(), "joystick 0 connected");
  EXPECT_EQ(message_bar.end - message_bar.start, 1400 + TOVO_MESSAGE_EXTRA_MS);
  EXPECT_EQ(tarq_state.joystick_connected, 0) << "the report is served once";

  message_bar = {};
  EXPECT_EQ(shown(), "");  // nothing new: no message
  const int second = plug_in();
  ASSERT_GE(second, 0);
  pump();
  EXPECT_EQ(shown(), "joystick 1 connected");

  shell.mode = TOVO_MODE_STOPPED;  // the stopped screen hears of it too
  SDL_JoystickDetachVirtual(first);
  pump();
  EXPECT_EQ(shown(), "joystick 0 disconnected");
  EXPECT_EQ(tarq_state.joystick_disconnected, 0);
}

TEST_F(joystick_message, DuringTheBootReportsAreDropped) {
  for (int32_t mode : {TOVO_MODE_BOOT, TOVO_MODE_SPLASH}) {
    shell.mode = mode;
    const int device = plug_in();
    ASSERT_GE(device, 0);
    pump();
    EXPECT_EQ(shown(), "") << mode;
    SDL_JoystickDetachVirtual(device);
    pump();
    EXPECT_EQ(shown(), "") << mode;
    EXPECT_EQ(tarq_state.joystick_connected, 0);
    EXPECT_EQ(tarq_state.joystick_disconnected, 0);
    shell.mode = TOVO_MODE_RUNNING;  // a report left over would show now
    EXPECT_EQ(shown(), "") << mode;
  }
}

}  // namespace
