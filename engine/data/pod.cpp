#include "engine/data/pod.h"

#include <cstdio>
#include <cstring>

#include "engine/data/anim.h"
#include "engine/data/gfx.h"
#include "engine/data/model.h"
#include "engine/data/sound_items.h"
#include "engine/data/voxmap.h"
#include "engine/io/file.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"

namespace {

tarq_destroy_item_func destroy_item_hook = nullptr;

void log_assertion(const char* what) { tarq_logf("\nAssertion failed: %s\n", what); }

bool valid_slot(const tarq_pod* pod, int32_t slot) { return pod && slot >= 0 && slot < pod->capacity; }

void destroy_item(void* item, int32_t type) {
  switch (type) {
    case TARQ_ITEM_MEMORY: tarq_free(item); break;
    case TARQ_ITEM_POD: tarq_destroy_pod(static_cast<tarq_pod*>(item)); break;
    case TARQ_ITEM_BITMAP: tarq_destroy_bitmap(static_cast<tarq_bitmap*>(item)); break;
    case TARQ_ITEM_PALETTE: tarq_destroy_palette(static_cast<tarq_palette*>(item)); break;
    case TARQ_ITEM_MODEL: tarq_destroy_model(static_cast<tarq_model*>(item)); break;
    case TARQ_ITEM_MATERIAL: tarq_destroy_material(static_cast<tarq_material*>(item)); break;
    case TARQ_ITEM_ANIM: tarq_destroy_anim(static_cast<tarq_anim*>(item)); break;
    case TARQ_ITEM_VOXMAP: tarq_destroy_voxmap(static_cast<tarq_voxmap*>(item)); break;
    case TARQ_ITEM_FILE: tarq_fclose(static_cast<tarq_file*>(item)); break;
    default:
      // Sounds and synth graphs through the kind their owner registered.
      if (const tarq_item_kind* kind = tarq_item_kind_of(type)) kind->destroy(item);
      else if (type >= TARQ_ITEM_APPLICATION && destroy_item_hook) destroy_item_hook(item, type);
      break;
  }
}

// Frees a live slot: it becomes the first free position. A normal pod forgets
// the item's pointer so that nothing can hand it out again.
void free_slot(tarq_pod* pod, int32_t s) {
  pod->types[s] = TARQ_ITEM_FREE;
  if (!pod->pea) pod->items[s] = nullptr;
  pod->count -= 1;
  int32_t t = pod->order[pod->count];
  pod->order[pod->count] = s;
  pod->order[pod->position[s]] = t;
  pod->position[t] = pod->position[s];
  pod->position[s] = pod->count;
}

void destroy_all_items(tarq_pod* pod) {
  for (int32_t n = pod->count; n > 0 && pod->count > 0; n--) {
    int32_t s = pod->order[pod->count - 1];
    if (pod->types[s] == TARQ_ITEM_FREE) break;  // a live slot without a type
    if (!pod->pea) destroy_item(pod->items[s], pod->types[s]);
    free_slot(pod, s);
  }
  if (pod->count != 0) return;
  for (int32_t i = 0; i < pod->capacity; i++) {
    pod->order[i] = i;
    pod->position[i] = i;
    pod->types[i] = TARQ_ITEM_FREE;
  }
}

bool grow(tarq_pod* pod, int32_t n) {
  if (n <= pod->capacity) return true;
  void** items = static_cast<void**>(tarq_realloc(pod->items, sizeof(void*) * static_cast<size_t>(n)));
  if (!items) return false;
  pod->items = items;
  int32_t* arrays[3] = {pod->types, pod->order, pod->position};
  for (int32_t*& a : arrays) {
    int32_t* grown = static_cast<int32_t*>(tarq_realloc(a, sizeof(int32_t) * static_cast<size_t>(n)));
    if (!grown) return false;
    a = grown;
  }
  pod->types = arrays[0];
  pod->order = arrays[1];
  pod->position = arrays[2];
  for (int32_t i = pod->capacity; i < n; i++) {
    pod->items[i] = nullptr;
    pod->types[i] = TARQ_ITEM_FREE;
    pod->order[i] = i;
    pod->position[i] = i;
  }
  pod->capacity = n;
  return true;
}

tarq_pod* new_pod() {
  tarq_pod* pod = static_cast<tarq_pod*>(tarq_calloc(sizeof(tarq_pod)));
  if (pod) tarq_item_created();
  return pod;
}

}  // namespace

