#pragma once
// The cart browser's keys and buttons. In the player the key handler is only
// reached from an editor view it never shows; the buttons from the browser's
// update, which does nothing there.
#include <cstdint>

constexpr int32_t SPLORE_EXIT_MENU_ENTRIES = 3;

// The kiosk exit menu: -1 closed, else the selected entry (0 quit, 1 leave to
// the console, 2 close the menu).
int32_t splore_exit_menu_entry();

// One code of the engine's key queue (13 Enter, 8 Backspace, 27 Escape,
// printable characters as themselves, -1 for a key that gives no code:
// Delete, Home, End, Page Up and Page Down are then told by their key
// states).
void splore_keypress(int32_t code);
// Buttons of player 0 pressed this frame, as bits (0 left, 1 right, 2 up,
// 3 down, 4 O, 5 X, 6 pause).
void splore_controls(int32_t pressed);
// Acts on the exit menu's entry.
void splore_exit_menu_action(int32_t entry);
