#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/config.h"
#include "engine/formats/config_file.h"
#include "engine/io/file.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> hooked_lines;
int record_line(const char* line) {
  hooked_lines.push_back(line);
  return 0;
}
int append_own_keys(tarq_file* f) {
  fprintf(f->fp, "version %s\n\n", "0.1");
  return 0;
}

// A fresh configuration whose application folder is a temporary folder.
struct EngineConfigFile : ::testing::Test {
  tovo_test::temp_dir dir;
  std::string path;
  void SetUp() override {
    tarq_config_default();
    snprintf(cconfig.home_path, sizeof cconfig.home_path, "%s", dir.path.c_str());
    path = dir.file("config.txt");
    hooked_lines.clear();
    tarq_set_load_config_func(record_line);
    tarq_set_save_config_func(nullptr);
  }
  void TearDown() override {
    tarq_set_load_config_func(nullptr);
    tarq_set_save_config_func(nullptr);
    tarq_config_default();
  }
  void load(const std::string& text) {
    ASSERT_TRUE(tovo_test::write_file(path, text));
    tarq_config_load();
    tarq_config_keep_as_read();
  }
  std::string saved() {
    std::string text;
    EXPECT_TRUE(tovo_test::read_file(path, &text));
    return text;
  }
};

}  // namespace

TEST_F(EngineConfigFile, NoFileKeepsTheDefaults) {
  tarq_config_load();
  EXPECT_EQ(cconfig.loaded, 0);
  EXPECT_EQ(cconfig.sound_volume, 256);
  EXPECT_EQ(cconfig.mix_buffer_size, 1024);
  EXPECT_EQ(cconfig.window_x, -1);
  EXPECT_STREQ(cconfig.config_sha1, "");
  EXPECT_TRUE(hooked_lines.empty());
}

TEST_F(EngineConfigFile, KeysValuesAndClamps) {
  load(
      "window_size 640 480 // window width, height\r\n"
      "screen_size 128 128\n"
      "sound_volume 300\n"
      "music_volume -4\n"
      "mix_buffer_size 100\n"
      "foreground_sleep_ms 500\n"
      "background_sleep_ms 7\n"
      "windowed 1\n"
      "window_position 10 20\n"
      "sessions 41\n"
      "rmb_key 226\n"
      "fullscreen_method 2\n"
      "show_fps_please\n"  // a key by prefix with no number: unchanged
      "frameless1\n"       // a key by prefix: the number right after it
      "windib 3\n"
      "opengl_blit 1\n"
      "large_window 1\n");
  EXPECT_EQ(cconfig.loaded, 1);
  EXPECT_EQ(cconfig.window_width, 640);
  EXPECT_EQ(cconfig.window_height, 480);
  EXPECT_EQ(cconfig.screen_width, 128);
  EXPECT_EQ(cconfig.sound_volume, 256);
  EXPECT_EQ(cconfig.music_volume, 0);
  EXPECT_EQ(cconfig.mix_buffer_size, 1024);
  EXPECT_EQ(cconfig.foreground_sleep_ms, 200);
  EXPECT_EQ(cconfig.background_sleep_ms, 7);
  EXPECT_EQ(cconfig.windowed, 1);
  EXPECT_EQ(cconfig.window_x, 10);
  EXPECT_EQ(cconfig.window_y, 20);
  EXPECT_EQ(cconfig.sessions, 41);
  EXPECT_EQ(cconfig.rmb_key, 226);
  EXPECT_EQ(cconfig.fullscreen_method, 2);
  EXPECT_EQ(cconfig.show_fps, 0);
  EXPECT_EQ(cconfig.frameless, 1);
  EXPECT_EQ(cconfig.windib, 3);
  EXPECT_EQ(cconfig.opengl_blit, 1);
  EXPECT_EQ(cconfig.large_window, 1);
  EXPECT_TRUE(hooked_lines.empty());
  EXPECT_STREQ(cconfig.config_path, path.c_str());
  EXPECT_EQ(strlen(cconfig.config_sha1), 40u);

  load("video_mode 320 240\nmix_buffer_size 2048\nwindow_size 100 200 3\nscreen_size x\n");
  EXPECT_EQ(cconfig.window_width, 100);  // later keys win
  EXPECT_EQ(cconfig.screen_width, 320);
  EXPECT_EQ(cconfig.mix_buffer_size, 2048);
}

