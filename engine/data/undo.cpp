#include <cstring>
#include <initializer_list>

#include "engine/data/undo.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

tarq_undo_stack* tarq_create_undo_stack() {
  tarq_undo_stack* stack = static_cast<tarq_undo_stack*>(tarq_calloc(sizeof(tarq_undo_stack)));
  if (!stack) return nullptr;
  stack->redo = tarq_create_buffer(0);
  stack->undo = tarq_create_buffer(0);
  stack->current = tarq_create_buffer(0);
  stack->last_patch = tarq_create_buffer(0);
  return stack;
}

void tarq_destroy_undo_stack(tarq_undo_stack* stack) {
  if (!stack) return;
  tarq_destroy_buffer(stack->redo);
  tarq_destroy_buffer(stack->undo);
  tarq_destroy_buffer(stack->current);
  tarq_destroy_buffer(stack->last_patch);
  tarq_free(stack);
}

void tarq_clear_undo_stack(tarq_undo_stack* stack) {
  if (!stack) return;
  for (tarq_file* f : {stack->redo, stack->undo, stack->current, stack->last_patch}) {
    f->size = 0;
    f->pos = 0;
  }
}

int tarq_push_undo_state(tarq_file* state, tarq_undo_stack* stack, int compare) {
  if (!state || !stack) return 0;
  tarq_file* current = stack->current;
  if (!current || current->size == 0) {
    if (current) tarq_destroy_buffer(current);
    stack->current = state;
    return 0;
  }
  if (state->size == current->size) {
    int64_t range = compare > 0 ? compare : static_cast<int64_t>(state->size) + compare;
    if (range > state->size) range = state->size;
    if (range <= 0 || memcmp(state->data, current->data, static_cast<size_t>(range)) == 0) {
      tarq_destroy_buffer(state);
      return 0;
    }
  }
  tarq_file* patch = generate_patch(state, current, stack->trailer_length);
  tarq_append_undo_record(stack->undo, patch);
  tarq_destroy_buffer(patch);
  stack->redo->size = 0;
  stack->redo->pos = 0;
  tarq_destroy_buffer(current);
  stack->current = state;
  return 1;
}

void tarq_append_undo_record(tarq_file* list, tarq_file* patch) {
  list->pos = list->size;
  cbuffer_add_data(list, patch->data, patch->size);
  uint32_t length = static_cast<uint32_t>(patch->size);
  uint8_t word[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                     static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
  cbuffer_add_data(list, word, 4);
}
