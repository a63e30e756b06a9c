// The mixer's history and the snapshot behind the sound queries.
#include "sound/mixer/history_record.h"
#include "tests/sound/mixer_fixture.h"

using namespace tovo_sound_test;

TEST_F(MixerTest, TheQueryInterpolatesOverTheCallback) {
  make_held(1, 1, {30, 0, 3, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  fake_now = 5000;
  callback(TOVO_TICK * 4);  // 732 frames: 33 ms; a record before each of four ticks and one at the end
  const tovo_mixer_channel& c = chan(0);
  ASSERT_EQ(c.history_count, 5);
  // The stamp: ((33 + previous) x 3 + now) / 4, not below now - 200.
  EXPECT_EQ(c.history_t, 4800);
  const int32_t t0 = c.history_t;
  EXPECT_EQ(tarq_get_tovo_mixer_state(0, t0 - 50).tick, 0);                 // earlier: record 0
  EXPECT_EQ(tarq_get_tovo_mixer_state(0, t0 + 1000).tick, 4);               // later: the last
  EXPECT_EQ(tarq_get_tovo_mixer_state(0, t0 + 17).tick, 2);                 // 17 x 4 / 33 = 2
  const tovo_mixer_state_record r = tarq_get_tovo_mixer_state(0, t0 + 25);  // 25 x 4 / 33 = 3
  EXPECT_EQ(r.sfx, sfx(1));
  EXPECT_EQ(r.note, 3);
  EXPECT_EQ(r.pattern, 0);
  fake_now = 5033;
  callback(TOVO_TICK * 4);
  EXPECT_EQ(chan(0).history_t, ((33 + 4800) * 3 + 5033) / 4);
}

TEST_F(MixerTest, QueriesWithoutRecordsOrOutOfRangeAreZero) {
  const tovo_mixer_state_record zero{};
  auto same = [](const tovo_mixer_state_record& a, const tovo_mixer_state_record& b) {
    return a.tick == b.tick && a.sfx == b.sfx && a.note == b.note && a.pattern == b.pattern && a.counter == b.counter;
  };
  EXPECT_TRUE(same(tarq_get_tovo_mixer_state(16, 0), zero));
  EXPECT_TRUE(same(tarq_get_tovo_mixer_state(-2, 0), zero));
  EXPECT_TRUE(same(tarq_get_tovo_mixer_state(-1, 0), zero));  // no music
  tarq_sound_init(22050, 1);
  EXPECT_TRUE(same(tarq_get_tovo_mixer_state(3, 0), zero));  // no callback yet
  // A callback inside one tick still leaves its end record.
  callback(10);
  EXPECT_EQ(chan(3).history_count, 1);
  EXPECT_EQ(tarq_get_tovo_mixer_state(3, fake_now).tick, 0);
}

TEST_F(MixerTest, AZeroLengthCallbackDurationGivesTheLastRecord) {
  make_held(1, 1, {30, 0, 3, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  callback(TOVO_TICK);
  callback(20);  // under 23 frames: 0 ms
  EXPECT_EQ(tarq_get_tovo_mixer_state(0, 0).tick, chan(0).history[chan(0).history_count - 1].tick);
}

TEST_F(MixerTest, ChannelMinusOneFindsTheFirstMusicChannel) {
  make_held(1, 1, {30, 0, 3, 0, 0});
  make_held(2, 2, {30, 0, 3, 0, 0});
  cart->music[3][0] = 0x41;
  cart->music[3][1] = 2;
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  tarq_play_tovo_song(cart, 3, 0);
  callback(TOVO_TICK * 3);
  const tovo_mixer_state_record r = tarq_get_tovo_mixer_state(-1, fake_now + 1000);
  EXPECT_EQ(r.sfx, sfx(2));
  EXPECT_EQ(r.pattern, 3);
  EXPECT_EQ(r.tick, 3);

  tovo_mixer_snapshot snap;
  tarq_take_mixer_snapshot(&snap, fake_now + 1000);
  EXPECT_EQ(snap.voice[0].sfx, sfx(1));
  EXPECT_EQ(snap.voice[1].sfx, sfx(2));  // from music channel 5
  EXPECT_EQ(snap.voice[2].sfx, nullptr);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 46, cart), 1);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 47, cart), 2);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 48, cart), -1);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 50, cart), 3);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 51, cart), 1);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 52, cart), -1);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 54, cart), 3);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 55, cart), 0);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 56, cart), 3);
  tarq_stop_tovo_song(cart);
  callback(TOVO_TICK);
  tarq_take_mixer_snapshot(&snap, fake_now);
  EXPECT_EQ(tarq_snapshot_stat(&snap, 54, cart), 0);
}

// One record as the channel fill writes it, up to 64 a callback.
TEST_F(MixerTest, AHistoryRecordOnItsOwn) {
  make_held(1, 3, {30, 0, 3, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 2);
  tovo_mixer_channel& c = chan(2);
  c.tick_pos = 7;
  c.pattern = 4;
  c.history_count = 0;
  ms0.music_pattern_counter = 11;
  add_mixer_state_history_record(2);
  ASSERT_EQ(c.history_count, 1);
  const tovo_mixer_state_record& r = c.history[0];
  EXPECT_EQ(r.tick, 7);
  EXPECT_EQ(r.sfx, sfx(1));
  EXPECT_EQ(r.note, 2);  // 7 / speed 3
  EXPECT_EQ(r.pattern, 4);
  EXPECT_EQ(r.counter, 11);
  c.sfx = nullptr;
  add_mixer_state_history_record(2);
  EXPECT_EQ(c.history[1].note, 0);
  c.history_count = TOVO_HISTORY;
  add_mixer_state_history_record(2);
  EXPECT_EQ(c.history_count, TOVO_HISTORY);
  for (int32_t channel : {-1, 16}) add_mixer_state_history_record(channel);
}
