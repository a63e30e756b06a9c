#pragma once
// Walking a pea pod's elements in order, newest first, and the slot of an
// element from its address. Nothing in the player walks a pod this way.
#include <cstdint>

#include "engine/data/pod.h"

void* cpod_first(const tarq_pod* pod);
void* cpod_next(const tarq_pod* pod, const void* element);
int32_t cpod_get_item_index(const tarq_pod* pod, const void* element);
