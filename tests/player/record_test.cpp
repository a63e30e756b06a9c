// The video clip ring, GIF files decoded back with the GIF library, and
// screenshot files and names in a temporary home.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/draw/extpal_glitch.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/platform/present.h"
#include "player/capture/clip_record.h"
#include "player/capture/gif.h"
#include "player/capture/gif_alloc.h"
#include "player/capture/gif_calloc.h"
#include "player/capture/record_output.h"
#include "player/capture/screenshot.h"
#include "player/capture/video_dev.h"
#include "player/shell_state.h"
#include "tests/support/temp_dir.h"

namespace {

struct record_fixture : ::testing::Test {
  tovo_test::temp_home home;
  tarq_bitmap* frame = tarq_create_bitmap(128, 128, 8);

  void SetUp() override {
    if (!tarq_video.tarq_video_palette) tarq_swap_video_palette(tarq_create_palette());
    for (int i = 0; i < 256; i++) {
      tarq_video.tarq_video_palette->rgb[i][0] = (uint8_t)i;
      tarq_video.tarq_video_palette->rgb[i][1] = (uint8_t)(255 - i);
      tarq_video.tarq_video_palette->rgb[i][2] = (uint8_t)(i * 7);
    }
    app.gif_len = 16;
    app.gif_scale = 3;
    app.screenshot_scale = 3;
    run_state().set_filename[0] = 0;
    run_state().record_every_flip = 0;
    cconfig.desktop_path[0] = 0;
    cconfig.home_path[0] = 0;
    reset_video();
    reset_extpal_glitch();  // frames are recorded as drawn, without the glitch
  }
  void TearDown() override { tarq_destroy_bitmap(frame); }

