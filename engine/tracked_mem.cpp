// The tracked allocator over malloc, realloc and free.
#include "engine/tracked_mem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/config.h"
#include "engine/log.h"

static_assert(TARQ_MEM_HEADER % alignof(uint32_t) == 0 && TARQ_MEM_HEADER >= 8);

namespace {

// The header words sit right in front of the data: the magic word, then the size.
uint32_t header_word(const void* p, int back) {
  uint32_t w;
  memcpy(&w, static_cast<const uint8_t*>(p) - back, 4);
  return w;
}
void set_header_word(void* p, int back, uint32_t w) { memcpy(static_cast<uint8_t*>(p) - back, &w, 4); }
uint32_t magic_of(const void* p) { return header_word(p, 8); }
uint32_t size_of(const void* p) { return header_word(p, 4); }
void set_header(void* p, uint32_t magic, uint32_t size) {
  set_header_word(p, 8, magic);
  set_header_word(p, 4, size);
}
void* system_block(void* p) { return static_cast<uint8_t*>(p) - TARQ_MEM_HEADER; }

// A zeroed tracked block of exactly t usable bytes, 0 < t <= TARQ_MEM_LIMIT.
void* make_block(size_t t) {
  void* base = malloc(t + TARQ_MEM_HEADER);
  if (!base) return nullptr;
  memset(base, 0, t + TARQ_MEM_HEADER);
  void* p = static_cast<uint8_t*>(base) + TARQ_MEM_HEADER;
  set_header(p, TARQ_MEM_MAGIC, static_cast<uint32_t>(t));
  return p;
}

void report_bad_block(const char* op, void* p) {
  char line[96];
  snprintf(line, sizeof line, "%s fail %x %x\n", op, magic_of(p), size_of(p));
  fputs(line, stdout);
  fflush(stdout);
  tarq_debug(line);
}

}  // namespace

void* tarq_malloc(size_t n) {
  if (n > TARQ_MEM_LIMIT - TARQ_MEM_SLACK) return nullptr;
  return make_block(n + TARQ_MEM_SLACK);
}

void* tarq_calloc(size_t n) {
  if (n == 0 || n > TARQ_MEM_LIMIT) return nullptr;
  return make_block(n);
}

void* tarq_realloc(void* p, size_t n) {
  if (!p) return tarq_malloc(n);
  if (n > TARQ_MEM_LIMIT) return nullptr;
  if (magic_of(p) != TARQ_MEM_MAGIC) {
    report_bad_block("tarq_realloc", p);
    return nullptr;
  }
  void* base = realloc(system_block(p), n + TARQ_MEM_HEADER);
  if (!base) return nullptr;
  void* q = static_cast<uint8_t*>(base) + TARQ_MEM_HEADER;
  set_header_word(q, 4, static_cast<uint32_t>(n));
  return q;
}

void* tarq_mem_release(void* p) {
  if (magic_of(p) != TARQ_MEM_MAGIC) {
    report_bad_block("tarq_free", p);
    return nullptr;
  }
  set_header(p, TARQ_MEM_FREED_MAGIC, TARQ_MEM_FREED_SIZE);
  return system_block(p);
}

void* tarq_mem_scrub(void* p) {
  if (magic_of(p) != TARQ_MEM_MAGIC) return tarq_mem_release(p);
  uint32_t words = size_of(p) / 4;
  uint8_t* data = static_cast<uint8_t*>(p);
  for (uint32_t i = 0; i < words; i++) memcpy(data + 4 * size_t{i}, &TARQ_MEM_FREED_FILL, 4);
  return tarq_mem_release(p);
}

void tarq_free(void* p) {
  if (!p || cconfig.deferred_dealloc) return;
  free(TARQ_MEM_FILL_FREED ? tarq_mem_scrub(p) : tarq_mem_release(p));
}

void tarq_memset(void* p, int byte, size_t n) {
  if (p) memset(p, byte, n);
}
