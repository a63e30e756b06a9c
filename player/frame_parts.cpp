// Single steps of the frame update.
#include "player/frame_parts.h"

#include "console/bindings/stat.h"
#include "console/machine/machine_record.h"
#include "console/machine/memory_map.h"
#include "console/machine/pstate.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "player/shell_state.h"
#include "sound/machine.h"
#include "sound/mixer/history.h"
#include "sound/sound.h"

namespace {

constexpr int32_t MOUSE_LOCK_BITS = TOVO_MOUSE_KEYBOARD_ON | TOVO_MOUSE_KEYBOARD_LOCK;
constexpr int32_t AUDIO_RESUME_STEPS = 4;

}  // namespace

bool should_be_pointer_locked() {
  return app.pause_state == 0 && shell.mode == TOVO_MODE_RUNNING &&
         (pstate().ram[TOVO_REG_MOUSE_KEYBOARD] & MOUSE_LOCK_BITS) == MOUSE_LOCK_BITS;
}

void update_audio_moment_cache() { tarq_take_mixer_snapshot(&stat_inputs().snapshot, tarq_get_time()); }

void process_devkit_mouse_activity() {
  int32_t x, y, b;
  tarq_get_mouse(&x, &y, &b);
  if (app.tick_mouse_read) {
    if (x != app.tick_mouse_x) stat_inputs().mouse_changes |= 1;
    if (y != app.tick_mouse_y) stat_inputs().mouse_changes |= 2;
    if (b != app.tick_mouse_b) stat_inputs().mouse_changes |= 4;
  }
  app.tick_mouse_x = x;
  app.tick_mouse_y = y;
  app.tick_mouse_b = b;
  app.tick_mouse_read = 1;
}

void determine_audio_pause_state() {
  int32_t request = pstate().ram[TOVO_REG_AUDIO_PAUSE];
  int32_t word = tarq_audio_pause();
  if (app.pause_state != 0 || app.menu_event != 0) {
    if (request != TOVO_AUDIO_PAUSE_NEVER) word = 1;
  } else if (request == TOVO_AUDIO_PAUSE_NOW) {
    word = 1;
  } else {
    word = word >= 1 && word <= AUDIO_RESUME_STEPS ? word + 1 : 0;
  }
  tarq_set_audio_pause(word);
}
