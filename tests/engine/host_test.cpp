// Host services: folders, directory search, clipboard, external commands,
// threads, dates, the CPU timer and string helpers.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/config.h"
#include "engine/platform/clipboard_save.h"
#include "engine/platform/fetch.h"
#include "engine/platform/host.h"
#include "engine/platform/timing.h"
#include "engine/platform/wget_job.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::file_exists;
using tovo_test::is_directory;

// Each folder test starts from the default settings and the title "tovo".
struct Folders : ::testing::Test {
  void SetUp() override {
    tarq_config_default();
    tarq_set_application_title("tovo");
  }
  void TearDown() override { tarq_config_default(); }
  char out[TARQ_PATH_MAX];
};

TEST_F(Folders, AppdataFolderIsMadeUnderHome) {
  tovo_test::temp_home home;
  ASSERT_EQ(tarq_prefix_with_appdata_path("log.txt", out), 0);
  EXPECT_EQ(std::string(out), home.path() + "/.halvorn/tovo/log.txt");
  EXPECT_TRUE(is_directory(home.path() + "/.halvorn/tovo"));
}

TEST_F(Folders, AppdataFolderFromTheHomeSettingIsMade) {
  tovo_test::temp_home home;
  tovo_test::temp_dir elsewhere;
  std::string folder = elsewhere.file("new_folder");
  snprintf(cconfig.home_path, sizeof(cconfig.home_path), "%s", folder.c_str());
  ASSERT_EQ(tarq_prefix_with_appdata_path("config.txt", out), 0);
  EXPECT_EQ(std::string(out), folder + "/config.txt");
  EXPECT_TRUE(is_directory(folder));

  snprintf(cconfig.home_path, sizeof(cconfig.home_path), "%s/", folder.c_str());
  ASSERT_EQ(tarq_prefix_with_appdata_path("config.txt", out), 0);
  EXPECT_EQ(std::string(out), folder + "/config.txt");  // no doubled separator

  // a setting that begins with a blank counts as not set
  snprintf(cconfig.home_path, sizeof(cconfig.home_path), " %s", folder.c_str());
  ASSERT_EQ(tarq_prefix_with_appdata_path("x", out), 0);
  EXPECT_EQ(std::string(out), home.path() + "/.halvorn/tovo/x");
}

TEST_F(Folders, WithoutHomeTheNameStandsAlone) {
  for (const char* value : {(const char*)nullptr, ""}) {
    tovo_test::scoped_env home("HOME", value);
    ASSERT_EQ(tarq_prefix_with_appdata_path("log.txt", out), 0);
    EXPECT_STREQ(out, "log.txt");
    ASSERT_EQ(tarq_prefix_with_desktop_path("shot.png", out), 0);
    EXPECT_STREQ(out, "shot.png");
  }
}

