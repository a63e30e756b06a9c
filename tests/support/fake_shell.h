#pragma once
// A recording shell for console tests: install_fake_shell() fills the
// console's port with routines that keep what they were asked in fake_shell
// (and answer from it), with mounted carts as a small table of names and
// code texts. Tests may then replace single entries of tovo_shell().
#include <cstdint>

#include "console/run/shell_port.h"

constexpr int TOVO_FAKE_TEXT = 256;
constexpr int TOVO_FAKE_MOUNTS = 8;
constexpr int TOVO_FAKE_SETTINGS = 16;

struct tovo_fake_shell {
  char message[TOVO_FAKE_TEXT];  // the last message shown
  int32_t message_ms;
  int32_t messages;
  int32_t cdata_saves;
  int32_t paused_menu_updates;
  int32_t paused_menu_builds;  // pause menu opened
  int32_t paused_menu_page;    // 0 the first page, 1 the controls page
  int32_t paused_menu_keep;    // the previous selection stays
  int32_t paused_menu_closes;
  int32_t back_page_copies;
  int32_t labels;
  int32_t screenshots;
  int32_t screenshot_result;  // what the next screenshot returns (0 saved)
  int32_t video_frames;
  int32_t video_resets;
  int32_t video_result;  // what the next GIF save returns (0 saved, 9 no frames)
  int32_t gif_seconds;
  int32_t sound_stops;
  int32_t hashes;
  int32_t backups;
  char confirm_prompt[TOVO_FAKE_TEXT];  // the last question before reboot or shutdown
  int32_t confirm_answer;               // what it answers: non-zero declines
  int32_t quick_saves;
  int32_t kiosk_clears;
  int32_t splore_animation_resets;
  int32_t unsaved;  // what unsaved_changes answers
  char mount_name[TOVO_FAKE_MOUNTS][TOVO_FAKE_TEXT];
  const char* mount_code[TOVO_FAKE_MOUNTS];
  int32_t mounts;
  char current_filename[TOVO_FAKE_TEXT];
  char current_folder[TOVO_FAKE_TEXT];
  // The last command that reached the shell's file work or installers, as
  // "command argument" ("" when none).
  char command[TOVO_FAKE_TEXT];
  char setting_name[TOVO_FAKE_SETTINGS][32];
  int32_t setting_value[TOVO_FAKE_SETTINGS];
};

extern tovo_fake_shell fake_shell;

// Empties fake_shell and makes the console's port its recording routines.
void install_fake_shell();
// A mounted cart: load() of the name makes a working cart with the code.
void fake_shell_mount(const char* name, const char* code);
