#include "engine/data/ctext.h"

#include <cstring>

#include "engine/io/file.h"
#include "engine/tracked_mem.h"

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
  tarq_push_ctext_snapshot(ctext, 0);
  return ctext;
}

void tarq_destroy_ctext(tarq_ctext* ctext) {
  if (!ctext) return;
  if (ctext->buffer) tarq_destroy_buffer(ctext->buffer);
  tarq_destroy_undo_stack(ctext->undo);
  tarq_free(ctext);
}

void tarq_push_ctext_snapshot(tarq_ctext* ctext, int compare) {
  tarq_file* snap = make_snapshot(ctext);
  if (snap) tarq_push_undo_state(snap, ctext->undo, compare);
}
