#include "console/run/spend_cpu.h"

#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "script/vm/cpu.h"

namespace {

void charge(lua_State* L, int c) {
  run_state().spend_counter =
      static_cast<int32_t>(static_cast<uint32_t>(run_state().spend_counter) + static_cast<uint32_t>(c));
  if (L) lua_add_cpu_cycles(L, c);
}

// 2n in 64 bits, held at the largest count: a huge charge ends the slice.
int doubled(int n) {
  long long c = (n < 1 ? 1LL : static_cast<long long>(n)) * 2;
  return c > 0x3fffffff ? 0x3fffffff : static_cast<int>(c);
}

}  // namespace

void spend_cpu(int n) { script_spend_cpu(L0(), n); }

void script_spend_cpu(lua_State* L, int n) {
  if (n < 0) return;
  charge(L, doubled(n));
}

void spend_cpu_8MHz(int n) {
  if (n < 0) return;
  charge(L0(), n < 1 ? 1 : n);
}

int32_t tovo_program_cycles() { return L0() ? lua_get_cpu_cycles(L0()) : 0; }
