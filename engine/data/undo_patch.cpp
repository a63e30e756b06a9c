// Patch layout (little endian): body length L, prefix P, suffix S, a change
// mask of (L - P - S + 7) / 8 bytes, the changed bytes, the trailer, and the
// trailer length N.
#include <cstring>

#include "engine/data/undo.h"
#include "engine/io/file.h"
#include "engine/mem.h"

namespace {

void put32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
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

tarq_file* apply_patch(tarq_file* patch, tarq_file* source) {
  const uint8_t* pp = patch->data;
  int64_t psize = patch->size;
  if (psize < 16) return nullptr;
  int64_t n = static_cast<int32_t>(get32(pp + psize - 4));
  int64_t l = get32(pp), p = get32(pp + 4), s = get32(pp + 8);
  int64_t la = static_cast<int64_t>(source->size) - n;
  int64_t k = l - p - s;
  int64_t mask_size = k > 0 ? (k + 7) / 8 : 0;
  int64_t stored_at = 12 + mask_size;
  int64_t trailer_at = psize - 4 - n;
  // A patch must fit together and match its source: prefix bytes come from the
  // source at the same index, suffix bytes from the end of the source body.
  if (n < 0 || la < 0 || l > 0x3FFFFFFF || trailer_at < stored_at) return nullptr;
  if ((p < l ? p : l) > la || s > la) return nullptr;

  tarq_file* out = tarq_create_buffer(static_cast<int32_t>(l + n));
  if (!out) return nullptr;
  const uint8_t* a = source->data;
  const uint8_t* mask = pp + 12;
  const uint8_t* stored = pp + stored_at;
  uint8_t* dst = out->data;
  for (int64_t i = 0; i < l; i++) {
    if (i < p) {
      dst[i] = a[i];
    } else if (i >= l - s) {
      dst[i] = a[i - l + la];
    } else {
      int64_t j = i - p;
      if (mask[j >> 3] & (1u << (j & 7))) {
        if (stored >= pp + trailer_at) {
          tarq_destroy_buffer(out);
          return nullptr;
        }
        dst[i] = *stored++;
      } else {
        if (i >= la) {
          tarq_destroy_buffer(out);
          return nullptr;
        }
        dst[i] = a[i];
      }
    }
  }
  memcpy(dst + l, pp + trailer_at, static_cast<size_t>(n));
  out->size = static_cast<int32_t>(l + n);
  out->pos = 0;
  return out;
}
