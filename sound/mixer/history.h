#pragma once
// What each mix channel played over the last callback, one record per tick,
// and the snapshot that the sound queries read.
#include <cstdint>

struct tovo_cart_sound;
struct tovo_sfx;

struct tovo_mixer_state_record {
  int32_t tick;     // tick position of the channel
  tovo_sfx* sfx;    // the record played, or null
  int32_t note;     // tick / max(speed, 1); 0 without a record
  int32_t pattern;  // pattern index, -1 none
  int32_t counter;  // the mixer's pattern counter then
};

// The record of mix channel 0-15 (-1: the first music channel that plays a
// record) that matches engine time now_ms; all zero when none does.
tovo_mixer_state_record tarq_get_tovo_mixer_state(int32_t channel, int32_t now_ms);

// Five records taken once per console tick: the four voices (the sound-effect
// channel, or its music channel when it plays no sound effect), then music.
struct tovo_mixer_snapshot {
  tovo_mixer_state_record voice[4];
  tovo_mixer_state_record music;
};
void tarq_take_mixer_snapshot(tovo_mixer_snapshot* snapshot, int32_t now_ms);
// The machine queries 46-56 from a snapshot, as integers; 0 for other indices.
int32_t tarq_snapshot_stat(const tovo_mixer_snapshot* snapshot, int32_t index, const tovo_cart_sound* cart);
