// Recording the mixer's output offline: the buffer holds exactly what the
// callbacks wrote (post-mix hook included), as little-endian 16-bit samples,
// and nothing while the engine is paused or the device is not mono.
#include <algorithm>
#include <string>

#include "engine/io/file.h"
#include "sound/mixer/audio_record.h"
#include "tests/sound/mixer_fixture.h"

using namespace tovo_sound_test;

namespace {

class RecordTest : public MixerTest {
 protected:
  void TearDown() override {
    tarq_audio_end();
    MixerTest::TearDown();
  }
  static std::vector<int16_t> samples_of(const tarq_file* f) {
    std::vector<int16_t> v;
    for (int32_t i = 0; i + 1 < f->size; i += 2) v.push_back((int16_t)(f->data[i] | f->data[i + 1] << 8));
    return v;
  }
};

int add_one(int16_t* samples, int32_t count, int32_t) {
  for (int32_t i = 0; i < count; i++) samples[i] = (int16_t)(samples[i] + 1);
  return 0;
}

}  // namespace

TEST_F(RecordTest, TheBufferHoldsEveryOutputSample) {
  EXPECT_EQ(tarq_audio_end(), nullptr);  // nothing to end
  make_held(1, 4, {30, 2, 6, 0, 0});
  tarq_play_sfx_ex(sfx(1), 0, 0, cart, 0);
  tarq_set_post_mix_func(add_one);
  tarq_file* rec = tarq_audio_rec();
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(rec->size, 0);
  std::vector<int16_t> played = render(3, 1000);
  played.push_back(callback(7)[6]);  // one short callback: all 7 are kept
  EXPECT_EQ(tarq_audio_end(), rec);
  std::vector<int16_t> recorded = samples_of(rec);
  ASSERT_EQ(recorded.size(), 3007u);
  recorded.erase(recorded.begin() + 3000, recorded.begin() + 3006);
  EXPECT_EQ(recorded, played);
  EXPECT_NE(std::count(played.begin(), played.end(), 1), (long)played.size());  // the tone sounds
  render(1);
  EXPECT_EQ(rec->size, 3007 * 2);  // ended: no more samples
  EXPECT_EQ(tarq_audio_end(), nullptr);
}

TEST_F(RecordTest, SamplesAreLittleEndian) {
  tarq_set_post_mix_func([](int16_t* s, int32_t n, int32_t) {
    for (int32_t i = 0; i < n; i++) s[i] = (int16_t)(i == 0 ? -2 : 0x1234);
    return 0;
  });
  tarq_file* rec = tarq_audio_rec();
  callback(2);
  tarq_audio_end();
  ASSERT_EQ(rec->size, 4);
  EXPECT_EQ(std::string((const char*)rec->data, 4), std::string("\xfe\xff\x34\x12", 4));
}

TEST_F(RecordTest, ANewRecordingStartsEmptyAndSilenceIsNotRecorded) {
  tarq_file* rec = tarq_audio_rec();
  render(2);
  ASSERT_EQ(rec->size, 4096);
  EXPECT_EQ(tarq_audio_rec(), rec);  // the same buffer, emptied
  EXPECT_EQ(rec->size, 0);
  tarq_state.paused = 1;  // the callback outputs silence and records nothing
  render(1);
  tarq_state.paused = 0;
  tarq_set_audio_pause(1);
  render(1);
  tarq_set_audio_pause(0);
  EXPECT_EQ(rec->size, 0);
  // Only a mono device is recorded.
  tarq_set_audio_format_in_use(44100, 2);
  tarq_set_audio_format_requested(44100, 2);
  std::vector<int16_t> stereo(4 * 100);
  tarq_mixer_callback(nullptr, reinterpret_cast<uint8_t*>(stereo.data()), (int)stereo.size() * 2);
  EXPECT_EQ(rec->size, 0);
  EXPECT_EQ(tarq_audio_end(), rec);
}
