// Patch layout (little endian): body length L, prefix P, suffix S, a change
// mask of (L - P - S + 7) / 8 bytes, the changed bytes, the trailer, and the
// trailer length N.
#include <cstring>

#include "engine/data/undo.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

void put32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

tarq_file* generate_patch(tarq_file* source, tarq_file* target, int32_t n) {
  const uint8_t* a = source->data;
  const uint8_t* b = target->data;
  int64_t la = static_cast<int64_t>(source->size) - n;
  int64_t lb = static_cast<int64_t>(target->size) - n;
  int64_t m = la < lb ? la : lb;
  if (n < 0 || m < 0) return tarq_create_buffer(0);

  int64_t p = 0;
  while (p < m && a[p] == b[p]) p++;
  int64_t s = 0;
  if (m > 0 && a[la - 1] == b[lb - 1]) {
    s = 1;
    while (s < m - s && a[la - 1 - s] == b[lb - 1 - s]) s++;
  }
  int64_t k = lb - p - s;
  int64_t mask_size = k > 0 ? (k + 7) / 8 : 0;
  int64_t upper = 12 + mask_size + (k > 0 ? k : 0) + n + 4;

  tarq_file* patch = tarq_create_buffer(static_cast<int32_t>(upper));
  if (!patch) return nullptr;
  uint8_t* out = patch->data;
  put32(out, static_cast<uint32_t>(lb));
  put32(out + 4, static_cast<uint32_t>(p));
  put32(out + 8, static_cast<uint32_t>(s));
  uint8_t* mask = out + 12;
  uint8_t* stored = mask + mask_size;
  memset(mask, 0, static_cast<size_t>(mask_size));
  for (int64_t j = 0; j < k; j++) {
    int64_t i = p + j;
    if (i >= la || a[i] != b[i]) {
      mask[j >> 3] |= static_cast<uint8_t>(1u << (j & 7));
      *stored++ = b[i];
    }
  }
  memcpy(stored, b + lb, static_cast<size_t>(n));
  stored += n;
  put32(stored, static_cast<uint32_t>(n));
  stored += 4;
  patch->size = static_cast<int32_t>(stored - out);
  patch->pos = 0;
  return patch;
}
