// The shared generator's raw step, its save slot and its seed words.
#include "engine/data/prng_state.h"

#include "engine/data/prng.h"

uint32_t tarq_rand() { return tarq_prng_step(&tarq_prng_shared); }

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
