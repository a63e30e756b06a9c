// Bulletin-board downloads against a local HTTP server started by the test:
// a cart fetched by its information file, loaded and started; a server that
// never answers timing out; cancelled downloads; a fetch the server refuses;
// files of the wrong size or shape refused and kept out of the cache; no
// download command left running after a time-out, a cancel or the player's
// exit.
#include <gtest/gtest.h>

#include <SDL_scancode.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "player/app.h"
#include "player/browser/splore_download.h"
#include "player/browser/splore_requests.h"
#include "player/cart/cart_png.h"
#include "player/frame.h"
#include "player/frame_step.h"
#include "player/message.h"
#include "player/shell_state.h"
#include "script/api/api.h"
#include "tests/support/cart_machine.h"
#include "tests/support/http_server.h"
#include "tests/support/png_forge.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::temp_dir;

std::vector<pid_t> wget_children() { return tovo_test::children_named(getpid(), "wget"); }

// Waits up to ms for the download command to start; its pid or 0.
pid_t wait_for_download_command(int ms) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  while ((pid = splore_download_pid()) == 0 && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(ms))
    tovo_test::sleep_ms(5);
  return pid;
}

long file_size(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

constexpr const char* EXIT_CHILD_ENV = "TOVO_TEST_DOWNLOAD_EXIT_BASE";

struct splore_download_test : ::testing::Test {
  tovo_test::temp_home home;
  temp_dir served;
  int32_t saved_timeout = 0;

  void SetUp() override {
    if (!tovo_test::on_path("python3") || !tovo_test::on_path("wget")) GTEST_SKIP() << "needs python3 and wget";
    memset(&run_state(), 0, sizeof run_state());
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
    tarq_set_key(SDL_SCANCODE_ESCAPE, 0);
    mkdir((served.path + "/bbs").c_str(), 0755);
  }
  void TearDown() override {
    cancel_download(nullptr);
    tarq_set_key(SDL_SCANCODE_ESCAPE, 0);
    cconfig.timeout = saved_timeout;
    tovo_test::destroy_cart_machine();
    shell.mode = 0;
    shell.program_started = 0;
    run_state() = {};
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
    if (!L0_cart()) return -1;
    lua_getglobal(L0_cart(), "n");
    int32_t n = lua_type(L0_cart(), -1) == LUA_TNUMBER ? lua_tointeger(L0_cart(), -1) : -1;
    lua_pop(L0_cart(), 1);
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
  while (run_state().pending_action != TOVO_PENDING_RUN &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
    frame();
    tovo_test::sleep_ms(20);
  }
  ASSERT_EQ(run_state().pending_action, TOVO_PENDING_RUN) << message_bar.text;
  EXPECT_EQ(run_state().load_delay, 19) << "20, counted down once by the download's own tick";
  EXPECT_EQ(app.play_source, 6);
  EXPECT_STREQ(splore.running_item.title, "far cart");
  EXPECT_STREQ(splore.running_item.author, "some_one");
  EXPECT_STREQ(splore.running_item.lid, "4321");
  EXPECT_TRUE(tovo_test::file_exists(app_file("bbs/0/4321.kx.png")));
  EXPECT_EQ(std::string(pitem(0)->code).find("n=40"), 0u);

  run_state().load_delay = 0;
  for (int i = 0; i < 4; i++) frame();
  EXPECT_EQ(shell.mode, TOVO_MODE_RUNNING);
  EXPECT_GT(global_n(), 40) << "the downloaded cart runs";
  run_state().pending_action = TOVO_PENDING_SUSPEND;
  frame();
}

TEST_F(splore_download_test, BeforeTheStartTheLoadedCartIsReported) {
  serve_cart("-- a cached cart\nprint(1)\n");
  tovo_test::http_server server(served.path);
  splore_set_bbs_base(server.base().c_str());
  run_state().exec = 1;  // console lines go to standard output
  snprintf(splore.download.title, sizeof splore.download.title, "far cart");
  testing::internal::CaptureStdout();
  ASSERT_EQ(download_bbs_cart("777"), 0);
  poll_until([] { return app.play_source != 2; }, 20000);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(app.play_source, 6);
  EXPECT_EQ(run_state().pending_action, 0);
  EXPECT_NE(out.find("downloading.. ok\nfar cart\nloaded #777 ("), std::string::npos) << out;
}

TEST_F(splore_download_test, ASilentServerTimesOut) {
  tovo_test::http_server server(served.path, tovo_test::http_server::silent);
  ASSERT_TRUE(server.up());
  splore_set_bbs_base(server.base().c_str());
  cconfig.timeout = 1;
  run_state().exec = 1;
  testing::internal::CaptureStdout();
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(download_bbs_cart("55"), 0);
  EXPECT_GT(wait_for_download_command(20000), 0);
  EXPECT_EQ(wget_children().size(), 1u);
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
  // The time-out ended the command, which the server would have kept waiting.
  EXPECT_EQ(splore_download_pid(), 0);
  EXPECT_TRUE(wget_children().empty());
  EXPECT_FALSE(tovo_test::file_exists(app_file("bbs/0/55.kx.png")));
}

TEST_F(splore_download_test, ACancelledDownloadNeverReportsAndANewOneStartsAtOnce) {
  serve_cart("n=1\n");
  tovo_test::http_server server(served.path);
  splore_set_bbs_base(server.base().c_str());
  ASSERT_EQ(download_bbs_cart("9001"), 0);
  tarq_set_key(SDL_SCANCODE_ESCAPE, 1);
  update_load_download();
  tarq_set_key(SDL_SCANCODE_ESCAPE, 0);
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_IDLE);
  // The fetch has ended with the cancel; its worker never reports it.
  EXPECT_EQ(splore_download_pid(), 0);
  EXPECT_FALSE(tovo_test::file_exists(app_file("bbs/0/9001.kx.png")));
  update_load_download();
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_IDLE);
  EXPECT_EQ(app.play_source, 2);
  // A new download may start at once.
  EXPECT_EQ(download_bbs_cart("9001"), 0);
  poll_until([] { return app.play_source != 2; }, 20000);
  EXPECT_EQ(app.play_source, 6);
}

