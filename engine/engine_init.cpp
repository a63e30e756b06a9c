// Start-up and shutdown of the engine, titles, and fatal errors.
#include <SDL.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/data/prng.h"
#include "engine/data/text.h"
#include "engine/log_format.h"
#include "engine/platform/events.h"
#include "engine/platform/gui.h"
#include "engine/platform/host.h"
#include "engine/platform/joystick.h"
#include "engine/platform/video.h"
#include "engine/sound_hooks.h"
#include "engine/tarq.h"

tarq_engine_state tarq_state;

constexpr uint32_t SDL_SUBSYSTEMS_ALL = 0xF231;       // timer, audio, video, joystick,
                                                      // haptic, controller, events, sensor
constexpr uint32_t SDL_SUBSYSTEMS_NO_VIDEO = 0xF211;  // the same without video

static void log_line(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void log_line(const char* format, ...) {
  va_list args;
  va_start(args, format);
  tarq_vlogf(format, args);
  va_end(args);
}

void tarq_set_argv0(const char* text) { snprintf(tarq_loop.tarq_argv0, sizeof(tarq_loop.tarq_argv0), "%s", text); }

void tarq_set_application_title(const char* text) {
  snprintf(tarq_state.app_title, sizeof(tarq_state.app_title), "%s", text);
  snprintf(tarq_loop.app_title_pending, sizeof(tarq_loop.app_title_pending), "%s", text);
}

void tarq_set_window_title(const char* text) {
  if (!text) {
    tarq_state.window_title_ptr = nullptr;
    return;
  }
  if (text != tarq_state.window_title) snprintf(tarq_state.window_title, sizeof(tarq_state.window_title), "%s", text);
  tarq_state.window_title_ptr = tarq_state.window_title;
  if (tarq_window.sdl_window) SDL_SetWindowTitle(tarq_window.sdl_window, tarq_state.window_title);
}

static void open_log() {
  char path[TARQ_PATH_MAX];
  if (tarq_prefix_with_appdata_path("log.txt", path) != 0) return;
  tarq_state.log_file = fopen(path, "w");
}

static void close_log() {
  if (tarq_state.log_file) fclose(tarq_state.log_file);
  if (tarq_state.log_file2) fclose(tarq_state.log_file2);
  tarq_state.log_file = nullptr;
  tarq_state.log_file2 = nullptr;
}

int tarq_system_init() {
  uint32_t mask = SDL_SUBSYSTEMS_ALL;
  if (cconfig.headless) {
    tarq_debug(" running in headless mode\n");
    mask = 0;
  }
  if (cconfig.framebuffer) {
    tarq_debug(" running in framebuffer mode\n");
    mask = cconfig.headless ? 0 : SDL_SUBSYSTEMS_NO_VIDEO;
  }
  SDL_SetHint("SDL_VIDEO_ALLOW_SCREENSAVER", "1");
  if (SDL_Init(mask) < 0) tarq_fatal_error("Unable to initialize SDL");

  SDL_version compiled;
  SDL_version linked;
  SDL_VERSION(&compiled);
  SDL_GetVersion(&linked);
  log_line("Compiled against SDL version: %d.%d.%d\n", compiled.major, compiled.minor, compiled.patch);
  log_line("Linked against SDL version:   %d.%d.%d\n", linked.major, linked.minor, linked.patch);
  if (cconfig.headless) return 0;

  const char* driver = SDL_GetCurrentVideoDriver();
  if (cconfig.log_system_info) log_system_info();
  else log_line("Current video driver: %s\n", driver ? driver : "(none)");
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  if (driver && strcmp(driver, "x11") == 0) {
    cconfig.software_blit = 1;
    cconfig.pixel_perfect = 1;
  }
  return 0;
}

int tarq_system_exit() {
  SDL_VideoQuit();
  return 0;
}

int tarq_init() {
  if (tarq_loop.tarq_inited) return 0;
  tarq_loop.tarq_items_created = 0;
  memset(&tarq_state, 0, sizeof(tarq_state));
  snprintf(tarq_state.app_title, sizeof(tarq_state.app_title), "%s", tarq_loop.app_title_pending);
  tarq_set_window_title(tarq_loop.app_title_pending);

  tarq_config_default();
  bool have_arguments = tarq_loop.tarq_argc > 0 && tarq_loop.tarq_argv;
  if (have_arguments) tarq_process_arguments(tarq_loop.tarq_argc, tarq_loop.tarq_argv);

  open_log();
  tarq_debug(">tarq_init\n");
  tarq_debug("platform: Linux\n");

  tarq_config_load();
  tarq_config_keep_as_read();
  if (have_arguments) tarq_process_arguments(tarq_loop.tarq_argc, tarq_loop.tarq_argv);

  // Only a driver that this SDL offers; another would keep the window from opening.
  if (cconfig.pixel_perfect == 0 && tarq_video_driver_offered("rpi")) {
    tarq_debug("forcing driver to rpi for pixel_perfect:0\n");
    setenv("SDL_VIDEODRIVER", "rpi", 0);
  }

  if (!tarq_loop.tarq_console) {
    tarq_debug("tarq_system_init\n");
    tarq_system_init();
    tarq_debug("tarq_reset_timer\n");
    tarq_loop.tarq_start_time = tarq_get_time();
    tarq_debug("tarq_gui_init\n");
    tarq_gui_init();
    tarq_debug("tarq_keys_init\n");
    tarq_keys_init();
    tarq_debug("tarq_text_init\n");
    tarq_text_init();
    tarq_debug("tarq_video_init\n");
    tarq_video_init();
    tarq_debug("tarq_mouse_init\n");
    tarq_mouse_init();
    tarq_debug("tarq_joystick_init\n");
    tarq_joystick_init();
  }

  tarq_srand(0);
  cconfig.sessions++;
  tarq_debug("<ok\n");
  tarq_loop.tarq_inited = 1;
  return 0;
}

int tarq_exit() {
  if (!tarq_loop.tarq_inited) return 0;
  tarq_loop.tarq_inited = 0;  // the application's exit hook calls tarq_exit again

  tarq_debug(">tarq_exit\n");
  tarq_debug("cmusic_stop\n");
  if (tarq_sound_engine.music_stop) tarq_sound_engine.music_stop(0, 0);
  tarq_debug("tarq_main_exit\n");
  if (tarq_loop.tarq_app.exit) tarq_loop.tarq_app.exit();
  tarq_debug("tarq_config_save\n");
  tarq_config_save();
  tarq_debug("tarq_sound_exit\n");
  if (tarq_sound_engine.sound_exit) tarq_sound_engine.sound_exit();
  tarq_debug("tarq_video_exit\n");
  tarq_video_exit();
  tarq_debug("tarq_joystick_exit\n");
  tarq_joystick_exit();
  tarq_debug("tarq_system_exit\n");
  if (!tarq_loop.tarq_console) {
    tarq_text_exit();
    tarq_keys_exit();
    tarq_gui_exit();
    tarq_system_exit();
  }
  log_line("tarq_items_created: %d\n", static_cast<int>(tarq_loop.tarq_items_created));
  tarq_debug("<ok\n");
  close_log();
  tarq_loop.tarq_inited = 0;
  return 0;
}

void tarq_fatal_error(const char* message) {
  const char* sdl_error = SDL_GetError();
  if (sdl_error && sdl_error[0]) {
    printf("SDL Error: %s\n", sdl_error);
    fflush(stdout);
    SDL_ClearError();
  }
  printf("\n\n** FATAL ERROR: %s\n\n", message);
  fflush(stdout);
  log_line("\n\n** FATAL ERROR: %s\n\n", message);
  tarq_exit();
  exit(1);
}
