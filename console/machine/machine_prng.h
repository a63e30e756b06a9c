#pragma once
// The console PRNG: two 32-bit words of state, also visible to carts as the
// registers TOVO_REG_PRNG_HIGH and TOVO_REG_PRNG_LOW.
#include <cstdint>

// Seeds with a raw 32-bit word (0 selects a fixed pair) and runs 32 steps.
void tovo_srand(uint32_t seed);
// One step, then the high word modulo n (unsigned); n = 0 gives 0, no step.
uint32_t tovo_random(uint32_t n);
// which 0 is the high word, 1 the low word; other values read 0, write nothing.
uint32_t get_rand_seed(int which);
void set_rand_seed(int which, uint32_t value);
