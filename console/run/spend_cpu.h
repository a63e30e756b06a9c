#pragma once
// The charge that bindings make for their work (and the interpreter, as its
// host's service): n < 0 charges nothing; otherwise max(n, 1) * 2 cycles go
// to the spend counter of the frame and to the slice counter of the
// interpreter state in use (L0; the spend counter alone while there is none).
#include <cstdint>

struct lua_State;

void spend_cpu(int n);

// The same without doubling.
void spend_cpu_8MHz(int n);

// The same as spend_cpu, charged to L's state: the host's service.
void script_spend_cpu(lua_State* L, int n);

// The cycles the state in use has counted in the current frame (0 while
// there is none).
int32_t tovo_program_cycles();
