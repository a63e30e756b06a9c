// The update half of the frame loop: pending actions, frame steps, ticks by
// machine mode, the reset glitch and reboot.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/mem_bulk.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/code_tabs.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/data/prng.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "player/boot.h"
#include "player/browser/splore.h"
#include "player/browser/splore_download.h"
#include "player/capture/clip_record.h"
#include "player/capture/screenshot.h"
#include "player/cart/cdata.h"
#include "player/cart/drop.h"
#include "player/clipboard/activity_log.h"
#include "player/frame.h"
#include "player/frame_parts.h"
#include "player/frame_step.h"
#include "player/hotkey.h"
#include "player/keyconfig_screen.h"
#include "player/keyqueue.h"
#include "player/message.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"
#include "player/stopped.h"
#include "sound/sound.h"

namespace {

constexpr int32_t JOYSTICK_MESSAGE_MS = 1400;
// With -glitch_test the program ends once more than this many screenshots of
// the reset glitch were taken.
constexpr int32_t TOVO_GLITCH_SCREENSHOTS = 48;

void poke(int32_t a, int32_t v) { tovo_poke(&pstate(), pstate().cart, a, v); }
int32_t r(uint32_t n) { return (int32_t)tarq_random(n); }

// Who turns this tick's held buttons into presses: the pause menu while a
// page is open, else a running cart (through its own frames when a slice
// runs its main loop), else the shell.
tovo_input_mode tick_input_mode(bool cart_frames) {
  if (app.pause_state != 0) return TOVO_INPUT_MENU;
  if (shell.mode != TOVO_MODE_RUNNING || !run_state().running) return TOVO_INPUT_SHELL;
  return cart_frames ? TOVO_INPUT_CART_FRAMES : TOVO_INPUT_CART;
}

// The cart's epilogue decides the presses once its main loop runs.
bool main_loop_runs() { return shell.program_started && run_state().mainloop_exists >= 2; }

void stop_program() {
  suspend_program();
  shell.mode = TOVO_MODE_STOPPED;
}

// The first tick of the reset glitch: registers and memory damaged at random.
void damage_machine() {
  int32_t saved = pstate().ram[TOVO_REG_PERSIST];
  if (r(8) == 0) pstate().screen_mode = r(4);
  for (int i = 0; i < TOVO_SOUND_REGISTERS; i++) poke(TOVO_REG_SOUND, r(256));
  if (r(4) == 0) poke(TOVO_REG_MASKS, 0xf0 | r(16));
  int32_t n = 2;
  if (app.glitch_test == 0) {
    for (int i = 0; i < 40; i++) {
      int32_t v = r(256);
      poke(r(TOVO_FLAGS_START), v);  // somewhere in the sheet or the map
    }
  } else {
    for (int i = 0; i < 20 * app.glitch_screenshots; i++) {
      int32_t v = r(256);
      poke(r(TOVO_FLAGS_START), v);  // somewhere in the sheet or the map
    }
    n = app.glitch_screenshots;
  }
  for (int i = 0; i < 2; i++) {
    int32_t v = r(140);
    poke(TOVO_REG_DRAW_PAL + r(2 * TOVO_PALETTE_ENTRIES), v);  // either palette
  }
  if (r(4) == 0)
    for (int a = TOVO_REG_FILL_PATTERN; a < TOVO_REG_FILL_PATTERN + TOVO_FILL_PATTERN_BYTES; a++) poke(a, r(256));
  if (r(4) == 0)
    for (int a = TOVO_REG_PRINT_STYLE; a < TOVO_REG_PRINT_STYLE + TOVO_PRINT_REGISTERS; a++) poke(a, r(256));
  for (int i = 0; i < n; i++) {
    int32_t d = 0x400 + r(0x2800);
    int32_t s = d + r(0x800);
    s -= r(0x800);
    int32_t len = r(0x400);
    tovo_memcpy(&pstate(), pstate().cart, d, s, len);
    int32_t d2 = r(0x2c00);
    int32_t s2 = r(0x2c00);
    int32_t len2 = r(0x400);
    tovo_memcpy(&pstate(), pstate().cart, d2, s2, len2);
  }
  for (int i = 0; i < n; i++) {
    int32_t a = r(0x2e00), v = r(256), len = r(0x200);
    tovo_memset(&pstate(), pstate().cart, a, v, len);
  }
  poke(TOVO_REG_PERSIST, saved);
}

// A download the running tick waits for: running, or finished and not yet
// looked at. A quiet update check runs beside the cart without stopping it
// until its result is in.
bool download_awaited() {
  int32_t state = splore_download_state();
  return state == SPLORE_DOWNLOAD_RUNNING || state == SPLORE_DOWNLOAD_DONE || state == SPLORE_DOWNLOAD_FAILED;
}

// What a running tick serves before its input step: the sound snapshot, the
// spinner, the keyboard and the mouse changes.
void serve_running_tick() {
  update_audio_moment_cache();
  shell.spinner_count = shell.spinner_count > 150 ? 150 : shell.spinner_count > 0 ? shell.spinner_count - 1 : 0;
  process_running_keypresses();
  process_devkit_mouse_activity();
}

// A running tick after its input step: without a main loop the tick checks
// the pause button itself; then the cart's slice.
void run_cart_tick() {
  if (!main_loop_runs()) {
    if (shell.program_started) run_state().frame_ticks += shell.frame_rate == 30 ? 2 : 1;
    update_paused_menu();
    record_resource_data();
  }
  if (pstate().reset_counter < 3) {
    app.menu_event = 0;  // the slice serves the cart's menu event
    button_config().menu_callback = 0;
    run_slice();
  }
  if (run_state().hold_frame) {
    // A cart that holds its frame can still be paused once it has run long.
    run_state().frame_held = 1;
    if (shell.program_started && run_state().mainloop_exists == 2 && get_cpu_cycles_since_flip(0) > 0x200000) {
      update_paused_menu();
      record_resource_data();
    }
  }
  if (shell.mode == TOVO_MODE_RUNNING && !run_state().running) shell.mode = TOVO_MODE_STOPPED;
}

// A host frame in which no tick ran waits (waking early for any input)
// until the next host frame will find its tick due, instead of coming round
// every millisecond to find nothing to do. Nothing waits with a quit or an
// action pending, or while the clock is held.
void wait_for_next_tick() {
  if (tarq_quit_requested() || run_state().pending_action != 0 || run_state().clock_held) return;
  int32_t rate = tarq_state.paused || app.pause_state != 0 ? 30 : shell.frame_rate;
  int32_t until_due =
      tovo_ms_until_due(app.accumulator, app.accumulator_rest, app.last_t, rate, shell.frame_rate, TOVO_TICK);
  tarq_wait_for_event(tovo_idle_wait_ms(until_due, tarq_pump_sleep_ms()));
}

}  // namespace

