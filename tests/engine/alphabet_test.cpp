#include <gtest/gtest.h>

#include "engine/data/alphabet.h"

TEST(EngineAlphabet, BothDirections) {
  EXPECT_EQ(tarq_int6_to_ascii(0), '.');
  EXPECT_EQ(tarq_int6_to_ascii(1), 'A');
  EXPECT_EQ(tarq_int6_to_ascii(27), '0');
  EXPECT_EQ(tarq_int6_to_ascii(32), '_');
  EXPECT_EQ(tarq_int6_to_ascii(33), 'a');
  EXPECT_EQ(tarq_int6_to_ascii(63), '9');
  EXPECT_EQ(tarq_int6_to_ascii(64), 0);
  EXPECT_EQ(tarq_int6_to_ascii(-1), 0);
  for (int v = 0; v < 64; v++) EXPECT_EQ(tarq_ascii_to_int6(tarq_int6_to_ascii(v)), v);
  EXPECT_EQ(tarq_ascii_to_int6('9'), 63);
  EXPECT_EQ(tarq_ascii_to_int6('#'), 0);
  EXPECT_EQ(tarq_ascii_to_int6(200), 0);
  EXPECT_EQ(tarq_ascii_to_int6(-5), 0);
}
