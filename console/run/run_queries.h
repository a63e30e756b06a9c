#pragma once
// The run loop's record as nothing in the player reaches it: counting the
// cycles of frames the host skipped (the player skips no frames this way),
// and reading and choosing the interpreter thread in use (L0()).
#include <cstdint>

struct lua_State;

// Adds n (n >= 0) to the run loop's skipped-cycle counter, clamped to 0x8840000.
void tovo_register_cycles_spent_in_skipped_frames(int32_t n);

lua_State* get_current_L0();
void set_lua_thread(int which);  // 1 the command thread, 0 the cart state
