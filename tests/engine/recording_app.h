#pragma once
// The application hooks of the engine test program: a stand-in application
// that follows a plan and records what the engine asked of it.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/tarq.h"

namespace recording_app {

struct plan {
  std::string title = "tovo";
  bool init_engine = true;             // the init hook calls tarq_init
  int quit_in_update = 3;              // the update of this frame (counted from 1) asks to quit
  std::set<int> skip_frames;           // frames whose update calls tarq_skip_frame
  std::function<void(int)> on_update;  // runs at the end of each update with its frame
};

// What one update saw when it began.
struct update_view {
  int frame;
  int skip_frame;       // the skip request, cleared before every update
  int fps_measured;     // the frame rate changed since the last update
  int mouse_refreshed;  // the mouse position was refreshed since the last update
};

extern plan current;
extern std::vector<std::string> calls;  // "init", "update 1", "draw 1", ..., "exit"
extern std::vector<update_view> updates;
extern int inited_in_exit_hook;  // tarq_loop.tarq_inited as the exit hook saw it

// Clears the record and sets a new plan.
void start(const plan& p);

// The hooks, as tarq_main takes them.
extern const tarq_application application;

}  // namespace recording_app
