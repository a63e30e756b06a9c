// Ending the cart browser's lists.
#include "player/browser/splore_shutdown.h"

#include "engine/tracked_mem.h"
#include "player/browser/splore.h"

void splore_shutdown() {
  for (splore_list& list : splore.lists) {
    clear_splore_list(&list);
    tarq_free(list.items);
    list.items = nullptr;
    list.capacity = 0;
  }
  splore.list_count = 0;
}
