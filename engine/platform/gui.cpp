// The GUI element pod: its set-up, sending a message, and looking up an element.
#include "engine/platform/gui.h"

#include "engine/data/pod.h"
#include "engine/platform/events.h"
#include "engine/platform/gui_state.h"

tarq_gui_state tarq_gui_data;

namespace {

bool live(int32_t slot) {
  const tarq_pod* gui = tarq_gui_data.tarq_gui;
  return gui && slot >= 0 && slot < gui->capacity && gui->types[slot] != TARQ_ITEM_FREE &&
         gui->position[slot] < gui->count;
}

}  // namespace

void tarq_gui_send(tarq_gui_element* e, int32_t a, int32_t b, int32_t c, int32_t message) {
  if (e && e->handler) e->handler(e, a, b, c, message);
}

int32_t tarq_gui_live_slots(int32_t* slots) {
  const tarq_pod* gui = tarq_gui_data.tarq_gui;
  if (!gui) return 0;
  for (int32_t i = 0; i < gui->count; i++) slots[i] = gui->order[i];
  return gui->count;
}

int tarq_gui_init() {
  if (!tarq_gui_data.tarq_gui) tarq_gui_data.tarq_gui = tarq_create_pea_pod(TARQ_GUI_SLOTS, TARQ_GUI_SLOT_SIZE);
  tarq_gui_clicks& c = tarq_gui_data.tarq_gui_click;
  c = tarq_gui_clicks{};
  c.first_t = c.second_t = c.double_t = tarq_gui_long_ago();
  return tarq_gui_data.tarq_gui ? 0 : 1;
}

int tarq_gui_exit() {
  tarq_gui_data.tarq_gui = tarq_destroy_pod(tarq_gui_data.tarq_gui);
  return 0;
}

tarq_gui_element* tarq_get_gui_element(int32_t index) {
  return live(index) ? static_cast<tarq_gui_element*>(tarq_gui_data.tarq_gui->items[index]) : nullptr;
}
