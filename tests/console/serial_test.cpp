// Serial channels: GPIO packets and their delivery, the 0xff byte counter,
// loop-back, dropped files and images with their charges, parameters, and
// the audio channel's buffer and mix.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "console/machine/address_space.h"
#include "console/machine/gpio.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/serial.h"
#include "console/machine/serial_tools.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/tarq.h"
#include "script/vm/cpu.h"
#include "sound/sound.h"
#include "tests/console/mem_fixture.h"
#include "tests/console/state_in_use.h"
#include "tests/support/fake_shell.h"

namespace {

constexpr int32_t SRC = 0x8000;  // user memory

class SerialTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    install_fake_shell();
    serial_free_buffers();
    drain_flush();
    tarq_set_audio_pause(0);
    cconfig.sound_volume = 256;
  }
  void TearDown() override {
    serial_free_buffers();
    MachineTest::TearDown();
  }

  // Lets the consumer side take a flush (the mixer does it on its next run).
  static void drain_flush() {
    serial_init_runtime();
    mix_serial_sound_buffer(nullptr, 0, 0);
  }
  void put(int32_t at, std::vector<uint8_t> bytes) {
    for (size_t i = 0; i < bytes.size(); i++) poke(at + static_cast<int32_t>(i), bytes[i]);
  }
  static int32_t gpio(int32_t ch) { return pstate().ram[0x5f80 + ch]; }
};

TEST_F(SerialTest, WritesToOneChannelExtendOnePacket) {
  put(SRC, {0xab, 0x0c, 0xde, 0x0f});
  EXPECT_EQ(write_to_serial_channel(3, SRC, 12), 12);
  EXPECT_EQ(write_to_serial_channel(3, SRC + 2, 12), 12);
  serial_end_frame();
  // Bits: ab, then 0xc of 0x0c, then de and 0xf: bytes ab, ec, fd.
  EXPECT_EQ(gpio(3), 0xfd);
}

TEST_F(SerialTest, AlternatingChannelsMakeSeparatePackets) {
  put(SRC, {0x11, 0x22, 0x33});
  write_to_serial_channel(3, SRC, 8);
  write_to_serial_channel(4, SRC + 1, 8);
  write_to_serial_channel(3, SRC + 2, 8);
  serial_end_frame();
  EXPECT_EQ(gpio(3), 0x33);
  EXPECT_EQ(gpio(4), 0x22);
}

TEST_F(SerialTest, ChannelFFCountsBytesOnly) {
  put(SRC, {0x77});
  EXPECT_EQ(write_to_serial_channel(0xff, SRC, 8 * 300), 8 * 300);
  write_to_serial_channel(0xff, SRC, 8);
  write_to_serial_channel(5, SRC, 8);
  serial_end_frame();
  EXPECT_EQ(gpio(0xff), 0);
  EXPECT_EQ(gpio(5), 0x77);
}

TEST_F(SerialTest, ChannelsOutsideTheTableAndEmptyWritesDoNothing) {
  EXPECT_EQ(write_to_serial_channel(4096, SRC, 8), 0);
  EXPECT_EQ(write_to_serial_channel(-1, SRC, 8), 0);
  EXPECT_EQ(write_to_serial_channel(3, SRC, 0), 0);
  EXPECT_EQ(tovo_serial_channel_record(4096), nullptr);
  set_serial_parameters(5000, "freq:1");
  EXPECT_EQ(write_to_serial_channel(0x900, SRC, 8), 0);  // a channel with no use
  EXPECT_EQ(tovo_serial_channel_record(0x900)->used, 1);
}

TEST_F(SerialTest, LongPacketsAreSplitSoTheWalkStaysInStep) {
  for (int32_t i = 0; i < 9000; i++) pstate().ram[SRC + i] = static_cast<uint8_t>(i * 7);
  pstate().ram[0x9fff] = 0x5a;
  // 72000 bits does not fit a 16-bit count field.
  EXPECT_EQ(write_to_serial_channel(6, SRC, 72000), 72000);
  write_to_serial_channel(7, 0x9fff, 8);
  serial_end_frame();
  EXPECT_EQ(gpio(6), static_cast<uint8_t>(8999 * 7));
  EXPECT_EQ(gpio(7), 0x5a);
}

TEST_F(SerialTest, OverflowIsReportedAndLaterPacketsStillArrive) {
  int32_t written = 0;
  for (int i = 0; i < 40; i++) written += write_to_serial_channel(i & 1, SRC, 8 * 8192) > 0;
  EXPECT_LT(written, 40);
  EXPECT_STREQ(fake_shell.message, "serial buffer overflow");
  EXPECT_EQ(fake_shell.message_ms, 1000);
  pstate().ram[SRC] = 0x42;
  write_to_serial_channel(9, SRC, 8);
  serial_end_frame();
  EXPECT_EQ(gpio(9), 0x42);
  // The next frame starts empty.
  EXPECT_EQ(write_to_serial_channel(1, SRC, 8 * 8192), 8 * 8192);
}

