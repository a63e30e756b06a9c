#pragma once
// Game controllers in eight fixed slots. A device that SDL knows as a game
// controller is opened as one (standard layout through a mapping string);
// any other joystick is opened raw. An axis or button counts only after it
// has once been seen at rest.
#include <cstdint>

struct _SDL_GameController;
struct _SDL_Joystick;

constexpr int TARQ_MAX_JOYSTICKS = 8;
constexpr int TARQ_JOYSTICK_AXES = 32;
constexpr int TARQ_JOYSTICK_BUTTONS = 21;

struct tarq_joystick_slot {
  _SDL_GameController* controller;  // null for a raw joystick
  _SDL_Joystick* joystick;          // null for a game controller
  int32_t instance_id;
  int32_t axis_validated[TARQ_JOYSTICK_AXES];
  uint32_t buttons_validated;  // bit i: button i was seen released
};

// The controllers' record: only the joystick module changes it.
struct tarq_joystick_state {
  tarq_joystick_slot metacon[TARQ_MAX_JOYSTICKS];
  int32_t tarq_joystick_inited;
};
extern tarq_joystick_state tarq_joysticks;
extern const char* const controller_db_mapping[];  // ends with a null entry

int tarq_joystick_init();
int tarq_joystick_exit();
int32_t tarq_count_joysticks();
void tarq_get_joystick(int32_t n, int32_t* x, int32_t* y, int32_t* buttons);
void tarq_get_joystick_axes(int32_t n, int32_t ax, int32_t ay, int32_t* x, int32_t* y);

// Hot-plug, from the event pump: a device index that arrived, an instance id
// that left.
void tarq_joystick_added(int32_t device_index);
void tarq_joystick_removed(int32_t instance_id);
// Reads "sdl_controllers.txt" from the program folder, then from the
// application folder (which gets a commented file when it has none).
void add_sdl_controllers();
