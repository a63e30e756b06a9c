#pragma once
// GUI elements: rectangles on the back page, each with a message handler,
// kept in a pea pod, and the pass that runs once a frame to deliver mouse
// messages to the elements under the mouse.
#include <cstdint>

struct tarq_pod;
struct tarq_gui_element;

// Handler: element, x (or wheel x, or key), y (or wheel y), buttons, message.
using tarq_gui_handler = void (*)(tarq_gui_element* element, int32_t a, int32_t b, int32_t c, int32_t message);

enum : uint32_t {
  TARQ_GUI_OVER = 0x01,  // the mouse is over the element
  TARQ_GUI_PRESSED = 0x02,
  TARQ_GUI_FOCUS = 0x10,     // keyboard focus
  TARQ_GUI_ELEVATED = 0x20,  // wins the hit test over later elements
};

enum : int32_t {
  TARQ_GUI_ENTER = 1,
  TARQ_GUI_LEAVE = 2,
  TARQ_GUI_HOVER = 3,
  TARQ_GUI_PRESS = 4,
  TARQ_GUI_HOLD = 5,
  TARQ_GUI_RELEASE = 6,
  TARQ_GUI_DRAW = 7,
  TARQ_GUI_KEY = 9,
  TARQ_GUI_DOUBLE_CLICK = 11,
  TARQ_GUI_CLICK = 12,
  TARQ_GUI_DOUBLE_CLICK_RELEASE = 15,
  TARQ_GUI_WHEEL = 16,
  TARQ_GUI_DROP = 17,
  TARQ_GUI_TRIPLE_CLICK = 18,
};

// An element is a zeroed slot of the pod.
struct tarq_gui_element {
  int32_t kind;
  int32_t x, y, width, height;  // back-page pixels
  uint32_t flags;
  void* user;  // its first int32 is the reference width for double clicks
  tarq_gui_handler handler;
  void* record;                // what the element shows (a code text field's record), or null
  struct tarq_bitmap* target;  // the bitmap it draws into, or null
};

constexpr int32_t TARQ_GUI_SLOTS = 1024;
constexpr int32_t TARQ_GUI_SLOT_SIZE = 72;
static_assert(sizeof(tarq_gui_element) <= TARQ_GUI_SLOT_SIZE, "a GUI element fits its slot");

int tarq_gui_init();
int tarq_gui_exit();

tarq_gui_element* tarq_get_gui_element(int32_t index);  // null: out of range, free, or no pod

// The per-frame pass: reads the mouse and the clock and runs tarq_gui_pass.
int tarq_process_gui();
// The pass with a given mouse position, buttons and time in milliseconds.
void tarq_gui_pass(int32_t mx, int32_t my, int32_t buttons, int32_t now);
