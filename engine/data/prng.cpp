#include "engine/data/prng.h"

tarq_prng tarq_prng_shared = {TARQ_PRNG_INITIAL_LOW, TARQ_PRNG_INITIAL_HIGH, TARQ_PRNG_INITIAL_LOW,
                              TARQ_PRNG_INITIAL_HIGH};

void tarq_prng_seed(tarq_prng* p, uint32_t seed) {
  if (seed == 0) seed = 0xDEADBEEF;
  p->low = seed;
  p->high = seed ^ 0xBEAD29BAu;
}

uint32_t tarq_prng_step(tarq_prng* p) {
  p->high = ((p->high << 16) | (p->high >> 16)) + p->low;
  p->low += p->high;
  return p->high;
}

uint32_t tarq_prng_random(tarq_prng* p, uint32_t n) {
  if (n == 0) return 0;
  return tarq_prng_step(p) % n;
}

void tarq_srand(uint32_t seed) { tarq_prng_seed(&tarq_prng_shared, seed); }
uint32_t tarq_random(uint32_t n) { return tarq_prng_random(&tarq_prng_shared, n); }
