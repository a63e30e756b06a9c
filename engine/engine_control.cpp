// Controls of the engine the player never uses: restarting the program from
// its start-up hook, the console-only mode and pausing the mixer.
#include "engine/engine_control.h"

#include <atomic>

#include "engine/tarq.h"

// The mixer reads the word on the audio thread.
void tarq_set_paused(int flag) { std::atomic_ref<int32_t>(tarq_state.paused).store(flag, std::memory_order_relaxed); }

int tarq_console_program() {
  tarq_loop.tarq_console = 1;
  return 0;
}

int tarq_restart() {
  if (tarq_loop.tarq_inited) tarq_exit();
  if (tarq_loop.tarq_app.init) tarq_loop.tarq_app.init(tarq_loop.tarq_argc, tarq_loop.tarq_argv);
  return 0;
}
