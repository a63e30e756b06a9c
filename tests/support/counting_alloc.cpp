// Counting allocator for interpreter states in tests. Each block carries its
// size in a header so that the sizes the runtime reports can be checked.
#include "tests/support/counting_alloc.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t HEADER = 16;

size_t stored_size(void* block) {
  size_t n;
  std::memcpy(&n, static_cast<char*>(block) - HEADER, sizeof n);
  return n;
}

}  // namespace

void* counting_alloc_fn(void* ud, void* block, size_t old_size, size_t new_size) {
  counting_alloc* c = static_cast<counting_alloc*>(ud);
  size_t old_real = 0;
  if (block != nullptr) {
    old_real = stored_size(block);
    if (old_real != old_size) c->size_mismatches++;
  }
  if (new_size == 0) {
    if (block != nullptr) {
      std::free(static_cast<char*>(block) - HEADER);
      c->in_use -= old_real;
      c->blocks--;
    }
    return nullptr;
  }
  bool grows = new_size > old_real;
  if (grows && ((c->fail_above != 0 && new_size > c->fail_above) ||
                (c->limit != 0 && c->in_use - old_real + new_size > c->limit))) {
    c->refusals++;
    return nullptr;
  }
  char* base = block ? static_cast<char*>(block) - HEADER : nullptr;
  char* p = static_cast<char*>(std::realloc(base, new_size + HEADER));
  if (p == nullptr) return nullptr;
  std::memcpy(p, &new_size, sizeof new_size);
  if (block == nullptr) c->blocks++;
  c->in_use = c->in_use - old_real + new_size;
  if (c->in_use > c->peak) c->peak = c->in_use;
  return p + HEADER;
}
