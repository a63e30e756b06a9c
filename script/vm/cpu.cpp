// The CPU-cycle counters and their plain accessors.
#include "script/vm/cpu.h"

int32_t cpu_cycles_slice = 0;
int32_t cpu_cycles_frame = 0;
int32_t cpu_cycles_slice_max = 139810;
int32_t cpu_superyield = 0;
int32_t cpu_superyielded_coresume = 0;

namespace {

// Counter additions saturate at the ends of the 32-bit range.
int32_t sat_add(int32_t a, int32_t b) {
  int32_t r;
  if (!__builtin_add_overflow(a, b, &r)) return r;
  return b > 0 ? INT32_MAX : INT32_MIN;
}

}  // namespace

void lua_cpu_prepare_for_slice() {
  cpu_cycles_frame = sat_add(cpu_cycles_frame, cpu_cycles_slice);
  cpu_cycles_slice = 0;
}

int lua_cpu_prepare_for_resume(int x) {
  cpu_superyield = 0;
  return x;
}

int lua_get_cpu_cycles() { return sat_add(cpu_cycles_frame, cpu_cycles_slice); }

void lua_add_cpu_cycles(int n) { cpu_cycles_slice = sat_add(cpu_cycles_slice, n); }

int lua_reset_cpu_cycles(int x) {
  cpu_cycles_frame = 0;
  cpu_cycles_slice = 0;
  return x;
}

void lua_set_cpu_cycles_slice_max(int n) { cpu_cycles_slice_max = n; }

int lua_cpu_superyield(int x) {
  cpu_superyield = TOVO_SUPERYIELD_REQUEST;
  cpu_superyielded_coresume = 1;
  return x;
}

int lua_get_cpu_superyielded_coresume() { return cpu_superyielded_coresume; }

void lua_set_cpu_superyielded_coresume(int v) { cpu_superyielded_coresume = v; }
