#pragma once
// The CPU-cycle budget: process-wide counters shared by every interpreter
// state. The instruction loop charges each instruction and suspends the
// running coroutine once the slice's count passes the budget.
#include <cstdint>

extern int32_t cpu_cycles_slice;
extern int32_t cpu_cycles_frame;
extern int32_t cpu_cycles_slice_max;
extern int32_t cpu_superyield;
extern int32_t cpu_superyielded_coresume;

constexpr int32_t TOVO_SUPERYIELD_REQUEST = 0x40000000;

void lua_cpu_prepare_for_slice();
int lua_cpu_prepare_for_resume(int x);
int lua_get_cpu_cycles();
void lua_add_cpu_cycles(int n);
int lua_reset_cpu_cycles(int x = 0);
void lua_set_cpu_cycles_slice_max(int n);
int lua_cpu_superyield(int x = 0);
int lua_get_cpu_superyielded_coresume();
void lua_set_cpu_superyielded_coresume(int v);
