// The event pump: sleep, key tables, then every pending platform event, with
// the engine's own hotkeys (fullscreen toggle and quick quit); whether the
// application is in the foreground.
#include <SDL.h>

#include <cstring>

#include "engine/config.h"
#include "engine/log_format.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/platform/joystick.h"
#include "engine/platform/video.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"

namespace {

constexpr int32_t CHORD_MS = 40;
constexpr int TEXT_PER_PUMP = 64;

// The pump's record: only this file changes it.
struct tarq_event_pump {
  int32_t tarq_system_active;    // 1 while the window is shown and focused
  int32_t tarq_touch_active;     // a finger is down
  int32_t last_ctrl_keypress_t;  // the last code that reached the hotkey step
  int32_t last_inactive_time;    // the window's last activation
  int32_t codes_this_pump;
  char typed[TEXT_PER_PUMP];  // characters of emulated text input, queued at the pump's end
  int typed_count;
};

tarq_event_pump pump;

}  // namespace

int32_t tarq_system_is_active() { return pump.tarq_system_active; }
void tarq_set_system_active(int32_t flag) { pump.tarq_system_active = flag; }
void tarq_events_reset() { pump = tarq_event_pump{}; }

static bool held(int a, int b) { return tarq_key_down(a) || tarq_key_down(b); }
static bool ctrl_held() { return held(SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL); }
static bool alt_held() { return held(SDL_SCANCODE_LALT, SDL_SCANCODE_RALT); }
static bool shift_held() { return held(SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT); }

static bool elapsed_below(int32_t now, int32_t since, int32_t ms) {
  return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(since)) < ms;
}

static void mark_down(int sc) { tarq_mark_key_down(sc); }

// The program ends through the main loop, which shuts the engine down.
static void quit_at_once() { tarq_request_quit(TARQ_QUIT_AT_ONCE); }

// The hotkeys and the queue for one code (0: a key event that gave none).
static void hotkey_step(int32_t sc, int32_t code, int32_t now) {
  if (code != 0) {
    if (ctrl_held() && !alt_held() && !shift_held() && elapsed_below(now, pump.last_ctrl_keypress_t, CHORD_MS)) return;
    pump.last_ctrl_keypress_t = now;
  }
  if (sc == SDL_SCANCODE_F11 && !tarq_key_blocked(SDL_SCANCODE_F11)) {
    tarq_toggle_fullscreen();
    tarq_block_key(SDL_SCANCODE_F11);
    return;
  }
  if (code == 13 && alt_held() && !tarq_key_blocked(SDL_SCANCODE_RETURN)) {
    tarq_toggle_fullscreen();
    tarq_block_key(SDL_SCANCODE_RETURN);
    return;
  }
  if ((sc == SDL_SCANCODE_F4 && alt_held()) || (code == 'q' && ctrl_held())) {
    quit_at_once();
    return;
  }
  if (code != 0 && tarq_push_key_code(code)) pump.codes_this_pump++;
}

static void key_down(const SDL_KeyboardEvent& k, int32_t now) {
  const int32_t sc = k.keysym.scancode;
  const int32_t sym = k.keysym.sym;
  mark_down(sc);
  if (k.keysym.mod & KMOD_CTRL) mark_down(k.keysym.mod & KMOD_LCTRL ? SDL_SCANCODE_LCTRL : SDL_SCANCODE_RCTRL);
  if (k.keysym.mod & KMOD_ALT) mark_down(k.keysym.mod & KMOD_LALT ? SDL_SCANCODE_LALT : SDL_SCANCODE_RALT);
  if (k.keysym.mod & KMOD_SHIFT) mark_down(k.keysym.mod & KMOD_LSHIFT ? SDL_SCANCODE_LSHIFT : SDL_SCANCODE_RSHIFT);

  int32_t code = 0;
  if (sym == SDLK_RETURN || sym == SDLK_KP_ENTER) code = 13;
  else if (sym == SDLK_BACKSPACE) code = 8;
  else if (sym == SDLK_ESCAPE) code = 27;
  else if (sym == SDLK_TAB) code = alt_held() || elapsed_below(now, pump.last_inactive_time, CHORD_MS) ? 0 : 9;
  else if (sym == SDLK_RIGHT) mark_down(SDL_SCANCODE_RIGHT);
  else if (sym == SDLK_LEFT) mark_down(SDL_SCANCODE_LEFT);
  else if (sym == SDLK_DOWN) mark_down(SDL_SCANCODE_DOWN);
  else if (sym == SDLK_UP) mark_down(SDL_SCANCODE_UP);

  if (ctrl_held() && !alt_held() && !shift_held()) {
    if (sym >= 'a' && sym <= 'z') {
      mark_down(SDL_SCANCODE_A + (sym - 'a'));
      code = sym;
    } else if (sym >= '0' && sym <= '9') {
      mark_down(sym == '0' ? SDL_SCANCODE_0 : SDL_SCANCODE_1 + (sym - '1'));
      code = sym;
    }
  }
  if (tarq_key_down(SDL_SCANCODE_RALT)) {
    tarq_set_key(SDL_SCANCODE_LCTRL, 0);
    tarq_set_key(SDL_SCANCODE_RCTRL, 0);
  }

  if (cconfig.emulate_textinput && code == 0) {
    const int32_t c = tarq_us_layout_char(sc, shift_held());
    if (c && pump.typed_count < TEXT_PER_PUMP) pump.typed[pump.typed_count++] = static_cast<char>(c);
  }
  hotkey_step(sc, code, now);
}

