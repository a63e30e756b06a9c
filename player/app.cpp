// The application hooks that the engine calls by name.
#include "engine/services.h"
#include "player/frame.h"
#include "player/shell_init.h"

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
