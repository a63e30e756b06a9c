#pragma once
// The player's hotkeys: mute and volume, screenshots and clips on the
// function keys and ctrl-digits, and the keys served each running or paused
// tick (typed characters into the keyboard queue, ctrl-r reload, ctrl-v
// paste, ctrl-o/p the resource-data display).
#include <cstdint>

constexpr int32_t TOVO_RELOAD_GAP_MS = 500;

struct tovo_hotkey_state {
  int32_t last_reload_t;     // engine ms of the last ctrl-r restart
  int32_t reloaded;          // a ctrl-r restart has happened
  int32_t resource_display;  // the resource-data overlay is on
};

extern tovo_hotkey_state hotkeys;

// The engine's sound volume (0 = sound off), stored as the callback reads it.
void tovo_set_sound_volume(int32_t v);
// The remembered volume after ctrl-minus and after ctrl-equals.
int32_t tovo_volume_down(int32_t v);
int32_t tovo_volume_up(int32_t v);
// " volume:   " + eight bars + "   (ctrl-/+)" for a volume (32 bytes).
void tovo_volume_line(int32_t volume, char* out);
// ctrl-m, ctrl-minus and ctrl-equals, once per update before the pending action.
void process_volume_hotkeys();
// Sound off when on (the message "sound off (ctrl-m)"); else on at the
// remembered volume, or 256 when that is 0 ("sound on (ctrl-m)").
void toggle_mute();
// The volume line of the remembered volume on the message bar, already slid
// in (started 1000 ms ago) and shown for 1900 ms more.
void display_system_volume();
// The action the function keys and ctrl-digits choose this frame (0 none,
// 1 screenshot, 3 clip start, 4 save clip; 2 and 5 do nothing).
int32_t tovo_function_key_action();
// Carries out that action, once per update after the ticks.
void process_function_hotkeys();
// ctrl-r on the stopped screen: the cart file is read again (changed or
// not; a command-line cart that did not load is tried again) and run on the
// next update; at most once per 500 ms.
void restart_stopped_cart();
// Serves the engine's key buffer once per running or paused tick.
void process_running_keypresses();
