// The prompt's command line the player keeps without showing it: the
// history, tab completion against a folder, the command runner; and the boot
// text program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "player/bios_program.h"
#include "player/command_history.h"
#include "player/command_line.h"
#include "player/shell_state.h"
#include "tests/player/console_capture.h"
#include "tests/player/player_reset.h"
#include "tests/support/temp_dir.h"

namespace {

void type_line(const char* text) { snprintf(command_history.line[0], TOVO_HISTORY_LINE, "%s", text); }

std::vector<std::string> stored() {
  std::vector<std::string> lines;
  for (int32_t i = 1; i <= command_history.count; i++) lines.push_back(command_history.line[i]);
  return lines;
}

struct history : ::testing::Test {
  void SetUp() override { command_history = {}; }
  void TearDown() override { command_history = {}; }
};

TEST_F(history, StoresNewLinesNewestFirstAndEmptiesTheTypedLine) {
  struct step {
    const char* line;
    std::vector<std::string> want;
  } steps[] = {
      {"load game", {"load game"}},
      {"run", {"run", "load game"}},
      {"run", {"run", "load game"}},  // the same as the newest: not again
      {"", {"run", "load game"}},     // empty: nothing
      {"load game", {"load game", "run", "load game"}},
  };
  for (const step& s : steps) {
    type_line(s.line);
    command_history.position = 2;
    store_command(command_history.line[0]);
    EXPECT_EQ(stored(), s.want) << s.line;
    EXPECT_STREQ(command_history.line[0], "") << "the typed line is used up";
    EXPECT_EQ(command_history.position, 0);
  }
}

TEST_F(history, KeepsTheNewest255AndCutsLongLines) {
  for (int i = 0; i < 300; i++) store_command(std::to_string(i).c_str());
  ASSERT_EQ(command_history.count, TOVO_HISTORY_ENTRIES - 1);
  EXPECT_STREQ(command_history.line[1], "299");
  EXPECT_STREQ(command_history.line[255], "45");
  std::string long_line(400, 'a');
  store_command(long_line.c_str());
  EXPECT_EQ(strlen(command_history.line[1]), (size_t)TOVO_HISTORY_LINE - 1);
  EXPECT_STREQ(command_history.line[2], "299");
}

struct completion : ::testing::Test {
  void SetUp() override {
    command_history = {};
    memset(&shell, 0, sizeof shell);
    snprintf(shell.root_path, sizeof shell.root_path, "%s/", root.path.c_str());
    for (const char* folder : {"games", "games/jam", "tools"}) mkdir(root.file(folder).c_str(), 0755);
    for (const char* file :
         {"alpha.kx", "alpine.kx", "beta.kx.png", "games/jump.kx", "games/juggle.kx", "games/jam/one.kx", "notes.txt"})
      tovo_test::write_file(root.file(file), "x");
  }
  void TearDown() override {
    command_history = {};
    memset(&shell, 0, sizeof shell);
  }
  tovo_test::temp_dir root;
};

TEST_F(completion, CompletesExtendsOrLists) {
  struct {
    const char* folder;  // the current folder below the root
    const char* typed;
    const char* want;  // the line afterwards
    int32_t matches;
    const char* printed;  // console lines
  } cases[] = {
      {"", "load b", "load beta.kx.png", 1, ""},
      {"", "load AL", "load alp", 2, ""},  // the shared prefix, any case
      {"", "load alp", "load alp", 2, "2 files\nalpha.kx\nalpine.kx\n"},
      {"", "cd g", "cd games/", 1, ""},            // a folder gets its '/'
      {"", "load games/", "load games/j", 3, ""},  // an empty name part extends too
      {"", "load games/j", "load games/j", 3, "3 files\njam\njuggle.kx\njump.kx\n"},
      {"games/", "load ju", "load ju", 2, "2 files\njuggle.kx\njump.kx\n"},
      {"games/", "load \"/t", "load \"/tools/", 1, ""},  // from the root
      {"games/", "load /n", "load /notes.txt", 1, ""},
      {"", "load zzz", "load zzz", 0, ""},
      {"", "load nothere/a", "load nothere/a", 0, ""},
  };
  for (const auto& c : cases) {
    snprintf(shell.current_folder, sizeof shell.current_folder, "%s", c.folder);
    type_line(c.typed);
    int32_t matches;
    std::string printed;
    {
      console_capture capture;  // gtest reports on standard output too: only around the call
      matches = tab_completion();
      printed = capture.lines();
    }
    EXPECT_EQ(matches, c.matches) << c.typed;
    EXPECT_STREQ(command_history.line[0], c.want) << c.typed;
    EXPECT_EQ(printed, c.printed) << c.typed;
  }
}

TEST_F(completion, ACompletionThatWouldNotFitLeavesTheLine) {
  std::string line = "load " + std::string(TOVO_HISTORY_LINE - 8, ' ') + "b";
  type_line(line.c_str());
  EXPECT_EQ(tab_completion(), 1);
  EXPECT_EQ(std::string(command_history.line[0]), line);
}

TEST(command_runner, RunsThePendingActionAsTheUpdateDoes) {
  shell.program_started = 1;
  run_state().pending_action = TOVO_PENDING_FRESH;
  process_command();
  EXPECT_EQ(run_state().pending_action, 0);
  EXPECT_EQ(shell.program_started, 0) << "a fresh script machine has no program";
  tovo_test::reset_player_globals();
}

struct boot_program : ::testing::Test {
  void SetUp() override {
    memset(&shell, 0, sizeof shell);
    pstate().cursor_x = pstate().cursor_y = 0;
    pstate().camera_y = 0;
    shell.mode = TOVO_MODE_BOOT;
  }
  void TearDown() override {
    bios_program = {};
    memset(&shell, 0, sizeof shell);
    pstate().cursor_x = pstate().cursor_y = 0;
  }
  // Steps until the program ends; the cursor and colour after each step.
  struct step {
    int32_t x, y, colour;
  };
  std::vector<step> run() {
    std::vector<step> steps;
    while (update_bios_program() && steps.size() < 100)
      steps.push_back({pstate().cursor_x, pstate().cursor_y, bios_program.colour});
    return steps;
  }
};

TEST_F(boot_program, TypesACharacterAStepWaitsAndChangesColour) {
  start_bios_program(
      "ab\n\x80"
      "D2cC9d");
  std::vector<step> steps = run();
  std::vector<step> want = {
      {4, 0, 6},  {8, 0, 6},             // a, b
      {0, 6, 6},                         // the line end
      {8, 6, 6},                         // a glyph is 8 pixels wide
      {8, 6, 6},  {8, 6, 6}, {8, 6, 6},  // D2: its own step, then two waits
      {12, 6, 6},                        // c
      {16, 6, 9},                        // C9 costs no step: d in colour 9
  };
  ASSERT_EQ(steps.size(), want.size());
  for (size_t i = 0; i < want.size(); i++) {
    EXPECT_EQ(steps[i].x, want[i].x) << i;
    EXPECT_EQ(steps[i].y, want[i].y) << i;
    EXPECT_EQ(steps[i].colour, want[i].colour) << i;
  }
  EXPECT_EQ(shell.mode, TOVO_MODE_STOPPED) << "the program's end stops the machine";
  EXPECT_EQ(update_bios_program(), 0) << "nothing runs afterwards";
}

TEST_F(boot_program, TheEndShowsTheCurrentFolder) {
  for (const char* folder : {"", "games/"}) {
    shell.mode = TOVO_MODE_BOOT;
    snprintf(shell.current_folder, sizeof shell.current_folder, "%s", folder);
    start_bios_program("x");
    std::string printed;
    {
      console_capture capture;
      run();
      printed = capture.lines();
    }
    EXPECT_EQ(printed, folder[0] ? "directory: /games/\n" : "") << folder;
    EXPECT_EQ(shell.mode, TOVO_MODE_STOPPED);
  }
}

TEST(boot_read_hex, DigitsAndLettersUpToF) {
  const std::pair<int32_t, int32_t> cases[] = {{'0', 0}, {'7', 7}, {'9', 9}, {'a', 10}, {'f', 15},
                                               {'g', 0}, {'A', 0}, {' ', 0}, {0, 0},    {200, 0}};
  for (const auto& [code, want] : cases) EXPECT_EQ(boot_read_hex(code), want) << code;
}

}  // namespace
