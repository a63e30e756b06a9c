// Bulletin-board downloads against a local HTTP server started by the test:
// a cart fetched by its information file, loaded and started; a server that
// never answers timing out; a cancelled download whose worker finishes
// later; a fetch the server refuses.
#include <gtest/gtest.h>

#include <SDL_scancode.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>

#include "console/machine/cart.h"
#include "console/machine/pstate.h"
#include "console/run/run_chain.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "player/browser/splore_download.h"
#include "player/cart/cart_png.h"
#include "player/extra/splore_requests.h"
#include "player/frame.h"
#include "player/frame_step.h"
#include "player/message.h"
#include "player/shell_state.h"
#include "script/api/api.h"
#include "tests/support/cart_machine.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::temp_dir;

struct splore_download_test : ::testing::Test {
  tovo_test::temp_home home;
  temp_dir served;
  int32_t saved_timeout = 0;

  void SetUp() override {
    if (!tovo_test::on_path("python3") || !tovo_test::on_path("wget")) GTEST_SKIP() << "needs python3 and wget";
    memset(&run_state, 0, sizeof run_state);
    reset_run_chain();
    tovo_test::create_cart_machine();
    shell.mode = TOVO_MODE_STOPPED;
    shell.frame_rate = 30;
    shell.program_started = 0;
    app.pause_state = 0;
    app.play_source = 2;
    message_bar = {};
    saved_timeout = cconfig.timeout;
    cconfig.timeout = 30;
    cancel_download(nullptr);
    tarqkey[SDL_SCANCODE_ESCAPE] = 0;
    mkdir((served.path + "/bbs").c_str(), 0755);
  }
  void TearDown() override {
    cancel_download(nullptr);
    tarqkey[SDL_SCANCODE_ESCAPE] = 0;
    cconfig.timeout = saved_timeout;
    tovo_test::destroy_cart_machine();
    shell.mode = 0;
    shell.program_started = 0;
    run_state = {};
  }

  // A picture cart with this code, served for every cart request.
  void serve_cart(const std::string& code) {
    tovo_cart* cart = tarq_create_tovo_cart();
    snprintf(cart->code, TOVO_CODE_SIZE, "%s", code.c_str());
    ASSERT_EQ(save_tovo_cart_png(cart, (served.path + "/bbs/get_cart.php").c_str()), 0);
    tarq_destroy_tovo_cart(cart);
  }

  // Polls as the running tick does until done() or the time is up; the ms spent.
  int poll_until(const std::function<bool()>& done, int ms) {
    auto start = std::chrono::steady_clock::now();
    auto spent = [&] {
      return (int)std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
          .count();
    };
    while (spent() < ms) {
      update_load_download();
      if (done()) break;
      tovo_test::sleep_ms(20);
    }
    return spent();
  }

  static std::string app_file(const char* name) {
    char path[TARQ_PATH_MAX];
    tarq_prefix_with_appdata_path(name, path);
    return path;
  }

  int32_t global_n() {
    if (!L0_cart) return -1;
    lua_getglobal(L0_cart, "n");
    int32_t n = lua_type(L0_cart, -1) == LUA_TNUMBER ? lua_tointeger(L0_cart, -1) : -1;
    lua_pop(L0_cart, 1);
    return n;
  }

  void frame() {
    app.accumulator = 0;
    app.last_t = tarq_get_time() + TOVO_TIME_OFFSET - 40;
    tovo_frame_update();
  }
};

