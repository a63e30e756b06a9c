#pragma once
// The GIF registry's allocator for the GIF library's decoder side, which the
// player never uses (it only writes GIF files).
#include <cstddef>

// The same as gif_malloc (player/capture/gif_alloc.h).
void* gif_calloc(size_t n);
