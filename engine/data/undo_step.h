#pragma once
// Undo and redo on a stack of byte-patch backups. Only an editor steps back
// through a stack; the player pushes states and never undoes them.
#include "engine/data/undo.h"

// Step back or forward; the result is the stack's (new) current state,
// positioned at 0, or null when there is nothing to undo or redo.
tarq_file* tarq_undo(tarq_undo_stack* stack);
tarq_file* tarq_redo(tarq_undo_stack* stack);

// A copy of the newest patch of a list (without its length word), or null.
tarq_file* tarq_undo_peek_patch(tarq_file* list);

// The state that a patch rebuilds from `source`, or null when they do not fit together.
tarq_file* apply_patch(tarq_file* patch, tarq_file* source);
