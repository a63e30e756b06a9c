#pragma once
// The player's and the console's process-wide records as they are before
// start-up, for the player's test fixtures: each fixture starts from this and
// sets only what it needs, so that no test depends on the ones run before it.
#include <cstring>

#include "console/bindings/stat.h"
#include "console/draw/extpal_glitch.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/cart/drop.h"
#include "player/hotkey.h"
#include "player/keyqueue.h"
#include "player/message.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"
#include "script/api/api.h"
#include "sound/sound.h"

namespace tovo_test {

// Zeroes the records and closes a cart's script state left behind (by the
// boot, for one); pstate()'s screens and carts must have been freed.
inline void reset_player_globals() {
  if (L0_cart()) lua_close(L0_cart());
  L0_cart() = L0_command() = L0() = nullptr;
  clear_code_tabs();
  code_tab_selected() = 0;
  std::memset(&pstate(), 0, sizeof pstate());
  std::memset(&run_state(), 0, sizeof run_state());
  std::memset(&app, 0, sizeof app);
  std::memset(&shell, 0, sizeof shell);
  std::memset(&disk_state, 0, sizeof disk_state);
  button_state() = {};
  for (int32_t& f : button_state().forced) f = -1;
  button_config() = {};
  pause_menu = {};
  hotkeys = {};
  stat_inputs() = {};
  message_bar = {};
  reset_extpal_glitch();
  tarq_keys_init();
  tarq_request_quit(0);
  tarq_state.paused = 0;
  tarq_set_audio_pause(0);
  reset_run_chain();
  tovo_key_queue_clear();
  clear_embedded_carts();
  forget_dropped_cart();
}

}  // namespace tovo_test
