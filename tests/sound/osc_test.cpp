// Waveforms, steps and noise, rendered through the offline mixer.
#include <cmath>

#include "engine/data/prng.h"
#include "sound/sfx/note_step.h"
#include "sound/sfx/osc_old.h"
#include "sound/sfx/shapes.h"
#include "tests/sound/mixer_fixture.h"

using namespace tovo_sound_test;

TEST(SoundKnee, SumsPassASoftKneeInsteadOfClipping) {
  // clang-format off
  struct { int32_t in, out; } cases[] = {
      {0x5fff, 0x5fff}, {0x6000 + 5, 0x6001}, {0x7fff + 0x7fff, 0x7fff}, {-0x5fff, -0x5fff},
      {-0x6000 - 5, -0x6001}, {-0x7fff - 0x7fff, -0x7fff}, {0x6004, 0x6000}, {-0x6004, -0x6000},
  };
  // clang-format on
  for (auto c : cases) EXPECT_EQ(soft_knee(c.in), c.out) << c.in;
}

TEST(SoundStep, PitchesGiveTheirPhaseSteps) {
  // clang-format off
  struct { int32_t pitch, step; } cases[] = {
      {33 << 16, 1307},            // A, 440 Hz: one period of 65536 a 1/440 s
      {0, 194},                    // C three octaves down: 1554 halved three times
      {63 << 16, 7392},            // D#, doubled twice
      {(33 << 16) + 0x8000, 1346}, // half way to A#
      {102 << 16, 0x8000},         // clamped above 0x7fff
      {-36 << 16, 24},             // below zero: k wraps to C
      {-100 << 16, 8},             // clamped below 8
  };
  // clang-format on
  for (auto c : cases) EXPECT_EQ(tovo_pitch_step(c.pitch), c.step) << (c.pitch >> 16);
}

// The step of a whole pitch agrees with the mixer's step of that pitch for
// every note a sound effect holds; the fine one is the mixer's own.
TEST(SoundStep, StepRoutinesAgreeWithTheMixer) {
  for (int32_t p = 0; p < 64; p++) EXPECT_EQ(get_dx_for_note(p), tovo_pitch_step(p << 16)) << p;
  // clang-format off
  struct { int32_t pitch, step; } whole[] = {
      {33, 1307}, {0, 194}, {63, 7392}, {12, 388},
      {-1, 182},         // B below C: note 11 in octave -1, 2924 halved four times
      {-12, 97},         // C an octave down
      {200, 2469 << 13}, // G# in octave 16: doubled 13 times, unclamped
  };
  // clang-format on
  for (auto c : whole) EXPECT_EQ(get_dx_for_note(c.pitch), c.step) << c.pitch;
  EXPECT_EQ(get_dx_for_note(-1), tovo_pitch_step(-1 << 16));
  for (int32_t pitch : {33 << 16, (33 << 16) + 0x8000, 102 << 16, -100 << 16, 0})
    EXPECT_EQ(get_dx_for_note_fine(pitch), tovo_pitch_step(pitch)) << (pitch >> 16);
}

// The folded triangle of waveform 5 at its corners.
TEST(SoundShape, Inst5IsTheFoldedTriangle) {
  // clang-format off
  struct { int32_t x, y; } cases[] = {
      {0, 0}, {0x2000, 0x2000}, {0x4000, 0x4000}, {0x6000, 0x2000}, {0x8000, 0},
      {0xa000, 0x1555}, {0xc000, 0x2aaa}, {0xe000, 0x1555}, {0xffff, 0},
  };
  // clang-format on
  for (auto c : cases) EXPECT_EQ(inst5(c.x), c.y) << c.x;
}

