// Music patterns: lengths, the advance by the pattern flags, stops and fades.
#include "tests/sound/mixer_fixture.h"

using namespace tovo_sound_test;

namespace {

constexpr int32_t OFF = 0x41;

class MusicTest : public MixerTest {
 protected:
  void pattern(int p, int32_t a, int32_t b = OFF, int32_t c = OFF, int32_t d = OFF, int32_t flags = 0) {
    cart->music[p][0] = a;
    cart->music[p][1] = b;
    cart->music[p][2] = c;
    cart->music[p][3] = d;
    cart->music_flags[p] = flags;
  }
  // Runs ticks until the engine's current pattern changes (at most limit).
  int ticks_in_pattern(int limit = 5000) {
    const int32_t now = ms0.music_pattern;
    int n = 0;
    while (ms0.music_pattern == now && n < limit) {
      ticks(1);
      n++;
    }
    return n;
  }
};

}  // namespace

TEST_F(MusicTest, PatternLengthComesFromTheFirstNonLoopingEffect) {
  make_held(1, 4, {30, 0, 3, 0, 0});
  sfx(1)->loop_start = 0;
  sfx(1)->loop_end = 8;  // loops
  make_held(2, 10, {30, 0, 3, 0, 0});
  sfx(2)->loop_start = 8;  // ends at note 8
  make_held(3, 6, {30, 0, 3, 0, 0});
  pattern(0, 1, 2, 3);
  EXPECT_EQ(tovo_pattern_length(cart, 0), 80);
  pattern(1, 1, OFF, 1);
  sfx(4)->speed = 7;
  sfx(4)->loop_end = 3;
  pattern(1, 1, 4);
  EXPECT_EQ(tovo_pattern_length(cart, 1), 7 * 32);  // all loop: the longest
  pattern(2, OFF);
  EXPECT_EQ(tovo_pattern_length(cart, 2), -1);
}

TEST_F(MusicTest, PatternsAdvanceByTheirFlags) {
  make_held(1, 1, {30, 0, 3, 0, 0});
  for (int p = 0; p < 8; p++) pattern(p, 1);
  cart->music_flags[1] = 1;  // loop start
  cart->music_flags[3] = 1;
  cart->music_flags[5] = 2;  // loop end
  tarq_play_tovo_song(cart, 4, 0);
  EXPECT_EQ(ms0.music_pattern, 4);
  EXPECT_EQ(ticks_in_pattern(), 32);
  EXPECT_EQ(ms0.music_pattern, 5);
  ticks_in_pattern();
  EXPECT_EQ(ms0.music_pattern, 3);  // back to the nearest loop start
  cart->music_flags[3] = 0;
  cart->music_flags[1] = 0;
  ticks_in_pattern();
  ticks_in_pattern();
  ticks_in_pattern();
  EXPECT_EQ(ms0.music_pattern, 0);  // none earlier: pattern 0
  EXPECT_GE(ms0.music_pattern_counter, 5);
  // A pattern with both flags repeats itself.
  cart->music_flags[0] = 3;
  ticks_in_pattern(100);
  EXPECT_EQ(ms0.music_pattern, 0);
  EXPECT_EQ(chan(4).pattern, 0);
  EXPECT_EQ(chan(4).sfx, sfx(1));
}

TEST_F(MusicTest, StopFlagAndTheLastPatternEndTheMusic) {
  make_held(1, 1, {30, 0, 3, 0, 0});
  pattern(10, 1, 1, OFF, 1, 4);
  tarq_play_tovo_song(cart, 10, 0);
  EXPECT_EQ(tarq_music_is_playing(), 1);
  EXPECT_TRUE(chan(4).music && chan(5).music && chan(6).music && chan(7).music);
  EXPECT_EQ(chan(6).sfx, nullptr);  // an empty slot plays nothing
  ticks(32);
  EXPECT_EQ(ms0.music_pattern, -1);
  EXPECT_EQ(tarq_music_is_playing(), 0);
  for (int i = 4; i < 8; i++) EXPECT_FALSE(chan(i).music) << i;

  pattern(63, 1);
  tarq_play_tovo_song(cart, 63, 0);
  ticks(32);
  EXPECT_EQ(ms0.music_pattern, 64);
  EXPECT_FALSE(chan(4).music);
  // A next pattern with all four channels off ends it too.
  pattern(20, 1);
  pattern(21, OFF);
  tarq_play_tovo_song(cart, 20, 0);
  ticks(32);
  EXPECT_FALSE(chan(4).music);
}

