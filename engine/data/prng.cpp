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
uint32_t tarq_rand() { return tarq_prng_step(&tarq_prng_shared); }
uint32_t tarq_random(uint32_t n) { return tarq_prng_random(&tarq_prng_shared, n); }

void tarq_random_save() {
  tarq_prng_shared.low_backup = tarq_prng_shared.low;
  tarq_prng_shared.high_backup = tarq_prng_shared.high;
}

void tarq_random_restore() {
  tarq_prng_shared.low = tarq_prng_shared.low_backup;
  tarq_prng_shared.high = tarq_prng_shared.high_backup;
}

void tarq_random_get_seeds(uint32_t* high, uint32_t* low) {
  *high = tarq_prng_shared.high;
  *low = tarq_prng_shared.low;
}

void tarq_random_set_seeds(uint32_t high, uint32_t low) {
  tarq_prng_shared.high = high;
  tarq_prng_shared.low = low;
}