void update_reset_glitch() {
  if (pstate().reset_counter == 0) return;
  pstate().reset_counter++;
  int32_t limit = shell.frame_rate == 60 ? 12 : 6;
  if (pstate().reset_counter > limit) {
    pstate().reset_counter = 0;
    run_state().pending_action = TOVO_PENDING_RUN;
    // The cart starts again with the parameter string it was started with,
    // unless run() gave a new one.
    if (run_state().pending_param[0] == 0)
      snprintf(run_state().pending_param, sizeof run_state().pending_param, "%s", run_state().param);
    return;
  }
  if (pstate().reset_counter == 2) damage_machine();
}

void tovo_do_pending_action() {
  if (run_state().pending_action == 0) return;
  pstate().reset_counter = 0;
  if (run_state().pending_action == TOVO_PENDING_RUN) {
    // From now on what the console prints while no program runs (errors,
    // tracebacks) reaches the terminal too.
    run_state().echo_reports = 1;
    reset_video();
    close_cdata();
    run_cart();
    shell.program_started = 1;
    shell.mode = run_state().running ? TOVO_MODE_RUNNING : TOVO_MODE_STOPPED;
    if (!run_state().running && run_state().exec)
      tarq_request_quit(TARQ_QUIT_AFTER_FRAME);  // it did not compile: nothing runs
  }
  if (run_state().pending_action == TOVO_PENDING_SUSPEND) stop_program();
  if (run_state().pending_action == TOVO_PENDING_REBOOT) reboot_machine();
  if (run_state().pending_action == TOVO_PENDING_SUSPEND_FRESH) {
    stop_program();
    reset_lua_machine();
    shell.program_started = 0;
    tovo_print_col("", 6);
    tovo_print_col(tovo_error_log(), 6);
  }
  if (run_state().pending_action == TOVO_PENDING_REBOOT_QUIET) reboot_machine();
  if (run_state().pending_action == TOVO_PENDING_FRESH) {
    reset_lua_machine();
    shell.program_started = 0;
  }
  run_state().pending_action = 0;
}