static bool from_display_window(uint32_t id) {
  return tarq_window.sdl_window_display && id == SDL_GetWindowID(tarq_window.sdl_window_display);
}

static void window_event(const SDL_WindowEvent& w, int32_t now) {
  // The player has one window of its own; every other event is the main window's.
  pump.tarq_touch_active = 0;
  switch (w.event) {
    case SDL_WINDOWEVENT_HIDDEN:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_FOCUS_LOST: pump.tarq_system_active = 0; break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      pump.tarq_system_active = 1;
      pump.last_inactive_time = now;
      if (from_display_window(w.windowID) && tarq_window.sdl_window) SDL_RaiseWindow(tarq_window.sdl_window);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // Only the present window's: a window just replaced may still report.
      if (tarq_window.sdl_window && w.windowID == SDL_GetWindowID(tarq_window.sdl_window))
        tarq_note_window_resized(w.data1, w.data2);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      tarq_request_quit(TARQ_QUIT_AFTER_FRAME);
      tarq_logf("window closed (%d)\n", static_cast<int>(w.event));
      break;
    default: break;
  }
}

// A path that does not fit is refused, never cut short.
static void drop_file(const char* path) {
  if (!path) return;
  if (strlen(path) >= sizeof(tarq_state.dropped_file)) {
    tarq_debug("** dropped file path too long\n");
    return;
  }
  snprintf(tarq_state.dropped_file, sizeof(tarq_state.dropped_file), "%s", path);
  if (tarq_window.sdl_window) SDL_RaiseWindow(tarq_window.sdl_window);
  tarq_state.new_drop = 0;
}

void tarq_handle_event(const SDL_Event& e, int32_t now) {
  switch (e.type) {
    case SDL_QUIT: quit_at_once(); break;
    case SDL_WINDOWEVENT: window_event(e.window, now); break;
    case SDL_KEYDOWN: key_down(e.key, now); break;
    case SDL_TEXTINPUT:
      if (!cconfig.emulate_textinput && e.text.text[0] && !e.text.text[1])
        hotkey_step(-1, static_cast<unsigned char>(e.text.text[0]), now);
      break;
    case SDL_CONTROLLERDEVICEADDED: tarq_joystick_added(e.cdevice.which); break;
    case SDL_CONTROLLERDEVICEREMOVED: tarq_joystick_removed(e.cdevice.which); break;
    case SDL_FINGERDOWN: pump.tarq_touch_active = 1; break;
    case SDL_FINGERUP: pump.tarq_touch_active = 0; break;
    case SDL_DROPFILE: drop_file(e.drop.file); break;
    default: tarq_mouse_event(e, now); break;
  }
}

int32_t tarq_pump_sleep_ms() {
  const int32_t sleep_ms =
      (cconfig.framebuffer || tarq_is_app_active()) ? cconfig.foreground_sleep_ms : cconfig.background_sleep_ms;
  return sleep_ms < 0 ? 0 : sleep_ms > TARQ_PUMP_SLEEP_MAX_MS ? TARQ_PUMP_SLEEP_MAX_MS : sleep_ms;
}

void tarq_wait_for_event(int32_t ms) {
  if (ms <= 0) return;
  // A null event leaves whatever arrives in the queue for the next pump.
  if (SDL_WasInit(SDL_INIT_EVENTS)) SDL_WaitEventTimeout(nullptr, ms);
  else SDL_Delay(static_cast<uint32_t>(ms));
}

int tarq_handle_system_messages() {
  SDL_Delay(static_cast<uint32_t>(tarq_pump_sleep_ms()));
  const bool video = SDL_WasInit(SDL_INIT_VIDEO);
  if (video) SDL_ShowCursor(0);
  const int32_t now = tarq_get_time();
  int numkeys = 0;
  const uint8_t* keys = SDL_GetKeyboardState(&numkeys);
  tarq_update_key_tables(keys, numkeys, SDL_GetModState(), now);

  pump.codes_this_pump = 0;
  pump.typed_count = 0;
  tarq_mouse_begin_pump();
  if (SDL_WasInit(SDL_INIT_EVENTS)) {
    SDL_Event e;
    // What comes after a quit is left unread, as the program ends.
    while (tarq_quit_requested() != TARQ_QUIT_AT_ONCE && SDL_PollEvent(&e)) {
      tarq_handle_event(e, now);
      if (e.type == SDL_DROPFILE || e.type == SDL_DROPTEXT) SDL_free(e.drop.file);
    }
  }
  tarq_finish_key_pump(pump.codes_this_pump + pump.typed_count);
  for (int i = 0; i < pump.typed_count; i++) tarq_push_key_code(static_cast<unsigned char>(pump.typed[i]));
  return 0;
}

// Whether the application is in the foreground.
int tarq_is_app_active() {
  // Without a window system (framebuffer or headless) there is nothing to
  // lose focus to.
  if (cconfig.framebuffer || cconfig.headless) return 1;
  if (tarq_system_is_active()) return 1;
  if (tarq_window.sdl_window && SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetKeyboardFocus() == tarq_window.sdl_window)
    return 1;
  return 0;
}
