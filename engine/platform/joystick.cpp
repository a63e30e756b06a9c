// Game controllers: connecting devices to slots, hot-plug with compaction,
// and reading axes and buttons with the at-rest validation.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "engine/log_format.h"
#include "engine/platform/joystick.h"
#include "engine/tarq.h"

tarq_joystick_state tarq_joysticks;

constexpr int32_t AXIS_REST = 16383;

// One-shot messages, once per program run.
static bool said_not_attached[TARQ_MAX_JOYSTICKS];
static bool said_axis[TARQ_MAX_JOYSTICKS][TARQ_JOYSTICK_AXES];
static bool said_button[TARQ_MAX_JOYSTICKS][TARQ_JOYSTICK_BUTTONS];

static bool slot_used(const tarq_joystick_slot& s) { return s.controller || s.joystick; }

static void close_slot(tarq_joystick_slot& s) {
  if (s.controller) SDL_GameControllerClose(s.controller);
  if (s.joystick) SDL_JoystickClose(s.joystick);
  memset(&s, 0, sizeof(s));
}

static void connect_joystick(int32_t slot, int32_t device) {
  tarq_joystick_slot& s = tarq_joysticks.metacon[slot];
  close_slot(s);
  tarq_logf("connecting joystick %d\n", device);
  SDL_Joystick* j = nullptr;
  if (SDL_IsGameController(device) && (s.controller = SDL_GameControllerOpen(device))) {
    tarq_logf("Controller %d: %s\n", device, SDL_GameControllerName(s.controller));
    j = SDL_GameControllerGetJoystick(s.controller);
  } else {
    s.joystick = SDL_JoystickOpen(device);
    if (!s.joystick) return;
    j = s.joystick;
    tarq_logf("Unmapped Joystick %d: %s\n", device, SDL_JoystickName(j));
  }
  s.instance_id = SDL_JoystickInstanceID(j);
  tarq_logf(" Number of Axes: %d\n", SDL_JoystickNumAxes(j));
  tarq_logf(" Number of Buttons: %d\n", SDL_JoystickNumButtons(j));
  tarq_logf(" Number of Balls: %d\n", SDL_JoystickNumBalls(j));
  if (s.controller) {
    char* mapping = SDL_GameControllerMapping(s.controller);
    tarq_logf(" Mapping: %s\n", mapping ? mapping : "");
    SDL_free(mapping);
  }
}

// Used slots move down, in order, over the empty ones.
static void compact_slots() {
  int32_t to = 0;
  for (int32_t from = 0; from < TARQ_MAX_JOYSTICKS; from++) {
    if (!slot_used(tarq_joysticks.metacon[from])) continue;
    if (from != to) {
      tarq_joysticks.metacon[to] = tarq_joysticks.metacon[from];
      memset(&tarq_joysticks.metacon[from], 0, sizeof(tarq_joysticks.metacon[from]));
    }
    to++;
  }
}

int tarq_joystick_init() {
  memset(tarq_joysticks.metacon, 0, sizeof(tarq_joysticks.metacon));
  for (int i = 0; controller_db_mapping[i]; i++) SDL_GameControllerAddMapping(controller_db_mapping[i]);
  add_sdl_controllers();
  tarq_debug(">searching for joysticks\n");
  const int count = SDL_NumJoysticks();
  tarq_logf("found %d joysticks\n", count);
  for (int32_t i = 0; i < count && i < TARQ_MAX_JOYSTICKS; i++) connect_joystick(i, i);
  tarq_debug("<ok\n");
  tarq_joysticks.tarq_joystick_inited = 1;
  return 0;
}

int tarq_joystick_exit() {
  for (auto& s : tarq_joysticks.metacon) close_slot(s);
  tarq_joysticks.tarq_joystick_inited = 0;
  return 0;
}

int32_t tarq_count_joysticks() { return SDL_NumJoysticks(); }

