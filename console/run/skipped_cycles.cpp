// The run loop's count of cycles spent in skipped frames.
#include "console/run/skipped_cycles.h"

#include "console/run/run_record.h"
#include "console/run/run_state.h"

void tovo_register_cycles_spent_in_skipped_frames(int32_t n) {
  constexpr int32_t MAX = 0x8840000;
  if (n < 0) return;
  long long total = static_cast<long long>(run_state().skipped_cycles) + n;
  run_state().skipped_cycles = total > MAX ? MAX : static_cast<int32_t>(total);
}
