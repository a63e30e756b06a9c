#pragma once
// The registry of blocks handed to the GIF library for one save: rasters,
// extension arrays and their bytes. Every block is zero-filled and recorded;
// gif_free_all releases them together once the file is written.
#include <cstddef>
#include <cstdint>

constexpr int32_t TOVO_GIF_BLOCKS = 16384;

// A zero-filled block of n bytes (at least one), or null when the registry is
// full or memory runs out.
void* gif_malloc(size_t n);
// Frees every recorded block, newest first, and empties the registry.
void gif_free_all();
// Blocks recorded now.
int32_t gif_block_count();