tarq_pod* tarq_create_pod(int32_t n) {
  tarq_pod* pod = new_pod();
  if (pod && n > 0 && !grow(pod, n)) return tarq_destroy_pod(pod);
  return pod;
}

tarq_pod* tarq_create_pea_pod(int32_t n, int32_t element_size) {
  if (n < 1 || element_size < 1) return nullptr;
  tarq_pod* pod = new_pod();
  if (!pod) return nullptr;
  pod->pea = 1;
  pod->element_size = element_size;
  pod->block = static_cast<uint8_t*>(tarq_calloc(static_cast<size_t>(n) * static_cast<size_t>(element_size)));
  if (!pod->block || !grow(pod, n)) return tarq_destroy_pod(pod);
  for (int32_t i = 0; i < n; i++)
    pod->items[i] = pod->block + static_cast<size_t>(i) * static_cast<size_t>(element_size);
  return pod;
}

tarq_pod* tarq_destroy_pod(tarq_pod* pod) {
  if (!pod) return nullptr;
  destroy_all_items(pod);
  if (pod->count != 0) tarq_debug("tarq_destroy_pod: cpod->items != 0\n");
  tarq_free(pod->items);
  tarq_free(pod->types);
  tarq_free(pod->order);
  tarq_free(pod->position);
  tarq_free(pod->block);
  tarq_free(pod);
  tarq_item_destroyed();
  return nullptr;
}

void cpod_set_size(tarq_pod* pod, int32_t n) {
  if (pod && !pod->pea) grow(pod, n);
}

int32_t cpod_get_free_item(tarq_pod* pod) {
  if (!pod) return -1;
  if (pod->count + 1 > pod->capacity) {
    if (pod->pea) return -1;
    if (!grow(pod, pod->capacity + pod->capacity / 2 + 8)) return -1;
  }
  pod->count += 1;
  int32_t s = pod->order[pod->count - 1];
  pod->types[s] = TARQ_ITEM_UNTYPED;
  return s;
}

int32_t cpod_add_item(tarq_pod* pod, int32_t type, void* item) {
  if (type == TARQ_ITEM_FREE) {
    // A live slot of type 0 could never be freed again: keep it as untyped.
    log_assertion("Bad cpod_add_item type");
    type = TARQ_ITEM_UNTYPED;
  }
  if (!item) log_assertion("Bad cpod_add_item");
  int32_t s = cpod_get_free_item(pod);
  if (s < 0) return -1;
  pod->items[s] = item;
  pod->types[s] = type;
  return s;
}

void* cpod_get_item(const tarq_pod* pod, int32_t slot, int32_t type) {
  if (!pod || slot < 0 || slot >= pod->count) return nullptr;
  if (pod->types[slot] == TARQ_ITEM_FREE) return nullptr;
  if (type != 0 && type != pod->types[slot]) return nullptr;
  return pod->items[slot];
}

void cpod_delete_item(tarq_pod* pod, int32_t slot) {
  if (!valid_slot(pod, slot) || pod->types[slot] == TARQ_ITEM_FREE) return;
  if (pod->position[slot] >= pod->count) return;
  if (!pod->pea) destroy_item(pod->items[slot], pod->types[slot]);
  free_slot(pod, slot);
}

void cpod_delete_item_soft(tarq_pod* pod, int32_t slot) {
  if (!valid_slot(pod, slot) || pod->types[slot] == TARQ_ITEM_FREE) return;
  if (pod->position[slot] >= pod->count) return;
  free_slot(pod, slot);
}

void cpod_clear(tarq_pod* pod) {
  if (pod) destroy_all_items(pod);
}

void tarq_set_destroy_item_func(tarq_destroy_item_func fn) { destroy_item_hook = fn; }
