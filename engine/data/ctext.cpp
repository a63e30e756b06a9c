#include "engine/data/ctext.h"

#include <cstring>

#include "engine/io/file.h"
#include "engine/mem.h"

namespace {

int32_t text_length(const tarq_ctext* ctext) {
  return ctext->text ? static_cast<int32_t>(strlen(reinterpret_cast<const char*>(ctext->text))) : 0;
}

tarq_file* make_snapshot(const tarq_ctext* ctext) {
  tarq_file* snap = tarq_create_buffer(2048);
  if (!snap) return nullptr;
  if (ctext->text) {
    cbuffer_add_data(snap, ctext->text, text_length(ctext) + 1);
  } else {
    uint8_t nul = 0;
    cbuffer_add_data(snap, &nul, 1);
  }
  int32_t view[6] = {ctext->cursor,   ctext->select_start, ctext->select_end,
                     ctext->scroll_x, ctext->scroll_y,     ctext->remembered_x};
  tarq_fwrite_int32s(view, 6, snap);
  snap->pos = 0;
  return snap;
}

void push_snapshot(tarq_ctext* ctext, int compare) {
  tarq_file* snap = make_snapshot(ctext);
  if (snap) tarq_push_undo_state(snap, ctext->undo, compare);
}

}  // namespace

tarq_ctext* tarq_create_ctext(uint8_t* text, int32_t capacity) {
  if (capacity < 0) capacity = 0;
  tarq_ctext* ctext = static_cast<tarq_ctext*>(tarq_calloc(sizeof(tarq_ctext)));
  if (!ctext) return nullptr;
  if (text) {
    ctext->text = text;
  } else {
    ctext->buffer = tarq_create_buffer(capacity + 1);
    if (!ctext->buffer) {
      tarq_free(ctext);
      return nullptr;
    }
    ctext->text = ctext->buffer->data;
  }
  ctext->capacity = capacity;
  ctext->undo = tarq_create_undo_stack();
  ctext->undo->trailer_length = TARQ_CTEXT_TRAILER;
  push_snapshot(ctext, 0);
  return ctext;
}

void tarq_destroy_ctext(tarq_ctext* ctext) {
  if (!ctext) return;
  if (ctext->buffer) tarq_destroy_buffer(ctext->buffer);
  tarq_destroy_undo_stack(ctext->undo);
  tarq_free(ctext);
}

void tarq_backup_ctext(tarq_ctext* ctext) { push_snapshot(ctext, text_length(ctext) + 1); }

void tarq_backup_ctext_allow_view(tarq_ctext* ctext) { push_snapshot(ctext, 0); }

void tarq_backup_ctext_if_editing_newline(tarq_ctext* ctext) {
  int line = ctext_get_line_number_for_pos(ctext->text, ctext->cursor);
  if (line == ctext->snapshot_line) return;
  push_snapshot(ctext, 0);
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
