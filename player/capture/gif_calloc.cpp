// The GIF registry's allocator for decoding.
#include "player/capture/gif_calloc.h"

#include "player/capture/gif_alloc.h"

void* gif_calloc(size_t n) { return gif_malloc(n); }
