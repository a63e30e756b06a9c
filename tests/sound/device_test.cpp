// The mixer behind a real audio device: SDL's disk driver writes what it
// plays to a file. The second test changes sound state (the engine's pause
// word included) from the main thread while the callback runs (the
// ThreadSanitizer build checks it); the third does the same with sample
// sounds, synth renders and module music. A recording made while the device
// plays holds the same bytes as the driver's file.
#include <SDL.h>

#include <string>

#include "engine/engine_control.h"
#include "engine/io/file.h"
#include "engine/platform/audio_plat.h"
#include "engine/tracked_mem.h"
#include "sound/items/pod_items.h"
#include "sound/mixer/audio_record.h"
#include "sound/play/pcm.h"
#include "sound/synth/synth.h"
#include "sound/xm/xm.h"
#include "sound/xm/xm_music_objects.h"
#include "sound/xm/xm_read.h"
#include "sound/xm/xm_write.h"
#include "tests/sound/mixer_fixture.h"
#include "tests/support/temp_dir.h"

using namespace tovo_sound_test;

namespace {

class DeviceTest : public ::testing::Test {
 protected:
  tovo_test::temp_dir dir;
  std::string out = dir.file("out.raw");
  tovo_test::scoped_env driver{"SDL_AUDIODRIVER", "disk"};
  tovo_test::scoped_env file{"SDL_DISKAUDIOFILE", out.c_str()};
  tovo_cart_sound* cart = nullptr;

  void SetUp() override {
    tarq_config_default();
    tarq_state = tarq_engine_state{};
    tarq_set_audio_pause(0);
    std::memset(sound_regs, 0, sizeof sound_regs);
    tovo_set_sound_machine({sound_regs});
    cconfig.headless = 0;
    cconfig.mix_buffer_size = 512;
    cart = make_cart();
    ASSERT_NE(cart, nullptr);
    ASSERT_EQ(tarq_sound_init(22050, 1), 0);
    ASSERT_EQ(tarq_sound_inited(), 1);
    tarq_set_console_mode(1);
  }
  void TearDown() override {
    tarq_sound_exit();
    destroy_cart(cart);
    SDL_Quit();
    std::memset(sound_regs, 0, sizeof sound_regs);
  }
  std::string played() const {
    std::string s;
    tovo_test::read_file(out, &s);
    return s;
  }
  tovo_sfx* tone(int n) {
    tovo_sfx* s = &cart->sfx[n];
    s->speed = 2;
    for (int i = 0; i < 32; i++) s->notes[i] = {20 + i, i % 8, 5, i % 8, 0};
    return s;
  }
};

}  // namespace

TEST_F(DeviceTest, AnEffectMakesTheStreamNonSilent) {
  SDL_Delay(100);
  tarq_lock_audio();
  const size_t silent_until = played().size();
  tarq_unlock_audio();
  ASSERT_GE(tarq_play_sfx(tone(3), cart), 0);
  for (int i = 0; i < 300 && played().size() < silent_until + 8192; i++) SDL_Delay(10);
  tarq_sound_exit();
  const std::string bytes = played();
  ASSERT_GT(bytes.size(), silent_until + 4096);
  const size_t first_sound = bytes.find_first_not_of('\0');
  EXPECT_NE(first_sound, std::string::npos);
  EXPECT_GE(first_sound, silent_until);  // silence until the effect starts
}

TEST_F(DeviceTest, ARecordingHoldsWhatTheDevicePlayed) {
  SDL_Delay(50);
  tarq_file* rec = tarq_audio_rec();
  ASSERT_NE(rec, nullptr);
  ASSERT_GE(tarq_play_sfx(tone(3), cart), 0);
  int32_t size = 0;
  for (int i = 0; i < 300 && size < 16384; i++) {
    SDL_Delay(10);
    tarq_lock_audio();
    size = rec->size;
    tarq_unlock_audio();
  }
  ASSERT_EQ(tarq_audio_end(), rec);
  const std::string recorded((const char*)rec->data, (size_t)rec->size);
  // The device goes on playing; the ended recording does not grow.
  const size_t file_at_end = played().size();
  for (int i = 0; i < 300 && played().size() < file_at_end + 8192; i++) SDL_Delay(10);
  tarq_lock_audio();
  EXPECT_EQ((size_t)rec->size, recorded.size());
  tarq_unlock_audio();
  tarq_sound_exit();
  const std::string bytes = played();
  ASSERT_GE(recorded.size(), 16384u);
  EXPECT_EQ(recorded.size() % 1024, 0u);  // whole callbacks of 512 frames
  EXPECT_NE(recorded.find_first_not_of('\0'), std::string::npos);
  const size_t at = bytes.find(recorded);
  ASSERT_NE(at, std::string::npos);
}

