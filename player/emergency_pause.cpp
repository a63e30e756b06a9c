#include "player/emergency_pause.h"

#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_state.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"

tovo_emergency_pause emergency_pause;

namespace {

constexpr int32_t PAUSE_BUTTON = 6;

}  // namespace

void update_emergency_paused_menu() {
  tovo_emergency_pause& e = emergency_pause;
  if (!pstate().held[0][PAUSE_BUTTON]) {
    e.held_ticks = 0;
    return;
  }
  int32_t now = tovo_clock();
  if (e.held_ticks++ == 0) e.held_since = now;
  if (e.held_ticks <= TOVO_EMERGENCY_TICKS || now - e.held_since <= TOVO_EMERGENCY_MS) return;
  e.held_ticks = 0;
  if (app.pause_state != TOVO_PAUSE_CLOSED) return;
  app.pause_state = TOVO_PAUSE_MENU;
  build_paused_menu();
  pause_menu.selected = 0;
  block_buttons();  // the held button does not act on the menu it opened
}
