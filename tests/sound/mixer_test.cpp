// The callback: volume, console-mode channels, half speed, pause, chunks,
// the post-mix hook, filters and sample sounds.
#include "sound/items/pod_items.h"
#include "tests/sound/mixer_fixture.h"

using namespace tovo_sound_test;

namespace {

// A looping sample sound of the given samples on mix channel ch.
struct looped_sound {
  tarq_sound* sound;
  looped_sound(tovo_mixer_channel& c, int ch, std::initializer_list<int16_t> samples) {
    sound = tarq_create_sound((int32_t)samples.size(), 16);
    std::memcpy(sound->data, samples.begin(), samples.size() * 2);
    sound->loop = 1;
    sound->channel = ch;
    c.sound = sound;
  }
  ~looped_sound() { tarq_destroy_sound(sound); }
};

int hook_calls;
int32_t hook_count, hook_bytes;
int hook(int16_t* samples, int32_t count, int32_t bytes) {
  hook_calls++;
  hook_count = count;
  hook_bytes = bytes;
  samples[0] = 4321;
  return 0;
}

int inside_seen;
int hook_sees_inside(int16_t*, int32_t, int32_t) {
  inside_seen = tovo_sound_word_load(ms0.inside_tarq_mixer_callback);
  return 0;
}

}  // namespace

// The mixer marks itself busy while it mixes (the hook runs inside it), and
// not when it only outputs silence.
TEST_F(MixerTest, TheCallbackMarksWhileItMixes) {
  tarq_set_post_mix_func(hook_sees_inside);
  inside_seen = -1;
  callback(16);
  EXPECT_EQ(inside_seen, 1);
  EXPECT_EQ(tovo_sound_word_load(ms0.inside_tarq_mixer_callback), 0);
  tarq_state.paused = 1;
  inside_seen = -1;
  callback(16);
  EXPECT_EQ(inside_seen, -1);
  tarq_state.paused = 0;
}

TEST_F(MixerTest, MasterVolumeShiftsEachSample) {
  looped_sound s(chan(0), 0, {-3, 100, 0x5000});
  EXPECT_EQ(callback(3), (std::vector<int16_t>{-3, 100, 0x5000}));
  cconfig.sound_volume = 128;
  EXPECT_EQ(callback(3), (std::vector<int16_t>{-2, 50, 0x2800}));
  cconfig.sound_volume = 0;
  EXPECT_EQ(callback(3), (std::vector<int16_t>{0, 0, 0}));
}

TEST_F(MixerTest, ChannelsSumThroughTheKnee) {
  looped_sound a(chan(0), 0, {0x7fff, -0x7fff, 0x3000});
  looped_sound b(chan(7), 7, {0x7fff, -0x7fff, 0x3005});
  // Each passes three knees on its way to the last sum: 0x7fff becomes 24903.
  const int16_t full = soft_knee(soft_knee(0x7fff));
  EXPECT_EQ(full, 24903);
  EXPECT_EQ(callback(3), (std::vector<int16_t>{soft_knee(2 * full), soft_knee(-2 * full), 0x6001}));
  EXPECT_EQ(soft_knee(0x7fff + 0x7fff), 0x7fff);
}

TEST_F(MixerTest, ChannelsEightToFifteenAreRenderedButNotHeard) {
  looped_sound s(chan(9), 9, {1000});
  EXPECT_EQ(callback(4), (std::vector<int16_t>(4, 0)));
  EXPECT_EQ(chan(9).history_count, 2);  // the tick it made and the end of the callback
  tarq_set_console_mode(0);
  EXPECT_EQ(callback(4), (std::vector<int16_t>(4, 1000)));
}

TEST_F(MixerTest, AMusicChannelIsSilentWhileItsSoundChannelPlaysAnEffect) {
  looped_sound music(chan(6), 6, {500});
  // Two silent notes, the second a slide so that the first does not end it.
  make_sfx(1, 1, {{33, 0, 0, 0, 0}, {33, 0, 0, 1, 0}});
  ASSERT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, 2), 2);
  EXPECT_EQ(callback(100), std::vector<int16_t>(100, 0));  // effect still set at the end
  // The callback in which the effect ends hears channel 6 in full.
  EXPECT_EQ(callback(300), std::vector<int16_t>(300, 500));
  EXPECT_EQ(chan(2).sfx, nullptr);
}

