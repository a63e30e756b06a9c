// The GUI element pod: its set-up, sending a message, and looking up an element.
#include "engine/platform/gui.h"

#include "engine/data/pod.h"
#include "engine/platform/events.h"
#include "engine/platform/gui_state.h"

tarq_pod* tarq_gui = nullptr;
tarq_gui_clicks tarq_gui_click;

namespace {

bool live(int32_t slot) {
  return tarq_gui && slot >= 0 && slot < tarq_gui->capacity && tarq_gui->types[slot] != TARQ_ITEM_FREE &&
         tarq_gui->position[slot] < tarq_gui->count;
}

}  // namespace

void tarq_gui_send(tarq_gui_element* e, int32_t a, int32_t b, int32_t c, int32_t message) {
  if (e && e->handler) e->handler(e, a, b, c, message);
}

int32_t tarq_gui_live_slots(int32_t* slots) {
  if (!tarq_gui) return 0;
  for (int32_t i = 0; i < tarq_gui->count; i++) slots[i] = tarq_gui->order[i];
  return tarq_gui->count;
}

int tarq_gui_init() {
  if (!tarq_gui) tarq_gui = tarq_create_pea_pod(TARQ_GUI_SLOTS, TARQ_GUI_SLOT_SIZE);
  tarq_gui_click = tarq_gui_clicks{};
  tarq_gui_click.first_t = tarq_gui_click.second_t = tarq_gui_click.double_t = tarq_gui_long_ago();
  return tarq_gui ? 0 : 1;
}

int tarq_gui_exit() {
  tarq_gui = tarq_destroy_pod(tarq_gui);
  return 0;
}

tarq_gui_element* tarq_get_gui_element(int32_t index) {
  return live(index) ? static_cast<tarq_gui_element*>(tarq_gui->items[index]) : nullptr;
}