// The older renderer: the main phase alone, scaled by the amplitude / 2048.
TEST(SoundOldRenderer, MainPhaseShapesScaledBy2048) {
  // clang-format off
  struct { int32_t waveform, shape; int32_t first, at_half; } cases[] = {
      {0, 0, 1792 * tri_t(0) / 2048, 1792 * tri_t(0x8000) / 2048},
      {1, 0, 1792 * (ramp(0) - 12286) / 2048, 1792 * (ramp(0x8000) - 12286) / 2048},
      {2, 0, 1792 * (-0x8000 / 4) / 2048, 0},
      {3, 0, -5375, 5375},                 // +-6143 about 0x8000
      {3, 1, -5375, -5375},                // about 0x9800: still low at half
      {4, 0, -5375, -5375},
      {5, 0, 1792 * -0x2000 / 2048, 1792 * -0x2000 / 2048},
      {7, 1, 1792 * tri_u(0) / 2048, 1792 * tri_u(0x8000) / 2048},
  };
  // clang-format on
  for (auto c : cases) {
    tovo_osc_state st{};
    st.waveform = c.waveform;
    st.shape = c.shape;
    st.amp = TOVO_FULL_AMP;
    st.step = 0x400;  // 64 samples a period
    st.ph2 = 0x1234;
    std::vector<int16_t> buf(64);
    mix_osc_tick_old(&st, buf.data(), 64);
    EXPECT_EQ(buf[0], c.first) << c.waveform;
    EXPECT_EQ(buf[32], c.at_half) << c.waveform;
    EXPECT_EQ(st.ph, 0) << c.waveform;        // a whole period
    EXPECT_EQ(st.ph2, 0x1234) << c.waveform;  // no second oscillator
  }
  tovo_osc_state quiet{};
  quiet.ph = 0x1000;
  quiet.step = 0x400;
  std::vector<int16_t> buf(8, 1);
  mix_osc_tick_old(&quiet, buf.data(), 8);
  EXPECT_EQ(buf, std::vector<int16_t>(8, 0));
  EXPECT_EQ(quiet.ph, 0);
  tovo_osc_state noise{};
  noise.waveform = 6;
  noise.amp = TOVO_FULL_AMP;
  mix_osc_tick_old(&noise, buf.data(), 8);
  for (int16_t v : buf) EXPECT_LE(std::abs(v), 1792 * 6143 / 2048);
}

// One note rendered on its own: its pitch sets the period, its volume the
// level, and the mixer's channels are left alone.
TEST_F(MixerTest, OneNoteOfAWaveformRendersOnItsOwn) {
  const tovo_mixer_state before = ms0;
  std::vector<int16_t> loud(22050), soft(2205), silent(64, 1);
  generate_sfx_inst_note(loud.data(), 22050, 33, 3, 7);
  int rising = 0;
  for (int j = 1; j < 22050; j++) rising += loud[j - 1] < 0 && loud[j] >= 0;
  EXPECT_GE(rising, 439);  // A: 440 Hz
  EXPECT_LE(rising, 440);
  EXPECT_EQ(loud[0], 2688 * -9214 / 3072);  // the pulse of both phases, A = 1792 * 3 / 2
  generate_sfx_inst_note(soft.data(), 2205, 33, 3, 1);
  EXPECT_EQ(soft[0], 384 * -9214 / 3072);
  generate_sfx_inst_note(silent.data(), 64, 33, 3, 0);
  EXPECT_EQ(silent, std::vector<int16_t>(64, 0));
  EXPECT_EQ(std::memcmp(&before, &ms0, sizeof ms0), 0);
}

// Sample j of a pulse of waveform 3 at pitch 33 from a silent channel: the
// first 64 samples fade in from silence.
static int32_t expected_pulse(int j) {
  const int32_t ph = (1307 * j) & 0xffff;
  const int32_t x = 2688 * (ph < 0x8000 ? -9214 : 9214) / 3072;  // A = 1792 * 3 / 2
  return j < 64 ? j * x / 64 : x;
}

TEST_F(MixerTest, APulseNoteGivesTheHandComputedSamples) {
  make_held(1, 1, {33, 3, 7, 0, 0});
  ASSERT_EQ(tarq_play_sfx_ex(sfx(1), 0, 0, cart, -1), 0);
  const std::vector<int16_t> out = render(2);
  for (int j = 0; j < 2048; j++) ASSERT_EQ(out[j], expected_pulse(j)) << j;
  EXPECT_EQ(out[100], 8062);
}

TEST_F(MixerTest, ATriangleAtPitch33HasA440HzFundamental) {
  make_held(1, 255, {33, 0, 5, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, -1);
  const std::vector<int16_t> out = render(22, 1024);  // about one second and a bit
  int rising = 0;
  for (int j = 1; j < 22050; j++) rising += out[j - 1] < 0 && out[j] >= 0;
  EXPECT_GE(rising, 439);
  EXPECT_LE(rising, 440);
}

TEST_F(MixerTest, OctaveShiftRegisterPlaysTwelveBelow) {
  make_held(1, 1, {63, 0, 5, 0, 0});
  sound_regs[0] = 1 << 4;  // channel 0, octave down
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, -1);
  callback(TOVO_TICK);
  EXPECT_EQ(chan(0).osc.pitch, 51 << 16);
  EXPECT_EQ(chan(0).osc.step, tovo_pitch_step(51 << 16));
}