TEST_F(SerialTest, LoopBackLeavesMemoryAsItWas) {
  put(SRC, {1, 2, 3});
  EXPECT_EQ(write_to_serial_channel(0x100, SRC, 20), 20);
  EXPECT_EQ(write_to_serial_channel(0x101, 0, 8 * 70000), 8 * 70000);
  EXPECT_EQ(pstate().ram[SRC + 2], 3);
}

TEST_F(SerialTest, DroppedFileReadsAndCharges) {
  StateInUse state;
  lua_State* L = state.L;
  const uint8_t data[] = {9, 8, 7, 6, 5};
  serial_set_dropped_file(data, 5);
  EXPECT_EQ(get_serial_file_remaining(), 5);
  int32_t before = lua_get_cpu_cycles(L);
  EXPECT_EQ(write_to_serial_channel(0x800, SRC, 16), 16);
  EXPECT_EQ(lua_get_cpu_cycles(L) - before, 2 * 8 * 16);
  EXPECT_EQ(pstate().ram[SRC + 1], 8);
  before = lua_get_cpu_cycles(L);
  EXPECT_EQ(write_to_serial_channel(0x800, SRC, 40), 24);  // 5 asked, 3 left
  EXPECT_EQ(lua_get_cpu_cycles(L) - before, 2 * 64 * 3);
  EXPECT_EQ(pstate().ram[SRC + 2], 5);
  EXPECT_EQ(write_to_serial_channel(0x800, SRC, 8), 0);
  EXPECT_EQ(write_to_serial_channel(0x800, SRC, 4), 4);  // under a byte: charged, nothing read
  serial_set_dropped_file(data, 5);
  reset_serial_file_buffers();
  EXPECT_EQ(get_serial_file_remaining(), 0);
}

TEST_F(SerialTest, DroppedImageHasItsSizeFirst) {
  tarq_bitmap* image = tarq_create_bitmap(300, 2, 8);
  ASSERT_NE(image, nullptr);
  image->rows[1][299] = 12;
  serial_set_dropped_image_file(image);
  EXPECT_EQ(get_serial_image_file_remaining(), 4 + 600);
  EXPECT_EQ(write_to_serial_channel(0x802, SRC, 8 * 604), 8 * 604);
  EXPECT_EQ(pstate().ram[SRC], 300 & 0xff);
  EXPECT_EQ(pstate().ram[SRC + 1], 1);
  EXPECT_EQ(pstate().ram[SRC + 2], 2);
  EXPECT_EQ(pstate().ram[SRC + 3], 0);
  EXPECT_EQ(pstate().ram[SRC + 603], 12);
  EXPECT_EQ(get_serial_image_file_remaining(), 0);
}

TEST_F(SerialTest, ParametersByWordsOrNumberUntilTheChannelIsUsed) {
  set_serial_parameters(2, "freq:400000 leds:30");
  const tovo_serial_channel* c = tovo_serial_channel_record(2);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->freq, 400000);
  EXPECT_EQ(c->leds, 30);
  EXPECT_EQ(c->dma, 10);
  set_serial_parameters(2, "1000");
  EXPECT_EQ(c->freq, 1000);
  set_serial_parameters(2, "  dma:3 bogus brightness:9");
  EXPECT_EQ(c->dma, 3);
  EXPECT_EQ(c->brightness, 55);  // a word without ':' ends the reading
  write_to_serial_channel(2, SRC, 8);
  set_serial_parameters(2, "freq:5");
  set_serial_parameters(2, "77");
  EXPECT_EQ(c->freq, 1000);
  serial_init_runtime();
  EXPECT_EQ(c->freq, 0);  // records are zeroed, defaults included
  EXPECT_EQ(c->used, 0);
}

TEST_F(SerialTest, AudioBufferKeeps2048BytesAndPlays256PerBuffer) {
  for (int32_t i = 0; i < 2100; i++) pstate().ram[SRC + i] = 128;
  EXPECT_EQ(write_to_serial_channel(0x808, SRC, 8 * 2100), 8 * 2100);
  EXPECT_EQ(serial_sound_buffer_pos(), 2048);
  std::vector<int16_t> out(1024, 0);
  mix_serial_sound_buffer(out.data(), 1024, 2048);
  EXPECT_EQ(serial_sound_buffer_pos(), 2048 - 256);
  drain_flush();
  EXPECT_EQ(serial_sound_buffer_pos(), 0);
  EXPECT_EQ(write_to_serial_channel(0x808, SRC, 8 * 10), 80);
  EXPECT_EQ(serial_sound_buffer_pos(), 10);
}

