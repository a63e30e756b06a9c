#pragma once
// A stream over a borrowed block of memory: read from position 0, never grown
// (a write stops at the block's end). Null for a negative size or a missing
// block. The player reads its memory through owned buffers.
#include <cstdint>

struct tarq_file;

tarq_file* tarq_fopen_memory(const void* data, int32_t size);
