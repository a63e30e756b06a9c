// GUI element operations: adding, deleting and clearing elements, their
// order, the element under the mouse, messages and keyboard focus.
#include "engine/platform/gui_elements.h"

#include "engine/data/pod.h"
#include "engine/platform/events.h"
#include "engine/platform/gui.h"
#include "engine/platform/gui_state.h"

int32_t tarq_add_guie(void* user, int32_t x, int32_t y, int32_t w, int32_t h, int32_t kind, tarq_gui_handler handler) {
  const int32_t slot = cpod_get_free_item(tarq_gui_data.tarq_gui);
  if (slot < 0) return -1;
  auto* e = static_cast<tarq_gui_element*>(tarq_gui_data.tarq_gui->items[slot]);
  *e = tarq_gui_element{};
  e->kind = kind;
  e->x = x;
  e->y = y;
  e->width = w;
  e->height = h;
  e->user = user;
  e->handler = handler;
  return slot;
}

void tarq_delete_guie(int32_t index) {
  if (tarq_get_gui_element(index)) cpod_delete_item(tarq_gui_data.tarq_gui, index);
}

void tarq_gui_clear() {
  cpod_clear(tarq_gui_data.tarq_gui);
  tarq_gui_data.tarq_gui_click.lmb = 1;
  tarq_gui_data.tarq_gui_click.lmb_drop = 0;
}

void tarq_gui_elevate_element(tarq_gui_element* element) {
  if (element) element->flags |= TARQ_GUI_ELEVATED;
}

int32_t tarq_gui_num_elements() { return tarq_gui_data.tarq_gui ? tarq_gui_data.tarq_gui->count : 0; }

int32_t tarq_gui_cursor_element() {
  if (!tarq_gui_data.tarq_gui) return -1;
  for (int32_t i = tarq_gui_data.tarq_gui->count - 1; i >= 0; i--) {
    const int32_t slot = tarq_gui_data.tarq_gui->order[i];
    if (tarq_get_gui_element(slot)->flags & TARQ_GUI_OVER) return slot;
  }
  return -1;
}

// Handlers may add or delete elements, so every visit works on a copy of the
// live slots and looks each one up again before sending.
void tarq_gui_broadcast(int32_t message, int32_t kind) {
  int32_t mx, my, buttons;
  tarq_get_mouse(&mx, &my, &buttons);
  int32_t slots[TARQ_GUI_SLOTS];
  const int32_t n = tarq_gui_live_slots(slots);
  for (int32_t i = 0; i < n; i++) {
    tarq_gui_element* e = tarq_get_gui_element(slots[i]);
    if (e && (kind == 0 || e->kind == kind)) tarq_gui_send(e, mx, my, buttons, message);
  }
}

void tarq_gui_message(int32_t index, int32_t message) {
  int32_t mx, my, buttons;
  tarq_get_mouse(&mx, &my, &buttons);
  tarq_gui_send(tarq_get_gui_element(index), mx, my, buttons, message);
}

void tarq_gui_message_ex(int32_t index, int32_t message, int32_t a, int32_t b, int32_t c) {
  tarq_gui_send(tarq_get_gui_element(index), a, b, c, message);
}

void tarq_gui_key_event(int32_t key) {
  int32_t slots[TARQ_GUI_SLOTS];
  const int32_t n = tarq_gui_live_slots(slots);
  for (int32_t i = 0; i < n; i++) {
    tarq_gui_element* e = tarq_get_gui_element(slots[i]);
    if (!e) continue;
    if (e->kind == 7 || (e->kind == 4 && (e->flags & TARQ_GUI_FOCUS))) tarq_gui_send(e, key, 0, 0, TARQ_GUI_KEY);
  }
}

void tarq_gui_set_keyboard_focus(tarq_gui_element* element) {
  if (!element || !tarq_gui_data.tarq_gui) return;
  const int32_t kind = element->kind;
  for (int32_t i = 0; i < tarq_gui_data.tarq_gui->count; i++) {
    tarq_gui_element* e = tarq_get_gui_element(tarq_gui_data.tarq_gui->order[i]);
    if (e->kind == kind) e->flags |= TARQ_GUI_FOCUS;
    else e->flags &= ~TARQ_GUI_FOCUS;
  }
}

tarq_gui_element* tarq_gui_get_keyboard_focus() {
  if (!tarq_gui_data.tarq_gui) return nullptr;
  for (int32_t i = 0; i < tarq_gui_data.tarq_gui->count; i++) {
    tarq_gui_element* e = tarq_get_gui_element(tarq_gui_data.tarq_gui->order[i]);
    if (e->flags & TARQ_GUI_FOCUS) return e;
  }
  return nullptr;
}