// A device already open in a slot (SDL also announces the devices present at
// start) is not opened twice; a new one takes the first free slot.
void tarq_joystick_added(int32_t device) {
  compact_slots();
  const int32_t id = SDL_JoystickGetDeviceInstanceID(device);
  int32_t free_slot = -1;
  for (int32_t i = 0; i < TARQ_MAX_JOYSTICKS; i++) {
    if (slot_used(tarq_joysticks.metacon[i]) && tarq_joysticks.metacon[i].instance_id == id) return;
    if (!slot_used(tarq_joysticks.metacon[i]) && free_slot < 0) free_slot = i;
  }
  if (free_slot < 0 || id < 0) return;
  connect_joystick(free_slot, device);
  if (slot_used(tarq_joysticks.metacon[free_slot])) tarq_state.joystick_connected = device | 0x100;
}

void tarq_joystick_removed(int32_t instance_id) {
  bool found = false;
  for (int32_t i = 0; i < TARQ_MAX_JOYSTICKS; i++) {
    if (!slot_used(tarq_joysticks.metacon[i]) || tarq_joysticks.metacon[i].instance_id != instance_id) continue;
    close_slot(tarq_joysticks.metacon[i]);
    tarq_state.joystick_disconnected = 0x100 + i;
    found = true;
    break;
  }
  if (!found) {
    printf("** failed to disconnect");
    fflush(stdout);
  }
  compact_slots();
}

static int32_t read_axis(int32_t n, int32_t axis, const char* which) {
  tarq_joystick_slot& s = tarq_joysticks.metacon[n];
  int32_t v = 0;
  if (axis < 0 || axis >= TARQ_JOYSTICK_AXES) return 0;
  if (s.controller && SDL_GameControllerGetAttached(s.controller)) {
    v = SDL_GameControllerGetAxis(s.controller, static_cast<SDL_GameControllerAxis>(axis));
  } else if (s.joystick) {
    v = SDL_JoystickGetAxis(s.joystick, axis);
  } else {
    if (!said_not_attached[n]) tarq_logf("** could not read joystick %d (not attached)\n", n);
    said_not_attached[n] = true;
    return 0;
  }
  if (s.axis_validated[axis]) return v;
  if (v < -AXIS_REST || v > AXIS_REST) {
    if (!said_axis[n][axis]) {
      printf("** %s axis %d not validated on joystick %d\n", which, axis, n);
      fflush(stdout);
    }
    said_axis[n][axis] = true;
    return 0;
  }
  s.axis_validated[axis] = 1;
  return v;
}

static int32_t read_buttons(int32_t n) {
  tarq_joystick_slot& s = tarq_joysticks.metacon[n];
  const bool controller = s.controller && SDL_GameControllerGetAttached(s.controller);
  if (!controller && !s.joystick) return 0;
  const int32_t count = controller ? TARQ_JOYSTICK_BUTTONS : SDL_JoystickNumButtons(s.joystick);
  int32_t mask = 0;
  for (int32_t b = 0; b < count && b < TARQ_JOYSTICK_BUTTONS; b++) {
    const bool down = controller ? SDL_GameControllerGetButton(s.controller, static_cast<SDL_GameControllerButton>(b))
                                 : SDL_JoystickGetButton(s.joystick, b);
    const uint32_t bit = 1u << b;
    if (!down) {
      s.buttons_validated |= bit;
      continue;
    }
    if (s.buttons_validated & bit) {
      mask |= static_cast<int32_t>(bit);
    } else if (controller && !said_button[n][b]) {
      tarq_logf("** button %d not validated on joystick %d\n", b, n);
      said_button[n][b] = true;
    }
  }
  return mask;
}

// Index n must name a used slot; an index of 8 or more reads nothing.
static bool readable(int32_t n) {
  return tarq_joysticks.tarq_joystick_inited && n >= 0 && n < TARQ_MAX_JOYSTICKS && n < SDL_NumJoysticks() &&
         slot_used(tarq_joysticks.metacon[n]);
}

void tarq_get_joystick_axes(int32_t n, int32_t ax, int32_t ay, int32_t* x, int32_t* y) {
  if (x) *x = 0;
  if (y) *y = 0;
  if (!readable(n)) return;
  const int32_t vx = read_axis(n, ax, "x"), vy = read_axis(n, ay, "y");
  if (x) *x = vx;
  if (y) *y = vy;
}

void tarq_get_joystick(int32_t n, int32_t* x, int32_t* y, int32_t* buttons) {
  if (buttons) *buttons = 0;
  tarq_get_joystick_axes(n, 0, 1, x, y);
  if (readable(n) && buttons) *buttons = read_buttons(n);
}
