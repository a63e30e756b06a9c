#include "tests/engine/recording_app.h"

#include <cstdio>

#include "engine/tarq.h"

namespace recording_app {

plan current;
std::vector<std::string> calls;
std::vector<update_view> updates;
int inited_in_exit_hook = -1;

static int frame = 0;
constexpr int32_t FPS_SENTINEL = 0x7654321;
constexpr int32_t MOUSE_SENTINEL = -12345;

void start(const plan& p) {
  current = p;
  calls.clear();
  updates.clear();
  inited_in_exit_hook = -1;
  frame = 0;
}

static void record(const std::string& call) {
  calls.push_back(call);
  std::string line = "app: " + call + "\n";
  tarq_debug(line.c_str());
}

static int app_init(int, char**) {
  tarq_set_application_title(current.title.c_str());
  if (current.init_engine) tarq_init();
  record("init");
  tarq_loop.smoothed_fps = FPS_SENTINEL;
  tarq_loop.tarq_last_mouse_x = MOUSE_SENTINEL;
  return 0;
}

static int app_update() {
  frame++;
  updates.push_back(update_view{frame, tarq_loop.skip_frame, tarq_loop.smoothed_fps != FPS_SENTINEL,
                                tarq_loop.tarq_last_mouse_x != MOUSE_SENTINEL});
  tarq_loop.smoothed_fps = FPS_SENTINEL;
  tarq_loop.tarq_last_mouse_x = MOUSE_SENTINEL;
  record("update " + std::to_string(frame));
  if (current.skip_frames.count(frame)) tarq_skip_frame(frame);
  if (frame == current.quit_in_update) tarq_request_quit(1);
  if (current.on_update) current.on_update(frame);
  return 0;
}

static int app_draw() {
  record("draw " + std::to_string(frame));
  return 0;
}

static int app_exit() {
  inited_in_exit_hook = tarq_loop.tarq_inited;
  record("exit");
  tarq_exit();  // as the player does: the engine is already down, so nothing happens
  return 0;
}

const tarq_application application = {app_init, app_update, app_draw, app_exit};

}  // namespace recording_app
