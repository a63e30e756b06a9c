// The engine's command-line options: argv in, settings out.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/config.h"
#include "engine/tarq.h"

namespace {

void parse(std::vector<std::string> args) {
  args.insert(args.begin(), "tovo");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  tarq_process_arguments((int)args.size(), argv.data());
}

struct option_case {
  std::vector<std::string> args;
  std::function<int32_t()> field;
  int32_t want;
};

const option_case option_cases[] = {
    {{"-width", "320", "-height", "200"}, [] { return cconfig.window_width; }, 320},
    {{"-width", "320", "-height", "200"}, [] { return cconfig.window_height; }, 200},
    // an option followed by another option takes no value
    {{"-width", "-height", "200"}, [] { return cconfig.window_width; }, 0},
    {{"-width", "-height", "200"}, [] { return cconfig.window_height; }, 200},
    // unknown names are ignored and leave the pending option as it was
    {{"-foo", "5", "-width", "3"}, [] { return cconfig.window_width; }, 3},
    {{"-width", "-foo", "7"}, [] { return cconfig.window_width; }, 7},
    // a value with no option pending is ignored; each option takes one value
    {{"5", "-width", "6", "7"}, [] { return cconfig.window_width; }, 6},
    // numbers
    {{"-width", "12abc"}, [] { return cconfig.window_width; }, 12},
    {{"-width", "abc"}, [] { return cconfig.window_width; }, 0},
    {{"-width", "99999999999"}, [] { return cconfig.window_width; }, INT32_MAX},
    {{"-window_x", "-5"}, [] { return cconfig.window_x; }, -1},  // "-5" is an option name
    // clamps
    {{"-timeout", "0"}, [] { return cconfig.timeout; }, 1},
    {{"-timeout", "999"}, [] { return cconfig.timeout; }, 240},
    {{"-timeout", "45"}, [] { return cconfig.timeout; }, 45},
    {{"-preblit_scale", "12"}, [] { return cconfig.preblit_scale; }, 8},
    {{"-preblit_scale", "-3"}, [] { return cconfig.preblit_scale; }, 0},
    // prefix matching: an argument matches every name it begins with
    {{"-sound", "100"}, [] { return cconfig.sound_volume; }, 100},
    {{"-sound_volume", "50"}, [] { return cconfig.sound_volume; }, 50},
    {{"-music", "7"}, [] { return cconfig.music_volume; }, 7},
    {{"-music_volume_loud", "9"}, [] { return cconfig.music_volume; }, 9},
    {{"-displays_x", "2"}, [] { return cconfig.display; }, 2},
    {{"-software_blitter2", "1"}, [] { return cconfig.software_blit; }, 1},
    {{"-w", "5"}, [] { return cconfig.window_width; }, 0},  // shorter than every name
    // every setting by its own name
    {{"-show_fps", "1"}, [] { return cconfig.show_fps; }, 1},
    {{"-windowed", "1"}, [] { return cconfig.windowed; }, 1},
    {{"-window_y", "44"}, [] { return cconfig.window_y; }, 44},
    {{"-frameless", "1"}, [] { return cconfig.frameless; }, 1},
    {{"-fullscreen_method", "2"}, [] { return cconfig.fullscreen_method; }, 2},
    {{"-foreground_sleep_ms", "9"}, [] { return cconfig.foreground_sleep_ms; }, 9},
    {{"-background_sleep_ms", "19"}, [] { return cconfig.background_sleep_ms; }, 19},
    {{"-mix_buffer_size", "2048"}, [] { return cconfig.mix_buffer_size; }, 2048},
    {{"-pixel_perfect", "0"}, [] { return cconfig.pixel_perfect; }, 0},
    {{"-perf_timing", "60"}, [] { return cconfig.perf_timing; }, 60},
    {{"-emulate_textinput", "1"}, [] { return cconfig.emulate_textinput; }, 1},
    {{"-deferred_dealloc", "1"}, [] { return cconfig.deferred_dealloc; }, 1},
    {{"-ext_display", "3"}, [] { return cconfig.ext_display; }, 3},
    {{"-log_system_info", "1"}, [] { return cconfig.log_system_info; }, 1},
    // draw_rect: reset to 0,0,4096,4096, then as many numbers as given
    {{"-draw_rect", "10,20"}, [] { return cconfig.draw_rect_x; }, 10},
    {{"-draw_rect", "10,20"}, [] { return cconfig.draw_rect_y; }, 20},
    {{"-draw_rect", "10,20"}, [] { return cconfig.draw_rect_w; }, 4096},
    {{"-draw_rect", "10,20"}, [] { return cconfig.draw_rect_h; }, 4096},
    {{"-draw_rect", "1,2,3,4"}, [] { return cconfig.draw_rect_h; }, 4},
    {{"-draw_rect", "x"}, [] { return cconfig.draw_rect_w; }, 4096},
    // headless by -headless or any name that begins with x; neither takes a value
    {{"-headless"}, [] { return cconfig.headless; }, 1},
    {{"-headless", "3", "-width", "8"}, [] { return cconfig.window_width; }, 8},
    {{"-headless", "3"}, [] { return cconfig.headless; }, 1},
    {{"-xyz"}, [] { return cconfig.headless; }, 1},
    {{"-x"}, [] { return cconfig.headless; }, 1},
    {{"-width", "-xyz", "5"}, [] { return cconfig.window_width; }, 0},
    {{"-framebuffer"}, [] { return cconfig.framebuffer; }, 1},
    {{"-framebuffer"}, [] { return cconfig.headless; }, 0},
    {{"-width", "4"}, [] { return cconfig.headless; }, 0},
    // the arguments stop before one that begins with '>', '&' or '|'
    {{"-width", "5", ">", "-height", "9"}, [] { return cconfig.window_height; }, 0},
    {{"-width", "5", ">", "-height", "9"}, [] { return cconfig.window_width; }, 5},
    {{"-width", ">out.txt", "-height", "9"}, [] { return cconfig.window_width; }, 0},
    {{"-width", "5", "&", "-headless"}, [] { return cconfig.headless; }, 0},
    {{"-width", "5", "|", "-height", "9"}, [] { return cconfig.window_height; }, 0},
    {{"-width", "5", "|grep", "-height", "9"}, [] { return cconfig.window_height; }, 0},
};

std::string describe(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += " " + a;
  return text;
}

TEST(Options, TableOfArgumentsAndSettings) {
  for (const option_case& c : option_cases) {
    tarq_config_default();
    parse(c.args);
    EXPECT_EQ(c.field(), c.want) << "arguments:" << describe(c.args);
  }
}

TEST(Options, NoArgumentsChangeNothing) {
  tarq_config_default();
  tarq_config before = cconfig;
  parse({});
  tarq_process_arguments(0, nullptr);
  EXPECT_EQ(memcmp(&before, &cconfig, sizeof(cconfig)), 0);
}

// tarq_init parses the arguments twice (around reading "config.txt"): a
// second pass over the same arguments must leave the same settings.
TEST(Options, SecondPassGivesTheSameSettings) {
  const std::vector<std::string> args = {"-width",   "320",     "-draw_rect", "1,2", "-home", "/tmp/h",
                                         "-desktop", "/tmp/d/", "-sound",     "12",  "-xyz"};
  tarq_config_default();
  parse(args);
  tarq_config once = cconfig;
  parse(args);
  EXPECT_EQ(memcmp(&once, &cconfig, sizeof(cconfig)), 0);
  EXPECT_STREQ(cconfig.home_path, "/tmp/h");
  EXPECT_STREQ(cconfig.desktop_path, "/tmp/d/");
}

TEST(Options, FolderTextsThatDoNotFitAreRefused) {
  tarq_config_default();
  std::string fits(TARQ_PATH_MAX - 1, 'a');
  parse({"-home", fits, "-desktop", fits});
  EXPECT_EQ(std::string(cconfig.home_path), fits);
  EXPECT_EQ(std::string(cconfig.desktop_path), fits);

  tarq_config_default();
  std::string too_long(TARQ_PATH_MAX, 'b');
  parse({"-home", "/tmp/kept", "-home", too_long, "-desktop", too_long + too_long});
  EXPECT_STREQ(cconfig.home_path, "/tmp/kept");
  EXPECT_STREQ(cconfig.desktop_path, "");
}

}  // namespace
