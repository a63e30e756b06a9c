#include <gtest/gtest.h>

#include <vector>

#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/pod_set.h"
#include "engine/data/pod_walk.h"
#include "engine/io/file.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"

namespace {

void* block(int tag) {
  int* p = (int*)tarq_malloc(sizeof(int));
  *p = tag;
  return p;
}

std::vector<int> live_slots(const tarq_pod* pod) { return std::vector<int>(pod->order, pod->order + pod->count); }

void expect_invariants(const tarq_pod* pod) {
  for (int i = 0; i < pod->capacity; i++) {
    EXPECT_EQ(pod->position[pod->order[i]], i);
    bool live = pod->position[i] < pod->count;
    EXPECT_EQ(live, pod->types[i] != TARQ_ITEM_FREE) << "slot " << i;
  }
}

std::vector<std::pair<void*, int>> hooked;
void record_destroy(void* item, int32_t type) { hooked.push_back({item, type}); }

}  // namespace

TEST(EnginePod, GrowthAndSlotOrder) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_pod* pod = tarq_create_pod(0);
  EXPECT_EQ(pod->capacity, 0);
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 1);
  std::vector<int> capacities;
  for (int i = 0; i < 40; i++) {
    EXPECT_EQ(cpod_add_item(pod, TARQ_ITEM_MEMORY, block(i)), i);
    if (capacities.empty() || capacities.back() != pod->capacity) capacities.push_back(pod->capacity);
  }
  EXPECT_EQ(capacities, (std::vector<int>{8, 20, 38, 65}));
  expect_invariants(pod);
  tarq_destroy_pod(pod);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST(EnginePod, DeleteMovesLastLiveSlotAndReusesTheFreedSlot) {
  tarq_pod* pod = tarq_create_pod(4);
  void* a = block(1);
  void* b = block(2);
  void* c = block(3);
  EXPECT_EQ(cpod_add_item(pod, TARQ_ITEM_MEMORY, a), 0);
  EXPECT_EQ(cpod_add_item(pod, TARQ_ITEM_MEMORY, b), 1);
  EXPECT_EQ(cpod_add_item(pod, TARQ_ITEM_MEMORY, c), 2);
  cpod_delete_item(pod, 0);
  EXPECT_EQ(live_slots(pod), (std::vector<int>{2, 1}));
  expect_invariants(pod);
  // The freed slot never hands out the destroyed item.
  EXPECT_EQ(cpod_get_item(pod, 0, 0), nullptr);
  // Slots at or above the count are not looked up, even when live.
  EXPECT_EQ(cpod_get_item(pod, 2, 0), nullptr);
  EXPECT_EQ(cpod_get_item(pod, 1, TARQ_ITEM_MEMORY), b);
  EXPECT_EQ(cpod_get_item(pod, 1, TARQ_ITEM_BITMAP), nullptr);
  EXPECT_EQ(cpod_get_item(pod, -1, 0), nullptr);
  EXPECT_EQ(cpod_get_item(nullptr, 0, 0), nullptr);
  void* d = block(4);
  EXPECT_EQ(cpod_add_item(pod, TARQ_ITEM_MEMORY, d), 0);
  cpod_delete_item(pod, 3);   // a free slot: nothing
  cpod_delete_item(pod, 99);  // outside the pod: nothing
  cpod_delete_item(pod, -1);
  EXPECT_EQ(pod->count, 3);
  cpod_delete_item_soft(pod, 1);  // the caller keeps b
  EXPECT_EQ(pod->count, 2);
  expect_invariants(pod);
  tarq_free(b);
  tarq_destroy_pod(pod);
}

