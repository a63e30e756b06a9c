// Sample sounds on mix channels 8-15: what the callback plays, where a new
// sound goes, and letting go of a sound that is destroyed while it plays.
#include "sound/play/pcm.h"
#include "sound/items/pod_items.h"
#include "sound/synth/synth.h"
#include "tests/sound/mixer_fixture.h"

using namespace tovo_sound_test;

namespace {

// A 16-bit sound whose sample i is base + i.
tarq_sound* ramp_sound(int32_t length, int16_t base) {
  tarq_sound* s = tarq_create_sound(length, 16);
  int16_t* d = reinterpret_cast<int16_t*>(tarq_sound_lock(s));
  for (int32_t i = 0; i < length; i++) d[i] = (int16_t)(base + i);
  tarq_sound_release(s);
  return s;
}

class PcmTest : public MixerTest {
 protected:
  void SetUp() override {
    MixerTest::SetUp();
    cconfig.console_mode = 0;  // channels 8-15 are heard only outside console mode
  }
};

}  // namespace

TEST_F(PcmTest, PlaysItsSamplesOnceAndLetsTheChannelGo) {
  const int32_t before = tarq_loop.tarq_items_created;
  tarq_sound* s = ramp_sound(300, 100);
  tarq_play_sound(s);
  EXPECT_EQ(s->channel, 8);
  EXPECT_EQ(tarq_sound_is_playing(s), 1);
  std::vector<int16_t> out = callback(200);
  for (int i = 0; i < 200; i++) ASSERT_EQ(out[i], 100 + i) << i;
  out = callback(200);
  for (int i = 0; i < 100; i++) ASSERT_EQ(out[i], 300 + i) << i;
  for (int i = 100; i < 200; i++) ASSERT_EQ(out[i], 0) << i;
  EXPECT_EQ(tarq_sound_is_playing(s), 0);
  EXPECT_TRUE(tovo_channel_idle(&chan(8)));
  tarq_destroy_sound(s);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST_F(PcmTest, LoopingSoundWrapsAndPlayingAgainRestarts) {
  tarq_sound* s = ramp_sound(50, 0);
  s->loop = 1;
  tarq_play_sound(s);
  std::vector<int16_t> out = callback(120);
  for (int i = 0; i < 120; i++) ASSERT_EQ(out[i], i % 50) << i;
  callback(7);
  tarq_play_sound(s);  // stopped where it plays, started again from 0
  EXPECT_EQ(s->channel, 8);
  EXPECT_EQ(callback(3), (std::vector<int16_t>{0, 1, 2}));
  tarq_stop_sound(s);
  EXPECT_EQ(tarq_sound_is_playing(s), 0);
  EXPECT_EQ(callback(3), (std::vector<int16_t>{0, 0, 0}));
  tarq_destroy_sound(s);
}

TEST_F(PcmTest, AllChannelsBusyTakesTheShortestOfTwelveToFifteen) {
  const int32_t lengths[8] = {900, 900, 900, 900, 700, 400, 800, 600};
  tarq_sound* held[8];
  for (int i = 0; i < 8; i++) {
    held[i] = ramp_sound(lengths[i], 0);
    tarq_play_sound(held[i]);
    EXPECT_EQ(held[i]->channel, 8 + i);
  }
  tarq_sound* extra = ramp_sound(10, 0);
  tarq_play_sound(extra);
  EXPECT_EQ(extra->channel, 13);
  EXPECT_EQ(tarq_sound_is_playing(held[5]), 0);
  EXPECT_EQ(held[5]->channel, -1);
  for (int i = 0; i < 8; i++) EXPECT_EQ(tarq_sound_is_playing(held[i]), i != 5) << i;
  tarq_destroy_sound(extra);
  for (tarq_sound* s : held) tarq_destroy_sound(s);
  for (int i = 8; i < 16; i++) EXPECT_TRUE(tovo_channel_idle(&chan(i))) << i;
}

TEST_F(PcmTest, DestroyWhilePlayingClearsTheChannelAndOffChannelOnlyFrees) {
  tarq_sound* a = ramp_sound(5000, 0);
  tarq_sound* b = ramp_sound(10, 0);
  tarq_play_sound(a);
  callback(100);
  tarq_destroy_sound(a);
  EXPECT_TRUE(tovo_channel_idle(&chan(8)));
  EXPECT_EQ(callback(50), std::vector<int16_t>(50, 0));
  tarq_destroy_sound(b);  // never played
  tarq_destroy_sound(nullptr);
  tarq_play_sound(nullptr);
  EXPECT_EQ(tarq_sound_is_playing(nullptr), 0);
}

TEST_F(PcmTest, VolumeAndStubs) {
  tarq_sound* s = ramp_sound(4, 0);
  csound_set_volume(s, 99);
  csound_set_volume(nullptr, 5);
  EXPECT_EQ(s->volume, 99);
  EXPECT_EQ(tarq_get_sound_position(), 0);
  EXPECT_EQ(tarq_set_sound_position(17), 17);
  EXPECT_EQ(tarq_sound_status(), 0);
  tarq_destroy_sound(s);
}

TEST_F(PcmTest, ARenderedSynthPlaysAndItsDestructionLetsTheChannelGo) {
  const int32_t before = tarq_loop.tarq_items_created;
  tarq_synth* synth = tarq_create_synth(1000);
  int32_t* w = synth->node[0].word;
  w[0] = 1;  // oscillator
  w[1] = 2;  // square
  w[2] = 1;
  w[TARQ_SYNTH_PARAM_FIRST + 4] = 0x8000;  // half amplitude: below the mixer's soft knee
  ASSERT_EQ(tarq_synth_generate(synth, nullptr, 0), 0);
  tarq_play_sound(synth->sound);
  const std::vector<int16_t> out = callback(1000);
  EXPECT_EQ(std::vector<int16_t>(out.begin(), out.end()),
            std::vector<int16_t>(reinterpret_cast<int16_t*>(synth->sound->data),
                                 reinterpret_cast<int16_t*>(synth->sound->data) + 1000));
  // Rendering again while it plays stops it first.
  tarq_play_sound(synth->sound);
  ASSERT_EQ(tarq_synth_generate(synth, nullptr, 0), 0);
  EXPECT_TRUE(tovo_channel_idle(&chan(8)));
  tarq_play_sound(synth->sound);
  callback(10);
  tarq_destroy_synth(synth);
  EXPECT_TRUE(tovo_channel_idle(&chan(8)));
  EXPECT_EQ(callback(10), std::vector<int16_t>(10, 0));
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}