// Window and screen sizes no window can have are refused: the value read
// before stays, and so the refused one is never written back.
TEST_F(EngineConfigFile, WindowSizesThatCannotWorkAreRefused) {
  const struct {
    const char* text;
    int32_t window_w, window_h, screen_w, screen_h;
  } cases[] = {
      {"window_size 640 480\nscreen_size 512 512\n", 640, 480, 512, 512},
      {"window_size 640 480\nwindow_size 1 2\n", 640, 480, 0, 0},
      {"screen_size 512 512\nscreen_size 100000 100000\n", 0, 0, 512, 512},
      {"screen_size -128 -128\n", 0, 0, 0, 0},
      {"screen_size 0 0\n", 0, 0, 0, 0},
      {"video_mode 9000 400\n", 0, 0, 0, 0},
      {"video_mode 8192 32\n", 8192, 32, 8192, 32},
  };
  for (const auto& c : cases) {
    cconfig.window_width = cconfig.window_height = cconfig.screen_width = cconfig.screen_height = 0;
    load(c.text);
    EXPECT_EQ(cconfig.window_width, c.window_w) << c.text;
    EXPECT_EQ(cconfig.window_height, c.window_h) << c.text;
    EXPECT_EQ(cconfig.screen_width, c.screen_w) << c.text;
    EXPECT_EQ(cconfig.screen_height, c.screen_h) << c.text;
  }
}

TEST_F(EngineConfigFile, OtherLinesGoToTheHook) {
  load("// a comment\n\nversion 0.1\nvolume 200\nsound_volume 9\nx\n");
  EXPECT_EQ(hooked_lines, (std::vector<std::string>{"// a comment", "", "version 0.1", "volume 200", "x"}));
  EXPECT_EQ(cconfig.sound_volume, 9);
  // Without a hook the lines are dropped.
  tarq_set_load_config_func(nullptr);
  hooked_lines.clear();
  load("volume 5\n");
  EXPECT_TRUE(hooked_lines.empty());
  // Long lines arrive in pieces of at most 254 characters.
  tarq_set_load_config_func(record_line);
  load(std::string(600, 'q') + "\n");
  ASSERT_EQ(hooked_lines.size(), 3u);
  for (auto& l : hooked_lines) EXPECT_LE(l.size(), 254u);
}

TEST_F(EngineConfigFile, DesktopPath) {
  struct {
    const char* line;
    const char* want;
  } cases[] = {
      {"desktop_path  C:\\Users\\\\me//pics  ", "C:/Users/me/pics/"},
      {"desktop_path /home/me/", "/home/me/"},
      {"desktop_path    ", ""},
      {"desktop_path", ""},
      {"desktop_path a\tb\x01", "ab/"},
  };
  for (auto& c : cases) {
    snprintf(cconfig.desktop_path, sizeof cconfig.desktop_path, "old/");
    load(std::string(c.line) + "\n");
    EXPECT_STREQ(cconfig.desktop_path, c.want) << c.line;
  }
  snprintf(cconfig.desktop_path, sizeof cconfig.desktop_path, "old/");
  load("desktop_path /" + std::string(1500, 'd') + "\n");  // read in pieces; none fits a path
  EXPECT_EQ(strlen(cconfig.desktop_path) < TARQ_PATH_MAX, true);
}

TEST_F(EngineConfigFile, WritesTheGoldenFile) {
  snprintf(tarq_state.app_title, sizeof tarq_state.app_title, "tovo");
  load("window_size 512 384\nsessions 3\ndesktop_path /d\nrmb_key 226\n");
  cconfig.window_width = 999;  // an option given after the file was read is not written
  cconfig.sessions = 4;        // live fields are
  cconfig.sound_volume = 100;
  tarq_set_save_config_func(append_own_keys);
  tarq_config_save();
  tarq_state.app_title[0] = 0;
  const char* golden =
      "// - - - - - - - - - - - - - - - - - - - - - - - - - - - -\n"
      "// Configuration for tovo\n// \n"
      "// config.txt is read on startup and saved on exit.\n"
      "// To generate the default config.txt, delete this file.\n// \n"
      "// - - - - - - - - - - - - - - - - - - - - - - - - - - - -\n"
      "\n\n// :: Video Settings\n\n"
      "window_size 512 384 // window width, height\n"
      "screen_size 0 0 // screen width, height (stretched to window) \n"
      "show_fps 0 // Draw frames per second in the corner\n"
      "\n\n// :: Window Settings\n\n"
      "windowed 0 // 1 to start up in windowed mode\n"
      "window_position -1 -1 // x and y position of window (-1, -1 to let the window manager decide)\n"
      "frameless 0 // 1 to use a window with no frame\n"
      "fullscreen_method 1 // 0 maximized window (linux)  1 borderless desktop-sized window  2 hardware "
      "fullscreen (warning: erratic behaviour under some drivers)\n"
      "\n\n// :: System Settings\n\n"
      "foreground_sleep_ms 1 // number of milliseconds to sleep each frame. Try 10 to conserve battery "
      "power\n\n"
      "background_sleep_ms 10 // number of milliseconds to sleep each frame when running in the "
      "background\n\n"
      "sessions 4 // number of times program has been run\n\n"
      "// (scancode) hold this key down and left-click to simulate right-click\n"
      "rmb_key 226 // 0 for none  226 for LALT\n\n"
      "// Desktop for saving screenshots etc. Defaults to $HOME/Desktop\n"
      "desktop_path /d/\n\n"
      "\n\n// :: Audio Settings (use \"volume\" for TOVO)\n\n"
      "sound_volume 100 // 0..256\n"
      "music_volume 256 // 0..256\n"
      "\n\n// :: usually 1024. Try 2048 if you get choppy sound\n\n"
      "mix_buffer_size 1024\n"
      "\n\n// :: \n\n"
      "version 0.1\n\n";
  EXPECT_EQ(saved(), golden);
  EXPECT_FALSE(tovo_test::file_exists(path + ".tmp"));

  // What was written reads back to the same settings, and a second save
  // (the file unchanged since) writes it again.
  tarq_config_default();
  snprintf(cconfig.home_path, sizeof cconfig.home_path, "%s", dir.path.c_str());
  tarq_config_load();
  EXPECT_EQ(cconfig.window_width, 512);
  EXPECT_EQ(cconfig.sessions, 4);
  EXPECT_STREQ(cconfig.desktop_path, "/d/");
  tarq_config_keep_as_read();
  cconfig.sessions = 5;
  tarq_config_save();
  EXPECT_NE(saved().find("sessions 5 "), std::string::npos);
  cconfig.sessions = 6;
  tarq_config_save();  // our own last write does not count as a change by hand
  EXPECT_NE(saved().find("sessions 6 "), std::string::npos);
}