TEST_F(MusicTest, StartingAllOffPlaysNothingButClearsTheOldMusic) {
  make_held(1, 1, {30, 0, 3, 0, 0});
  pattern(0, 1);
  pattern(1, OFF);
  tarq_play_tovo_song(cart, 0, 0);
  ASSERT_TRUE(chan(4).music);
  tarq_play_tovo_song(cart, 1, 0);
  for (int i = 4; i < 8; i++) EXPECT_FALSE(chan(i).music);
  EXPECT_EQ(tarq_music_is_playing(), 0);
  tarq_play_tovo_song(cart, 64, 0);  // out of range: nothing
  tarq_play_tovo_song(cart, -1, 0);
  EXPECT_FALSE(chan(4).music);
}

TEST_F(MusicTest, MusicPlaysUnderItsFadeAndVolume) {
  make_held(1, 1, {30, 3, 4, 0, 0});
  pattern(0, 1);
  tarq_play_tovo_song(cart, 0, 0);  // no fade: full level at once
  EXPECT_EQ(ms0.fade_vol, 0x10000);
  ticks(1);
  EXPECT_EQ(chan(4).osc.amp, 1024);
  tarq_set_music_volume(128);
  ticks(1);
  EXPECT_EQ(chan(4).osc.amp, 512);
}

TEST_F(MusicTest, FadesFollowTheClock) {
  make_held(1, 1, {30, 3, 4, 0, 0});
  pattern(0, 1);
  tarq_play_tovo_song(cart, 0, 400);
  EXPECT_EQ(ms0.fade_vol, 0);
  fake_now += 100;
  tarq_update_music_fading();
  EXPECT_EQ(ms0.fade_vol, 0x4000);
  fake_now += 300;
  tarq_update_music_fading();
  EXPECT_EQ(ms0.fade_vol, 0x10000);

  cmusic_stop(0, 1000);
  fake_now += 500;
  tarq_update_music_fading();
  EXPECT_EQ(ms0.fade_vol, 0x8000);
  EXPECT_TRUE(chan(4).music);
  fake_now += 499;
  tarq_update_music_fading();
  EXPECT_TRUE(chan(4).music);
  fake_now += 1;
  tarq_update_music_fading();
  EXPECT_EQ(ms0.fade_vol, 0);
  EXPECT_FALSE(chan(4).music);

  // A long fade computes without overflow.
  tarq_play_tovo_song(cart, 0, 0);
  cmusic_stop(0, 60000);
  fake_now += 30000;
  tarq_update_music_fading();
  EXPECT_EQ(ms0.fade_vol, 0x8000);
  cmusic_stop(0, 0);
  EXPECT_EQ(ms0.fade_vol, 0);
  EXPECT_FALSE(chan(4).music);
}

TEST_F(MusicTest, StopsByCart) {
  tovo_cart_sound* other = make_cart();
  make_held(1, 1, {30, 0, 3, 0, 0});
  pattern(0, 1);
  tarq_play_tovo_song(cart, 0, 0);
  tarq_stop_tovo_song(other);
  EXPECT_TRUE(chan(4).music);
  destroy_cart(other);
  EXPECT_TRUE(chan(4).music);
  EXPECT_GT(tarq_get_tovo_song_ticks(), -1);
  ticks(5);
  EXPECT_EQ(tarq_get_tovo_song_ticks(), 5);
  tarq_stop_tovo_song(nullptr);
  EXPECT_FALSE(chan(4).music);
  EXPECT_EQ(tarq_get_tovo_song_ticks(), 0);
}

TEST_F(MusicTest, StoppingWhatPlaysFromACartLetsItBeFreed) {
  tovo_cart_sound* other = make_cart();
  other->sfx[1].speed = 1;
  other->sfx[1].notes[0] = {30, 0, 5, 0, 0};
  other->music[0][0] = 1;
  tarq_play_tovo_song(other, 0, 0);
  tarq_play_sfx_ex(&other->sfx[1], 0, 0, other, 0);
  ASSERT_TRUE(chan(4).music);
  destroy_cart(other);
  for (const tovo_mixer_channel& c : ms0.ch) {
    EXPECT_EQ(c.sfx, nullptr);
    EXPECT_FALSE(c.music);
  }
  ticks(2);
}
