// The console PRNG.
#include "console/machine/machine_prng.h"

#include "console/machine/machine_record.h"
#include "console/run/spend_cpu.h"

namespace {

void prng_step() {
  uint32_t& kx_m_high = tovo_machine_record().kx_m_high;
  uint32_t& kx_m_low = tovo_machine_record().kx_m_low;
  kx_m_high = kx_m_low + ((kx_m_high >> 16) | (kx_m_high << 16));
  kx_m_low += kx_m_high;
}

}  // namespace

void tovo_srand(uint32_t seed) {
  tovo_machine& m = tovo_machine_record();
  if (seed != 0) {
    m.kx_m_high = seed ^ 0xbead29bau;
    m.kx_m_low = seed;
  } else {
    m.kx_m_high = 0x60009755u;
    m.kx_m_low = 0xdeadbeefu;
  }
  for (int i = 0; i < 32; i++) prng_step();
  spend_cpu(8);
}

uint32_t tovo_random(uint32_t n) {
  if (n == 0) return 0;
  prng_step();
  return tovo_machine_record().kx_m_high % n;
}

uint32_t get_rand_seed(int which) {
  const tovo_machine& m = tovo_machine_record();
  if (which == 0) return m.kx_m_high;
  if (which == 1) return m.kx_m_low;
  return 0;
}

void set_rand_seed(int which, uint32_t value) {
  tovo_machine& m = tovo_machine_record();
  if (which == 0) m.kx_m_high = value;
  else if (which == 1) m.kx_m_low = value;
}
