// The console PRNG: seeding, repeatability and the seed registers.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "console/machine/machine_prng.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"

namespace {

std::vector<uint32_t> draws(uint32_t seed, uint32_t n, int count) {
  tovo_srand(seed);
  std::vector<uint32_t> out;
  for (int i = 0; i < count; i++) out.push_back(tovo_random(n));
  return out;
}

TEST(Prng, SeedingFollowsTheStepRule) {
  // An independent model of the generator.
  uint32_t hi = 0x60009755u, lo = 0xdeadbeefu;
  auto step = [&] {
    hi = lo + (hi >> 16 | hi << 16);
    lo += hi;
  };
  for (int i = 0; i < 32; i++) step();
  tovo_srand(0);
  EXPECT_EQ(get_rand_seed(0), hi);
  EXPECT_EQ(get_rand_seed(1), lo);
  step();
  EXPECT_EQ(tovo_random(0xffffffffu), hi % 0xffffffffu);

  hi = 1234u ^ 0xbead29bau;
  lo = 1234u;
  for (int i = 0; i < 32; i++) step();
  tovo_srand(1234);
  EXPECT_EQ(get_rand_seed(0), hi);
  EXPECT_EQ(get_rand_seed(1), lo);
}

// The draws an independent model of seeding and stepping gives.
std::vector<uint32_t> model_draws(uint32_t seed, uint32_t n, int count) {
  uint32_t hi = seed ? seed ^ 0xbead29bau : 0x60009755u, lo = seed ? seed : 0xdeadbeefu;
  auto step = [&] {
    hi = lo + (hi >> 16 | hi << 16);
    lo += hi;
  };
  for (int i = 0; i < 32; i++) step();
  std::vector<uint32_t> out;
  for (int i = 0; i < count; i++) {
    step();
    out.push_back(hi % n);
  }
  return out;
}

TEST(Prng, SeededSequencesFollowTheModelAndStayInRange) {
  const struct { uint32_t seed, n; } cases[] = {{0, 1000}, {0x10000, 0x10000}, {7, 3}, {0xffffffffu, 1u << 31}};
  for (const auto& c : cases) {
    EXPECT_EQ(draws(c.seed, c.n, 50), model_draws(c.seed, c.n, 50)) << c.seed << " " << c.n;
  }
  EXPECT_NE(draws(1, 1u << 31, 8), draws(2, 1u << 31, 8));
  for (uint32_t v : draws(99, 7, 200)) EXPECT_LT(v, 7u);
}

TEST(Prng, ZeroRangeTakesNoStepAndSeedRegisters) {
  tovo_srand(5);
  uint32_t hi = get_rand_seed(0), lo = get_rand_seed(1);
  EXPECT_EQ(tovo_random(0), 0u);
  EXPECT_EQ(get_rand_seed(0), hi);
  EXPECT_EQ(get_rand_seed(1), lo);
  set_rand_seed(0, 11);
  set_rand_seed(1, 22);
  set_rand_seed(2, 33);
  EXPECT_EQ(get_rand_seed(0), 11u);
  EXPECT_EQ(get_rand_seed(1), 22u);
  EXPECT_EQ(get_rand_seed(2), 0u);
  int before = run_state().spend_counter;
  tovo_srand(7);
  EXPECT_EQ(run_state().spend_counter - before, 16);
}

}  // namespace