TEST(EnginePod, RecursiveDestructionByType) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_pod* outer = tarq_create_pod(0);
  tarq_pod* inner = tarq_create_pod(2);
  cpod_add_item(inner, TARQ_ITEM_BITMAP, tarq_create_bitmap(4, 4, 8));
  cpod_add_item(inner, TARQ_ITEM_PALETTE, tarq_create_palette());
  cpod_add_item(outer, TARQ_ITEM_POD, inner);
  cpod_add_item(outer, TARQ_ITEM_FILE, tarq_create_buffer(16));
  cpod_add_item(outer, TARQ_ITEM_MEMORY, block(5));
  EXPECT_EQ(cpod_get_free_item(outer), 3);  // untyped: only the slot
  EXPECT_EQ(outer->types[3], TARQ_ITEM_UNTYPED);
  int stack_value = 0;
  cpod_add_item(outer, 50, &stack_value);  // types 13..99: only the slot is freed
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 4);
  tarq_destroy_pod(outer);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST(EnginePod, ApplicationTypesGoToTheHook) {
  hooked.clear();
  tarq_pod* pod = tarq_create_pod(0);
  int x = 0, y = 0;
  cpod_add_item(pod, 100, &x);
  cpod_add_item(pod, 150, &y);
  tarq_destroy_pod(pod);  // no hook: only the slots
  EXPECT_TRUE(hooked.empty());
  tarq_set_destroy_item_func(record_destroy);
  pod = tarq_create_pod(0);
  cpod_add_item(pod, 100, &x);
  cpod_add_item(pod, 150, &y);
  cpod_clear(pod);
  EXPECT_EQ(pod->count, 0);
  expect_invariants(pod);
  ASSERT_EQ(hooked.size(), 2u);
  EXPECT_EQ(hooked[0], std::make_pair((void*)&y, 150));  // from the end of the live order
  EXPECT_EQ(hooked[1], std::make_pair((void*)&x, 100));
  tarq_set_destroy_item_func(nullptr);
  tarq_destroy_pod(pod);
}

TEST(EnginePod, BadAddStillAddsSafely) {
  tarq_pod* pod = tarq_create_pod(0);
  int x = 0;
  EXPECT_EQ(cpod_add_item(pod, 0, &x), 0);  // logged; kept as an untyped item
  EXPECT_EQ(cpod_add_item(pod, TARQ_ITEM_UNTYPED, nullptr), 1);
  EXPECT_EQ(pod->count, 2);
  expect_invariants(pod);
  tarq_destroy_pod(pod);  // both slots free again; nothing destroyed
}

TEST(EnginePod, PeaPods) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_pod* pea = tarq_create_pea_pod(4, 24);
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 1);
  for (int i = 0; i < 4; i++) EXPECT_EQ(cpod_get_free_item(pea), i);
  EXPECT_EQ(cpod_get_free_item(pea), -1);
  int x;
  EXPECT_EQ(cpod_add_item(pea, TARQ_ITEM_UNTYPED, &x), -1);
  EXPECT_EQ(pea->count, 4);
  uint8_t* base = pea->block;
  std::vector<void*> walk;
  for (void* e = cpod_first(pea); e; e = cpod_next(pea, e)) walk.push_back(e);
  EXPECT_EQ(walk, (std::vector<void*>{base + 72, base + 48, base + 24, base}));
  EXPECT_EQ(cpod_get_item_index(pea, base + 48), 2);
  // Freeing the element just visited does not disturb the walk.
  int visited = 0;
  for (void* e = cpod_first(pea); e; e = cpod_next(pea, e)) {
    cpod_delete_item(pea, cpod_get_item_index(pea, e));
    visited++;
  }
  EXPECT_EQ(visited, 4);
  EXPECT_EQ(pea->count, 0);
  EXPECT_EQ(cpod_first(pea), nullptr);
  EXPECT_EQ(cpod_get_free_item(pea), 0);  // the last freed slot comes first
  EXPECT_EQ(cpod_get_free_item(pea), 1);
  EXPECT_EQ(pea->items[1], base + 24);  // a pea slot keeps its element
  cpod_set_size(pea, 10);               // a pea pod does not grow
  EXPECT_EQ(pea->capacity, 4);
  tarq_destroy_pod(pea);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
  EXPECT_EQ(tarq_create_pea_pod(0, 8), nullptr);
}

TEST(EnginePod, PodSets) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_pod_set set;
  cpod_set_init(&set);
  for (tarq_pod* p : set.pod) EXPECT_EQ(p, nullptr);
  set.pod[3] = tarq_create_pod(0);
  cpod_add_item(set.pod[3], TARQ_ITEM_MEMORY, block(1));
  set.pod[255] = tarq_create_pod(0);
  cpod_set_clear(&set);
  for (tarq_pod* p : set.pod) EXPECT_EQ(p, nullptr);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
  EXPECT_EQ(tarq_destroy_pod(nullptr), nullptr);
}

TEST(EnginePod, RandomOperationsKeepTheInvariants) {
  tarq_pod* pod = tarq_create_pod(0);
  unsigned seed = 7;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int step = 0; step < 2000; step++) {
    if (next() % 3 != 0 || pod->count == 0) {
      cpod_add_item(pod, TARQ_ITEM_MEMORY, block(step));
    } else {
      int slot = pod->order[next() % pod->count];
      if (next() % 2) cpod_delete_item(pod, slot);
      else {
        void* item = pod->items[slot];
        cpod_delete_item_soft(pod, slot);
        tarq_free(item);
      }
    }
  }
  expect_invariants(pod);
  tarq_destroy_pod(pod);
}
