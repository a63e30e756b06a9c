// The clip's development tools: the run-length code, the compression report
// of a stream of frames and the TGA frames of the clip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/data/gfx.h"
#include "engine/formats/tga_bmp.h"
#include "player/capture/clip_record.h"
#include "player/capture/video_dev.h"
#include "player/shell_state.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<uint8_t> rle(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out(data.size() * 2 + 2);
  out.resize((size_t)rle_compress(data.data(), (int32_t)data.size(), out.data()));
  return out;
}

std::vector<uint8_t> run_of(size_t n, uint8_t v) { return std::vector<uint8_t>(n, v); }

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(rle_compress, RunsAsLengthThenByte) {
  struct {
    std::vector<uint8_t> data, want;
  } cases[] = {
      {{}, {}},
      {{7}, {1, 7}},
      {{1, 2, 2, 3}, {1, 1, 2, 2, 1, 3}},
      {run_of(127, 5), {127, 5}},
      {run_of(128, 5), {0x80, 0x00, 5}},
      {run_of(300, 9), {0x80, 0x00 + 172, 9}},
      {run_of(32511, 1), {0xfe, 0x7f, 1}},        // the longest run
      {run_of(32512, 1), {0xfe, 0x7f, 1, 1, 1}},  // one more starts a new run
      {run_of(128, 4) + run_of(2, 0), {0x80, 0, 4, 2, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(rle(c.data), c.want) << c.data.size();
}

struct clip_frames : ::testing::Test {
  void SetUp() override {
    saved_len = app.gif_len;
    app.gif_len = 1;
    reset_video();
    for (int i = 0; i < 3; i++) {
      frames[i] = tarq_create_bitmap(128, 128, 8);
      for (int y = 0; y < 128; y++)
        for (int x = 0; x < 128; x++) frames[i]->rows[y][x] = (uint8_t)(x < 16 * (i + 1) ? i + 1 : 0);
      record_video_frame(frames[i]);
    }
  }
  void TearDown() override {
    for (tarq_bitmap*& f : frames) f = tarq_destroy_bitmap(f);
    reset_video();
    app.gif_len = saved_len;
  }
  tarq_bitmap* frames[3] = {};
  int32_t saved_len = 0;
};

TEST_F(clip_frames, StreamReportPerFrameAndPerSecond) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(record_test_video(), 3);
  std::string report = testing::internal::GetCapturedStdout();
  // One line a frame: four sizes in their fields.
  int lines = 0;
  for (size_t at = 0; (at = report.find("\n", at)) != std::string::npos; at++) lines++;
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(report.rfind("lz4: ", 0), 0u);
  EXPECT_NE(report.find("  rle: "), std::string::npos);
  EXPECT_NE(report.find("  r&l: "), std::string::npos);
  EXPECT_NE(report.find("  diff: "), std::string::npos);
  // Each row of a frame is two runs: 128 rows x 2 runs x 2 bytes.
  EXPECT_NE(report.find("rle:  512"), std::string::npos) << report;

  // A second of frames gives the stream's rate; an unchanged frame's
  // difference is all zeros and small.
  reset_stream();
  testing::internal::CaptureStdout();
  int32_t last = 0;
  for (int i = 0; i < TOVO_STREAM_FPS; i++) last = record_stream(frames[0]);
  report = testing::internal::GetCapturedStdout();
  EXPECT_NE(report.find("rle+lz4: "), std::string::npos);
  EXPECT_EQ(report.substr(report.size() - 5), " k/s\n");
  EXPECT_LT(last, 100);
}

// The clip is saved once per process: the saves run in a child, so that the
// test holds when it runs again.
TEST_F(clip_frames, FramesAsTgaFilesOncePerRun) {
  tovo_test::temp_dir dir, other;
  std::string folder = dir.path + "/", second = other.path + "/";
  auto saves = [&] { return save_video(folder.c_str()) == 3 && save_video(second.c_str()) == 0 ? 0 : 1; };
  EXPECT_EXIT(std::_Exit(saves()), testing::ExitedWithCode(0), "") << "three frames, then nothing on a second save";
  for (int i = 0; i < 3; i++) {
    char name[32];
    snprintf(name, sizeof name, "vidout/frame%03d.tga", i);
    tarq_bitmap* b = tarq_load_tga(dir.file(name).c_str());
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->width, 128);
    EXPECT_EQ(b->depth, 8);
    EXPECT_EQ(memcmp(b->pixels, frames[i]->pixels, 128 * 128), 0) << name;
    tarq_destroy_bitmap(b);
  }
  EXPECT_FALSE(tovo_test::file_exists(other.file("vidout/frame000.tga")));
}

}  // namespace
