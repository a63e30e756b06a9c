#pragma once
// Machine queries (stat): what the shell supplies besides the machine state.
#include <cstdint>

#include "sound/mixer/history.h"

struct tarq_datetime;

constexpr int TOVO_KEY_QUEUE = 256;

struct tovo_stat_inputs {
  tovo_mixer_snapshot snapshot;       // taken by the shell at each tick
  int32_t mouse_changes;              // bit 0 x moved, 1 y moved, 2 buttons; cleared by stat(37)
  uint8_t key_queue[TOVO_KEY_QUEUE];  // typed characters, filled by the shell
  int32_t key_queue_len;
  int32_t bbs_play;              // the shell's bulletin-board play flag
  int32_t devkit_message_shown;  // one devkit message a run
  int32_t shell_word;            // stat(122)
};

// True when the running cart has a bulletin-board id (run_state()'s running
// cart id) or the shell plays bulletin-board carts.
bool tovo_bbs_cart_running();
// The answer to stat(index, x) pushed on L (x: stack index of the second
// argument, 0 for none).
void tovo_push_stat(struct lua_State* L, int32_t index, int x);
