// The run loop's count of cycles spent in skipped frames, and the
// interpreter thread in use.
#include "console/run/run_queries.h"

#include "console/run/run_record.h"
#include "console/run/run_state.h"

void tovo_register_cycles_spent_in_skipped_frames(int32_t n) {
  constexpr int32_t MAX = 0x8840000;
  if (n < 0) return;
  long long total = static_cast<long long>(run_state().skipped_cycles) + n;
  run_state().skipped_cycles = total > MAX ? MAX : static_cast<int32_t>(total);
}

// The interpreter thread in use.
lua_State* get_current_L0() { return L0(); }
void set_lua_thread(int which) { L0() = which == 1 ? L0_command() : L0_cart(); }