TEST_F(DeviceTest, MainThreadChangesWhileTheCallbackRuns) {
  for (int n = 0; n < 8; n++) tone(n);
  cart->music[0][0] = 1;
  cart->music[0][1] = 2;
  cart->music[1][2] = 3;
  cart->music_flags[1] = 2;
  tarq_prng rng{};
  tarq_prng_seed(&rng, 5);
  const uint32_t end = SDL_GetTicks() + 400;
  int k = 0;
  while (SDL_GetTicks() < end) {
    const uint32_t r = tarq_prng_step(&rng);
    switch (k++ % 11) {
      case 0: tarq_play_sfx_ex(&cart->sfx[r % 8], (int32_t)(r >> 8) % 32, 0, cart, (int32_t)(r % 5) - 1); break;
      case 1: tovo_sound_word_store(sound_regs[r % 4], (int32_t)(r >> 4) & 0xff); break;
      case 2: tovo_sound_word_store(cart->sfx[r % 8].flags, (int32_t)(r >> 3) & 0xfe); break;
      case 3: tovo_sound_word_store(cart->sfx[r % 8].notes[r % 32].pitch, (int32_t)(r >> 9) & 63); break;
      case 4:
        if (r % 7 == 0) tarq_play_tovo_song(cart, (int32_t)(r % 2), (int32_t)(r % 300));
        break;
      case 5: tarq_update_music_fading(); break;
      case 6:
        if (r % 13 == 0) cmusic_stop(0, (int32_t)(r % 200));
        break;
      case 7: {
        tovo_mixer_snapshot snap;
        tarq_take_mixer_snapshot(&snap, (int32_t)SDL_GetTicks());
        for (int i = 16; i <= 26; i++) tarq_sound_stat(i, cart);
        break;
      }
      case 8:
        tarq_set_sound_volume((int32_t)(r % 257));
        tarq_set_music_volume((int32_t)(r % 257));
        break;
      case 9: tarq_set_paused(r % 4 == 0); break;
      default:
        if (r % 5 == 0) tarq_stop_all_sounds();
        else tarq_release_looping_tovo_channel(-1);
        break;
    }
    if (k % 50 == 0) SDL_Delay(1);
  }
  tarq_set_paused(0);
  tarq_sound_exit();
  EXPECT_GT(played().size(), 4096u);
}

namespace {

// A one-pattern, one-channel module of a looping saw, as file bytes.
tarq_file* module_bytes() {
  tarq_xm* xm = tarq_create_xm();
  xm->song_length = 1;
  xm->channels = 1;
  xm->tempo = 2;
  xm->bpm = 150;
  xm->pattern_count = 1;
  xm->patterns = (tarq_xm_pattern*)tarq_calloc(sizeof(tarq_xm_pattern));
  xm->patterns[0].rows = 8;
  for (int r = 0; r < 8; r += 2) xm->patterns[0].cell[r][0] = {(uint8_t)(40 + r), 1, 0x50, 0, 0};
  tarq_xm_alloc_instruments(xm, 1);
  tarq_xm_sample& s = xm->instruments[1].sample;
  xm->instruments[1].sample_count = 1;
  s.length = s.loop_length = 100;
  s.volume = 64;
  s.type = 1 | TARQ_XM_SAMPLE_16BIT;
  s.data = (int16_t*)tarq_malloc(200);
  for (int i = 0; i < 100; i++) s.data[i] = (int16_t)(i * 300 - 15000);
  tarq_file* f = tarq_create_buffer(1024);
  tarq_save_xm_to_file(xm, f);
  tarq_destroy_xm(xm);
  return f;
}

}  // namespace

TEST_F(DeviceTest, SampleSoundsAndModulesChangeWhileTheCallbackRuns) {
  tarq_set_console_mode(0);
  tarq_file* bytes = module_bytes();
  tarq_music* music = tarq_create_music();
  bytes->pos = 0;
  ASSERT_EQ(cmusic_load_from_file(music, bytes), 0);
  tarq_sound* sounds[4];
  auto make = [](int32_t length) {
    tarq_sound* s = tarq_create_sound(length, 16);
    int16_t* d = reinterpret_cast<int16_t*>(tarq_sound_lock(s));
    for (int32_t i = 0; i < length; i++) d[i] = (int16_t)((i * 97) % 20000 - 10000);
    return s;
  };
  for (int i = 0; i < 4; i++) sounds[i] = make(500 + 700 * i);
  tarq_synth* synth = tarq_create_synth(2000);
  synth->node[0].word[0] = 1;
  synth->node[0].word[1] = 3;
  synth->node[0].word[2] = 1;
  synth->node[0].word[4 + 0] = 0x8000;  // amplitude base (parameter 1)
  tarq_prng rng{};
  tarq_prng_seed(&rng, 9);
  const uint32_t end = SDL_GetTicks() + 400;
  int k = 0;
  while (SDL_GetTicks() < end) {
    const uint32_t r = tarq_prng_step(&rng);
    tarq_sound*& s = sounds[r % 4];
    switch (k++ % 9) {
      case 0: tarq_play_sound(s); break;
      case 1:
        if (r % 3 == 0) tarq_stop_sound(s);
        break;
      case 2:
        if (r % 5 == 0) {
          tarq_destroy_sound(s);
          s = make(300 + (int32_t)(r % 3000));
        }
        break;
      case 3:
        if (r % 4 == 0) cmusic_play(music, (int32_t)(r % 200), (int32_t)(r % 3), (int32_t)(r >> 8) % 2);
        break;
      case 4:
        if (r % 9 == 0) cmusic_stop(0, (int32_t)(r % 100));
        else tarq_update_music_fading();
        break;
      case 5:
        if (r % 11 == 0) disable_music(music);
        break;
      case 6:
        if (r % 17 == 0) {
          bytes->pos = 0;
          cmusic_load_from_file(music, bytes);
        }
        break;
      case 7:
        tarq_sound_is_playing(s);
        tarq_music_get_fading_state();
        break;
      default:
        if (r % 23 == 0) {
          tarq_synth_generate(synth, nullptr, 0);
          tarq_play_sound(synth->sound);
        }
        break;
    }
    if (k % 40 == 0) SDL_Delay(1);
  }
  tarq_destroy_synth(synth);
  tarq_destroy_music(music);
  for (tarq_sound* s : sounds) tarq_destroy_sound(s);
  tarq_fclose(bytes);
  tarq_sound_exit();
  EXPECT_GT(played().size(), 4096u);
}
