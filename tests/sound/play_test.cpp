// Channel allocation, the end of a sound effect, stops, releases and the
// live sound queries.
#include "engine/data/gfx.h"
#include "engine/data/text.h"
#include "engine/platform/window.h"
#include "sound/play/channel_queries.h"
#include "tests/sound/mixer_fixture.h"

using namespace tovo_sound_test;

TEST_F(MixerTest, ConsoleModeAllocationRules) {
  for (int i = 0; i < 8; i++) make_held(i, 16, {30, 0, 3, 0, 0});
  // Rule 1: the first voice whose both channels are idle.
  EXPECT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, -1), 0);
  EXPECT_EQ(tarq_play_sfx_ex(sfx(2), 0, 0, cart, -1), 1);
  // Rule 2: a voice whose music channel carries only the music flag.
  tarq_stop_all_sounds();
  chan(4).music = 1;
  chan(5).sfx = sfx(3);
  EXPECT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, -1), 2);  // 0 and 1 fail rule 1 ...
  tarq_stop_all_sounds();
  chan(4).music = 1;
  chan(5).music = 1;
  chan(5).sfx = sfx(3);
  chan(6).music = 1;
  chan(6).sfx = sfx(3);
  chan(7).music = 1;
  chan(7).sfx = sfx(3);
  EXPECT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, -1), 0);  // ... rule 2 takes 0
  // Rule 3 honours the mask; rule 4 takes only channels playing effects.
  tarq_stop_all_sounds();
  for (int i = 4; i < 8; i++) {
    chan(i).music = 1;
    chan(i).sfx = sfx(3);
  }
  tarq_set_music_channel_mask(0xf);
  EXPECT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, -1), -1);
  tarq_set_music_channel_mask(0xd);  // bit 1 clear
  EXPECT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, -1), 1);
}

TEST_F(MixerTest, AllBusyTakesTheSmallestSpeedHigherOnTies) {
  const int32_t speeds[4] = {16, 8, 8, 20};
  for (int i = 0; i < 4; i++) {
    make_held(i + 1, speeds[i], {30, 0, 3, 0, 0});
    ASSERT_EQ(tarq_play_sfx_ex(sfx(i + 1), 0, 0, cart, i), i);
  }
  EXPECT_EQ(tarq_play_sfx_ex(sfx(9), 0, 0, cart, -1), 2);
  // A masked voice whose music channel plays is not taken.
  tarq_set_music_channel_mask(1 << 2);
  chan(6).music = 1;
  EXPECT_EQ(tarq_play_sfx_ex(sfx(9), 0, 0, cart, -1), 1);
}

TEST_F(MixerTest, OutsideConsoleModeEffectsGoToChannelsEightToFifteen) {
  cconfig.console_mode = 0;
  for (int i = 0; i < 8; i++) {
    make_held(i + 1, 10 + (i == 3 ? -5 : i == 5 ? -5 : 0), {30, 0, 3, 0, 0});
    EXPECT_EQ(tarq_play_sfx_ex(sfx(i + 1), 0, 0, cart, -1), 8 + i);
  }
  EXPECT_EQ(tarq_play_sfx_ex(sfx(20), 0, 0, cart, -1), 11);  // smallest speed, lower on ties
}

TEST_F(MixerTest, BadChannelsAndStops) {
  make_held(1, 4, {30, 0, 3, 0, 0});
  EXPECT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, 16), -1);
  EXPECT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, -2), -1);
  for (const tovo_mixer_channel& c : ms0.ch) EXPECT_EQ(c.sfx, nullptr);
  ASSERT_EQ(tarq_play_sfx_ex(sfx(1), 3, 0, cart, 2), 2);
  EXPECT_EQ(chan(2).tick_pos, 12);
  EXPECT_EQ(chan(2).end, -4);
  EXPECT_EQ(chan(2).number, 2);
  tarq_play_sfx_ex(sfx(1), 0, 5, cart, 11);
  EXPECT_EQ(chan(11).end, 20);
  EXPECT_EQ(chan(11).number, 3);
  chan(5).music = 1;
  chan(5).sfx = sfx(1);
  tarq_play_sfx_ex(nullptr, 0, 0, cart, -1);  // console mode: channels 0-3
  EXPECT_EQ(chan(2).sfx, nullptr);
  EXPECT_EQ(chan(11).sfx, sfx(1));
  EXPECT_EQ(chan(5).sfx, sfx(1));
  tarq_stop_sfx(nullptr);  // every channel without music
  EXPECT_EQ(chan(11).sfx, nullptr);
  EXPECT_EQ(chan(5).sfx, sfx(1));
  tarq_stop_sfx(sfx(1));
  EXPECT_EQ(chan(5).sfx, nullptr);
  EXPECT_EQ(chan(5).music, 0);
}