void serve_joystick_reports() {
  int32_t& connected = tarq_state.joystick_connected;
  int32_t& disconnected = tarq_state.joystick_disconnected;
  if (shell.mode != TOVO_MODE_BOOT && shell.mode != TOVO_MODE_SPLASH) {
    if (connected) show_message_2("joystick %d connected", JOYSTICK_MESSAGE_MS, connected & 0xff, 0);
    if (disconnected) show_message_2("joystick %d disconnected", JOYSTICK_MESSAGE_MS, disconnected & 0xff, 0);
  }
  connected = disconnected = 0;
}

void tovo_tick() {
  bool running = shell.mode == TOVO_MODE_RUNNING;
  bool waiting = running && download_awaited();
  // A tick of the load delay does nothing at all, and reads no buttons.
  bool load_tick = running && !waiting && run_state().load_delay > 0;
  bool cart_tick = running && !waiting && !load_tick;
  if (cart_tick) serve_running_tick();
  if (!load_tick) step_input(tick_input_mode(cart_tick && main_loop_runs()));
  if (waiting) {
    update_load_download();
    if (run_state().load_delay > 10) run_state().load_delay--;
  } else if (load_tick) {
    run_state().load_delay--;
  } else if (cart_tick) {
    run_cart_tick();
  } else {
    if (shell.sub_mode == 1) keyconfig_update();
    if (shell.sub_mode == 2) splore_update();
    run_state().load_delay = 0;
  }
  if (!load_tick && shell.mode == TOVO_MODE_BOOT) move_boot();
  if (!load_tick && shell.mode == TOVO_MODE_SPLASH) move_splash();
  update_reset_glitch();
  app.frame_flipper ^= 1;
  pstate().ticks++;
  shell.spinner_frame++;
  record_tick_frames(shell.video_frame, shell.frame_rate, 0, app.frame_flipper);
}

