// The CPU-cycle counters of a state and their plain accessors.
#include "script/vm/cpu.h"

#include "script/vm/state.h"

namespace {

// Counter additions saturate at the ends of the 32-bit range.
int32_t sat_add(int32_t a, int32_t b) {
  int32_t r;
  if (!__builtin_add_overflow(a, b, &r)) return r;
  return b > 0 ? INT32_MAX : INT32_MIN;
}

}  // namespace

lua_cpu_counters& lua_cpu(lua_State* L) { return G(L)->cpu; }

void lua_cpu_prepare_for_slice(lua_State* L) {
  lua_cpu_counters& c = G(L)->cpu;
  c.cpu_cycles_frame = sat_add(c.cpu_cycles_frame, c.cpu_cycles_slice);
  c.cpu_cycles_slice = 0;
}

int lua_cpu_prepare_for_resume(lua_State* L, int x) {
  G(L)->cpu.cpu_superyield = 0;
  return x;
}

int lua_get_cpu_cycles(lua_State* L) {
  const lua_cpu_counters& c = G(L)->cpu;
  return sat_add(c.cpu_cycles_frame, c.cpu_cycles_slice);
}

void lua_add_cpu_cycles(lua_State* L, int n) {
  lua_cpu_counters& c = G(L)->cpu;
  c.cpu_cycles_slice = sat_add(c.cpu_cycles_slice, n);
}

int lua_reset_cpu_cycles(lua_State* L, int x) {
  lua_cpu_counters& c = G(L)->cpu;
  c.cpu_cycles_frame = 0;
  c.cpu_cycles_slice = 0;
  return x;
}

void lua_set_cpu_cycles_slice_max(lua_State* L, int n) { G(L)->cpu.cpu_cycles_slice_max = n; }

int lua_cpu_superyield(lua_State* L, int x) {
  lua_cpu_counters& c = G(L)->cpu;
  c.cpu_superyield = TOVO_SUPERYIELD_REQUEST;
  c.cpu_superyielded_coresume = 1;
  return x;
}

int lua_get_cpu_superyielded_coresume(lua_State* L) { return G(L)->cpu.cpu_superyielded_coresume; }

void lua_set_cpu_superyielded_coresume(lua_State* L, int v) { G(L)->cpu.cpu_superyielded_coresume = v; }
