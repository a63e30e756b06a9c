// Single bytes and strings on growable memory buffers.
#include "engine/io/buffer_bytes.h"

#include <cstring>

#include "engine/io/file.h"
#include "engine/tracked_mem.h"

uint8_t* cbuffer_add_uint8(tarq_file* f, uint8_t byte) {
  if (!f || f->kind != TARQ_FILE_MEMORY || f->pos < 0) return nullptr;
  if (f->capacity != 0 ? tarq_allocate_buffer_size(f, f->pos + 1) != 0 : f->pos >= f->size) return nullptr;
  uint8_t* at = f->data + f->pos;
  *at = byte;
  f->pos++;
  if (f->size < f->pos) f->size = f->pos;
  return at;
}

uint8_t* cbuffer_add_string(tarq_file* f, const char* text) {
  if (!text) return nullptr;
  size_t n = strlen(text) + 1;
  if (n > TARQ_MEM_LIMIT) return nullptr;
  return cbuffer_add_data(f, text, static_cast<int32_t>(n));
}

uint8_t cbuffer_get_uint8(tarq_file* f) {
  if (!f || f->kind != TARQ_FILE_MEMORY || f->pos < 0 || f->pos >= f->size) return 0;
  return f->data[f->pos++];
}
