#pragma once
// Sound effects and music on the mixer's channels, and the sound queries:
// main-thread calls, each under the audio lock for its whole change.
#include <cstdint>

struct tovo_cart_sound;
struct tovo_sfx;

// Starts a sound effect of `cart` (offset and length in notes, length 0 to
// its end) on mix channel 0-15, or on one chosen by the allocation rules for
// channel -1. The channel used, or -1. With no record it stops instead
// (channel -1: every sound-effect channel) and returns -1.
int tarq_play_sfx_ex(tovo_sfx* sfx, int32_t offset, int32_t length, tovo_cart_sound* cart, int32_t channel);
// Stops the record wherever it plays, then plays it whole on a chosen channel.
int tarq_play_sfx(tovo_sfx* sfx, tovo_cart_sound* cart);
// Clears every channel that plays this record; with none, every channel that
// plays no music.
void tarq_stop_sfx(tovo_sfx* sfx);
// Clears all 16 channels.
void tarq_stop_all_sounds();
// Lets the sound effect on channel 0-15 (-1: all) play past its loop.
void tarq_release_looping_tovo_channel(int32_t channel);
// The record that mix channel 0-15 plays, or null.
tovo_sfx* tarq_get_tovo_channel_sfx(int32_t channel);
// The note index on the first channel that plays the record, -1 none.
int32_t tarq_get_sfx_playing_note(const tovo_sfx* sfx);

// Music: start pattern 0-63 of the cart with a fade-in; stop the cart's music
// (null: all music).
void tarq_play_tovo_song(tovo_cart_sound* cart, int32_t pattern, int32_t fade_ms);
void tarq_stop_tovo_song(tovo_cart_sound* cart);
// 1 while a pattern plays.
int tarq_music_is_playing();
// The largest tick position among the music channels that play a record.
int32_t tarq_get_tovo_song_ticks();
// The music channel mask of the last music call (bit i: music channel i is
// kept from sound effects where possible).
void tarq_set_music_channel_mask(int32_t mask);

// The machine queries 16-26 against the live mixer, as integers: the sound
// effect (index into cart's) and note of each voice, the music pattern, the
// patterns played and the ticks into the pattern. 0 for other indices.
int32_t tarq_sound_stat(int32_t index, const tovo_cart_sound* cart);
