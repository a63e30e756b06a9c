#pragma once
// Snapshots of a code text on its undo stack: the editing operations push
// them and the code text field restores them. The player edits no code text.
#include "engine/data/ctext.h"

void tarq_backup_ctext(tarq_ctext* ctext);
void tarq_backup_ctext_allow_view(tarq_ctext* ctext);
void tarq_backup_ctext_if_editing_newline(tarq_ctext* ctext);
int restore_undo_ctext_state(tarq_file* snapshot, tarq_ctext* ctext);
