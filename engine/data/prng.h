#pragma once
// The engine's two-word pseudo-random generator with one save slot.
// One shared instance serves the main thread (`tarq_srand`, `tarq_random`, ...);
// a thread that needs its own sequence (the sound mixer) keeps its own
// `tarq_prng` and steps it with the `tarq_prng_` operations.
#include <cstdint>

struct tarq_prng {
  uint32_t low, high;
  uint32_t low_backup, high_backup;
};

constexpr uint32_t TARQ_PRNG_INITIAL_LOW = 0x01234567;
constexpr uint32_t TARQ_PRNG_INITIAL_HIGH = 0xDEADBEEF;

void tarq_prng_seed(tarq_prng* p, uint32_t seed);
uint32_t tarq_prng_step(tarq_prng* p);
uint32_t tarq_prng_random(tarq_prng* p, uint32_t n);

// The shared generator.
extern tarq_prng tarq_prng_shared;

void tarq_srand(uint32_t seed);
uint32_t tarq_random(uint32_t n);
