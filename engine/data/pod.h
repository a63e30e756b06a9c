#pragma once
// Pods: growable arrays of typed item slots. Destroying a pod destroys each
// item the way its type requires. Live slots sit in the first `count`
// positions of `order`; slot numbers of live items never change.
// A pea pod's slots point at fixed-size elements of one block it owns.
#include <cstdint>

enum : int32_t {
  TARQ_ITEM_FREE = 0,
  TARQ_ITEM_UNTYPED = 1,
  TARQ_ITEM_MEMORY = 2,
  TARQ_ITEM_POD = 3,
  TARQ_ITEM_BITMAP = 4,
  TARQ_ITEM_PALETTE = 5,
  TARQ_ITEM_MODEL = 6,
  TARQ_ITEM_MATERIAL = 7,
  TARQ_ITEM_ANIM = 8,
  TARQ_ITEM_SOUND = 9,
  TARQ_ITEM_VOXMAP = 10,
  TARQ_ITEM_SYNTH = 11,
  TARQ_ITEM_FILE = 12,
  TARQ_ITEM_APPLICATION = 100,  // and above: destroyed through the hook
};

constexpr int TARQ_POD_NAME_SIZE = 32;
constexpr int TARQ_POD_SET_SIZE = 256;

struct tarq_pod {
  void** items;       // item pointer per slot
  int32_t* types;     // item type per slot; 0 = free
  int32_t* order;     // positions 0..count-1: live slots; the rest: free slots
  int32_t* position;  // inverse of order
  int32_t count;
  int32_t capacity;
  int32_t pea;
  int32_t element_size;
  char name[TARQ_POD_NAME_SIZE];
  uint8_t* block;  // a pea pod's elements
};

struct tarq_pod_set {
  tarq_pod* pod[TARQ_POD_SET_SIZE];
};

using tarq_destroy_item_func = void (*)(void* item, int32_t type);

tarq_pod* tarq_create_pod(int32_t n);
tarq_pod* tarq_create_pea_pod(int32_t n, int32_t element_size);
tarq_pod* tarq_destroy_pod(tarq_pod* pod);
void cpod_set_size(tarq_pod* pod, int32_t n);
int32_t cpod_get_free_item(tarq_pod* pod);
int32_t cpod_add_item(tarq_pod* pod, int32_t type, void* item);
void* cpod_get_item(const tarq_pod* pod, int32_t slot, int32_t type);
void cpod_delete_item(tarq_pod* pod, int32_t slot);
void cpod_delete_item_soft(tarq_pod* pod, int32_t slot);
void cpod_clear(tarq_pod* pod);
void tarq_set_destroy_item_func(tarq_destroy_item_func fn);