TEST_F(MixerTest, SampleAndHoldNoisePeriodFollowsThePitch) {
  // Pitch 63: a new level every sample; pitch 0: every 64 samples.
  struct {
    int32_t pitch;
    int period;
  } cases[] = {{63, 1}, {0, 64}, {60, 4}};
  for (auto c : cases) {
    tarq_stop_all_sounds();
    make_held(1, 4, {c.pitch, 6, 7, 0, 0}, sfx_flags(0, 0, 0, 1));
    tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
    ticks(2);
    // Past the 64-sample crossfade, where both states' noise blend.
    const std::vector<int16_t> out = callback(TOVO_TICK);
    int changes = 0;
    for (int j = 65; j < TOVO_TICK; j++) changes += out[j] != out[j - 1];
    EXPECT_NEAR(changes, 118 / c.period, 2) << c.pitch;
  }
}

TEST_F(MixerTest, RandomWalkStaysInsideItsRange) {
  make_held(1, 4, {10, 6, 7, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  for (int i = 0; i < 200; i++) {
    callback(TOVO_TICK);
    ASSERT_LE(std::abs(chan(0).osc.walk), 6143);
  }
}

TEST_F(MixerTest, NoiseDrawsFromTheMixersOwnGenerator) {
  make_held(1, 4, {30, 6, 7, 0, 0});
  tarq_srand(99);
  const tarq_prng before = tarq_prng_shared;
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  const std::vector<int16_t> first = render(4);
  EXPECT_EQ(tarq_prng_shared.low, before.low);
  EXPECT_EQ(tarq_prng_shared.high, before.high);
  // The same seed gives the same noise.
  tarq_sound_init(22050, 1);
  tarq_mixer_seed(1234);
  ticks(1);
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  EXPECT_EQ(render(4), first);
}

TEST_F(MixerTest, DetuneSetsTheSecondStepAndLoudness) {
  // clang-format off
  struct { int32_t waveform, detune, step2_num; bool louder; } cases[] = {
      {3, 0, 256, false}, {3, 1, 255, true}, {0, 1, 193, true}, {0, 2, 384, true},
      {7, 0, 254, false}, {7, 1, 250, false}, {7, 2, 508, false}, {6, 1, 255, false},
  };
  // clang-format on
  for (auto c : cases) {
    make_held(1, 4, {33, c.waveform, 4, 0, 0}, sfx_flags(c.detune, 0, 0));
    tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
    callback(TOVO_TICK);
    EXPECT_EQ(chan(0).osc.step2, 1307 * c.step2_num >> 8) << c.waveform << " " << c.detune;
    EXPECT_EQ(chan(0).osc.amp, c.louder ? 1024 * 5 / 4 : 1024) << c.waveform << " " << c.detune;
  }
}

// Regression goldens: long renders of every waveform with each detune level,
// reverb level and noise flag (the noise flag also selects shape for tones).
TEST_F(MixerTest, VariantChecksumsStayTheSame) {
  static const uint32_t golden[8 * 3 * 3 * 2] = {
#include "tests/sound/variant_goldens.inc"
  };
  const bool print = std::getenv("TOVO_PRINT_GOLDENS") != nullptr;
  int k = 0;
  for (int w = 0; w < 8; w++)
    for (int d = 0; d < 3; d++)
      for (int r = 0; r < 3; r++)
        for (int n = 0; n < 2; n++, k++) {
          tarq_sound_init(22050, 1);
          tarq_mixer_seed(77);
          ticks(1);
          tovo_sfx* s = make_sfx(1, 3, {}, sfx_flags(d, r, 0, n, n));
          for (int i = 0; i < 32; i++) s->notes[i] = {(i * 7) % 64, w, 1 + i % 7, i % 8 == 2 ? 2 : 0, 0};
          tarq_play_sfx_ex(s, 0, 0, cart, 0);
          const uint32_t h = fnv1a(render(6));
          // clang-format off
          if (print) printf("0x%08x,%s", h, k % 6 == 5 ? "\n" : " ");
          // clang-format on
          else EXPECT_EQ(h, golden[k]) << "waveform " << w << " detune " << d << " reverb " << r << " noise " << n;
        }
}
