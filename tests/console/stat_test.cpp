// stat: every index group, the devkit gating, clear-on-read, the memory and
// CPU arithmetic, dates in UTC and local time, and its charge.
#include <cstring>
#include <ctime>
#include <string>

#include "console/bindings/stat.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/serial.h"
#include "console/print/host_output.h"
#include "console/run/run.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "engine/platform/host.h"
#include "engine/platform/joystick.h"
#include "script/vm/cpu.h"
#include "tests/console/bindings_fixture.h"
#include "tests/support/fake_shell.h"
#include "tests/support/temp_dir.h"

namespace {

int32_t items = 0;
int32_t item_count() { return items; }
const char* hash() { return "0123456789abcdef0123456789abcdef01234567"; }

class StatTest : public BindingsTest {
 protected:
  void SetUp() override {
    BindingsTest::SetUp();
    std::memset(&stat_inputs(), 0, sizeof stat_inputs());
    install_fake_shell();
    tovo_shell().menu_item_count = item_count;
    tovo_shell().working_cart_hash = hash;
    std::memset(run_state().param, 0, sizeof run_state().param);
    run_state().running = 1;
  }
  void TearDown() override {
    std::memset(&stat_inputs(), 0, sizeof stat_inputs());
    run_state().running = 0;
    BindingsTest::TearDown();
  }
};

TEST_F(StatTest, IndexRulesAndUnlistedIndices) {
  EXPECT_EQ(results("stat(0.5) == stat(0)"), "true");
  EXPECT_EQ(results("stat(-1), stat(27), stat(200), stat(123)"), "0,0,0,0");
  EXPECT_EQ(results("stat(64), stat(65), stat(71), stat(72)"), "nil,nil,nil,0");
  EXPECT_EQ(results("stat(5), stat(12), stat(14), stat(104)"), "34,23,104,false");
  EXPECT_EQ(results("stat(7.9)"), results("stat(7)"));
}

TEST_F(StatTest, MemoryIsCappedAndCpuIsAFractionOfTheFrame) {
  pstate().script_memory = 1024 * 10;
  pstate().code_overhead = 512;
  EXPECT_EQ(results("stat(99)"), "10.5");
  pstate().script_memory = 0x7fffff00;
  pstate().code_overhead = 0x7fffff00;  // the sum is taken in 64 bits
  EXPECT_EQ(results("stat(99)"), "2048");
  pstate().script_memory = -5000;
  pstate().code_overhead = 0;
  EXPECT_EQ(results("stat(99)"), "0");

  // stat's own charge (32) is counted before the answer.
  run_state().target_fps = 30;
  run_state().spend_counter = 279620 / 2 - 32;
  EXPECT_EQ(raw("stat(2)"), 0x8000);
  run_state().target_fps = 60;
  run_state().spend_counter = 139810 - 32;
  EXPECT_EQ(raw("stat(2)"), 0x10000);
  run_state().spend_counter = 0x70000000;  // the product needs 64 bits
  EXPECT_GT(raw("stat(2)"), 0);
}

TEST_F(StatTest, DevkitGating) {
  stat_inputs().key_queue[stat_inputs().key_queue_len++] = 'q';  // a typed character, as the shell queues it
  EXPECT_EQ(results("stat(30), stat(31), stat(28, 4), stat(32), stat(35)"), "false,\"\",false,0,0");
  pstate().ram[0x5f2d] = 1;
  EXPECT_EQ(results("stat(28, 'a')"), "0");
  EXPECT_EQ(results("stat(28, 4)"), "false");
  EXPECT_EQ(results("stat(30), stat(31), stat(31), stat(30)"), "true,\"q\",\"\",false");
  button_state().rel_x = 5;
  EXPECT_EQ(results("stat(38)"), "0");  // needs the relative bit too
  pstate().ram[0x5f2d] = 5;
  EXPECT_EQ(results("stat(38)"), "5");
  EXPECT_EQ(fake_shell.messages, 0);  // messages only for bulletin-board carts
}

TEST_F(StatTest, DevkitMessageOnceForBulletinBoardCarts) {
  stat_inputs().bbs_play = 1;
  pstate().ram[0x5f2d] = 1;
  run("stat(30) stat(31) stat(32)");
  EXPECT_EQ(fake_shell.messages, 1);
  EXPECT_STREQ(fake_shell.message, "devkit keyboard enabled");
  EXPECT_EQ(fake_shell.message_ms, 2000);
}

TEST_F(StatTest, MouseChangesClearOnRead) {
  stat_inputs().mouse_changes = 5;
  EXPECT_EQ(results("stat(37), stat(37)"), "5,0");
}

TEST_F(StatTest, PauseMenuEdgesGrowWithItems) {
  items = 2;
  EXPECT_EQ(results("stat(13), stat(15)"), "51,76");
  items = 3;
  EXPECT_EQ(results("stat(13), stat(15)"), "47,80");
}

TEST_F(StatTest, SoundQueriesWithoutMusic) {
  EXPECT_EQ(results("stat(24), stat(25), stat(26), stat(54), stat(16), stat(20), stat(46)"), "-1,-1,-1,0,-1,-1,-1");
}

// The six date fields of a moment as the stat queries give them.
std::string date_fields(const struct tm& t) {
  return std::to_string(t.tm_year + 1900) + "," + std::to_string(t.tm_mon + 1) + "," + std::to_string(t.tm_mday) + "," +
         std::to_string(t.tm_hour) + "," + std::to_string(t.tm_min) + "," + std::to_string(t.tm_sec);
}

TEST_F(StatTest, DatesInUtcAndLocalTime) {
  // Local time 9 h 45 min ahead of UTC, no summer time: the hour, the
  // minute and mostly the day differ between the two groups.
  std::string utc, local;
  struct tm g, l;
  {
    tovo_test::scoped_env tz("TZ", "XYZ-09:45");
    tzset();
    time_t now = 0;
    for (int i = 0; i < 5; i++) {  // until the second did not change in between
      now = time(nullptr);
      utc = results("stat(80), stat(81), stat(82), stat(83), stat(84), stat(85)");
      local = results("stat(90), stat(91), stat(92), stat(93), stat(94), stat(95)");
      if (time(nullptr) == now) break;
    }
    gmtime_r(&now, &g);
    localtime_r(&now, &l);
  }
  tzset();  // the process's own zone again
  EXPECT_EQ(utc, date_fields(g));
  EXPECT_EQ(local, date_fields(l));
  EXPECT_NE(utc, local);
}

TEST_F(StatTest, TextsAndFlags) {
  std::strcpy(run_state().param, "abc");
  EXPECT_EQ(results("stat(6)"), "\"abc\"");
  EXPECT_EQ(results("stat(103)"), std::string("\"") + hash() + "\"");
  // SHA-1 of "abc" followed by the hash, computed independently.
  std::string s106 = results("stat(106)");
  EXPECT_EQ(s106.size(), 42u);
  EXPECT_EQ(results("stat(101)"), "nil");
  std::strcpy(run_state().running_cart_lid, "mycart-3");
  EXPECT_EQ(results("stat(101)"), "\"mycart-3\"");
  run_state().running = 0;
  EXPECT_EQ(results("stat(101)"), "nil");
  run_state().running_cart_lid[0] = 0;
  EXPECT_EQ(results("stat(100)"), "nil");
  run_state().load_status = 3;
  run_state().step = 1;
  EXPECT_EQ(results("stat(107), stat(110), stat(122)"), "3,true,false");
  run_state().step = 0;
  EXPECT_EQ(raw("stat(29)"), tarq_count_joysticks());
}

TEST_F(StatTest, ClipboardAndSerialQueries) {
  tovo_set_player_clipboard("hi");
  EXPECT_EQ(results("stat(4)"), "\"hi\"");
  tovo_set_player_clipboard(nullptr);
  EXPECT_EQ(results("stat(4)"), "\"\"");
  const uint8_t data[] = {1, 2};
  serial_set_dropped_file(data, 2);
  EXPECT_EQ(results("stat(120), stat(121)"), "true,false");
  reset_serial_file_buffers();
  EXPECT_EQ(results("stat(120)"), "false");
  serial_free_buffers();
}

TEST_F(StatTest, NoArgumentAnswersIndexOne) {
  charge("stat", "");
  EXPECT_EQ(lua_tonumber(L, -1), cycles_2_frame_capacity(lua_get_cpu_cycles(L)));
}

TEST_F(StatTest, ChargesSixteen) {
  EXPECT_EQ(charge("stat", "5"), 32);
  EXPECT_EQ(charge("stat", ""), 32);
}

}  // namespace