TEST_F(MixerTest, HalfSpeedOutputsEachSampleTwice) {
  make_held(1, 1, {33, 3, 7, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 1);
  sound_regs[0] = 1 << 1;  // channel 1 at half speed
  const std::vector<int16_t> out = callback(300);
  for (int j = 0; j < 300; j++) ASSERT_EQ(out[j], out[j / 2 * 2]) << j;
  EXPECT_EQ(chan(1).tick_read, 151);  // 300 / 2 + 1 samples of the first tick
}

TEST_F(MixerTest, APausedEngineOutputsZerosAndStandsStill) {
  looped_sound s(chan(0), 0, {7, 8, 9});
  tarq_set_post_mix_func(hook);
  hook_calls = 0;
  tarq_state.paused = 1;
  std::vector<int16_t> out(64, 123);
  tarq_mixer_callback(nullptr, reinterpret_cast<uint8_t*>(out.data()), 128);
  EXPECT_EQ(out, std::vector<int16_t>(64, 0));
  EXPECT_EQ(hook_calls, 0);
  EXPECT_EQ(chan(0).sound_pos, 0);
  tarq_state.paused = 0;
  tarq_set_audio_pause(1);
  EXPECT_EQ(callback(8), std::vector<int16_t>(8, 0));
  tarq_set_audio_pause(0);
  tarq_set_audio_format_in_use(44100, 1);  // the device gave another format
  EXPECT_EQ(callback(8), std::vector<int16_t>(8, 0));
  tarq_set_audio_format_in_use(22050, 1);
  EXPECT_EQ(callback(3), (std::vector<int16_t>{4321, 8, 9}));
  EXPECT_EQ(hook_calls, 1);
  EXPECT_EQ(hook_count, 3);
  EXPECT_EQ(hook_bytes, 6);
}

TEST_F(MixerTest, ABufferLongerThan4096FramesIsMixedInChunks) {
  make_held(1, 2, {20, 1, 6, 2, 0}, sfx_flags(1, 1, 0));
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  tovo_mixer_state saved = ms0;
  const std::vector<int16_t> whole = callback(5000);
  ms0 = saved;
  std::vector<int16_t> parts = callback(4096);
  const std::vector<int16_t> rest = callback(904);
  parts.insert(parts.end(), rest.begin(), rest.end());
  EXPECT_EQ(whole, parts);
  tarq_set_post_mix_func(hook);
  hook_calls = 0;
  callback(9000);
  EXPECT_EQ(hook_calls, 3);
}

TEST_F(MixerTest, BitCrushKeepsTheTopBits) {
  // A pulse past its fade-in is +-8062 (0x1f7e).
  make_held(1, 1, {33, 3, 7, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  ticks(1);
  sound_regs[2] = 1;  // coarse
  std::vector<int16_t> out = callback(TOVO_TICK);
  for (int16_t v : out) ASSERT_TRUE(v == 0x1000 || v == -0x1000) << v;
  sound_regs[2] = 1 << 4;  // fine: the 16 bits & 0xf007
  out = callback(TOVO_TICK);
  for (int16_t v : out) ASSERT_TRUE(v == 0x1006 || v == (int16_t)0xe002) << v;
}

TEST_F(MixerTest, LowPassLevelsFromRegisterAndFlags) {
  make_held(1, 1, {33, 3, 7, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  struct {
    int32_t reg, flags, level;
  } cases[] = {
      {0, 0, 0},
      {1 << 4, 0, 8},
      {1, 0, 12},
      {1 | 1 << 4, 0, 15},
      {0, sfx_flags(0, 0, 1), 8},
      {0, sfx_flags(0, 0, 2), 12},
      {1 << 4, sfx_flags(0, 0, 2), 12},
  };
  for (auto c : cases) {
    sound_regs[3] = c.reg;
    sfx(1)->flags = c.flags;
    ticks(1);
    EXPECT_EQ(chan(0).lowpass, c.level) << c.reg << " " << c.flags;
  }
  // y = ((16 - k) x + k y_prev) / 16 from the previous tick's last output.
  sound_regs[3] = 0;
  sfx(1)->flags = 0;
  ticks(1);
  const tovo_mixer_state saved = ms0;
  const std::vector<int16_t> plain = callback(TOVO_TICK);
  ms0 = saved;
  sound_regs[3] = 1 | 1 << 4;  // level 15
  const std::vector<int16_t> out = callback(TOVO_TICK);
  int32_t y = saved.ch[0].ring[(saved.ch[0].ring_index - 1) & 7][TOVO_TICK - 1];
  for (int i = 0; i < TOVO_TICK; i++) {
    y = (1 * plain[i] + 15 * y) / 16;
    ASSERT_EQ(out[i], y) << i;
  }
}

TEST_F(MixerTest, NoisyLowPassBecomesInterpolatedNoise) {
  make_held(1, 4, {30, 6, 7, 0, 0}, sfx_flags(0, 0, 2, 1));
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  ticks(1);
  EXPECT_EQ(chan(0).osc.noise_mode, 2);
  EXPECT_EQ(chan(0).lowpass, 0);
}

TEST_F(MixerTest, ReverbMixesTheRingTickAtHalfWeight) {
  // Amplitude 0 with reverb: the run is the ring tick two back, halved.
  tovo_mixer_channel& c = chan(0);
  c.reverb = 1;
  c.ring_index = 3;
  for (int i = 0; i < TOVO_TICK; i++) c.ring[1][i] = (int16_t)(i * 10 - 900);
  int16_t buf[TOVO_TICK];
  tovo_osc_state st{};
  mix_osc_tick_new(&st, buf, TOVO_TICK, &c);
  for (int i = 0; i < TOVO_TICK; i++) ASSERT_EQ(buf[i], (i * 10 - 900) * 2 / 4) << i;
  c.reverb = 2;
  c.ring_index = 5;
  mix_osc_tick_new(&st, buf, TOVO_TICK, &c);
  EXPECT_EQ(buf[10], (10 * 10 - 900) / 2);
}

TEST_F(MixerTest, DestroyingAPlayingSoundFreesItsChannel) {
  tarq_sound* s = tarq_create_sound(4, 16);
  s->channel = 3;
  chan(3).sound = s;
  tarq_destroy_sound(s);
  EXPECT_EQ(chan(3).sound, nullptr);
  callback(16);  // nothing left to read
}

TEST_F(MixerTest, AOneShotSampleSoundLetsGoAtItsEnd) {
  tarq_sound* s = tarq_create_sound(3, 16);
  const int16_t v[3] = {1, 2, 3};
  std::memcpy(s->data, v, 6);
  s->channel = 0;
  chan(0).sound = s;
  EXPECT_EQ(callback(5), (std::vector<int16_t>{1, 2, 3, 0, 0}));
  EXPECT_EQ(chan(0).sound, nullptr);
  tarq_destroy_sound(s);
}
