// Snapshots of a code text on its undo stack: pushed before edits, restored
// by undo and redo.
#include "engine/data/ctext_snapshot.h"

#include <cstring>

#include "engine/data/ctext.h"
#include "engine/data/ctext_position.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

// The text's length with its NUL: a snapshot that differs only in its view
// fields adds no undo step.
int32_t text_bytes(const tarq_ctext* ctext) {
  return ctext->text ? static_cast<int32_t>(strlen(reinterpret_cast<const char*>(ctext->text))) + 1 : 1;
}

}  // namespace

void tarq_backup_ctext(tarq_ctext* ctext) { tarq_push_ctext_snapshot(ctext, text_bytes(ctext)); }

void tarq_backup_ctext_allow_view(tarq_ctext* ctext) { tarq_push_ctext_snapshot(ctext, 0); }

void tarq_backup_ctext_if_editing_newline(tarq_ctext* ctext) {
  int line = ctext_get_line_number_for_pos(ctext->text, ctext->cursor);
  if (line == ctext->snapshot_line) return;
  tarq_push_ctext_snapshot(ctext, 0);
  ctext->snapshot_line = line;
}

int restore_undo_ctext_state(tarq_file* snapshot, tarq_ctext* ctext) {
  if (!snapshot || !ctext) return 0;
  // A snapshot is the text, its NUL and the view fields; anything else is refused.
  const uint8_t* data = snapshot->data;
  int32_t text_bytes = snapshot->size - TARQ_CTEXT_TRAILER;
  if (text_bytes < 1 || memchr(data, 0, static_cast<size_t>(text_bytes)) == nullptr) return 0;
  int32_t length = static_cast<int32_t>(strlen(reinterpret_cast<const char*>(data)));
  if (ctext->buffer) {
    tarq_clear_buffer(ctext->buffer);
    cbuffer_add_data(ctext->buffer, data, length + 1);
    ctext->text = ctext->buffer->data;
  } else {
    if (length > ctext->capacity) length = ctext->capacity;
    memcpy(ctext->text, data, static_cast<size_t>(length));
    ctext->text[length] = 0;
  }
  int32_t view[6];
  memcpy(view, data + text_bytes, sizeof view);
  ctext->cursor = view[0];
  ctext->select_start = view[1];
  ctext->select_end = view[2];
  ctext->scroll_x = view[3];
  ctext->scroll_y = view[4];
  ctext->remembered_x = view[5];
  return 1;
}
