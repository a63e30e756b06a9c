#pragma once
// What the mix channels play, asked from the main thread, and a debug view
// of them. Nothing in the player asks these.
#include <cstddef>
#include <cstdint>

struct tovo_cart_sound;
struct tovo_sfx;

// 1 when any channel plays the record (the audio lock is held).
int tarq_sfx_is_playing(const tovo_sfx* sfx);
// 1 when any channel has a sound effect or a sample sound.
int tarq_any_sound_is_playing();
// The pattern of the first channel that plays music of the cart, -1 none.
int32_t tarq_tovo_song_is_playing(const tovo_cart_sound* cart);

// The line of mix channel 0-15: "chan %d %c %c %d" with P (a sound effect or
// a sample sound) or -, S (music) or -, and the end counter.
void tovo_channel_debug_line(int32_t channel, char* out, size_t size);
// Draws the sixteen lines onto the back page, one under the other from the
// top left, in the engine's small font; nothing without a back page.
void debug_tovo_channels();
