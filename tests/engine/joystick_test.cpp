#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "engine/config.h"
#include "engine/platform/joystick.h"
#include "engine/platform/joystick_report.h"
#include "engine/tarq.h"
#include "tests/support/temp_dir.h"

namespace {

// Controllers as SDL's virtual devices, with a fresh application folder.
struct Joystick : ::testing::Test {
  tovo_test::temp_home home;
  void SetUp() override {
    tarq_config_default();
    tarq_state = tarq_engine_state{};
    tarq_set_application_title("tovo");
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS), 0);
  }
  void TearDown() override {
    tarq_joystick_exit();
    SDL_Quit();
  }
  static int attach_controller() { return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0); }
  static SDL_Joystick* device_of(int slot) {
    return tarq_joysticks.metacon[slot].controller
               ? SDL_GameControllerGetJoystick(tarq_joysticks.metacon[slot].controller)
               : tarq_joysticks.metacon[slot].joystick;
  }
  static void set_axis(int slot, int axis, int16_t v) {
    SDL_JoystickSetVirtualAxis(device_of(slot), axis, v);
    SDL_JoystickUpdate();
  }
  static void set_button(int slot, int button, bool down) {
    SDL_JoystickSetVirtualButton(device_of(slot), button, down);
    SDL_JoystickUpdate();
  }
  std::string app_file(const char* name) const { return home.path() + "/.halvorn/tovo/" + name; }
};

}  // namespace

TEST_F(Joystick, AxesCountOnlyAfterTheyWereSeenAtRest) {
  attach_controller();
  tarq_joystick_init();
  ASSERT_NE(tarq_joysticks.metacon[0].controller, nullptr);
  EXPECT_EQ(tarq_count_joysticks(), 1);
  set_axis(0, 0, -32768);  // a trigger resting at one end
  set_axis(0, 1, 20000);
  int32_t x = 1, y = 1, b = 1;
  tarq_get_joystick(0, &x, &y, &b);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  set_axis(0, 0, 16383);
  tarq_get_joystick(0, &x, &y, &b);
  EXPECT_EQ(x, 16383);
  set_axis(0, 0, -32768);
  tarq_get_joystick(0, &x, &y, nullptr);
  EXPECT_EQ(x, -32768);
  EXPECT_EQ(y, 0);  // still not seen at rest
  tarq_get_joystick_axes(0, 4, 5, &x, &y);
  EXPECT_EQ(x, 0);
  tarq_get_joystick_axes(0, 40, -1, &x, &y);  // no such axes
  EXPECT_EQ(x + y, 0);
}

TEST_F(Joystick, ButtonsHeldAtPlugInCountOnlyAfterARelease) {
  attach_controller();
  tarq_joystick_init();
  set_button(0, SDL_CONTROLLER_BUTTON_A, true);
  set_button(0, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  int32_t b = -1;
  tarq_get_joystick(0, nullptr, nullptr, &b);
  EXPECT_EQ(b, 0);
  set_button(0, SDL_CONTROLLER_BUTTON_A, false);
  tarq_get_joystick(0, nullptr, nullptr, &b);
  EXPECT_EQ(b, 0);
  set_button(0, SDL_CONTROLLER_BUTTON_A, true);
  tarq_get_joystick(0, nullptr, nullptr, &b);
  EXPECT_EQ(b, 1 << SDL_CONTROLLER_BUTTON_A);
}

TEST_F(Joystick, RawJoysticksReportTheirOwnButtons) {
  SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_WHEEL, 2, 4, 0);
  tarq_joystick_init();
  ASSERT_EQ(tarq_joysticks.metacon[0].controller, nullptr);
  ASSERT_NE(tarq_joysticks.metacon[0].joystick, nullptr);
  EXPECT_EQ(tarq_count_joystick_buttons(0), 4);
  int32_t b = 0;
  tarq_get_joystick(0, nullptr, nullptr, &b);  // all released: validated
  set_button(0, 3, true);
  tarq_get_joystick(0, nullptr, nullptr, &b);
  EXPECT_EQ(b, 1 << 3);
}

