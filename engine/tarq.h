#pragma once
// The engine's spine: the main loop, start-up and shutdown, the engine state
// record, frame-rate measurement and fatal errors. The application is the
// record of four hooks that the program hands to tarq_main.
#include <cstdint>
#include <cstdio>

#include "engine/config.h"
#include "engine/io/path.h"
#include "engine/log.h"

constexpr int TARQ_TITLE_SIZE = 256;
constexpr int TARQ_ARGV0_SIZE = 512;

// The engine state record, zeroed by tarq_init.
struct tarq_engine_state {
  char app_title[TARQ_TITLE_SIZE];  // names the application folder
  char window_title[TARQ_TITLE_SIZE];
  char* window_title_ptr;  // null: the window has no title
  FILE* log_file;
  FILE* log_file2;  // never opened by the player; treated like the first
  int32_t paused;   // set by the application while its pause menu is open

  // Input handed to the application, which reads and clears it each frame.
  int32_t wheel_x, wheel_y;
  int32_t last_wheel_x, last_wheel_y;
  int32_t rel_pending_x, rel_pending_y;  // locked-mouse motion not yet moved to the totals
  int32_t rel_x, rel_y;                  // locked-mouse motion totals
  int32_t quick_click_button, quick_click_time;
  int32_t mouse_locked;
  int32_t lmb_key, rmb_key;          // key codes acting as mouse buttons, 0 none
  int32_t joystick_connected;        // index | 0x100, 0 none
  int32_t joystick_disconnected;     // 0x100 + slot, 0 none
  char dropped_file[TARQ_PATH_MAX];  // empty when none
  int32_t new_drop;
  int32_t key_cursor_x, key_cursor_y;  // editor keyboard-cursor words

  // Window.
  int32_t window_size_given;  // tarq_set_window_size gave a preferred size
};

extern tarq_engine_state tarq_state;

// The application the engine runs. init starts it (it calls tarq_init
// before any other engine service); update and draw run once per host frame
// (draw unless the update asked to skip the frame); exit runs inside
// tarq_exit, after the music is stopped and before the configuration is
// saved. Results are ignored; an entry left null is not called.
struct tarq_application {
  int (*init)(int argc, char** argv);
  int (*update)();
  int (*draw)();
  int (*exit)();
};

// Ways to end the main loop, which then shuts the engine down and returns the
// exit status: TARQ_QUIT_AFTER_FRAME (what the application asks) once the
// frame is drawn, TARQ_QUIT_AT_ONCE (a quit from the system or the quit keys,
// asked by the event pump) before anything more of the frame runs.
enum : int32_t { TARQ_QUIT_AFTER_FRAME = 1, TARQ_QUIT_AT_ONCE = 2 };

// The main loop's record: start-up, shutdown and the loop change it; other
// modules ask through the calls below and read it.
struct tarq_main_loop {
  int32_t tarq_argc;
  char** tarq_argv;
  char tarq_argv0[TARQ_ARGV0_SIZE];
  int32_t tarq_inited;       // 1 between a completed tarq_init and the start of tarq_exit
  int32_t tarq_console;      // start-up and shutdown skip every platform step
  int32_t tarq_quit;         // 0, or how the loop is to end
  int32_t tarq_exit_status;  // what tarq_main returns
  int32_t skip_frame;        // this frame is neither drawn nor presented
  int32_t tarq_processing_gui;
  int32_t tarq_last_mouse_x, tarq_last_mouse_y;  // back-page pixels, once a frame
  int32_t tarq_start_time;
  char app_title_pending[TARQ_TITLE_SIZE] = "tarq";  // copied into tarq_state by tarq_init
  int32_t tarq_items_created;                        // live engine objects
  int32_t frame_start_t;
  int32_t smoothed_fps;       // 16.16
  tarq_application tarq_app;  // all entries null when none
};
extern tarq_main_loop tarq_loop;

// Asks the main loop to end (a TARQ_QUIT_ value) or, with 0, withdraws the
// request; what was asked last holds.
void tarq_request_quit(int32_t how);
int32_t tarq_quit_requested();  // 0 or how the loop is to end
// What tarq_main returns; the application sets it.
void tarq_set_exit_status(int32_t status);
// Engine objects count themselves as they are made and destroyed;
// tarq_exit logs the count still alive.
void tarq_item_created();
void tarq_item_destroyed();

// Start-up and shutdown.
// Keeps the arguments and the application, starts it, runs frames until
// a quit is asked and shuts down; returns the exit status.
int tarq_main(int argc, char** argv, const tarq_application* app);
// Keeps the application (a copy; null: none) for tarq_exit and tarq_restart
// without running the loop; tarq_main sets it itself.
void tarq_set_application(const tarq_application* app);
int tarq_init();
int tarq_exit();
int tarq_system_init();
int tarq_system_exit();
[[noreturn]] void tarq_fatal_error(const char* message);

// The main loop.
int tarq_skip_frame(int n);
int tarq_handle_messages();

// Titles and the program name.
void tarq_set_application_title(const char* text);
void tarq_set_window_title(const char* text);
void tarq_set_argv0(const char* text);

// Time and frame rate.
int32_t tarq_get_time();
void tarq_register_frame_start_for_fps();
int32_t tarq_register_frame_end_for_fps();
int32_t tarq_get_fps();

// Command-line options into cconfig.
void tarq_process_arguments(int argc, char** argv);
