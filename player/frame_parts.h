#pragma once
// Steps of the frame update that read or set one piece of the machine each:
// the mouse lock, the mixer snapshot for sound queries, the mouse-change
// flags of the running tick and the audio pause.

// The mouse cursor is locked while a cart runs with no pause page open and
// the mouse-and-keyboard register's on and lock bits are both set.
bool should_be_pointer_locked();
// The mixer snapshot that the running program's sound queries read.
void update_audio_moment_cache();
// Sets bit 0 (x), bit 1 (y) and bit 2 (buttons) of the mouse-change flags for
// what differs from the last running tick; nothing before the first reading.
void process_devkit_mouse_activity();
// The mixer's audio-pause word: 1 while a pause page or a menu event is up
// (unless the cart keeps playing with TOVO_AUDIO_PAUSE_NEVER), or while the
// cart asks with TOVO_AUDIO_PAUSE_NOW; a word of 1 to 4 then counts up and
// any other becomes 0, so sound comes back five updates after that ends.
void determine_audio_pause_state();