// Ticks until channel 0 lets its effect go (at most limit).
static int ticks_until_end(tovo_mixer_channel& c, int limit) {
  int n = 0;
  while (c.sfx && n < limit) {
    std::vector<int16_t> out(TOVO_TICK);
    tarq_mixer_callback(nullptr, reinterpret_cast<uint8_t*>(out.data()), TOVO_TICK * 2);
    n++;
  }
  return n;
}

TEST_F(MixerTest, EndRulesOfASoundEffect) {
  // clang-format off
  struct { int32_t speed, loop_start, loop_end, flags, loud_notes; int ticks; } cases[] = {
      {2, 8, 0, 0, 32, 16},                  // loop start 8, no loop end: notes 0-7
      {0, 0, 0, 0, 32, 32},                  // speed 0 plays as 1
      {3, 0, 0, 0, 5, 15},                   // trailing silence ends it early
      {3, 0, 0, sfx_flags(0, 1, 0), 5, 96},  // unless reverb holds it, here to its end
  };
  // clang-format on
  for (auto c : cases) {
    tarq_stop_all_sounds();
    tovo_sfx* s = make_sfx(1, c.speed, {}, c.flags, c.loop_start, c.loop_end);
    for (int i = 0; i < c.loud_notes; i++) s->notes[i] = {24 + i, 0, 5, 0, 0};
    ASSERT_EQ(tarq_play_sfx_ex(s, 0, 0, cart, 0), 0);
    EXPECT_EQ(ticks_until_end(chan(0), 2000), c.ticks) << c.speed << " " << c.loop_start;
  }
}

TEST_F(MixerTest, ALoopRepeatsUntilReleasedThenPlaysToTheEnd) {
  tovo_sfx* s = make_held(1, 2, {30, 1, 4, 0, 0});
  s->loop_start = 8;
  s->loop_end = 16;
  ASSERT_EQ(tarq_play_sfx(s, cart), 0);
  EXPECT_EQ(chan(0).end, -2);  // unlimited
  int highest = 0;
  for (int i = 0; i < 200; i++) {
    ticks(1);
    highest = std::max(highest, tarq_get_sfx_playing_note(s));
    ASSERT_GE(tarq_get_sfx_playing_note(s), i < 16 ? 0 : 8);
  }
  EXPECT_EQ(highest, 15);
  tarq_release_looping_tovo_channel(0);
  // Past the loop end to note 31, then it stops.
  EXPECT_LE(ticks_until_end(chan(0), 100), 48);
  EXPECT_EQ(chan(0).sfx, nullptr);
}