TEST_F(splore_download_test, ARunningCartFetchesAnotherThatThenRuns) {
  serve_cart("n=40\nfunction _update() n+=1 end\n");
  tovo_test::write_file(served.path + "/bbs/cpost_lister3.php",
                        "lid: 4321\ntitle: Far Cart\nauthor: Some One\nmid: 9\ncatsub: 2\n");
  tovo_test::http_server server(served.path);
  ASSERT_TRUE(server.up());
  splore_set_bbs_base(server.base().c_str());
  shell.program_started = 1;  // a cart runs and asked for another
  add_run_chain_item("asker.kx", "back", 1);

  ASSERT_EQ(download_bbs_cart_nfo("4321", SPLORE_AWAIT_INFO), 0);
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_RUNNING);
  // The frame loop polls the download in place of running slices.
  shell.mode = TOVO_MODE_RUNNING;
  auto start = std::chrono::steady_clock::now();
  while (run_state.pending_action != TOVO_PENDING_RUN &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
    frame();
    tovo_test::sleep_ms(20);
  }
  ASSERT_EQ(run_state.pending_action, TOVO_PENDING_RUN) << message_bar.text;
  EXPECT_EQ(run_state.load_delay, 19) << "20, counted down once by the download's own tick";
  EXPECT_EQ(app.play_source, 6);
  EXPECT_STREQ(running_item.title, "far cart");
  EXPECT_STREQ(running_item.author, "some_one");
  EXPECT_STREQ(running_item.lid, "4321");
  EXPECT_TRUE(tovo_test::file_exists(app_file("bbs/0/4321.kx.png")));
  EXPECT_EQ(std::string(pitem[0]->code).find("n=40"), 0u);

  run_state.load_delay = 0;
  for (int i = 0; i < 4; i++) frame();
  EXPECT_EQ(shell.mode, TOVO_MODE_RUNNING);
  EXPECT_GT(global_n(), 40) << "the downloaded cart runs";
  run_state.pending_action = TOVO_PENDING_SUSPEND;
  frame();
}

TEST_F(splore_download_test, BeforeTheStartTheLoadedCartIsReported) {
  serve_cart("-- a cached cart\nprint(1)\n");
  tovo_test::http_server server(served.path);
  splore_set_bbs_base(server.base().c_str());
  run_state.exec = 1;  // console lines go to standard output
  snprintf(splore_download.title, sizeof splore_download.title, "far cart");
  testing::internal::CaptureStdout();
  ASSERT_EQ(download_bbs_cart("777"), 0);
  poll_until([] { return app.play_source != 2; }, 20000);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(app.play_source, 6);
  EXPECT_EQ(run_state.pending_action, 0);
  EXPECT_NE(out.find("downloading.. ok\nfar cart\nloaded #777 ("), std::string::npos) << out;
}

TEST_F(splore_download_test, ASilentServerTimesOut) {
  tovo_test::http_server server(served.path, true);
  ASSERT_TRUE(server.up());
  splore_set_bbs_base(server.base().c_str());
  cconfig.timeout = 1;
  run_state.exec = 1;
  testing::internal::CaptureStdout();
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(download_bbs_cart("55"), 0);
  poll_until([] { return splore_download_state() == SPLORE_DOWNLOAD_IDLE; }, 10000);
  const auto waited =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_IDLE);
  // Not before the second of the time-out; the engine clock and this one
  // count whole milliseconds apart, so a few may be lost to rounding.
  EXPECT_GE(waited, 990);
  EXPECT_NE(out.find("download timed out"), std::string::npos) << out;
  EXPECT_EQ(app.play_source, 2);
}

TEST_F(splore_download_test, ACancelledDownloadStaysCancelledWhenItsFetchEnds) {
  serve_cart("n=1\n");
  tovo_test::http_server server(served.path);
  splore_set_bbs_base(server.base().c_str());
  ASSERT_EQ(download_bbs_cart("9001"), 0);
  tarqkey[SDL_SCANCODE_ESCAPE] = 1;
  update_load_download();
  tarqkey[SDL_SCANCODE_ESCAPE] = 0;
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_IDLE);
  // The worker still finishes its fetch, and must not report it.
  std::string cache = app_file("bbs/0/9001.kx.png");
  for (int i = 0; i < 400 && !tovo_test::file_exists(cache); i++) tovo_test::sleep_ms(25);
  tovo_test::sleep_ms(300);
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_IDLE);
  update_load_download();
  EXPECT_EQ(app.play_source, 2);
  // A new download may start at once.
  EXPECT_EQ(download_bbs_cart("9001"), 0);
  poll_until([] { return app.play_source != 2; }, 20000);
  EXPECT_EQ(app.play_source, 6);
}

TEST_F(splore_download_test, AMissingCartFails) {
  tovo_test::http_server server(served.path);  // nothing served: 404
  splore_set_bbs_base(server.base().c_str());
  shell.program_started = 1;
  ASSERT_EQ(download_bbs_cart("31337"), 0);
  poll_until([] { return app.play_source != 2; }, 20000);
  EXPECT_EQ(app.play_source, -3);
  EXPECT_STREQ(message_bar.text, "download failed");
  EXPECT_EQ(run_state.pending_action, 0);
}

}  // namespace
