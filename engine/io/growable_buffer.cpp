// Growable memory buffers: owned memory streams that grow by doubling.
#include <cstring>

#include "engine/io/file.h"
#include "engine/tracked_mem.h"

tarq_file* tarq_create_buffer(int32_t capacity) {
  if (capacity < 4) capacity = 4;
  if (static_cast<uint32_t>(capacity) > TARQ_MEM_LIMIT) return nullptr;
  tarq_file* f = static_cast<tarq_file*>(tarq_calloc(sizeof(tarq_file)));
  if (!f) return nullptr;
  f->data = static_cast<uint8_t*>(tarq_calloc(static_cast<size_t>(capacity)));
  if (!f->data) {
    tarq_free(f);
    return nullptr;
  }
  f->kind = TARQ_FILE_MEMORY;
  f->capacity = capacity;
  return f;
}

int tarq_allocate_buffer_size(tarq_file* f, int32_t n) {
  if (!f || f->kind != TARQ_FILE_MEMORY) return 1;
  if (n <= f->capacity) return 0;
  if (f->capacity == 0 && f->data) return 1;  // borrowed blocks never grow
  if (static_cast<uint32_t>(n) > TARQ_MEM_LIMIT) return 1;
  int64_t wanted = 2 * int64_t{n};
  int32_t grown = wanted > TARQ_MEM_LIMIT ? static_cast<int32_t>(TARQ_MEM_LIMIT) : static_cast<int32_t>(wanted);
  uint8_t* data = static_cast<uint8_t*>(f->data ? tarq_realloc(f->data, static_cast<size_t>(grown))
                                                : tarq_malloc(static_cast<size_t>(grown)));
  if (!data) return 1;
  int32_t old = f->data ? f->capacity : 0;
  memset(data + old, 0, static_cast<size_t>(grown - old));
  f->data = data;
  f->capacity = grown;
  return 0;
}

void tarq_destroy_buffer(tarq_file* f) { tarq_fclose(f); }

tarq_file* tarq_clear_buffer(tarq_file* f) {
  if (f) {
    f->size = 0;
    f->pos = 0;
  }
  return f;
}

uint8_t* cbuffer_add_data(tarq_file* f, const void* data, int32_t count) {
  if (!f || f->kind != TARQ_FILE_MEMORY || f->pos < 0 || count < 0) return nullptr;
  int32_t at = f->pos;
  if (tarq_fwrite(data, 1, static_cast<size_t>(count), f) != static_cast<size_t>(count) || !f->data) return nullptr;
  return f->data + at;
}