TEST_F(MixerTest, AStoppedChannelRendersOneFadeTail) {
  make_held(1, 4, {33, 3, 7, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  ticks(3);
  tarq_stop_sfx(sfx(1));
  const std::vector<int16_t> out = callback(2 * TOVO_TICK);
  EXPECT_NE(out[1], 0);
  for (int j = TOVO_RAMP; j < 2 * TOVO_TICK; j++) ASSERT_EQ(out[j], 0) << j;
  EXPECT_EQ(chan(0).osc.amp, 0);
}

TEST_F(MixerTest, SlidesFadesAndArpeggios) {
  // Note 0 slides from pitch 24; a fade-in rises from 0; an arpeggio walks
  // the notes of its group of four.
  make_sfx(1, 4, {{36, 0, 4, 1, 0}, {40, 0, 4, 4, 0}, {10, 0, 4, 6, 0}, {20, 0, 4, 6, 0}, {30, 0, 4, 6, 0}});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  const int32_t expect_pitch[4] = {24 << 16, 27 << 16, 30 << 16, 33 << 16};
  for (int t = 0; t < 4; t++) {
    ticks(1);
    EXPECT_EQ(chan(0).osc.pitch, expect_pitch[t]) << t;
  }
  for (int t = 0; t < 4; t++) {
    ticks(1);
    EXPECT_EQ(chan(0).osc.amp, 1024 * t / 4) << t;
  }
  // Positions 8-15 (notes 2 and 3) at speed 4, fast rate 2: notes 0-3 of the
  // group by (position / 2) mod 4.
  const int32_t arp[8] = {36, 36, 40, 40, 10, 10, 20, 20};
  for (int t = 0; t < 8; t++) {
    ticks(1);
    EXPECT_EQ(chan(0).osc.pitch, arp[t] << 16) << t;
  }
}

TEST_F(MixerTest, CustomInstrumentShiftsPitchAndRestarts) {
  // Instrument 2: notes at pitch 24 + k, speed 1, looping over 0-3.
  tovo_sfx* inst = make_sfx(2, 1, {{24, 3, 7, 0, 0}, {25, 3, 7, 0, 0}, {26, 3, 7, 0, 0}, {27, 3, 7, 0, 0}}, 0, 0, 4);
  (void)inst;
  make_sfx(1, 8, {{40, 2, 7, 0, 128}, {40, 2, 7, 0, 128}, {45, 2, 7, 0, 128}});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  const int32_t expect[10] = {40, 41, 42, 43, 40, 41, 42, 43, 40, 41};
  for (int t = 0; t < 10; t++) {
    ticks(1);
    ASSERT_EQ(chan(0).osc.pitch, expect[t] << 16) << t;
    EXPECT_EQ(chan(0).osc.waveform, 3);
  }
  // Note 1 repeats note 0's pitch and waveform: the instrument went on (tick 8
  // is position 0 of the loop again by the loop, not by a restart); note 2 is
  // new and restarts it.
  for (int t = 10; t < 16; t++) ticks(1);
  ticks(1);
  EXPECT_EQ(chan(0).osc.pitch, 45 << 16);
  EXPECT_EQ(chan(0).inst_ticks, 1);
}

TEST_F(MixerTest, LiveSoundQueries) {
  make_held(5, 4, {30, 0, 3, 0, 0});
  make_held(6, 2, {30, 0, 3, 0, 0});
  tarq_play_sfx_ex(sfx(5), 2, 0, cart, 1);
  chan(6).music = 1;
  chan(6).cart = cart;
  chan(6).sfx = sfx(6);
  chan(6).tick_pos = 7;
  EXPECT_EQ(tarq_sound_stat(16, cart), -1);
  EXPECT_EQ(tarq_sound_stat(17, cart), 5);
  EXPECT_EQ(tarq_sound_stat(18, cart), 6);  // from music channel 6
  EXPECT_EQ(tarq_sound_stat(21, cart), 2);
  EXPECT_EQ(tarq_sound_stat(22, cart), 3);
  EXPECT_EQ(tarq_sound_stat(20, cart), -1);
  EXPECT_EQ(tarq_get_tovo_channel_sfx(1), sfx(5));
  EXPECT_EQ(tarq_get_tovo_channel_sfx(16), nullptr);
  chan(6).pattern = 9;
  ms0.music_pattern = 9;
  ms0.music_pattern_counter = 4;
  EXPECT_EQ(tarq_sound_stat(24, cart), 9);
  EXPECT_EQ(tarq_sound_stat(25, cart), 4);
  EXPECT_EQ(tarq_sound_stat(26, cart), 7);
  chan(6).pattern = -1;
  EXPECT_EQ(tarq_sound_stat(24, cart), -1);
  EXPECT_EQ(tarq_sound_stat(26, cart), -1);
  EXPECT_EQ(tarq_sound_stat(27, cart), 0);
}

TEST_F(MixerTest, VibratoAndDropBendTheStep) {
  make_sfx(1, 16, {{33, 0, 5, 2, 0}, {33, 0, 5, 3, 0}});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  const int32_t vibrato[8] = {128, 129, 130, 129, 128, 127, 126, 127};
  for (int t = 0; t < 16; t++) {
    ticks(1);
    ASSERT_EQ(chan(0).osc.step, 1307 * vibrato[(t >> 1) & 7] >> 7) << t;
  }
  for (int t = 0; t < 16; t++) {
    ticks(1);
    ASSERT_EQ(chan(0).osc.step, 1307 * (16 - t) / 16) << t;
  }
}

TEST_F(MixerTest, PlayingAWholeEffectChoosesItsLength) {
  // clang-format off
  struct { int32_t loop_start, loop_end, end; } cases[] = {
      {8, 0, 8 * 3},    // ends at its loop start
      {4, 12, -3},      // loops: unlimited
      {0, 0, 32 * 3},   // the whole effect
      {12, 4, 32 * 3},  // a loop end below its start does not loop
  };
  // clang-format on
  for (auto c : cases) {
    tovo_sfx* s = make_held(1, 3, {30, 0, 3, 0, 0});
    s->loop_start = c.loop_start;
    s->loop_end = c.loop_end;
    ASSERT_EQ(tarq_play_sfx(s, cart), 0);
    EXPECT_EQ(chan(0).end, c.end) << c.loop_start << " " << c.loop_end;
    EXPECT_EQ(chan(0).looping, 1);
    EXPECT_EQ(tarq_play_sfx(s, cart), 0);  // stopped first, so the same channel again
  }
  tarq_release_looping_tovo_channel(16);
  tarq_release_looping_tovo_channel(-2);
  EXPECT_EQ(chan(0).looping, 1);
  tarq_release_looping_tovo_channel(0);
  EXPECT_EQ(chan(0).looping, 0);
}

TEST_F(MixerTest, CustomInstrumentRestartRules) {
  // clang-format off
  struct { int32_t pitch, waveform, effect, inst_loop_start; int32_t ticks_after; } cases[] = {
      {30, 2, 0, 0, 5},  // same note again: goes on
      {30, 2, 4, 0, 1},  // a fade-in restarts it
      {31, 2, 0, 0, 1},  // a new pitch restarts it
      {31, 2, 3, 0, 5},  // ... unless it drops on the same instrument
      {31, 2, 1, 0, 5},  // a slide is not new: goes on
      {30, 3, 0, 0, 1},  // another instrument restarts
      {30, 2, 0, 2, 1},  // the instrument (2 ticks long) already ended
      {30, 2, 3, 2, 5},  // ended, but a drop on the same instrument goes on
  };
  // clang-format on
  for (auto c : cases) {
    for (int n = 2; n <= 3; n++) {
      tovo_sfx* inst = make_held(n, 1, {24, 3, 5, 0, 0});
      inst->loop_start = c.inst_loop_start;
    }
    make_sfx(1, 4, {{30, 2, 5, 0, 128}, {c.pitch, c.waveform, 5, c.effect, 128}});
    tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
    ticks(5);  // note 0, then the first tick of note 1
    // clang-format off
    EXPECT_EQ(chan(0).inst_ticks, c.ticks_after) << c.pitch << " " << c.waveform << " " << c.effect << " " << c.inst_loop_start;
    // clang-format on
    tarq_stop_all_sounds();
  }
}

// The questions nothing in the player asks: is a record playing, is anything,
// which pattern of a cart's music, and the debug lines of the channels.
TEST_F(MixerTest, WhatPlaysAskedFromTheMainThread) {
  EXPECT_EQ(tarq_any_sound_is_playing(), 0);
  EXPECT_EQ(tarq_sfx_is_playing(sfx(5)), 0);
  EXPECT_EQ(tarq_tovo_song_is_playing(cart), -1);
  make_held(5, 4, {30, 0, 3, 0, 0});
  tarq_play_sfx_ex(sfx(5), 0, 0, cart, 9);
  EXPECT_EQ(tarq_sfx_is_playing(sfx(5)), 1);
  EXPECT_EQ(tarq_sfx_is_playing(sfx(6)), 0);
  EXPECT_EQ(tarq_sfx_is_playing(nullptr), 0);
  EXPECT_EQ(tarq_any_sound_is_playing(), 1);
  tarq_stop_sfx(sfx(5));
  EXPECT_EQ(tarq_any_sound_is_playing(), 0);

  tovo_cart_sound* other = make_cart();
  chan(5).music = 1;
  chan(5).cart = other;
  chan(5).pattern = 3;
  chan(6).music = 1;
  chan(6).cart = cart;
  chan(6).pattern = 7;
  EXPECT_EQ(tarq_tovo_song_is_playing(cart), 7);
  EXPECT_EQ(tarq_tovo_song_is_playing(other), 3);
  EXPECT_EQ(tarq_any_sound_is_playing(), 0);  // music on an empty slot plays nothing
  chan(6).sfx = sfx(5);
  chan(6).end = 12;
  EXPECT_EQ(tarq_any_sound_is_playing(), 1);

  // clang-format off
  struct { int32_t channel; const char* line; } lines[] = {
      {0, "chan 0 - - 0"}, {5, "chan 5 - S 0"}, {6, "chan 6 P S 12"}, {16, ""}, {-1, ""},
  };
  // clang-format on
  char out[48];
  for (auto l : lines) {
    tovo_channel_debug_line(l.channel, out, sizeof out);
    EXPECT_STREQ(out, l.line) << l.channel;
  }
  tarq_stop_tovo_song(other);
  destroy_cart(other);
}

TEST_F(MixerTest, DebugLinesAreDrawnOntoTheBackPage) {
  debug_tovo_channels();  // no back page: nothing
  ASSERT_EQ(tarq_text_init(), 0);
  tarq_bitmap* page = tarq_create_bitmap(128, 128, 8);
  tarq_window.tarq_back_page = page;
  debug_tovo_channels();
  // One line a channel, from the top: every line's band holds ink.
  for (int line = 0; line < TOVO_MIX_CHANNELS; line++) {
    int ink = 0;
    for (int y = 2 + line * 7; y < 2 + line * 7 + 5; y++)
      for (int x = 0; x < 128; x++) ink += page->pixels[y * 128 + x] != 0;
    EXPECT_GT(ink, 0) << line;
  }
  tarq_window.tarq_back_page = nullptr;
  tarq_destroy_bitmap(page);
  tarq_text_exit();
}
