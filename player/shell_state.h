#pragma once
// The player shell's state: the application record `app` (settings of
// "config.txt" and the command line, the frame accumulator, the glitch test)
// and the shell's side of the machine (`shell`): machine mode, frame-rate
// word, the screen and display bitmaps, the data pod and its opened parts,
// the paths and the suggested file name. Both are plain records, zeroed at
// start. The run loop's fields (pending action, exec, load delay, parameter
// string) live in run_state(), the RAM image and screens' registers in pstate().
#include <cstdint>
#include <cstdio>

#include "engine/io/path.h"

struct tarq_bitmap;

// Machine modes.
enum { TOVO_MODE_STOPPED = 0, TOVO_MODE_RUNNING = 1, TOVO_MODE_BOOT = 2, TOVO_MODE_SPLASH = 3 };
struct tarq_pod;
struct tovo_cart;
struct tarq_ctext;

constexpr int TOVO_BUTTON_KEYS = 13;
constexpr int TOVO_FURTHER_NAMES = 33;
constexpr const char* TOVO_VERSION_TEXT = "0.2.4";

struct tovo_app_state {
  // Command line.
  char cart_name[TARQ_PATH_MAX];
  char further_names[TOVO_FURTHER_NAMES][TARQ_PATH_MAX];
  int32_t further_count;
  int32_t cart_loaded;
  int32_t run_requested;
  int32_t run_failed;  // the cart asked to run did not load: the boot stops on the message
  int32_t browser_requested;
  int32_t kiosk;
  int32_t global_api;
  char export_name[TARQ_PATH_MAX];
  FILE* input_record;
  FILE* output_record;
  int32_t accept_future;

  // Settings of "config.txt".
  int32_t volume;  // remembered sound volume
  int32_t joystick_index;
  int32_t button_keys[TOVO_BUTTON_KEYS];
  int32_t live_notes, cursor_snap, gui_theme;
  int32_t screenshot_scale, gif_scale, gif_len, gif_reset_mode;
  int32_t host_framerate_control, shift_glyphs, show_backup_messages;
  int32_t splore_filter, tab_width, draw_tabs, record_activity_log;
  int32_t allow_function_keys, check_for_cart_updates, enable_gpio;
  int32_t flip_ampersand, auto_hide_mouse_cursor;
  int32_t gpio_base;
  int32_t punycode_encoding;  // code texts keep capitals when they cross to the host

  // Display options.
  int32_t tv_frame, displays_x, displays_y;

  // Frame loop.
  int32_t pause_state;  // 0 none, 1 menu, 2 key config, 3 controls, 4 options
  int32_t menu_event;
  int32_t accumulator;       // 16.16 console ticks
  int32_t accumulator_rest;  // thousandths of a 16.16 unit carried to the next frame
  int32_t last_t;
  int32_t frames_skipped_in_sequence;
  int32_t frame_flipper;
  int32_t skipped_frames;  // frame statistics
  int32_t glitch_test;
  int32_t glitch_screenshots;
  int32_t draw_calls;
  int32_t first_draw_t;
  int32_t host_frames;  // host frames since the first draw, drawn or not
  int32_t last_mouse_x, last_mouse_y;
  int32_t play_source;
  // The mouse as the last running tick saw it (for stat's change flags).
  int32_t tick_mouse_x, tick_mouse_y, tick_mouse_b, tick_mouse_read;
};

struct tovo_shell_state {
  int32_t mode;        // TOVO_MODE_* (0 stopped, 1 running, 2 boot, 3 splash)
  int32_t frame_rate;  // 15, 30 or 60
  int32_t sub_mode;    // 0, 1 key config, 2 browser
  int32_t spinner_frame;
  int32_t spinner_count;
  int32_t program_started;

  tarq_bitmap* display;  // the converted screen
  tarq_bitmap* video_frame;
  tarq_bitmap* tiny[2];  // 1x1 and 8x8
  tarq_pod* data_pod;
  tovo_cart* boot_cart;
  tarq_pod* resources;
  tarq_pod* font;
  tarq_ctext* tabs[16];

  char root_path[TARQ_PATH_MAX];
  char current_folder[TARQ_PATH_MAX];
  char cdata_path[TARQ_PATH_MAX];
  char suggested_name[TARQ_PATH_MAX];
};

extern tovo_app_state app;
extern tovo_shell_state shell;

// Sets the shell's defaults of the application record (the rest zero).
void set_default_app_config();
// True while the machine runs a started cart (cart data may be used).
bool tovo_cart_is_running();
