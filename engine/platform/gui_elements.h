#pragma once
// GUI element operations. The player never creates an element: in the player
// the pod stays empty and the per-frame pass finds nothing to do.
#include <cstdint>

#include "engine/platform/gui.h"

// The slot index of the new element, -1 when there is no pod or it is full.
int32_t tarq_add_guie(void* user, int32_t x, int32_t y, int32_t w, int32_t h, int32_t kind, tarq_gui_handler handler);
void tarq_delete_guie(int32_t index);
// Empties the pod; a button held now does not count as a new press.
void tarq_gui_clear();

void tarq_gui_elevate_element(tarq_gui_element* element);
int32_t tarq_gui_num_elements();
int32_t tarq_gui_cursor_element();  // topmost element under the mouse, -1 when none

// Sends with the current mouse position and buttons; kind 0 means every element.
void tarq_gui_broadcast(int32_t message, int32_t kind);
void tarq_gui_message(int32_t index, int32_t message);
void tarq_gui_message_ex(int32_t index, int32_t message, int32_t a, int32_t b, int32_t c);

void tarq_gui_key_event(int32_t key);
void tarq_gui_set_keyboard_focus(tarq_gui_element* element);
tarq_gui_element* tarq_gui_get_keyboard_focus();
