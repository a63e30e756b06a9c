#include "console/run/spend_cpu.h"

#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "script/vm/cpu.h"

namespace {

void charge(int c) {
  run_state().spend_counter =
      static_cast<int32_t>(static_cast<uint32_t>(run_state().spend_counter) + static_cast<uint32_t>(c));
  lua_add_cpu_cycles(c);
}

}  // namespace

void spend_cpu(int n) {
  if (n < 0) return;
  // 2n in 64 bits, held at the largest count: a huge charge ends the slice.
  long long c = (n < 1 ? 1LL : static_cast<long long>(n)) * 2;
  charge(c > 0x3fffffff ? 0x3fffffff : static_cast<int>(c));
}

void spend_cpu_8MHz(int n) {
  if (n < 0) return;
  charge(n < 1 ? 1 : n);
}
