// The cart browser's frame: its per-frame update and drawing do nothing in
// the player, and its scroll animation starts over when a program stops.
#include "player/browser/splore.h"

void splore_update() {}

void splore_draw(tarq_bitmap*) {}

void reset_splore_animation() {
  for (int32_t i = 0; i < splore.list_count && i < SPLORE_LIST_SLOTS; i++)
    splore.lists[i].scroll = splore.lists[i].selected;
}
