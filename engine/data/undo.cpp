#include <cstring>
#include <initializer_list>

#include "engine/data/undo.h"
#include "engine/io/file.h"
#include "engine/mem.h"

namespace {

uint32_t read_length_word(const tarq_file* list) {
  const uint8_t* p = list->data + list->size - 4;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// The start of the newest record of a list, or -1 when the list is empty or broken.
int64_t newest_record_start(const tarq_file* list) {
  if (!list || list->size < 4) return -1;
  uint32_t length = read_length_word(list);
  if (length > static_cast<uint32_t>(list->size - 4)) return -1;
  return static_cast<int64_t>(list->size) - 4 - length;
}

void append_record(tarq_file* list, tarq_file* patch) {
  list->pos = list->size;
  cbuffer_add_data(list, patch->data, patch->size);
  uint32_t length = static_cast<uint32_t>(patch->size);
  uint8_t word[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                     static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
  cbuffer_add_data(list, word, 4);
}

tarq_file* copy_record(const tarq_file* list, int64_t start) {
  int32_t length = static_cast<int32_t>(list->size - 4 - start);
  tarq_file* patch = tarq_create_buffer(length);
  if (!patch) return nullptr;
  if (length > 0) memcpy(patch->data, list->data + start, static_cast<size_t>(length));
  patch->size = length;
  patch->pos = 0;
  return patch;
}

// One step of undo (from = undo list, to = redo list) or redo (the other way).
tarq_file* step(tarq_undo_stack* stack, tarq_file* from, tarq_file* to) {
  int64_t start = newest_record_start(from);
  if (start < 0 || !stack->current) return nullptr;
  tarq_file* patch = copy_record(from, start);
  if (!patch) return nullptr;
  tarq_file* earlier = apply_patch(patch, stack->current);
  if (!earlier) {
    tarq_destroy_buffer(patch);
    return nullptr;
  }
  from->size = static_cast<int32_t>(start);
  from->pos = static_cast<int32_t>(start);
  if (stack->last_patch) tarq_destroy_buffer(stack->last_patch);
  stack->last_patch = patch;
  tarq_file* back = generate_patch(earlier, stack->current, stack->trailer_length);
  append_record(to, back);
  tarq_destroy_buffer(back);
  tarq_destroy_buffer(stack->current);
  stack->current = earlier;
  earlier->pos = 0;
  return earlier;
}

}  // namespace

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
  append_record(stack->undo, patch);
  tarq_destroy_buffer(patch);
  stack->redo->size = 0;
  stack->redo->pos = 0;
  tarq_destroy_buffer(current);
  stack->current = state;
  return 1;
}

tarq_file* tarq_undo(tarq_undo_stack* stack) { return stack ? step(stack, stack->undo, stack->redo) : nullptr; }

tarq_file* tarq_redo(tarq_undo_stack* stack) { return stack ? step(stack, stack->redo, stack->undo) : nullptr; }

tarq_file* tarq_undo_peek_patch(tarq_file* list) {
  int64_t start = newest_record_start(list);
  return start < 0 ? nullptr : copy_record(list, start);
}
