// The main loop: one host frame after another until a quit is asked for.
#include <SDL.h>

#include <cstdio>

#include "engine/platform/events.h"
#include "engine/platform/gui.h"
#include "engine/platform/host.h"
#include "engine/platform/video.h"
#include "engine/sound_hooks.h"
#include "engine/tarq.h"

tarq_main_loop tarq_loop;

void tarq_request_quit(int32_t how) { tarq_loop.tarq_quit = how; }
int32_t tarq_quit_requested() { return tarq_loop.tarq_quit; }
void tarq_set_exit_status(int32_t status) { tarq_loop.tarq_exit_status = status; }
void tarq_item_created() { tarq_loop.tarq_items_created++; }
void tarq_item_destroyed() { tarq_loop.tarq_items_created--; }

// Per-stage timing for the perf_timing report: stage 0 the frame's first
// steps, 1 the update, 2 the draw, 3 the present.
static int64_t stage_us[4];      // sums, microseconds
static int32_t stage_max_ns[4];  // maxima, nanoseconds
static int32_t stage_samples[4];
static int32_t perf_timing_frame = 0;

int32_t tarq_get_time() { return static_cast<int32_t>(SDL_GetTicks()); }

void tarq_register_frame_start_for_fps() { tarq_loop.frame_start_t = tarq_get_time(); }

int32_t tarq_register_frame_end_for_fps() {
  int32_t d =
      static_cast<int32_t>(static_cast<uint32_t>(tarq_get_time()) - static_cast<uint32_t>(tarq_loop.frame_start_t));
  tarq_loop.frame_start_t = tarq_get_time();
  if (d <= 0) {
    tarq_loop.smoothed_fps = 1000 * 65536;
  } else {
    if (d > 1000) d = 1000;
    tarq_loop.smoothed_fps = (1000 / d) << 16;
  }
  return tarq_loop.smoothed_fps;
}

int32_t tarq_get_fps() { return tarq_loop.smoothed_fps >> 16; }

int tarq_skip_frame(int n) {
  tarq_loop.skip_frame = 1;
  return n;
}

static void sample_stage(int stage) {
  int32_t reading = tarq_timer_end();
  stage_us[stage] += reading / 1000;
  stage_samples[stage]++;
  int32_t fresh = tarq_timer_end();
  if (fresh > stage_max_ns[stage]) stage_max_ns[stage] = fresh;
  tarq_timer_start();
}

static void report_perf_timing() {
  printf("[tarq]");
  for (int i = 0; i < 4; i++) {
    int64_t count = stage_samples[i] ? stage_samples[i] : 1;
    printf(" %6.3f[%6.3f]", static_cast<double>(stage_us[i]) / (static_cast<double>(count) * 1000.0),
           stage_max_ns[i] / 1000000.0);
  }
  printf("   %d/%d\n", static_cast<int>(stage_samples[1]), static_cast<int>(stage_samples[0]));
  for (int i = 0; i < 4; i++) {
    stage_us[i] = 0;
    stage_max_ns[i] = 0;
    stage_samples[i] = 0;
  }
}

// The frame's first steps: events, the GUI pass, the mouse and the music fade.
static int frame_first_steps() {
  int result = tarq_handle_system_messages();
  if (!tarq_loop.tarq_processing_gui) {
    tarq_loop.tarq_processing_gui = 1;
    tarq_process_gui();
    tarq_loop.tarq_processing_gui = 0;
  }
  tarq_get_mouse(&tarq_loop.tarq_last_mouse_x, &tarq_loop.tarq_last_mouse_y, nullptr);
  if (tarq_sound_engine.update_music_fading) tarq_sound_engine.update_music_fading();
  return result;
}

int tarq_handle_messages() { return frame_first_steps(); }

static void run_frame() {
  int32_t perf = cconfig.perf_timing;
  tarq_register_frame_start_for_fps();
  if (perf) tarq_timer_start();
  frame_first_steps();
  if (perf) sample_stage(0);
  // A quit from the system or the quit keys: nothing more of this frame.
  if (tarq_loop.tarq_quit == TARQ_QUIT_AT_ONCE) return;

  tarq_loop.skip_frame = 0;
  if (tarq_loop.tarq_app.update) tarq_loop.tarq_app.update();
  if (!tarq_loop.skip_frame && tarq_loop.tarq_quit != TARQ_QUIT_AT_ONCE) {
    if (perf) sample_stage(1);
    if (tarq_loop.tarq_app.draw) tarq_loop.tarq_app.draw();
    if (perf) sample_stage(2);
    if (!cconfig.headless) tarq_blit_back_page();
    if (perf) sample_stage(3);
    tarq_register_frame_end_for_fps();
  }

  if (perf > 0) {
    if (++perf_timing_frame >= perf) {
      perf_timing_frame = 0;
      report_perf_timing();
    }
  }
}

void tarq_set_application(const tarq_application* app) { tarq_loop.tarq_app = app ? *app : tarq_application{}; }

int tarq_main(int argc, char** argv, const tarq_application* app) {
  tarq_set_argv0(argc > 0 && argv && argv[0] ? argv[0] : "");
  tarq_loop.tarq_argv = argv;
  tarq_loop.tarq_argc = argc;
  tarq_set_application(app);
  if (tarq_loop.tarq_app.init) tarq_loop.tarq_app.init(argc, argv);
  tarq_loop.tarq_quit = 0;
  while (!tarq_loop.tarq_quit) run_frame();
  if (tarq_loop.tarq_inited) tarq_exit();
  return tarq_loop.tarq_exit_status;
}
