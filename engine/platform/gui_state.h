#pragma once
// The GUI's click memory and the helpers its pass shares with the element
// operations (engine-internal).
#include <cstdint>

#include "engine/platform/gui.h"

struct tarq_gui_clicks {
  int32_t first_x, first_y, first_t;     // the last press
  int32_t second_x, second_y, second_t;  // the last completed click
  int32_t double_t;                      // the last double click
  int32_t lmb;                           // buttons of the last pass
  int32_t lmb_drop;
};

// The GUI's record: the elements and the click memory. Only the GUI module
// (this folder's gui files and extra/gui_elements) changes it.
struct tarq_gui_state {
  tarq_pod* tarq_gui;  // the elements, a pea pod of TARQ_GUI_SLOTS slots; null before tarq_gui_init
  tarq_gui_clicks tarq_gui_click;
};
extern tarq_gui_state tarq_gui_data;

// A time far enough back that no click test passes against it.
inline int32_t tarq_gui_long_ago() { return INT32_MIN / 2; }

void tarq_gui_send(tarq_gui_element* e, int32_t a, int32_t b, int32_t c, int32_t message);
// Copies the live slots in live order; returns their number.
int32_t tarq_gui_live_slots(int32_t* slots);
