#pragma once
// A fixture for the boot sequence over the build's own data pod (beside the
// program, or beside $TOVO_BINARY): the shell's pods, a screen, the machine's
// cart and the working cart, all cleared again afterwards.
#include <gtest/gtest.h>

#include <cstdint>

struct tarq_bitmap;

struct boot_fixture : ::testing::Test {
  void SetUp() override;
  void TearDown() override;
  // Runs the boot a tick at a time until the tick counter reaches t.
  void tick_to(int32_t t);
  // Screen pixels of any colour but 0.
  int32_t lit_pixels() const;
  tarq_bitmap* screen = nullptr;
};
