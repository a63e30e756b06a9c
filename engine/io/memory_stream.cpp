// A stream over a borrowed block of memory.
#include "engine/io/memory_stream.h"

#include "engine/io/file.h"
#include "engine/tracked_mem.h"

tarq_file* tarq_fopen_memory(const void* data, int32_t size) {
  if (size < 0 || (size > 0 && !data)) return nullptr;
  tarq_file* f = static_cast<tarq_file*>(tarq_calloc(sizeof(tarq_file)));
  if (!f) return nullptr;
  f->kind = TARQ_FILE_MEMORY;
  f->data = static_cast<uint8_t*>(const_cast<void*>(data));
  f->size = size;
  return f;
}
