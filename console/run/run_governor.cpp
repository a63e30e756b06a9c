// CPU counters and the frame-rate governor.
#include <cstdint>

#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"
#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "script/vm/cpu.h"

namespace {

constexpr int32_t FALLBACK_BUDGET = 279620;
constexpr int32_t NO_COST = 0x100000;
constexpr int32_t RAISE_COST = 0xfc00;
constexpr int32_t SPARE_COST = 0xf800;
constexpr int32_t DROP_WINDOW_MS = 2000;
constexpr int32_t DROP_PENALTY_MAX = 5;
constexpr int32_t HOST_LOAD_MAX = 16;

enum { CODE_SPARE = 2, CODE_DROP = 8, CODE_HALVE = 9, CODE_DROP_AGAIN = 10, CODE_RAISE = 11 };

int32_t frame_budget() { return run_state().target_fps > 0 ? TOVO_CPU_HZ / run_state().target_fps : FALLBACK_BUDGET; }

}  // namespace

int32_t get_cpu_cycles_since_flip(int which) { return which == 0 ? tovo_program_cycles() : run_state().spend_counter; }

int32_t cycles_2_frame_capacity(int32_t cycles) {
  long long q = static_cast<long long>(cycles) * 65536 / frame_budget();
  return q > INT32_MAX ? INT32_MAX : q < INT32_MIN ? INT32_MIN : static_cast<int32_t>(q);
}

void tovo_govern_frame_rate(int32_t fps, int32_t now, int32_t active, int32_t sleep_ms) {
  tovo_run_state& r = run_state();
  for (int i = 0; i + 1 < TOVO_FPS_HISTORY; i++) r.fps_history[i] = r.fps_history[i + 1];
  r.fps_history[TOVO_FPS_HISTORY - 1] = fps;
  long long sum = 0;
  int counted = 0;
  for (int32_t f : r.fps_history) {
    sum += f;
    counted += f != 0;
  }
  long long average = sum / (counted ? counted : 1);

  int32_t e = NO_COST;
  if (r.mark_cycles[2] > r.mark_cycles[0]) {
    int32_t cost = cycles_2_frame_capacity(r.mark_cycles[2] - r.mark_cycles[0]);
    e = cost;
    if (r.last_cost != 0 && r.last_cost > e) e = r.last_cost;
    r.previous_cost = r.last_cost;
    r.last_cost = cost;
  }
  long long host = 0;
  if (r.mark_time[0] <= r.mark_time[2])
    host = static_cast<long long>(sleep_ms) + r.drop_penalty +
           (static_cast<long long>(r.mark_time[2]) - r.mark_time[0]) + (r.host_draw_ms > 0 ? r.host_draw_ms : 0);
  if (r.host_framerate_control == 0) {
    average = 10000;
    host = 0;
  }

  int32_t code = 0;
  if (r.halve_request && r.current_fps == r.target_fps) {
    r.current_fps /= 2;
    code = CODE_HALVE;
    r.halve_request = 0;
  } else {
    r.halve_request = 0;
    if (r.current_fps == 60 && r.target_fps == 60 && average < 60) {
      r.current_fps = 30;
      code = CODE_DROP;
      if (active && static_cast<int64_t>(now) - r.drop_time < DROP_WINDOW_MS) {
        if (r.drop_penalty < DROP_PENALTY_MAX) r.drop_penalty++;
        code = CODE_DROP_AGAIN;
      }
      r.drop_time = now;
    } else if (r.current_fps < r.target_fps) {
      if (average >= r.target_fps && (r.target_fps == 30 || host <= HOST_LOAD_MAX)) {
        if (e < RAISE_COST) {
          r.current_fps = r.target_fps;
          code = CODE_RAISE;
        }
      } else if (e < SPARE_COST) {
        code = CODE_SPARE;
      }
    }
  }
  r.perf[r.perf_index][TOVO_PERF_CODE] = code;
}

void update_frame_rate() {
  int32_t active = tarq_system_is_active();
  int32_t sleep_ms = active ? cconfig.foreground_sleep_ms : cconfig.background_sleep_ms;
  tovo_govern_frame_rate(tarq_get_fps(), tovo_clock(), active, sleep_ms);
}