TEST_F(Folders, PathsThatDoNotFitAreRefused) {
  tovo_test::temp_home home;
  std::string name(TARQ_PATH_MAX, 'n');
  strcpy(out, "old");
  EXPECT_NE(tarq_prefix_with_appdata_path(name.c_str(), out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_NE(tarq_prefix_with_program_path(name.c_str(), out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_NE(tarq_prefix_with_desktop_path(name.c_str(), out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_NE(tarq_prefix_with_current_path(name.c_str(), out), 0);
  EXPECT_STREQ(out, "");

  // a result of exactly TARQ_PATH_MAX - 1 bytes fits
  std::string prefix = home.path() + "/.halvorn/tovo/";
  std::string fits(TARQ_PATH_MAX - 1 - prefix.size(), 'f');
  EXPECT_EQ(tarq_prefix_with_appdata_path(fits.c_str(), out), 0);
  EXPECT_EQ(strlen(out), (size_t)TARQ_PATH_MAX - 1);
  std::string one_more = fits + "g";
  EXPECT_NE(tarq_prefix_with_appdata_path(one_more.c_str(), out), 0);

  // so is a HOME too long to hold the application folder
  std::string long_home = "/" + std::string(TARQ_PATH_MAX, 'h');
  tovo_test::scoped_env env("HOME", long_home.c_str());
  EXPECT_NE(tarq_prefix_with_appdata_path("log.txt", out), 0);
  EXPECT_STREQ(out, "");
}

TEST_F(Folders, TheNameMayShareTheOutputBuffer) {
  tovo_test::temp_home home;
  strcpy(out, "data.pod");
  ASSERT_EQ(tarq_prefix_with_appdata_path(out, out), 0);
  EXPECT_EQ(std::string(out), home.path() + "/.halvorn/tovo/data.pod");
}

TEST_F(Folders, ProgramFolderIsTheRunningProgramsFolder) {
  char exe[512];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  ASSERT_GT(n, 0);
  exe[n] = 0;
  std::string folder(exe, strrchr(exe, '/') + 1);
  ASSERT_EQ(tarq_prefix_with_program_path("data.pod", out), 0);
  EXPECT_EQ(std::string(out), folder + "data.pod");
}

TEST_F(Folders, DesktopFolder) {
  tovo_test::temp_home home;
  ASSERT_EQ(tarq_prefix_with_desktop_path("shot.png", out), 0);
  EXPECT_EQ(std::string(out), home.path() + "/Desktop/shot.png");
  EXPECT_FALSE(file_exists(home.path() + "/Desktop"));  // the default is not made

  std::string folder = home.path() + "/shots";
  snprintf(cconfig.desktop_path, sizeof(cconfig.desktop_path), "%s", folder.c_str());
  ASSERT_EQ(tarq_prefix_with_desktop_path("shot.png", out), 0);
  EXPECT_EQ(std::string(out), folder + "/shot.png");
  EXPECT_TRUE(is_directory(folder));  // the configured one is
}

TEST_F(Folders, CurrentFolder) {
  char cwd[TARQ_PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
  ASSERT_EQ(tarq_prefix_with_current_path("x.kx", out), 0);
  EXPECT_EQ(std::string(out), std::string(cwd) + (strcmp(cwd, "/") ? "/" : "") + "x.kx");
}

TEST(Files, ExistenceOfFilesAndFolders) {
  tovo_test::temp_dir dir;
  tovo_test::write_file(dir.file("a.txt"), "x");
  EXPECT_EQ(tarq_file_exists(dir.file("a.txt").c_str()), 1);
  EXPECT_EQ(tarq_file_exists(dir.file("missing.txt").c_str()), 0);
  EXPECT_EQ(tarq_directory_exists(dir.path.c_str()), 1);
  EXPECT_EQ(tarq_directory_exists(dir.file("missing").c_str()), 0);
  EXPECT_EQ(tarq_mkdir(dir.file("sub").c_str()), 0);
  EXPECT_TRUE(is_directory(dir.file("sub")));
  EXPECT_EQ(tarq_remove(dir.file("a.txt").c_str()), 0);
  EXPECT_FALSE(file_exists(dir.file("a.txt")));
}

// Directory search over a folder of a few files and a sub-folder.
struct Find : ::testing::Test {
  tovo_test::temp_dir dir;
  void SetUp() override {
    for (const char* name : {"a.png", "b.PNG", "c.txt", "png", "d.kx.png"})
      tovo_test::write_file(dir.file(name), "data");
    mkdir(dir.file("sub.png").c_str(), 0755);
  }
  std::set<std::string> find(const char* filter, uint32_t mask) {
    std::set<std::string> names;
    tarq_find f;
    for (int r = tarq_find_first(dir.path.c_str(), filter, &f, mask); r == 0; r = tarq_find_next(&f))
      names.insert(f.name);
    tarq_find_close(&f);
    return names;
  }
};

TEST_F(Find, FiltersAndMasks) {
  using names = std::set<std::string>;
  const uint32_t all = 0xFFFFFFFF;
  EXPECT_EQ(find("*.png", all), (names{"a.png", "b.PNG", "d.kx.png", "sub.png"}));
  EXPECT_EQ(find("*.PNG", 0x8000), (names{"a.png", "b.PNG", "d.kx.png"}));
  EXPECT_EQ(find("*.png", 0x4000), (names{"sub.png"}));
  EXPECT_EQ(find("*", 0x4000), (names{".", "..", "sub.png"}));
  // a filter that does not begin with '*' matches every name
  EXPECT_EQ(find("x", all), (names{".", "..", "a.png", "b.PNG", "c.txt", "png", "d.kx.png", "sub.png"}));
  EXPECT_EQ(find("*.none", all), names{});
  EXPECT_EQ(find("*", 0), names{});
}

TEST_F(Find, EntryDetails) {
  tovo_test::write_file(dir.file("ten.bin"), "0123456789");
  tarq_find f;
  ASSERT_EQ(tarq_find_first(dir.path.c_str(), "*ten.bin", &f, 0x8000), 0);
  EXPECT_STREQ(f.name, "ten.bin");
  EXPECT_EQ(f.size, 10);
  EXPECT_NE(f.mode & 0x8000, 0u);
  EXPECT_GT(f.mtime, 0);
  EXPECT_EQ(tarq_find_next(&f), 1);
  tarq_find_close(&f);
}

TEST_F(Find, MissingOrOverlongFolderFindsNothing) {
  tarq_find f;
  EXPECT_EQ(tarq_find_first(dir.file("missing").c_str(), "*", &f, 0xFFFFFFFF), 1);
  EXPECT_EQ(tarq_find_next(&f), 1);
  tarq_find_close(&f);
  std::string long_folder(400, 'a');
  EXPECT_EQ(tarq_find_first(long_folder.c_str(), "*", &f, 0xFFFFFFFF), 1);
  tarq_find_close(&f);
  tarq_find_close(nullptr);
}

std::string clipboard_text() {
  char* text = tarq_get_clipboard_text();
  std::string copy = text ? text : "(null)";
  tarq_free(text);
  return copy;
}

TEST(Clipboard, RoundTripThroughSdlsDummyVideoDriver) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  const char* text = "line one\nline \xE2\x96\xA0 two";
  EXPECT_EQ(tarq_set_clipboard_text(text), 0);
  EXPECT_EQ(tarq_has_clipboard_text(), 1);
  EXPECT_EQ(clipboard_text(), text);
  EXPECT_EQ(tarq_set_clipboard_text_preemptive(), 0);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(Clipboard, WithoutVideoTheTextStaysInTheProcess) {
  ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  tarq_set_clipboard_text("");
  EXPECT_EQ(tarq_has_clipboard_text(), 0);
  EXPECT_EQ(clipboard_text(), "");
  tarq_set_clipboard_text("headless text");
  EXPECT_EQ(tarq_has_clipboard_text(), 1);
  EXPECT_EQ(clipboard_text(), "headless text");
}

TEST(Clipboard, SavedToAndLoadedFromFiles) {
  tovo_test::temp_dir dir;
  std::string path = dir.file("clip.txt");
  tarq_set_clipboard_text("");
  EXPECT_EQ(tarq_save_clipboard_to_file(path.c_str()), 1);  // nothing to save
  tarq_set_clipboard_text("saved text");
  EXPECT_EQ(tarq_save_clipboard_to_file(path.c_str()), 0);
  std::string saved;
  ASSERT_TRUE(tovo_test::read_file(path, &saved));
  EXPECT_EQ(saved, "saved text");
  EXPECT_EQ(tarq_save_clipboard_to_file(dir.file("no/such/folder").c_str()), 1);

  tovo_test::write_file(path, "from a file");
  EXPECT_EQ(tarq_load_clipboard_from_file(path.c_str()), 0);
  EXPECT_EQ(clipboard_text(), "from a file");
  EXPECT_EQ(tarq_load_clipboard_from_file(dir.file("missing").c_str()), 1);

  // at most 1 MiB of a file goes on the clipboard
  tovo_test::write_file(path, std::string(0x100000 + 10, 'z'));
  EXPECT_EQ(tarq_load_clipboard_from_file(path.c_str()), 0);
  EXPECT_EQ(clipboard_text().size(), 0x100000u);
}

// A stand-in command on PATH that appends each of its arguments on a line of
// a record file, then an end line.
struct FakeCommand : ::testing::Test {
  tovo_test::temp_dir bin;
  tovo_test::temp_dir work;
  std::string record;
  std::unique_ptr<tovo_test::scoped_env> path_env;
  static constexpr const char* END = "--end of call--";

  void install(const std::string& name) {
    record = work.file(name + ".args");
    std::string script = "#!/bin/sh\n{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; echo '" + std::string(END) +
                         "'; } >> '" + record + "'\n";
    std::string path = bin.file(name);
    tovo_test::write_file(path, script);
    chmod(path.c_str(), 0755);
    std::string new_path = bin.path + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    path_env = std::make_unique<tovo_test::scoped_env>("PATH", new_path.c_str());
  }

  // The argument lists of the calls so far, after waiting up to 10 s for a
  // first complete call of a command run in the background.
  std::vector<std::vector<std::string>> calls() {
    std::string text;
    for (int i = 0; i < 1000; i++) {
      if (tovo_test::read_file(record, &text) && text.size() > strlen(END) &&
          text.compare(text.size() - strlen(END) - 1, strlen(END), END) == 0)
        break;
      SDL_Delay(10);
    }
    std::vector<std::vector<std::string>> all(1);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      std::string line = text.substr(start, end - start);
      if (line == END) all.emplace_back();
      else all.back().push_back(line);
      start = end + 1;
    }
    all.pop_back();
    return all;
  }
  using call_list = std::vector<std::vector<std::string>>;
};

TEST_F(FakeCommand, OpenerGetsThePathAsOneArgumentAndRunsNothingElse) {
  install("xdg-open");
  std::string marker = work.file("ran");
  std::string target = work.path + "/it's \"quoted\" $(touch " + marker + "1) `touch " + marker + "2`; touch " +
                       marker + "3 & touch " + marker + "4 | x";
  tarq_launch_html(target.c_str());
  EXPECT_EQ(calls(), call_list{{target}});
  for (int i = 1; i <= 4; i++) EXPECT_FALSE(file_exists(marker + std::to_string(i))) << i;
}

TEST_F(FakeCommand, OpenerEscapesWebAddresses) {
  install("xdg-open");
  tarq_launch_html("http://tovo.invalid/a b?x=1&y=<\"z\">#top");
  EXPECT_EQ(calls(), call_list{{"http://tovo.invalid/a%20b?x=1&y=%3c%22z%22%3e%23top"}});
}

TEST_F(FakeCommand, OpenerRefusesTargetsThatDoNotFit) {
  install("xdg-open");
  std::string web = "http://tovo.invalid/" + std::string(400, ' ');  // 1220 bytes escaped
  tarq_launch_html(web.c_str());
  std::string path = "/" + std::string(TARQ_PATH_MAX, 'p');
  tarq_launch_html(path.c_str());
  tarq_launch_html("/fits");
  ASSERT_EQ(calls(), call_list{{"/fits"}});
  SDL_Delay(100);  // time for a stray call to show
  EXPECT_EQ(calls(), call_list{{"/fits"}});
}

TEST_F(FakeCommand, OpenerNeverTakesATargetAsAnOption) {
  install("xdg-open");
  tarq_launch_html("--manual");
  EXPECT_EQ(calls(), call_list{{"./--manual"}});
}

TEST_F(FakeCommand, DownloadCommandGetsAnArgumentVector) {
  install("wget");
  std::string local = work.file("out $(x).txt");
  EXPECT_EQ(tarq_wget("http://Tovo.invalid/A b?q=`x`", local.c_str()), 0);
  // The body comes on standard output; the local path never reaches the command.
  std::vector<std::string> want = {
      "-q", "-O", "-", "--timeout=15", "--tries=1", "--", "http://tovo.invalid/a%20b?q=%60x%60"};
  EXPECT_EQ(calls(), call_list{want});  // the download runs to its end before tarq_wget returns
  EXPECT_TRUE(file_exists(local));

  std::string long_url = "http://tovo.invalid/" + std::string(300, 'a');
  EXPECT_EQ(tarq_wget(long_url.c_str(), local.c_str()), 1);
  EXPECT_EQ(tarq_wget_ex("http://tovo.invalid/x", local.c_str(), "/tmp/body"), 0);
  EXPECT_EQ(calls(), (call_list{want,
                                {"-q", "-O", "-", "--timeout=15", "--tries=1", "--post-file=/tmp/body", "--",
                                 "http://tovo.invalid/x"}}));
}

// A download command whose behaviour is a shell script body; what it writes
// to standard output is the downloaded body.
struct FetchCommand : FakeCommand {
  void install_body(const std::string& body) {
    std::string path = bin.file("wget");
    tovo_test::write_file(path, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), 0755);
    if (path_env) return;  // already first on PATH
    std::string new_path = bin.path + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    path_env = std::make_unique<tovo_test::scoped_env>("PATH", new_path.c_str());
  }
  static std::vector<pid_t> children(const char* name) { return tovo_test::children_named(getpid(), name); }
};

TEST_F(FetchCommand, ResultsByWhatTheCommandDoes) {
  struct fetch_case {
    const char* body;
    int64_t max_bytes;
    int32_t deadline_ms;
    int32_t result;
    long kept;  // bytes in the local file afterwards, -1 none
  };
  const fetch_case cases[] = {
      {"head -c 100 /dev/zero", 100, 0, TARQ_FETCH_OK, 100},
      {"printf ''", 100, 0, TARQ_FETCH_OK, 0},
      {"head -c 101 /dev/zero", 100, 0, TARQ_FETCH_TOO_LARGE, -1},
      {"exec cat /dev/zero", 1 << 20, 0, TARQ_FETCH_TOO_LARGE, -1},  // endless
      {"printf partial; exit 4", 100, 0, TARQ_FETCH_FAILED, -1},     // the connection broke
      {"exit 8", 100, 0, TARQ_FETCH_FAILED, -1},                     // the server said no
      {"kill -9 $$", 100, 0, TARQ_FETCH_FAILED, -1},
      {"exec sleep 600", 100, 200, TARQ_FETCH_TIMED_OUT, -1},
      {"printf x; exec sleep 600", 100, 200, TARQ_FETCH_TIMED_OUT, -1},
  };
  for (const fetch_case& c : cases) {
    install_body(c.body);
    std::string local = work.file("body");
    tovo_test::write_file(local, "left from before");
    tarq_fetch fetch;
    tarq_fetch_limits limits = {5, 1, c.max_bytes, c.deadline_ms};
    EXPECT_EQ(tarq_fetch_run(&fetch, "http://tovo.invalid/b", local.c_str(), nullptr, &limits), c.result) << c.body;
    struct stat st;
    EXPECT_EQ(stat(local.c_str(), &st) == 0 ? (long)st.st_size : -1L, c.kept) << c.body;
    EXPECT_EQ(tarq_fetch_pid(&fetch), 0) << c.body;
    EXPECT_TRUE(children("wget").empty() && children("sleep").empty() && children("cat").empty()) << c.body;
  }
  // A command that cannot be started.
  path_env.reset();
  path_env = std::make_unique<tovo_test::scoped_env>("PATH", bin.path.c_str());
  remove(bin.file("wget").c_str());
  tarq_fetch fetch;
  EXPECT_EQ(tarq_fetch_run(&fetch, "http://tovo.invalid/b", work.file("none").c_str(), nullptr, &TARQ_FETCH_DEFAULTS),
            TARQ_FETCH_FAILED);
  EXPECT_FALSE(file_exists(work.file("none")));
}

TEST_F(FetchCommand, AnotherThreadEndsTheCommand) {
  install_body("exec sleep 600");
  std::string local = work.file("body");
  tarq_fetch fetch;
  std::atomic<int32_t> result{-1};
  std::thread runner(
      [&] { result = tarq_fetch_run(&fetch, "http://tovo.invalid/b", local.c_str(), nullptr, &TARQ_FETCH_DEFAULTS); });
  pid_t pid = 0;
  for (int i = 0; i < 2000 && pid == 0; i++) {
    pid = tarq_fetch_pid(&fetch);
    if (pid == 0) SDL_Delay(5);
  }
  EXPECT_GT(pid, 0);
  tarq_fetch_end(&fetch);
  runner.join();
  EXPECT_EQ(result.load(), TARQ_FETCH_ENDED);
  EXPECT_EQ(tarq_fetch_pid(&fetch), 0);
  EXPECT_FALSE(file_exists(local));
  EXPECT_TRUE(children("sleep").empty()) << "killed and reaped";

  // Once ended, nothing more starts until it is reset.
  install_body("head -c 3 /dev/zero");
  EXPECT_EQ(tarq_fetch_run(&fetch, "http://tovo.invalid/b", local.c_str(), nullptr, &TARQ_FETCH_DEFAULTS),
            TARQ_FETCH_ENDED);
  EXPECT_FALSE(file_exists(local));
  tarq_fetch_reset(&fetch);
  EXPECT_EQ(tarq_fetch_run(&fetch, "http://tovo.invalid/b", local.c_str(), nullptr, &TARQ_FETCH_DEFAULTS),
            TARQ_FETCH_OK);
  EXPECT_TRUE(file_exists(local));
}

std::atomic<int> loaded{0};
std::atomic<int> failed{0};

TEST_F(FakeCommand, DownloadOnAThreadReportsThroughItsCallbacks) {
  install("wget");
  loaded = 0;
  failed = 0;
  std::string local = work.file("page.html");
  auto on_load = [](const char*) { loaded++; };
  auto on_error = [](const char*) { failed++; };
  ASSERT_EQ(tarq_wget_with_callbacks("http://tovo.invalid/p", local.c_str(), on_load, on_error), 0);
  for (int i = 0; i < 1000 && loaded == 0; i++) SDL_Delay(10);
  EXPECT_EQ(loaded.load(), 1);
  EXPECT_EQ(calls(), (call_list{{"-q", "-O", "-", "--timeout=15", "--tries=1", "--", "http://tovo.invalid/p"}}));

  std::string long_url = "http://tovo.invalid/" + std::string(300, 'a');
  ASSERT_EQ(tarq_wget_with_callbacks(long_url.c_str(), local.c_str(), on_load, on_error), 0);
  for (int i = 0; i < 1000 && failed == 0; i++) SDL_Delay(10);
  EXPECT_EQ(failed.load(), 1);
  EXPECT_EQ(loaded.load(), 1);
  EXPECT_EQ(calls().size(), 1u);
}

TEST(Threads, RunToTheirEndAfterTheHandleIsGone) {
  static std::atomic<int> ran{0};
  static int seven = 7;
  ran = 0;
  tarq_thread_handle* handle = tarq_create_thread(
      [](void* data) {
        ran = *(int*)data;
        return 0;
      },
      &seven);
  ASSERT_NE(handle, nullptr);
  tarq_destroy_thread(handle);
  for (int i = 0; i < 1000 && ran == 0; i++) SDL_Delay(5);
  EXPECT_EQ(ran.load(), 7);
  tarq_destroy_thread(nullptr);
}

// The date of one moment, read until the second did not change in between.
template <typename F>
void same_second(F read) {
  for (int i = 0; i < 5; i++) {
    time_t before = time(nullptr);
    read();
    if (time(nullptr) == before) return;
  }
}

TEST(Dates, UtcAndLocalFields) {
  tovo_test::scoped_env tz("TZ", "XYZ+05:30");  // 5 h 30 min behind UTC, no summer time
  tzset();
  tarq_datetime utc{}, local{};
  time_t now = 0;
  same_second([&] {
    now = time(nullptr);
    tarq_get_datetime(&utc, 0);
    tarq_get_datetime(&local, 1);
  });
  struct tm g;
  gmtime_r(&now, &g);
  EXPECT_EQ(utc.year, g.tm_year + 1900);
  EXPECT_EQ(utc.month, g.tm_mon + 1);
  EXPECT_EQ(utc.day, g.tm_mday);
  EXPECT_EQ(utc.hour, g.tm_hour);
  EXPECT_EQ(utc.minute, g.tm_min);
  EXPECT_EQ(utc.second, g.tm_sec);
  int utc_minutes = utc.hour * 60 + utc.minute;
  int local_minutes = local.hour * 60 + local.minute;
  EXPECT_EQ(((utc_minutes - local_minutes) % 1440 + 1440) % 1440, 330);
  EXPECT_EQ(local.second, utc.second);

  int32_t y = 0, m = 0, d = 0;
  int32_t date = tarq_get_date(&y, &m, &d);
  EXPECT_EQ(date, y * 10000 + m * 100 + d);
  EXPECT_EQ(tarq_get_date(nullptr, nullptr, nullptr), date);

  char text[32];
  tarq_print_date(0, text);
  EXPECT_STREQ(text, "1969-12-31 18:30:00");
  tz.~scoped_env();
  new (&tz) tovo_test::scoped_env("TZ", "UTC0");
  tzset();
  tarq_print_date(86400 + 3661, text);
  EXPECT_STREQ(text, "1970-01-02 01:01:01");
}

TEST(CpuTimer, CountsProcessTimeNotSleep) {
  tarq_timer_start();
  SDL_Delay(100);
  int32_t asleep = tarq_timer_end();
  EXPECT_GE(asleep, 0);
  EXPECT_LT(asleep, 50 * 1000 * 1000);

  tarq_timer_start();
  timespec t0, t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t0);
  volatile uint32_t sink = 0;
  do {
    for (int i = 0; i < 10000; i++) sink = sink + (uint32_t)i;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  } while ((t.tv_sec - t0.tv_sec) * 1000000000L + (t.tv_nsec - t0.tv_nsec) < 20 * 1000 * 1000);
  EXPECT_GE(tarq_timer_end(), 20 * 1000 * 1000);
}

TEST(Strings, CaseBlindSearchCopyAndLowercase) {
  const char* text = "Hello World";
  EXPECT_EQ(tarq_strcasestr(text, "WORLD"), text + 6);
  EXPECT_EQ(tarq_strcasestr(text, "o w"), text + 4);
  EXPECT_EQ(tarq_strcasestr(text, ""), text);
  EXPECT_EQ(tarq_strcasestr(text, "worlds"), nullptr);
  EXPECT_EQ(tarq_strcasestr("", "a"), nullptr);

  char buf[32] = "same";
  EXPECT_EQ(tarq_strcpy(buf, buf), buf);
  EXPECT_STREQ(buf, "same");
  tarq_strcpy(buf, "Other \xC3\x84 TEXT");
  tarq_lowercase(buf);
  EXPECT_STREQ(buf, "other \xC3\x84 text");
}

}  // namespace
