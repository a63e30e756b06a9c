#pragma once
// The CPU-cycle budget of a state: counters kept in the state's global
// record, shared by every thread of it, so that the budget of a slice and a
// superyield cover the coroutines the program resumes. The instruction loop
// charges each instruction and suspends the running coroutine once the
// slice's count passes the budget. Each state has its own counters.
#include <cstdint>

struct lua_State;

struct lua_cpu_counters {
  int32_t cpu_cycles_slice;           // cycles charged in the current slice
  int32_t cpu_cycles_frame;           // cycles of the earlier slices of the frame
  int32_t cpu_cycles_slice_max;       // the slice is over once the count passes it
  int32_t cpu_superyield;             // 0, or TOVO_SUPERYIELD_REQUEST
  int32_t cpu_superyielded_coresume;  // set by every forced suspension and request
};

constexpr int32_t TOVO_SUPERYIELD_REQUEST = 0x40000000;
constexpr int32_t TOVO_DEFAULT_SLICE_MAX = 139810;  // 8388608 cycles a second / 60

// The counters of L's state, which code may read and write directly (a
// binding that refunds cycles lowers cpu_cycles_slice).
lua_cpu_counters& lua_cpu(lua_State* L);

void lua_cpu_prepare_for_slice(lua_State* L);
int lua_cpu_prepare_for_resume(lua_State* L, int x);
int lua_get_cpu_cycles(lua_State* L);
void lua_add_cpu_cycles(lua_State* L, int n);
int lua_reset_cpu_cycles(lua_State* L, int x = 0);
void lua_set_cpu_cycles_slice_max(lua_State* L, int n);
int lua_cpu_superyield(lua_State* L, int x = 0);
int lua_get_cpu_superyielded_coresume(lua_State* L);
void lua_set_cpu_superyielded_coresume(lua_State* L, int v);
