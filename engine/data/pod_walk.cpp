// Walking a pea pod's elements in order, and an element's slot from its address.
#include "engine/data/pod_walk.h"

#include <cstddef>

#include "engine/data/pod.h"

void* cpod_first(const tarq_pod* pod) {
  if (!pod || pod->count <= 0) return nullptr;
  return pod->items[pod->order[pod->count - 1]];
}

void* cpod_next(const tarq_pod* pod, const void* element) {
  if (!pod || !pod->pea || !element) return nullptr;
  ptrdiff_t offset = static_cast<const uint8_t*>(element) - pod->block;
  if (offset < 0) return nullptr;
  int32_t s = static_cast<int32_t>(offset / pod->element_size);
  if (s >= pod->capacity) return nullptr;
  int32_t p = pod->position[s];
  if (p <= 0 || p > pod->count) return nullptr;
  return pod->items[pod->order[p - 1]];
}

int32_t cpod_get_item_index(const tarq_pod* pod, const void* element) {
  if (!pod || pod->capacity < 2) return -1;
  const uint8_t* first = static_cast<const uint8_t*>(pod->items[0]);
  const uint8_t* second = static_cast<const uint8_t*>(pod->items[1]);
  if (first == second) return -1;
  return static_cast<int32_t>((static_cast<const uint8_t*>(element) - first) / (second - first));
}