TEST_F(SerialTest, AudioSamplesSmoothedOrRawAndBentByTheKnee) {
  cconfig.sound_volume = 64;
  put(SRC, {255, 128});
  write_to_serial_channel(0x808, SRC, 16);
  std::vector<int16_t> out(8, 0);
  mix_serial_sound_buffer(out.data(), 8, 16);
  int32_t c = 127 * 64;
  EXPECT_EQ(out[0], c / 2);  // smoothed against the silent start
  EXPECT_EQ(out[1], c);
  EXPECT_EQ(out[4], c / 2);
  EXPECT_EQ(out[5], 0);

  cconfig.sound_volume = 256;
  c = 127 * 256;
  pstate().ram[0x5f36] = 0x20;  // raw samples
  put(SRC, {255});
  write_to_serial_channel(0x808, SRC, 8);
  std::vector<int16_t> loud(4, 32767);
  mix_serial_sound_buffer(loud.data(), 4, 8);
  int32_t t = 32767 + c;
  EXPECT_EQ(loud[0], (t - 0x6000) / 5 + 0x6000);

  put(SRC, {0});
  write_to_serial_channel(0x808, SRC, 8);
  std::vector<int16_t> low(4, -32768);
  mix_serial_sound_buffer(low.data(), 4, 8);
  EXPECT_EQ(low[0], -32768);
}

TEST_F(SerialTest, AudioPauseAndVolume) {
  put(SRC, {200});
  write_to_serial_channel(0x808, SRC, 8);
  tarq_set_audio_pause(1);
  std::vector<int16_t> out(4, 0);
  mix_serial_sound_buffer(out.data(), 4, 8);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(serial_sound_buffer_pos(), 1);
  tarq_set_audio_pause(0);
  cconfig.sound_volume = 999;  // clamped to 256
  mix_serial_sound_buffer(out.data(), 4, 8);
  EXPECT_EQ(out[1], 72 * 256);
}

// The frame's packets can also be dropped undelivered; later writes then
// start afresh and arrive.
TEST_F(SerialTest, FrameResetDropsThePackets) {
  put(SRC, {0x12, 0x34});
  write_to_serial_channel(3, SRC, 8);
  serial_reset_frame();
  serial_end_frame();
  EXPECT_EQ(gpio(3), 0);
  write_to_serial_channel(3, SRC + 1, 8);
  serial_end_frame();
  EXPECT_EQ(gpio(3), 0x34);
  serial_free_buffers();
  serial_reset_frame();  // before serial is used: nothing to drop
  EXPECT_EQ(tovo_serial_channel_record(3), nullptr);
}

TEST_F(SerialTest, MadeChannelsHaveTheDefaults) {
  const tovo_serial_channel* c = tovo_serial_make_channel(0x305);
  ASSERT_NE(c, nullptr);
  const tovo_serial_channel expected = {0x305, 3, 5, 10, 800000, 0x100800, 55, 0, 0, 0};
  EXPECT_EQ(std::memcmp(c, &expected, sizeof expected), 0);
  EXPECT_EQ(tovo_serial_make_channel(0x305), c);  // made once
  EXPECT_EQ(tovo_serial_channel_record(0x305), c);
  write_to_serial_channel(0x305, SRC, 8);  // a channel that does nothing is still used
  EXPECT_EQ(c->used, 1);
  EXPECT_EQ(tovo_serial_make_channel(-1), nullptr);
  EXPECT_EQ(tovo_serial_make_channel(4096), nullptr);
}

TEST_F(SerialTest, ChargeOfBitsIsEightCyclesEach) {
  StateInUse state;
  lua_State* L = state.L;
  int32_t before = lua_get_cpu_cycles(L);
  EXPECT_EQ(serial_charge_bits(12), 12);
  EXPECT_EQ(lua_get_cpu_cycles(L) - before, 2 * 8 * 12);  // spend_cpu counts double
}

// Adding one buffer into another bends each sum as the audio hook does.
TEST_F(SerialTest, MixDownAddsThroughTheKnee) {
  const struct {
    int16_t dst, src, out;
  } cases[] = {
      {100, -300, -200},           {0x5000, 0x0fff, 0x5fff},  // just below the knee
      {0x5000, 0x1005, 0x6001},                               // (0x6005 - 0x6000) / 5 + 0x6000
      {0x7fff, 0x7fff, 0x7fff},                               // full scale stays inside 16 bits
      {-0x7fff, -0x7fff, -0x7fff}, {-0x5000, -0x1005, -0x6001},
  };
  std::vector<int16_t> dst, src;
  for (const auto& c : cases) {
    dst.push_back(c.dst);
    src.push_back(c.src);
  }
  serial_mix_down(dst.data(), src.data(), static_cast<int32_t>(dst.size()));
  for (size_t i = 0; i < dst.size(); i++) EXPECT_EQ(dst[i], cases[i].out) << i;
}

// GPIO has no device: opening and closing it, and the run's exit step, leave
// the bytes and the channels as they are.
TEST_F(SerialTest, GpioOpenCloseAndRunExitChangeNothing) {
  gpio_write(5, 0x99);
  set_serial_parameters(7, "dma:3");
  gpio_open();
  serial_exit_runtime();
  gpio_close();
  EXPECT_EQ(gpio_read(5), 0x99);
  ASSERT_NE(tovo_serial_channel_record(7), nullptr);
  EXPECT_EQ(tovo_serial_channel_record(7)->dma, 3);
}

}  // namespace