TEST_F(EngineConfigFile, FileChangedByHandIsLeftAlone) {
  load("sessions 1\n");
  ASSERT_TRUE(tovo_test::write_file(path, "sessions 50 // mine\n"));
  cconfig.sessions = 2;
  tarq_config_save();
  EXPECT_EQ(saved(), "sessions 50 // mine\n");
}

TEST_F(EngineConfigFile, FirstSaveCreatesTheFile) {
  tarq_config_load();
  tarq_config_keep_as_read();
  tarq_config_save();
  EXPECT_NE(saved().find("mix_buffer_size 1024\n"), std::string::npos);
}

TEST_F(EngineConfigFile, UnwritableFolderWritesNothing) {
  snprintf(cconfig.home_path, sizeof cconfig.home_path, "%s/missing/deeper", dir.path.c_str());
  tarq_config_keep_as_read();
  tarq_config_save();
  EXPECT_FALSE(tovo_test::file_exists(dir.file("missing/deeper/config.txt")));
}

TEST_F(EngineConfigFile, ProgramFolderFileIsReadAndTheSaveGoesToTheApplicationFolder) {
  tovo_test::temp_dir program_dir;
  std::string program = program_dir.file("config.txt");
  ASSERT_TRUE(tovo_test::write_file(program, "opengl_blit 1\n"));
  tarq_config_load_from(path.c_str(), program.c_str());
  EXPECT_EQ(cconfig.loaded, 1);
  EXPECT_EQ(cconfig.opengl_blit, 1);
  EXPECT_STREQ(cconfig.config_path, program.c_str());
  EXPECT_EQ(strlen(cconfig.config_sha1), 40u);
  tarq_config_keep_as_read();
  tarq_config_save();
  EXPECT_TRUE(tovo_test::file_exists(path));
  std::string text;
  ASSERT_TRUE(tovo_test::read_file(program, &text));
  EXPECT_EQ(text, "opengl_blit 1\n");
  // The application folder's file comes first.
  ASSERT_TRUE(tovo_test::write_file(path, "opengl_blit 0\n"));
  tarq_config_load_from(path.c_str(), program.c_str());
  EXPECT_EQ(cconfig.opengl_blit, 0);
  EXPECT_STREQ(cconfig.config_path, path.c_str());
}

// A virtual-disk file stays for the life of the process, so this runs in a
// child process of its own.
TEST_F(EngineConfigFile, VirtualDiskFileIsFoundByName) {
  auto run = [this] {
    tarq_file* v = tarq_fopen_vdisk("config.txt", "w");
    if (!v) _exit(2);
    const char text[] = "// from the virtual disk\nframeless 1\n";
    tarq_fwrite(text, 1, sizeof text - 1, v);
    tarq_fclose(v);
    tarq_config_load();
    bool ok = cconfig.loaded == 1 && cconfig.frameless == 1 && path == cconfig.config_path &&
              cconfig.config_sha1[0] == 0 &&  // no stdio file to hash
              hooked_lines == std::vector<std::string>{"// from the virtual disk"};
    _exit(ok ? 0 : 1);
  };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
}