TEST_F(Joystick, NineDevicesHotPlugAndCompaction) {
  for (int i = 0; i < 9; i++) attach_controller();
  tarq_joystick_init();
  for (int i = 0; i < TARQ_MAX_JOYSTICKS; i++) EXPECT_NE(tarq_joysticks.metacon[i].controller, nullptr) << i;
  int32_t x = 5, y = 5, b = 5;
  tarq_get_joystick(8, &x, &y, &b);  // the ninth is not opened and reads nothing
  EXPECT_EQ(x + y + b, 0);

  // SDL also announces devices that were there at start: nothing is opened twice.
  tarq_joystick_added(3);
  EXPECT_EQ(tarq_state.joystick_connected, 0);

  const int32_t gone = tarq_joysticks.metacon[2].instance_id;
  const int32_t last = tarq_joysticks.metacon[7].instance_id;
  SDL_JoystickDetachVirtual(2);
  tarq_joystick_removed(gone);
  EXPECT_EQ(tarq_state.joystick_disconnected, 0x102);
  EXPECT_EQ(tarq_joysticks.metacon[6].instance_id, last);  // moved down over the gap
  EXPECT_EQ(tarq_joysticks.metacon[7].controller, nullptr);

  const int device = attach_controller();
  tarq_joystick_added(device);
  EXPECT_NE(tarq_joysticks.metacon[7].controller, nullptr);  // the freed slot
  EXPECT_EQ(tarq_state.joystick_connected, device | 0x100);

  tarq_joystick_removed(12345);  // unknown: nothing changes
  tarq_joystick_exit();
  for (const auto& s : tarq_joysticks.metacon) EXPECT_TRUE(s.controller == nullptr && s.joystick == nullptr);
  tarq_get_joystick(0, &x, &y, &b);
  EXPECT_EQ(x + y + b, 0);
}

TEST_F(Joystick, MappingFilesAreReadAndTheUserFileIsMade) {
  tarq_joystick_init();
  std::string text;
  ASSERT_TRUE(tovo_test::read_file(app_file("sdl_controllers.txt"), &text));
  EXPECT_EQ(text, "// add SDL2 game controller mappings to this file\n");
  tarq_joystick_exit();

  const char* guid = "03000000aa1100002233000000010000";
  ASSERT_TRUE(tovo_test::write_file(app_file("sdl_controllers.txt"),
                                    std::string("// x\n\n   ") + guid +
                                        ",Test Pad,a:b0,b:b1,leftx:a0,lefty:a1,platform:Linux,  \n"
                                        "not a mapping\n"));
  FILE* log = tmpfile();
  tarq_state.log_file = log;
  tarq_joystick_init();
  tarq_state.log_file = nullptr;
  char* mapping = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUIDFromString(guid));
  ASSERT_NE(mapping, nullptr);
  EXPECT_NE(std::string(mapping).find("Test Pad"), std::string::npos);
  SDL_free(mapping);

  std::string logged(4096, '\0');
  rewind(log);
  logged.resize(fread(logged.data(), 1, logged.size(), log));
  fclose(log);
  EXPECT_NE(logged.find("Reading controller mappings: "), std::string::npos);
  EXPECT_NE(logged.find(" added controller mapping: 0300"), std::string::npos);
  EXPECT_NE(logged.find(" failed to add controller mapping: not a mapping"), std::string::npos);
  EXPECT_EQ(logged.find("// x"), std::string::npos);
}

// The built-in table is a full set of Linux mapping strings (GUID, name,
// bindings, platform), with one catch-all for HIDAPI devices at the end.
TEST(JoystickTable, HoldsAFullSetOfLinuxMappings) {
  int count = 0, catch_all = 0;
  bool xbox360 = false;
  for (int i = 0; controller_db_mapping[i]; i++) {
    std::string m = controller_db_mapping[i];
    count++;
    if (m.rfind("hidapi,*,", 0) == 0) {
      catch_all++;
      continue;
    }
    ASSERT_GT(m.size(), 34u) << m;
    EXPECT_EQ(m.find_first_not_of("0123456789abcdef"), 32u) << m;
    EXPECT_EQ(m[32], ',') << m;
    EXPECT_NE(m.find(",platform:Linux,"), std::string::npos) << m;
    EXPECT_NE(m.find(",a:"), std::string::npos) << m;
    xbox360 |= m.rfind("030000005e0400008e02000010010000,", 0) == 0;
  }
  EXPECT_GT(count, 200);
  EXPECT_EQ(catch_all, 1);
  EXPECT_TRUE(xbox360);
}
