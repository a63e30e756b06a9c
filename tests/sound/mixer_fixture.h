#pragma once
// The mixer driven offline: no device, 22050 Hz mono, console mode, a fixed
// noise seed, a fake clock, and the callback called into a buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/config.h"
#include "engine/platform/audio_plat.h"
#include "engine/tarq.h"
#include "sound/machine.h"
#include "sound/mixer/history.h"
#include "sound/mixer/mixer.h"
#include "sound/play/play.h"
#include "sound/sound.h"

namespace tovo_sound_test {

// The mixer's clock, which the tests hold and move themselves.
inline int32_t& fake_now = ms0.held_clock_ms;

// The machine's sound registers 0x5f40-0x5f43 as the mixer reads them.
inline int32_t sound_regs[4];

// A cart's sound records with a new cart's defaults: sound effect 0 at speed
// 1, the others at 16, every music channel off.
inline tovo_cart_sound* make_cart() {
  tovo_cart_sound* c = new tovo_cart_sound{};
  for (int i = 0; i < TOVO_SFX_COUNT; i++) c->sfx[i].speed = i == 0 ? 1 : 16;
  for (auto& pattern : c->music)
    for (int ch = 0; ch < TOVO_PATTERN_CHANNELS; ch++) pattern[ch] = TOVO_MUSIC_CHANNEL_OFF + ch;
  return c;
}

// Stops what plays from the cart, as its owner does, and frees it.
inline void destroy_cart(tovo_cart_sound* c) {
  tarq_stop_tovo_song(c);
  for (tovo_sfx& s : c->sfx) tarq_stop_sfx(&s);
  delete c;
}

struct note_spec {
  int32_t pitch, waveform, volume, effect, custom;
};

class MixerTest : public ::testing::Test {
 protected:
  tovo_cart_sound* cart = nullptr;

  void SetUp() override {
    tarq_config_default();
    tarq_state = tarq_engine_state{};
    tarq_set_audio_pause(0);
    ms0.recording = 0;
    std::memset(sound_regs, 0, sizeof sound_regs);
    tovo_set_sound_machine({sound_regs});
    cconfig.headless = 1;
    ms0.clock_held = 1;
    fake_now = 1000;
    tarq_sound_init(22050, 1);
    tarq_set_audio_format_in_use(22050, 1);
    tarq_set_audio_format_requested(22050, 1);
    cconfig.console_mode = 1;
    cconfig.sound_volume = 256;
    cconfig.music_volume = 256;
    tarq_set_music_channel_mask(0);
    tarq_mixer_seed(1234);
    cart = make_cart();
    ASSERT_NE(cart, nullptr);
    // A fresh mixer hands out one empty tick first: start at a tick boundary.
    ticks(1);
  }

  void TearDown() override {
    tarq_set_post_mix_func(nullptr);
    destroy_cart(cart);
    ms0.clock_held = 0;
    std::memset(sound_regs, 0, sizeof sound_regs);
  }

  // One callback of n frames; its samples.
  std::vector<int16_t> callback(int frames) {
    std::vector<int16_t> out((size_t)frames);
    tarq_mixer_callback(nullptr, reinterpret_cast<uint8_t*>(out.data()), frames * 2);
    return out;
  }
  // k callbacks of n frames, one after the other.
  std::vector<int16_t> render(int k, int frames = 1024) {
    std::vector<int16_t> all;
    for (int i = 0; i < k; i++) {
      std::vector<int16_t> one = callback(frames);
      all.insert(all.end(), one.begin(), one.end());
      fake_now += frames * 1000 / 22050;
    }
    return all;
  }
  // Runs whole ticks on every channel (183 frames each).
  void ticks(int n) {
    for (int i = 0; i < n; i++) callback(TOVO_TICK);
  }

  tovo_sfx* sfx(int n) { return &cart->sfx[n]; }
  // Fills sound effect n: speed, loop, flags and notes (the rest silent).
  tovo_sfx* make_sfx(int n, int32_t speed, std::initializer_list<note_spec> notes, int32_t flags = 0,
                     int32_t loop_start = 0, int32_t loop_end = 0) {
    tovo_sfx* s = sfx(n);
    std::memset(s, 0, sizeof *s);
    s->speed = speed;
    s->flags = flags;
    s->loop_start = loop_start;
    s->loop_end = loop_end;
    int i = 0;
    for (const note_spec& k : notes) s->notes[i++] = {k.pitch, k.waveform, k.volume, k.effect, k.custom};
    return s;
  }
  // The same note on all 32 places.
  tovo_sfx* make_held(int n, int32_t speed, note_spec k, int32_t flags = 0) {
    tovo_sfx* s = make_sfx(n, speed, {}, flags);
    for (tovo_note& x : s->notes) x = {k.pitch, k.waveform, k.volume, k.effect, k.custom};
    return s;
  }
  tovo_mixer_channel& chan(int i) { return ms0.ch[i]; }
};

// Flags byte for the detune, reverb and low-pass digits and the noise and
// shape bits.
inline int32_t sfx_flags(int detune, int reverb, int lowpass, int noise = 0, int shape = 0) {
  return ((detune + reverb * 3 + lowpass * 9) << 3) | noise << 1 | shape << 2;
}

inline uint32_t fnv1a(const std::vector<int16_t>& v) {
  uint32_t h = 2166136261u;
  for (int16_t s : v) {
    const uint16_t u = (uint16_t)s;
    h = (h ^ (u & 0xff)) * 16777619u;
    h = (h ^ (u >> 8)) * 16777619u;
  }
  return h;
}

}  // namespace tovo_sound_test