  void fill(int colour) { memset(frame->pixels, colour, 128 * 128); }
  std::string desktop(const std::string& name) const { return home.path() + "/Desktop/" + name; }
};

// Decodes a whole GIF file; null when it cannot be read.
GifFileType* slurp(const std::string& path) {
  int error = 0;
  GifFileType* g = DGifOpenFileName(path.c_str(), &error);
  if (!g) return nullptr;
  if (DGifSlurp(g) == GIF_ERROR) {
    DGifCloseFile(g, &error);
    return nullptr;
  }
  return g;
}

void close_gif(GifFileType* g) {
  int error = 0;
  DGifCloseFile(g, &error);
}

TEST_F(record_fixture, FullRingHoldsTheNewestFramesOldestFirst) {
  app.gif_len = 2;  // 60 slots: 59 frames held once full
  for (int k = 0; k < 100; k++) {
    frame->pixels[0] = (uint8_t)k;
    record_video_frame(frame);
  }
  ASSERT_EQ(video_clip.index, 59);
  for (int i = 0; i < 59; i++) EXPECT_EQ(video_clip.slot[i]->pixels[0], 100 - 59 + i) << i;
  EXPECT_EQ(get_current_gif_len(), 2);
}

TEST_F(record_fixture, FreedRingIsMadeAgainOnTheNextFrame) {
  app.gif_len = 1;
  for (int i = 0; i < 40; i++) record_video_frame(frame);
  free_video_clip();
  EXPECT_EQ(video_clip.made, 0);
  EXPECT_EQ(video_clip.slot[0], nullptr);
  EXPECT_EQ(save_gif(1, 0), TOVO_GIF_NO_FRAMES);
  frame->pixels[3] = 9;
  record_video_frame(frame);
  ASSERT_NE(video_clip.slot[0], nullptr);
  EXPECT_EQ(video_clip.slot[0]->pixels[3], 9);
}

// A slot's bitmap is made when the ring first writes it: a short run holds
// the frames it recorded, not the memory of a whole clip.
TEST_F(record_fixture, SlotsAreMadeAsTheRingFirstWritesThem) {
  free_video_clip();
  app.gif_len = 16;
  for (int k = 0; k < 3; k++) {
    frame->pixels[0] = (uint8_t)(k + 1);
    record_video_frame(frame);
  }
  EXPECT_EQ(video_clip.made, 3);
  for (int i = 0; i < 3; i++) {
    ASSERT_NE(video_clip.slot[i], nullptr) << i;
    EXPECT_EQ(video_clip.slot[i]->pixels[0], i + 1);
  }
  for (int i = 3; i < TOVO_CLIP_SLOTS; i++) ASSERT_EQ(video_clip.slot[i], nullptr) << i;

  // A clip started again reuses its bitmaps; a full ring at one second made
  // 30, and a longer clip after it makes the rest one by one.
  reset_video();
  app.gif_len = 1;
  for (int k = 0; k < 45; k++) record_video_frame(frame);
  EXPECT_EQ(video_clip.made, 30);
  EXPECT_EQ(video_clip.index, 29);
  app.gif_len = 2;
  record_video_frame(frame);
  record_video_frame(frame);
  EXPECT_EQ(video_clip.made, 31);
  EXPECT_EQ(video_clip.index, 31);
  EXPECT_EQ(video_clip.slot[32], nullptr);
  EXPECT_EQ(save_gif(1, 0), 0);
  free_video_clip();
}

TEST_F(record_fixture, ClipLengthAndCapacity) {
  EXPECT_EQ(tovo_clip_capacity(16), 480);
  EXPECT_EQ(tovo_clip_capacity(120), 3600);
  EXPECT_EQ(tovo_clip_capacity(500), 3600);
  EXPECT_EQ(tovo_clip_capacity(0), 0);
  EXPECT_EQ(tovo_clip_capacity(-3), 0);
  const int lengths[][2] = {{0, 0}, {14, 0}, {15, 1}, {44, 1}, {45, 2}, {479, 16}};
  for (auto& c : lengths) {
    video_clip.index = c[0];
    EXPECT_EQ(get_current_gif_len(), c[1]) << c[0];
  }
  video_clip.index = 0;
}

TEST_F(record_fixture, NoRecordingWithoutLengthAndNothingToSave) {
  for (int len : {0, -5}) {
    app.gif_len = len;
    record_video_frame(frame);
    EXPECT_EQ(video_clip.index, 0);
    EXPECT_EQ(save_gif(0, 0), TOVO_GIF_NO_FRAMES);
  }
  EXPECT_FALSE(tovo_test::file_exists(desktop("TOVO_0.gif")));
}

TEST_F(record_fixture, FramesPerTickFollowTheFrameRate) {
  struct {
    int rate, paused, flipper, every_flip, frames;
  } cases[] = {{30, 0, 1, 0, 1}, {60, 0, 1, 0, 0}, {60, 0, 0, 0, 1}, {15, 0, 0, 0, 2},
               {45, 0, 0, 0, 0}, {60, 1, 1, 0, 1}, {30, 0, 0, 1, 0}};
  for (auto& c : cases) {
    reset_video();
    run_state().record_every_flip = c.every_flip;
    record_tick_frames(frame, c.rate, c.paused, c.flipper);
    EXPECT_EQ(video_clip.index, c.frames) << c.rate << " paused " << c.paused;
  }
  reset_video();
  EXPECT_EQ(run_state().record_every_flip, 0);
}

TEST_F(record_fixture, GifLayoutDecodesBack) {
  fill(3);
  frame->pixels[5 * 128 + 9] = 12;
  record_video_frame(frame);
  record_video_frame(frame);  // identical: all transparent
  frame->pixels[100 * 128 + 127] = 7;
  record_video_frame(frame);
  ASSERT_EQ(save_gif(2, 0), 0);

  std::string bytes;
  ASSERT_TRUE(tovo_test::read_file(desktop("TOVO_0.gif"), &bytes));
  EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
  const char first[] = "\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00\x21\xF9\x04\x01\x03\x00\x11\x00\x2C";
  EXPECT_NE(bytes.find(std::string(first, sizeof first - 1)), std::string::npos);
  // Frames last 3, 3 and then 4 hundredths of a second.
  for (char delay : {'\x03', '\x04'}) {
    const std::string control = std::string("\x21\xF9\x04\x01", 4) + delay + std::string("\x00\x11\x00\x2C", 4);
    size_t count = 0;
    for (size_t at = bytes.find(control); at != std::string::npos; at = bytes.find(control, at + 1)) count++;
    EXPECT_EQ(count, delay == 3 ? 2u : 1u) << (int)delay;
  }

  GifFileType* g = slurp(desktop("TOVO_0.gif"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->SWidth, 256);
  EXPECT_EQ(g->SHeight, 256);
  EXPECT_EQ(g->SBackGroundColor, 0);
  EXPECT_EQ(g->SColorResolution, 8);
  ASSERT_NE(g->SColorMap, nullptr);
  EXPECT_EQ(g->SColorMap->ColorCount, 32);
  for (int i = 0; i < 18; i++) {
    EXPECT_EQ(g->SColorMap->Colors[i].Red, i);
    EXPECT_EQ(g->SColorMap->Colors[i].Green, 255 - i);
    EXPECT_EQ(g->SColorMap->Colors[i].Blue, (i * 7) & 255);
  }
  ASSERT_EQ(g->ImageCount, 3);
  const SavedImage& f0 = g->SavedImages[0];
  ASSERT_NE(f0.ImageDesc.ColorMap, nullptr);
  EXPECT_EQ(f0.ImageDesc.ColorMap->ColorCount, 32);
  EXPECT_EQ(g->SavedImages[1].ImageDesc.ColorMap, nullptr);
  EXPECT_EQ(g->SavedImages[2].ImageDesc.ColorMap, nullptr);
  ASSERT_EQ(f0.ExtensionBlockCount, 3);
  EXPECT_EQ(f0.ExtensionBlocks[0].Function, APPLICATION_EXT_FUNC_CODE);
  EXPECT_EQ(std::string((char*)f0.ExtensionBlocks[0].Bytes, 11), "NETSCAPE2.0");
  EXPECT_EQ(f0.ExtensionBlocks[1].Function, CONTINUE_EXT_FUNC_CODE);
  EXPECT_EQ(std::string((char*)f0.ExtensionBlocks[1].Bytes, 3), std::string("\x01\x00\x00", 3));
  for (int i = 0; i < 3; i++) {
    const SavedImage& f = g->SavedImages[i];
    const ExtensionBlock& gce = f.ExtensionBlocks[f.ExtensionBlockCount - 1];
    EXPECT_EQ(gce.Function, GRAPHICS_EXT_FUNC_CODE);
    EXPECT_EQ(std::string((char*)gce.Bytes, 4), std::string(i == 2 ? "\x01\x04\x00\x11" : "\x01\x03\x00\x11", 4));
    EXPECT_EQ(f.ImageDesc.Left, 0);
    EXPECT_EQ(f.ImageDesc.Width, 256);
    EXPECT_FALSE(f.ImageDesc.Interlace);
  }
  auto px = [&](int i, int x, int y) { return g->SavedImages[i].RasterBits[y * 256 + x]; };
  EXPECT_EQ(px(0, 0, 0), 3);
  EXPECT_EQ(px(0, 18, 10), 12);
  EXPECT_EQ(px(0, 19, 11), 12);
  EXPECT_EQ(px(0, 20, 10), 3);
  int not_transparent = 0;
  for (int p = 0; p < 256 * 256; p++) not_transparent += g->SavedImages[1].RasterBits[p] != TOVO_GIF_TRANSPARENT;
  EXPECT_EQ(not_transparent, 0);
  not_transparent = 0;
  for (int p = 0; p < 256 * 256; p++) not_transparent += g->SavedImages[2].RasterBits[p] != TOVO_GIF_TRANSPARENT;
  EXPECT_EQ(not_transparent, 4);
  EXPECT_EQ(px(2, 254, 200), 7);
  EXPECT_EQ(px(2, 255, 201), 7);
  close_gif(g);
  EXPECT_EQ(gif_block_count(), 0);
}

TEST_F(record_fixture, ExtendedColourGivesTheWholeTable) {
  fill(1);
  record_video_frame(frame);
  frame->pixels[77] = 130;
  record_video_frame(frame);
  ASSERT_EQ(save_gif(1, 0), 0);
  GifFileType* g = slurp(desktop("TOVO_0.gif"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->SColorMap->ColorCount, 256);
  EXPECT_EQ(g->SColorMap->Colors[130].Red, 130);
  EXPECT_EQ(g->SWidth, 128);
  EXPECT_EQ(g->SavedImages[1].RasterBits[77], 130);
  close_gif(g);
}

TEST_F(record_fixture, FullSixteenSecondRingSavesFourHundredSeventyNineFrames) {
  for (int k = 0; k < 600; k++) {
    fill(k % 16);
    record_video_frame(frame);
  }
  EXPECT_EQ(get_current_gif_len(), 16);
  ASSERT_EQ(save_gif(1, 0), 0);
  GifFileType* g = slurp(desktop("TOVO_0.gif"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->ImageCount, 479);
  EXPECT_EQ(g->SavedImages[0].RasterBits[0], (600 - 479) % 16);
  // The clip plays at the game's speed: 479 frames of 30 a second are
  // 15.97 seconds, each frame 3 or 4 hundredths.
  int total = 0;
  for (int i = 0; i < g->ImageCount; i++) {
    const SavedImage& f = g->SavedImages[i];
    const ExtensionBlock& gce = f.ExtensionBlocks[f.ExtensionBlockCount - 1];
    int delay = gce.Bytes[1] | gce.Bytes[2] << 8;
    EXPECT_TRUE(delay == 3 || delay == 4) << i << ": " << delay;
    total += delay;
  }
  EXPECT_EQ(total, 479 * 100 / 30);
  close_gif(g);
  EXPECT_EQ(video_clip.index, 479);  // saving leaves the clip as it was
}

// Clips and screenshots are made as other files are: 0666 less the umask.
TEST_F(record_fixture, CaptureFilesFollowTheUmask) {
  fill(5);
  record_video_frame(frame);
  for (mode_t mask : {027, 022, 077}) {
    mode_t old = umask(mask);
    ASSERT_EQ(save_gif(1, 0), 0);
    ASSERT_EQ(save_png_screenshot(frame, 1, 0), 0);
    umask(old);
    for (const char* name : {"TOVO_0.gif", "TOVO_0.png"}) {
      struct stat st {};
      ASSERT_EQ(stat(desktop(name).c_str(), &st), 0) << name;
      EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << name << " under umask " << std::oct << mask;
      std::remove(desktop(name).c_str());
    }
  }
}

TEST_F(record_fixture, ScaleOfClips) {
  const int cases[][3] = {{0, 3, 3}, {2, 3, 2}, {20, 3, 8}, {0, 0, 1}, {-1, 12, 8}, {0, -4, 1}};
  for (auto& c : cases) {
    app.gif_scale = c[1];
    EXPECT_EQ(tovo_gif_scale(c[0]), c[2]) << c[0] << " " << c[1];
  }
}

TEST_F(record_fixture, NamesTakeTheFirstFreeNumber) {
  record_video_frame(frame);
  ASSERT_EQ(save_gif(1, 0), 0);
  ASSERT_EQ(save_gif(1, 0), 0);
  EXPECT_TRUE(tovo_test::file_exists(desktop("TOVO_0.gif")));
  EXPECT_TRUE(tovo_test::file_exists(desktop("TOVO_1.gif")));
  remove(desktop("TOVO_0.gif").c_str());
  ASSERT_EQ(save_gif(1, 0), 0);
  EXPECT_TRUE(tovo_test::file_exists(desktop("TOVO_0.gif")));
  EXPECT_FALSE(tovo_test::file_exists(desktop("TOVO_2.gif")));

  ASSERT_EQ(save_png_screenshot(frame, 1, 0), 0);
  ASSERT_EQ(save_png_screenshot(frame, 1, 0), 0);
  EXPECT_TRUE(tovo_test::file_exists(desktop("TOVO_1.png")));
}

TEST_F(record_fixture, CartFileNameIsUsedAndOverwritten) {
  record_video_frame(frame);
  snprintf(run_state().set_filename, sizeof run_state().set_filename, "shot");
  ASSERT_EQ(save_gif(1, 0), 0);
  std::string first;
  ASSERT_TRUE(tovo_test::read_file(desktop("shot.gif"), &first));
  fill(9);
  record_video_frame(frame);
  ASSERT_EQ(save_gif(1, 0), 0);
  std::string second;
  ASSERT_TRUE(tovo_test::read_file(desktop("shot.gif"), &second));
  EXPECT_NE(first, second);
  EXPECT_FALSE(tovo_test::file_exists(desktop("shot_0.gif")));
  ASSERT_EQ(save_png_screenshot(frame, 1, 0), 0);
  EXPECT_TRUE(tovo_test::file_exists(desktop("shot.png")));
}

TEST_F(record_fixture, CartFileNamesThatCouldEscapeAreRefused) {
  record_video_frame(frame);
  for (const char* name : {"%d%s%n", "../../evil", "/tmp/x", "a/b", "tab\there"}) {
    snprintf(run_state().set_filename, sizeof run_state().set_filename, "%s", name);
    EXPECT_EQ(save_gif(1, 0), 1) << name;
    EXPECT_EQ(save_png_screenshot(frame, 1, 0), 1) << name;
  }
  EXPECT_FALSE(tovo_test::file_exists(home.path() + "/evil.gif"));
  EXPECT_TRUE(tovo_output_name_allowed("my shot-2_b"));
}

TEST_F(record_fixture, OutputFolderDestination) {
  record_video_frame(frame);
  ASSERT_EQ(save_gif(1, 1), 0);
  char path[TARQ_PATH_MAX];
  ASSERT_EQ(prefix_with_file_output_path("TOVO_0.gif", path), 0);
  EXPECT_NE(std::string(path).find("/appdata/TOVO/TOVO_0.gif"), std::string::npos);
  EXPECT_TRUE(tovo_test::file_exists(path));
  EXPECT_FALSE(tovo_test::file_exists(desktop("TOVO_0.gif")));
}

TEST_F(record_fixture, ScreenshotScaleAndColours) {
  const int cases[][3] = {{0, 3, 3}, {0, 0, 1}, {0, -2, 1}, {0, 40, 32}, {5, 3, 5}, {40, 3, 32}, {-1, 2, 2}};
  for (auto& c : cases) {
    app.screenshot_scale = c[1];
    EXPECT_EQ(tovo_screenshot_scale(c[0]), c[2]) << c[0] << " " << c[1];
  }
  fill(0);
  frame->pixels[0] = 5;
  ASSERT_EQ(save_png_screenshot(frame, 2, 0), 0);
  tarq_bitmap* png = tarq_load_png(desktop("TOVO_0.png").c_str());
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->width, 256);
  EXPECT_EQ(png->height, 256);
  auto rgb = [&](int x, int y) { return tarq_getpixel(png, x, y) & 0xFFFFFF; };
  EXPECT_EQ(rgb(1, 1), (5u << 16) | (250u << 8) | 35u);
  EXPECT_EQ(rgb(2, 0), (16u << 16) | (239u << 8) | 112u);  // colour 0 is written as 16
  tarq_destroy_bitmap(png);
}

TEST_F(record_fixture, LabelIsACopyOfTheScreen) {
  tarq_bitmap* old_frame = shell.video_frame;
  tovo_cart* old_cart = pitem(0);
  shell.video_frame = frame;
  pitem(0) = tarq_create_tovo_cart();
  fill(11);
  EXPECT_EQ(set_cart_label(), 0);
  ASSERT_NE(pitem(0)->label, nullptr);
  EXPECT_NE(pitem(0)->label, frame);
  EXPECT_EQ(pitem(0)->label->rows[127][127], 11);
  fill(2);
  EXPECT_EQ(pitem(0)->label->rows[0][0], 11) << "the label keeps its own pixels";
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = old_cart;
  shell.video_frame = old_frame;
}

TEST_F(record_fixture, ProgramControlCallsReachTheClip) {
  tarq_bitmap* old_frame = shell.video_frame;
  shell.video_frame = frame;
  fill(4);
  EXPECT_EQ(tovo_shell().save_video(1, 0), TOVO_GIF_NO_FRAMES);
  for (int i = 0; i < 45; i++) tovo_shell().record_video_frame();
  EXPECT_EQ(video_clip.index, 45);
  EXPECT_EQ(tovo_shell().gif_seconds(), 2);
  EXPECT_EQ(tovo_shell().save_video(1, 0), 0);
  EXPECT_TRUE(tovo_test::file_exists(desktop("TOVO_0.gif")));
  EXPECT_EQ(tovo_shell().save_screenshot(1, 0), 0);
  EXPECT_TRUE(tovo_test::file_exists(desktop("TOVO_0.png")));
  run_state().record_every_flip = 1;
  tovo_shell().reset_video();
  EXPECT_EQ(video_clip.index, 0);
  EXPECT_EQ(run_state().record_every_flip, 0);
  shell.video_frame = old_frame;
}

TEST(gif_alloc, RegistryIsBoundedAndFreedTogether) {
  std::vector<void*> got;
  for (int i = 0; i < TOVO_GIF_BLOCKS; i++) got.push_back(gif_malloc(4));
  for (void* p : got) ASSERT_NE(p, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(got[7])[3], 0);
  EXPECT_EQ(gif_malloc(4), nullptr);
  EXPECT_EQ(gif_block_count(), TOVO_GIF_BLOCKS);
  gif_free_all();
  EXPECT_EQ(gif_block_count(), 0);
  void* p = gif_calloc(0);
  EXPECT_NE(p, nullptr);
  gif_free_all();
}

}  // namespace
