// The splash picture before the boot sequence, and its tick.
#include "player/splash.h"

#include "console/machine/button.h"
#include "engine/platform/events.h"
#include "player/boot.h"

namespace {

constexpr int32_t SPLASH_BUTTONS = 7;  // buttons 0-6 of player 0

}  // namespace

int32_t load_splash_bmp() { return 0; }

void move_splash() {
  bool restart = tarq_get_any_key_down() != 0;
  for (int32_t b = 0; b < SPLASH_BUTTONS && !restart; b++) restart = button_pressed(b, 0) != 0;
  if (restart) boot_init();
}
