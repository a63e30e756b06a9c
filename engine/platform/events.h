#pragma once
// The event pump, keyboard and mouse. Keys are SDL scancodes; the pump keeps
// a state per key (0 up, 1 down, 3 pressed this frame or auto-repeated) and a
// small queue of typed codes.
#include <SDL_scancode.h>

#include <cstdint>

#include "engine/data/gfx.h"

union SDL_Event;

constexpr int TARQ_NUM_KEYS = 512;
constexpr int TARQ_KEY_QUEUE = 32;
constexpr int32_t TARQ_KEY_REPEAT_DELAY_MS = 500;
constexpr int32_t TARQ_KEY_REPEAT_MS = 80;

// Pseudo keys for tarq_get_key_state.
constexpr int32_t TARQ_KEY_SHIFT = -6, TARQ_KEY_CTRL = -5, TARQ_KEY_ALT = -4, TARQ_KEY_GUI = -3, TARQ_KEY_EXTRA = -2;
// Table entries that stand for no SDL scancode: the GUI (command) modifiers,
// which the modifier state marks down, and a pair that nothing sets, read
// through TARQ_KEY_EXTRA.
constexpr int32_t TARQ_KEY_LEFT_GUI = 500, TARQ_KEY_RIGHT_GUI = 501;
constexpr int32_t TARQ_KEY_EXTRA_FIRST = 502, TARQ_KEY_EXTRA_SECOND = 503;
static_assert(TARQ_KEY_EXTRA_SECOND < TARQ_NUM_KEYS);

constexpr int32_t TARQ_PUMP_SLEEP_MAX_MS = 200;

// The pump: the sleep, the key tables, then every pending platform event. A
// quit from the system or the quit keys asks the loop to end at once
// (TARQ_QUIT_AT_ONCE) and leaves the events after it unread; a window close
// asks it to end after the frame (TARQ_QUIT_AFTER_FRAME).
int tarq_handle_system_messages();
// The sleep that starts each pump: the foreground or background setting
// (foreground with a framebuffer or while the application is active),
// clamped to 0..TARQ_PUMP_SLEEP_MAX_MS.
int32_t tarq_pump_sleep_ms();
// Waits up to ms milliseconds, ending early when a platform event arrives
// (the event stays queued for the next pump); without an event queue it
// sleeps the whole time. Nothing for ms <= 0.
void tarq_wait_for_event(int32_t ms);
// One platform event as the pump handles it, at engine time `now`.
void tarq_handle_event(const SDL_Event& e, int32_t now);

// The key tables' per-frame step: SDL's key states (count entries) and
// modifier state go in; presses, holds and the shared auto-repeat come out.
void tarq_update_key_tables(const uint8_t* sdl_keys, int32_t count, uint32_t sdl_mods, int32_t now);
// Ends a pump: a press that gave no code still pushes -1.
void tarq_finish_key_pump(int32_t codes_this_pump);
// The pump's last step on the tables: a key that is up is no longer blocked.
void tarq_unblock_released_keys();
// 1 while the window is shown and focused; the window module sets it when
// it opens a window.
int32_t tarq_system_is_active();
void tarq_set_system_active(int32_t flag);
// The pump as at program start: window inactive, no finger down, the chord
// and focus clocks at 0.
void tarq_events_reset();

// Clears the key tables and the code queue.
int tarq_keys_init();
int tarq_keys_exit();
// The key module as at program start: tables and queue cleared, the
// auto-repeat clock at 0.
void tarq_keys_reset();
int32_t tarq_get_key_state(int32_t k);
// Whether scancode k is held down, blocked or not (0 or 1).
int32_t tarq_key_down(int32_t k);
// Scancode k reads up until it is released (a key the caller has used).
void tarq_block_key(int32_t k);
int32_t tarq_key_blocked(int32_t k);  // 0 or 1
// Writers of this frame's table, as the pump or a key event leaves it: the
// entry of k (0 up, 1 down, 3 pressed or repeated); k down in this frame and
// the one before; k down unless it already is; every key up (the frame
// before, the blocks and the queue kept). Keys outside the table are ignored.
void tarq_set_key(int32_t k, int32_t state);
void tarq_hold_key(int32_t k);
void tarq_mark_key_down(int32_t k);
void tarq_release_keys();
// The lowest scancode held down, caps lock aside; 0 when none.
int32_t tarq_get_any_key_down();
// Whether any entry of this frame's table is not up (caps lock included):
// when none is, every key reads as up, pseudo keys too.
bool tarq_any_key_entry();
int32_t tarq_keypressed();
void tarq_clear_key_queue();  // drops every queued code
// The oldest typed code; while there is none it pumps messages, and a quit
// (tarq_quit_requested) ends the wait with 0.
int32_t tarq_readkey();
int32_t tarq_push_key_code(int32_t code);  // 1 when it fitted in the queue
const char* tarq_get_key_name(int32_t scancode);
// The character that a US layout gives for a key, 0 for none.
int32_t tarq_us_layout_char(int32_t scancode, int32_t shift);

// Mouse
// The mouse cursor's record, changed only by the cursor's own calls (its
// making here, its choosing and showing in extra/mouse_cursor_draw.h).
struct tarq_mouse_cursor {
  tarq_bitmap* tarq_mouse_bmp;          // the engine's cross-hair
  tarq_bitmap* tarq_current_mouse_bmp;  // the cursor in use
  int32_t mouse_visible;
  int32_t mouse_focus_x, mouse_focus_y;  // the cursor bitmap's point that marks the mouse
};
extern tarq_mouse_cursor tarq_cursor;
int tarq_mouse_init();
void tarq_destroy_mouse_bmp();
tarq_bitmap* tarq_create_mouse_bmp();
void tarq_get_mouse(int32_t* x, int32_t* y, int32_t* buttons);
void tarq_get_mouse_deltas(int32_t* dx, int32_t* dy);
void tarq_set_mouse(int32_t x, int32_t y);
void tarq_lock_mouse_cursor(int32_t flag);
// Mouse events of the pump.
void tarq_mouse_begin_pump();
void tarq_mouse_event(const SDL_Event& e, int32_t now);