void tovo_frame_update() {
  if (app.draw_calls > 0) app.host_frames++;
  latch_key_taps(tick_input_mode(main_loop_runs()));
  handle_dropped_file();
  log_activity(0);
  update_punycode_encoding();
  for (int32_t& mask : button_state().forced) mask = -1;  // injected buttons last one update
  if (shell.mode == TOVO_MODE_RUNNING) {
    int32_t fps = run_state().target_fps;
    shell.frame_rate = fps == 15 || fps == 60 ? fps : 30;
  }
  if (cconfig.sound_volume != 0) app.volume = cconfig.sound_volume;
  tarq_set_music_volume(256);
  tarq_lock_mouse_cursor(should_be_pointer_locked());
  if (app.glitch_test != 0 && shell.mode == TOVO_MODE_RUNNING) {
    if (++app.glitch_test == 12) pstate().reset_counter = 1;
    if (run_state().pending_action == TOVO_PENDING_RUN) {
      save_png_screenshot(shell.display, 0, 0);
      app.glitch_test = 1;
      if (++app.glitch_screenshots > TOVO_GLITCH_SCREENSHOTS) {
        tarq_request_quit(TARQ_QUIT_AFTER_FRAME);  // enough pictures: the program ends through the main loop
        return;
      }
    }
  }
  process_volume_hotkeys();
  tovo_do_pending_action();
  if (shell.mode != TOVO_MODE_RUNNING) {
    tarq_state.paused = 0;
    if (app.pause_state != 0) tovo_key_queue_clear();
    app.pause_state = 0;
    shell.frame_rate = 30;
  }
  int32_t now = tovo_clock() + TOVO_TIME_OFFSET;
  int32_t rate = tarq_state.paused || app.pause_state != 0 ? 30 : shell.frame_rate;
  tovo_frame_step(&app.accumulator, &app.accumulator_rest, &app.last_t, now, rate, shell.frame_rate, app.glitch_test);
  bool nothing_due = false;  // no tick ran in this host frame
  if (!tarq_state.paused && app.pause_state == 0) {
    int32_t mx, my, mb;
    tarq_get_mouse(&mx, &my, &mb);
    bool moved = mx != app.last_mouse_x || my != app.last_mouse_y;
    app.last_mouse_x = mx;
    app.last_mouse_y = my;
    int32_t due =
        moved && !tarq_get_key_state(SDL_SCANCODE_LSHIFT) && shell.mode != TOVO_MODE_RUNNING ? 32768 : TOVO_TICK;
    if (app.accumulator < due) {
      app.skipped_frames++;
      int32_t sleep = tarq_system_is_active() ? cconfig.foreground_sleep_ms : cconfig.background_sleep_ms;
      if (app.frames_skipped_in_sequence < tovo_skip_limit(sleep)) {
        tarq_skip_frame(1);
        nothing_due = true;
      }
      app.frames_skipped_in_sequence++;
    } else {
      app.frames_skipped_in_sequence = 0;
    }
    while (app.accumulator > 65535) {
      tovo_tick();
      app.accumulator -= TOVO_TICK;
    }
  } else if (app.accumulator > 65535) {
    // The paused tick: the menu (or the shell, while the engine is paused)
    // turns the buttons into presses.
    step_input(tick_input_mode(false));
    update_audio_moment_cache();
    if (app.pause_state == TOVO_PAUSE_CONTROLS) {
      if (button_pressed(6, 0)) {
        tovo_key_queue_clear();
        app.pause_state = 0;
        block_buttons();
      }
    } else if (app.pause_state == TOVO_PAUSE_KEYCONFIG) {
      keyconfig_update();
    } else {
      process_running_keypresses();
      process_paused_keypresses();
    }
    app.accumulator -= TOVO_TICK;
    record_tick_frames(shell.video_frame, shell.frame_rate, 1, app.frame_flipper);
  } else {
    nothing_due = true;
  }
  // Escape closes any pause page.
  if (shell.mode == TOVO_MODE_RUNNING && app.pause_state != 0 && tarq_get_key_state(SDL_SCANCODE_ESCAPE) == 3) {
    if (app.pause_state == TOVO_PAUSE_KEYCONFIG) keyconfig_close();
    close_paused_menu();
    tarq_block_key(SDL_SCANCODE_ESCAPE);
  }
  process_function_hotkeys();
  // Stopped with a run pending (the boot has just handed over) is no stopped screen yet.
  if (shell.mode == TOVO_MODE_STOPPED && run_state().pending_action == 0) process_immediate_mode_keypresses();
  if (run_state().load_delay == 0 && splore_download_state() == SPLORE_DOWNLOAD_IDLE && shell.spinner_count == 0)
    shell.spinner_frame = 0;
  if (shell.mode == TOVO_MODE_RUNNING && shell.program_started) determine_audio_pause_state();
  serve_joystick_reports();
  if (app.output_record) fflush(app.output_record);
  fflush(stdout);
  if (nothing_due) wait_for_next_tick();
}
