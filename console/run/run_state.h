#pragma once
// The run loop's state: the fields that pace a cart's program frame by frame
// (frame rate, CPU marks, performance ring, flags of the running program,
// parameter strings, pause-menu items), with the interpreter handles and the
// code tabs beside it in the run record (console/run/run_record.h). One plain
// record, zeroed at start; the shell reads and writes the fields it shares
// with the run loop (pending action, exec flag, resumable flag, load delay).
#include <cstdint>

#include "console/machine/cart.h"

constexpr int TOVO_CODE_TABS = 16;
constexpr int TOVO_PARAM_MAX = 1024;  // characters of a parameter string
constexpr int TOVO_PERF_ENTRIES = 64;
constexpr int TOVO_PERF_WORDS = 8;
constexpr int TOVO_FPS_HISTORY = 30;
constexpr int TOVO_MENU_ITEMS = 5;   // pause-menu slots 1-5
constexpr int TOVO_MENU_LABEL = 16;  // characters of a label
constexpr int TOVO_SET_FILENAME_MAX = 63;
constexpr int TOVO_RUN_NAME_SIZE = 1024;
constexpr int32_t TOVO_CPU_HZ = 8388608;  // virtual cycles a second
constexpr int32_t TOVO_MEMORY_LIMIT = 0x204000;

// Pending actions the shell carries out at the start of its next update.
enum {
  TOVO_PENDING_NONE = 0,
  TOVO_PENDING_RUN = 1,
  TOVO_PENDING_SUSPEND = 2,
  TOVO_PENDING_REBOOT = 3,
  TOVO_PENDING_SUSPEND_FRESH = 4,
  TOVO_PENDING_REBOOT_QUIET = 5,
  TOVO_PENDING_FRESH = 6,
};

// How the last cart program ended, when it did not end normally.
enum {
  TOVO_END_NORMAL = 0,
  TOVO_END_COMPILE_ERROR = 1,
  TOVO_END_RUNTIME_ERROR = 2,
};

// Words of a performance-ring entry.
enum {
  TOVO_PERF_MEMORY = 0,
  TOVO_PERF_CPU = 1,
  TOVO_PERF_SPEND = 2,
  TOVO_PERF_COLOUR = 3,
  TOVO_PERF_UNUSED = 4,
  TOVO_PERF_TIMING = 5,
  TOVO_PERF_FPS = 6,
  TOVO_PERF_CODE = 7,
};

struct tovo_run_state {
  // Program.
  int32_t running;         // 1 while the program is to be resumed
  int32_t program;         // 1 when the thread in use runs a cart, 0 a prompt line
  int32_t resumable;       // 1 after run_cart until the main thread finished
  int32_t exec;            // the shell's exec switch: quit when the program stops
  int32_t export_target;   // the shell was given an export target: console lines go to standard output
  int32_t editor_view;     // never set in the player; no slice while non-zero
  int32_t pending_action;  // TOVO_PENDING_*
  int32_t step;            // prompt stepping: flip() stops after one frame
  int32_t has_draw;        // the program text contains " _draw"
  int32_t buttons_read;    // set by btn/btnp
  int32_t section_count;   // sections run
  int32_t global_api;      // the global_api switch: no alias line
  int32_t load_delay;      // ticks without a run slice after a load
  int32_t end_error;       // TOVO_END_*: how the cart's last program ended
  int32_t list_to_table;   // the shell's listing-to-table word: ls() in a running cart gives a table
  int32_t echo_reports;    // the shell's word: console lines printed while no program runs go to stderr too

  // CPU.
  int32_t frame_ticks;    // program time in 60ths of a second
  int32_t spend_counter;  // cycles charged by spend_cpu since the last flip()
  int32_t refund_allowed;
  int32_t refunded;        // cycles refunded in this slice (at most the slice budget)
  int32_t skipped_cycles;  // cycles of skipped frames, 0..0x8840000
  int32_t current_fps;
  int32_t target_fps;
  int32_t fps_history[TOVO_FPS_HISTORY];
  int32_t mark_cycles[3];
  int32_t mark_time[3];
  int32_t last_cost;  // 16.16 fractions of a frame's budget
  int32_t previous_cost;
  int32_t drop_penalty;            // 0-5
  int32_t drop_time;               // engine ms of the last drop from 60 to 30
  int32_t halve_request;           // nothing in the player sets it
  int32_t host_framerate_control;  // the setting, default 1
  int32_t host_draw_ms;            // duration of the last host draw
  int32_t frame_timing;            // the shell's timing word of the frame
  int32_t gc_strikes;              // frames in which the memory limit forced a collection
  int32_t gc_strike_ticks;         // frame ticks of the last strike
  int32_t cdata_saved_at;          // engine ms of the last automatic save

  // Performance ring.
  int32_t perf[TOVO_PERF_ENTRIES][TOVO_PERF_WORDS];
  int32_t perf_index;

  // Frames.
  int32_t hold_frame;       // while set the shell keeps the last flipped picture
  int32_t frame_held;       // sticky: holdframe was called
  int32_t mainloop_exists;  // 0, 1 the cart's own _mainloop, 2 the generated loop
  int32_t record_every_flip;

  // Files and parameters.
  char param[TOVO_PARAM_MAX + 1];          // the current parameter string
  char pending_param[TOVO_PARAM_MAX + 1];  // made current by run_cart
  char running_filename[TOVO_RUN_NAME_SIZE];
  char running_cart_lid[TOVO_RUN_NAME_SIZE];
  char set_filename[TOVO_SET_FILENAME_MAX + 1];
  int32_t load_status;  // stat(107)

  // Pause menu items 1-5 (index 0 unused) and their selection bytes.
  char menu_label[TOVO_MENU_ITEMS + 1][TOVO_MENU_LABEL + 1];
  int32_t menu_selected[TOVO_MENU_ITEMS + 1];

  // extcmd("reset"): engine ms of the last request.
  int32_t reset_request_time;
  int32_t reset_requested;  // a request was accepted since start
  // First-time flags of scoresub and bbsreq (for the whole run of the program).
  int32_t scoresub_shown;
  int32_t bbsreq_shown;

  // The run loop's clock: the engine's milliseconds, unless whoever steps the
  // frames itself (a test, a benchmark) holds it still at held_clock_ms.
  int32_t clock_held;
  int32_t held_clock_ms;
};

// The clock the run loop, the bindings and the shell read: engine
// milliseconds, or the held time while run_state().clock_held is set.
int32_t tovo_clock();
