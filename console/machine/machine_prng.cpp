// The console PRNG.
#include "console/machine/machine_prng.h"

#include "console/run/spend_cpu.h"

uint32_t kx_m_high = 0;
uint32_t kx_m_low = 0;

namespace {

void prng_step() {
  kx_m_high = kx_m_low + ((kx_m_high >> 16) | (kx_m_high << 16));
  kx_m_low += kx_m_high;
}

}  // namespace

void tovo_srand(uint32_t seed) {
  if (seed != 0) {
    kx_m_high = seed ^ 0xbead29bau;
    kx_m_low = seed;
  } else {
    kx_m_high = 0x60009755u;
    kx_m_low = 0xdeadbeefu;
  }
  for (int i = 0; i < 32; i++) prng_step();
  spend_cpu(8);
}

uint32_t tovo_random(uint32_t n) {
  if (n == 0) return 0;
  prng_step();
  return kx_m_high % n;
}

uint32_t get_rand_seed(int which) {
  if (which == 0) return kx_m_high;
  if (which == 1) return kx_m_low;
  return 0;
}

void set_rand_seed(int which, uint32_t value) {
  if (which == 0) kx_m_high = value;
  else if (which == 1) kx_m_low = value;
}
