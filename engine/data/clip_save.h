#pragma once
// One saved clip rectangle: a bitmap's clip is saved and later given back to
// a bitmap. The player never saves a clip this way.
#include <cstdint>

struct tarq_bitmap;

void tarq_save_clip(const tarq_bitmap* b);
void tarq_restore_clip(tarq_bitmap* b);