TEST_F(splore_download_test, CancellingMidDownloadEndsTheCommand) {
  tovo_test::http_server server(served.path, tovo_test::http_server::trickle);
  ASSERT_TRUE(server.up());
  splore_set_bbs_base(server.base().c_str());
  run_state().exec = 1;
  testing::internal::CaptureStdout();
  ASSERT_EQ(download_bbs_cart("4242"), 0);
  const pid_t pid = wait_for_download_command(20000);
  EXPECT_GT(pid, 0);
  // Wait until the body is coming in.
  const std::string cache = app_file("bbs/0/4242.kx.png");
  for (int i = 0; i < 2000 && file_size(cache) <= 0; i++) tovo_test::sleep_ms(10);
  EXPECT_GT(file_size(cache), 0);
  tarq_set_key(SDL_SCANCODE_ESCAPE, 1);
  update_load_download();
  tarq_set_key(SDL_SCANCODE_ESCAPE, 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("downloading.. cancelled"), std::string::npos) << out;
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_IDLE);
  // Killed and reaped by the time the cancel returns, and the part that
  // came is not kept.
  EXPECT_EQ(splore_download_pid(), 0);
  EXPECT_TRUE(wget_children().empty());
  EXPECT_FALSE(tovo_test::file_exists(cache));
}

