// Undo and redo: earlier states rebuilt from their patches, walking a stack's
// patch lists back and forth.
#include "engine/data/undo_step.h"

#include <cstring>

#include "engine/data/undo.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

uint32_t get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// The start of the newest record of a list, or -1 when the list is empty or broken.
int64_t newest_record_start(const tarq_file* list) {
  if (!list || list->size < 4) return -1;
  uint32_t length = get32(list->data + list->size - 4);
  if (length > static_cast<uint32_t>(list->size - 4)) return -1;
  return static_cast<int64_t>(list->size) - 4 - length;
}

tarq_file* copy_record(const tarq_file* list, int64_t start) {
  int32_t length = static_cast<int32_t>(list->size - 4 - start);
  tarq_file* patch = tarq_create_buffer(length);
  if (!patch) return nullptr;
  if (length > 0) memcpy(patch->data, list->data + start, static_cast<size_t>(length));
  patch->size = length;
  patch->pos = 0;
  return patch;
}

// One step of undo (from = undo list, to = redo list) or redo (the other way).
tarq_file* step(tarq_undo_stack* stack, tarq_file* from, tarq_file* to) {
  int64_t start = newest_record_start(from);
  if (start < 0 || !stack->current) return nullptr;
  tarq_file* patch = copy_record(from, start);
  if (!patch) return nullptr;
  tarq_file* earlier = apply_patch(patch, stack->current);
  if (!earlier) {
    tarq_destroy_buffer(patch);
    return nullptr;
  }
  from->size = static_cast<int32_t>(start);
  from->pos = static_cast<int32_t>(start);
  if (stack->last_patch) tarq_destroy_buffer(stack->last_patch);
  stack->last_patch = patch;
  tarq_file* back = generate_patch(earlier, stack->current, stack->trailer_length);
  tarq_append_undo_record(to, back);
  tarq_destroy_buffer(back);
  tarq_destroy_buffer(stack->current);
  stack->current = earlier;
  earlier->pos = 0;
  return earlier;
}

}  // namespace

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

tarq_file* tarq_undo(tarq_undo_stack* stack) { return stack ? step(stack, stack->undo, stack->redo) : nullptr; }

tarq_file* tarq_redo(tarq_undo_stack* stack) { return stack ? step(stack, stack->redo, stack->undo) : nullptr; }

tarq_file* tarq_undo_peek_patch(tarq_file* list) {
  int64_t start = newest_record_start(list);
  return start < 0 ? nullptr : copy_record(list, start);
}
