// The sound engine's hooks as the engine calls them, registered by a
// stand-in that records each call beside the application's.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/config.h"
#include "engine/platform/audio_plat.h"
#include "engine/sound_hooks.h"
#include "engine/tarq.h"
#include "tests/engine/engine_run.h"
#include "tests/engine/recording_app.h"
#include "tests/support/temp_dir.h"

namespace {

using recording_app::calls;
using strings = std::vector<std::string>;

int32_t volumes_set[2];

tarq_sound_hooks recording_hooks() {
  tarq_sound_hooks h = {};
  h.update_music_fading = [] { calls.push_back("fade"); };
  h.music_stop = [](int32_t music, int32_t fade_ms) {
    calls.push_back("stop " + std::to_string(music) + " " + std::to_string(fade_ms));
  };
  h.sound_exit = [] {
    calls.push_back("close");
    return 0;
  };
  h.mixer_callback = [](void*, uint8_t* stream, int len) { SDL_memset(stream, 0, static_cast<size_t>(len)); };
  h.set_sound_volume = [](int32_t v) { volumes_set[0] = v; };
  h.set_music_volume = [](int32_t v) { volumes_set[1] = v; };
  return h;
}

struct SoundHooks : ::testing::Test {
  tovo_test::temp_home home;
  void TearDown() override { tarq_set_sound_hooks({}); }
};

TEST_F(SoundHooks, TheLoopFadesBeforeEachUpdateAndShutdownStopsThenCloses) {
  tarq_set_sound_hooks(recording_hooks());
  recording_app::plan plan;
  plan.quit_in_update = 2;
  ASSERT_EQ(engine_run::run(plan, {"-headless"}), 0);
  EXPECT_EQ(calls,
            (strings{"init", "fade", "update 1", "draw 1", "fade", "update 2", "draw 2", "stop 0 0", "exit", "close"}));
}

TEST_F(SoundHooks, WithoutHooksTheEngineRunsWithoutSound) {
  recording_app::plan plan;
  plan.quit_in_update = 2;
  ASSERT_EQ(engine_run::run(plan, {"-headless"}), 0);
  EXPECT_EQ(calls, (strings{"init", "update 1", "draw 1", "update 2", "draw 2", "exit"}));
}

// The device runs the registered callback and takes the configured volumes
// through the registered setters; with no callback registered, no device
// opens.
TEST_F(SoundHooks, TheDeviceOpensOnlyWithAMixerRegistered) {
  tovo_test::scoped_env driver{"SDL_AUDIODRIVER", "dummy"};
  tarq_config_default();
  cconfig.mix_buffer_size = 512;
  cconfig.sound_volume = 100;
  cconfig.music_volume = 50;
  volumes_set[0] = volumes_set[1] = -1;
  EXPECT_NE(tarq_sound_init_plat(22050, 1), 0);
  EXPECT_EQ(tarq_sound_inited(), 0);
  EXPECT_EQ(volumes_set[0], -1);

  tarq_set_sound_hooks(recording_hooks());
  EXPECT_EQ(tarq_sound_init_plat(22050, 1), 0);
  EXPECT_EQ(tarq_sound_inited(), 1);
  EXPECT_EQ(volumes_set[0], 100);
  EXPECT_EQ(volumes_set[1], 50);
  tarq_sound_exit_plat();
  SDL_Quit();
}

}  // namespace