// The player's exit ends a running download. A copy of this test program
// starts the download, runs the exit hook that every way out of the player
// takes and ends as the player does; this process adopts its orphans, so a
// download command that outlived it would show up here as a child.
TEST(splore_download_exit, ThePlayersExitEndsARunningDownload) {
  if (const char* base = getenv(EXIT_CHILD_ENV)) {  // the copy; HOME is the first one's temporary home
    splore_set_bbs_base(base);
    ASSERT_EQ(download_bbs_cart("31"), 0);
    const pid_t pid = wait_for_download_command(20000);
    ASSERT_GT(pid, 0);
    printf("command %d\n", (int)pid);
    fflush(stdout);
    tarq_main_exit();
    exit(0);
  }
  if (!tovo_test::on_path("python3") || !tovo_test::on_path("wget")) GTEST_SKIP() << "needs python3 and wget";
  tovo_test::temp_home home;
  temp_dir served;
  tovo_test::http_server server(served.path, tovo_test::http_server::silent);
  ASSERT_TRUE(server.up());
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  char self[1024];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = 0;
  temp_dir logs;
  const pid_t child = tovo_test::start_process(
      {self, "--gtest_filter=splore_download_exit.ThePlayersExitEndsARunningDownload"},
      {std::string(EXIT_CHILD_ENV) + "=" + server.base(), "ASAN_OPTIONS=detect_leaks=0"}, logs);
  ASSERT_GT(child, 0);
  const int status = tovo_test::wait_for(child, 60000);
  std::string out;
  tovo_test::read_file(logs.file("stdout.txt"), &out);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("command "), std::string::npos) << out;
  const std::vector<pid_t> left = wget_children();
  EXPECT_TRUE(left.empty()) << out;
  for (pid_t pid : left) {  // adopted: end them here
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

// Files a server may send that are refused: the download fails, the file is
// not kept in the cache, and this process's memory stays small whatever the
// file claims or holds.
TEST_F(splore_download_test, RefusedFilesAreNotKept) {
  tovo_test::http_server server(served.path);
  ASSERT_TRUE(server.up());
  splore_set_bbs_base(server.base().c_str());
  const std::string cart = served.path + "/bbs/get_cart.php";
  const std::string lister = served.path + "/bbs/cpost_lister3.php";
  const auto write_png = [](const std::string& path, uint32_t w, uint32_t h, uint8_t depth, uint8_t colour,
                            uint32_t bits) {
    tovo_test::write_file(path, tovo_test::forged_png(w, h, depth, colour, tovo_test::png_scanline_bytes(w, h, bits)));
  };
  struct refused_case {
    const char* name;
    std::function<void()> serve;
    std::function<int()> start;
    const char* cache;
  };
  const refused_case cases[] = {
      {"a cart picture declaring 8000x8000", [&] { write_png(cart, 8000, 8000, 1, 0, 1); },
       [] { return download_bbs_cart("777"); }, "bbs/0/777.kx.png"},
      {"a cart picture of 128x128", [&] { write_png(cart, 128, 128, 8, 6, 32); },
       [] { return download_bbs_cart("777"); }, "bbs/0/777.kx.png"},
      {"a cart body of 256 MiB",
       [&] {
         tovo_test::write_file(cart, "x");
         ASSERT_EQ(truncate(cart.c_str(), 256l << 20), 0);  // sparse: costs no disk
       },
       [] { return download_bbs_cart("777"); }, "bbs/0/777.kx.png"},
      {"an information file of 8 MiB",
       [&] {
         tovo_test::write_file(lister,
                               "lid: 4321\ntitle: big\nauthor: x\nmid: 9\ncatsub: 2\n" + std::string(8 << 20, '\n'));
       },
       [] { return download_bbs_cart_nfo("4321", SPLORE_AWAIT_INFO); }, "bbs/0/temp-4321.nfo"},
      {"a list page of 1024x543", [&] { write_png(lister, 1024, 543, 8, 6, 32); },
       [] { return download_list("new", "cat=7&sub=2", 0); }, "bbs/temp_new.pip.png"},
  };
  shell.program_started = 1;  // results show on the message bar
  for (const refused_case& c : cases) {
    SCOPED_TRACE(c.name);
    c.serve();
    app.play_source = 2;
    message_bar = {};
    splore.running_item = {};
    ASSERT_TRUE(tovo_test::reset_peak_resident());
    const long before = tovo_test::resident_kb();
    ASSERT_EQ(c.start(), 0);
    poll_until([] { return app.play_source != 2; }, 30000);
    EXPECT_EQ(app.play_source, -3);
    EXPECT_STREQ(message_bar.text, "download failed");
    EXPECT_STREQ(splore.running_item.lid, "");
    EXPECT_FALSE(tovo_test::file_exists(app_file(c.cache)));
    EXPECT_LT(tovo_test::peak_resident_kb() - before, 64 * 1024) << "KiB more at the peak";
    EXPECT_TRUE(wget_children().empty());
  }
}

TEST_F(splore_download_test, AMissingCartFails) {
  tovo_test::http_server server(served.path);  // nothing served: 404
  splore_set_bbs_base(server.base().c_str());
  shell.program_started = 1;
  ASSERT_EQ(download_bbs_cart("31337"), 0);
  poll_until([] { return app.play_source != 2; }, 20000);
  EXPECT_EQ(app.play_source, -3);
  EXPECT_STREQ(message_bar.text, "download failed");
  EXPECT_EQ(run_state().pending_action, 0);
}

}  // namespace
