// The application hooks that the engine's main loop runs.
#include "player/app.h"
#include "player/frame.h"
#include "player/shell_init.h"

const tarq_application tovo_application = {tarq_main_init, tarq_main_update, tarq_main_draw, tarq_main_exit};

int tarq_main_init(int argc, char** argv) { return tovo_shell_init(argc, argv); }

int tarq_main_update() {
  tovo_frame_update();
  return 0;
}

int tarq_main_draw() {
  tovo_frame_draw();
  return 0;
}

int tarq_main_exit() { return tovo_shell_exit(); }
