#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <string>

#include "engine/config.h"
#include "engine/platform/audio_plat.h"
#include "engine/tarq.h"
#include "tests/support/temp_dir.h"

namespace {

std::atomic<int> callbacks{0};

// Writes a recognisable non-zero pattern.
void pattern_callback(void*, uint8_t* stream, int len) {
  for (int i = 0; i < len; i++) stream[i] = 0x11;
  callbacks++;
}

// The audio device on SDL's disk driver, which writes what it plays to a file.
struct Audio : ::testing::Test {
  tovo_test::temp_dir dir;
  std::string out = dir.file("out.raw");
  tovo_test::scoped_env driver{"SDL_AUDIODRIVER", "disk"};
  tovo_test::scoped_env file{"SDL_DISKAUDIOFILE", out.c_str()};
  void SetUp() override {
    tarq_config_default();
    tarq_state = tarq_engine_state{};
    tarq_set_audio_format_in_use(0, 0);
    cconfig.mix_buffer_size = 512;
    callbacks = 0;
  }
  void TearDown() override {
    tarq_sound_exit_plat();
    while (tarq_audio_lock_depth()) tarq_unlock_audio_plat();
    SDL_Quit();
  }
  static bool wait_for_callbacks(int n) {
    for (int i = 0; i < 200 && callbacks < n; i++) SDL_Delay(10);
    return callbacks >= n;
  }
  // What the driver wrote once the callback first ran: before the device is
  // unpaused, SDL's audio thread may already write silence to the file.
  std::string played() const {
    std::string s;
    tovo_test::read_file(out, &s);
    const size_t first = s.find_first_not_of('\0');
    return first == std::string::npos ? std::string() : s.substr(first);
  }
};

}  // namespace

TEST_F(Audio, OpensAtTheRequestedFormatAndPlaysTheCallback) {
  ASSERT_EQ(tarq_open_audio_device(22050, 1, pattern_callback), 0);
  EXPECT_EQ(tarq_sound_inited(), 1);
  EXPECT_EQ(tarq_audio_format_in_use().rate, 22050);
  EXPECT_EQ(tarq_audio_format_in_use().channels, 1);
  EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PLAYING);
  ASSERT_TRUE(wait_for_callbacks(3));
  tarq_sound_exit_plat();
  EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_STOPPED);
  EXPECT_EQ(tarq_sound_inited(), 0);
  const std::string bytes = played();  // complete once the device is closed
  ASSERT_GE(bytes.size(), 3 * 1024u);  // 512 samples of 2 bytes a buffer
  EXPECT_EQ(bytes.find_first_not_of('\x11'), std::string::npos);
}

TEST_F(Audio, APausedDeviceOutputsSilence) {
  ASSERT_EQ(tarq_open_audio_device(22050, 1, pattern_callback), 0);
  ASSERT_TRUE(wait_for_callbacks(2));
  SDL_PauseAudio(1);  // no callback runs after this returns
  const size_t mark = size_t(callbacks.load()) * 1024;
  SDL_Delay(200);
  tarq_sound_exit_plat();
  const std::string bytes = played();
  ASSERT_GT(bytes.size(), mark + 1024);
  EXPECT_EQ(bytes.find_first_not_of('\x11'), mark);
  EXPECT_EQ(bytes.find_first_not_of('\0', mark), std::string::npos);
}

TEST_F(Audio, TheLockNestsAndReleasesOnce) {
  ASSERT_EQ(tarq_open_audio_device(22050, 1, pattern_callback), 0);
  ASSERT_TRUE(wait_for_callbacks(1));
  tarq_lock_audio_plat();
  tarq_lock_audio_plat();
  EXPECT_EQ(tarq_audio_lock_depth(), 2);
  const int held = callbacks;
  SDL_Delay(150);
  EXPECT_EQ(callbacks, held);
  tarq_unlock_audio_plat();
  EXPECT_EQ(tarq_audio_lock_depth(), 1);
  SDL_Delay(150);
  EXPECT_EQ(callbacks, held);  // still held by the outer lock
  tarq_unlock_audio_plat();
  EXPECT_EQ(tarq_audio_lock_depth(), 0);
  EXPECT_TRUE(wait_for_callbacks(held + 2));
  tarq_unlock_audio_plat();  // an extra release changes nothing
  EXPECT_EQ(tarq_audio_lock_depth(), 0);
}

TEST_F(Audio, BufferSizeZeroOpensNoDevice) {
  cconfig.mix_buffer_size = 0;
  EXPECT_EQ(tarq_open_audio_device(22050, 1, pattern_callback), 0);
  EXPECT_EQ(tarq_sound_inited(), 0);
  EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_STOPPED);
  SDL_Delay(50);
  EXPECT_EQ(callbacks, 0);
}

TEST_F(Audio, ADeviceThatFailsToOpenIsReported) {
  tovo_test::scoped_env bad_file("SDL_DISKAUDIOFILE", (out + "/no/such/folder/out.raw").c_str());
  FILE* log = tmpfile();
  tarq_state.log_file = log;
  EXPECT_NE(tarq_open_audio_device(22050, 1, pattern_callback), 0);
  tarq_state.log_file = nullptr;
  EXPECT_EQ(tarq_sound_inited(), 0);
  std::string logged(4096, '\0');
  rewind(log);
  logged.resize(fread(logged.data(), 1, logged.size(), log));
  fclose(log);
  EXPECT_NE(logged.find("SDL_OpenAudio failed"), std::string::npos);

  tovo_test::scoped_env no_driver("SDL_AUDIODRIVER", "no-such-driver");
  SDL_Quit();
  EXPECT_NE(tarq_open_audio_device(22050, 1, pattern_callback), 0);
}
