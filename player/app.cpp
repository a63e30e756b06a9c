// Stand-in application "tovo": it brings the engine up, says that the player
// is not built yet, runs a few frames (or until the window is closed) and
// shuts down.
#include <cstdio>

#include "engine/hooks.h"
#include "engine/tarq.h"
#include "sound/sound.h"

constexpr int TOVO_STANDIN_FRAMES = 30;

static int frames_run = 0;

int tarq_main_init(int, char**) {
  tarq_set_application_title("tovo");
  tarq_init();
  tarq_sound_init(22050, 1);
  printf("tovo: the player is not built yet; the engine started%s and will stop after %d frames\n",
         cconfig.headless ? " headless" : "", TOVO_STANDIN_FRAMES);
  fflush(stdout);
  frames_run = 0;
  return 0;
}

int tarq_main_update() {
  frames_run++;
  if (frames_run >= TOVO_STANDIN_FRAMES) tarq_quit = 1;
  return 0;
}

int tarq_main_draw() { return 0; }

int tarq_main_exit() {
  tarq_exit();
  return 0;
}
