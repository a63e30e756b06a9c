#pragma once
// A stack of byte-patch backups: the newest state is kept whole and every
// earlier state as a patch that rebuilds it from its successor. The last
// `trailer_length` bytes of every state are stored whole in each patch.
#include <cstdint>

struct tarq_file;

struct tarq_undo_stack {
  tarq_file* redo;        // patches that redo undone steps, newest last
  tarq_file* undo;        // patches that undo pushed steps, newest last
  tarq_file* current;     // the newest state, whole; empty until the first push
  tarq_file* last_patch;  // the patch taken off a list by the last undo or redo
  int32_t trailer_length;
};

tarq_undo_stack* tarq_create_undo_stack();
void tarq_destroy_undo_stack(tarq_undo_stack* stack);
void tarq_clear_undo_stack(tarq_undo_stack* stack);

// Hands `state` to the stack, which owns it from now on. `compare` > 0 compares
// that many leading bytes of two equal-length states; otherwise the length plus
// `compare`. Returns 1 when an undo step was added.
int tarq_push_undo_state(tarq_file* state, tarq_undo_stack* stack, int compare);

// The patch that turns `source` into `target`.
tarq_file* generate_patch(tarq_file* source, tarq_file* target, int32_t trailer_length);

// Appends a patch to a patch list, followed by its length word.
void tarq_append_undo_record(tarq_file* list, tarq_file* patch);
