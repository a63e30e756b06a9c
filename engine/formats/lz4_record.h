#pragma once
// Whole LZ4 records (int32 compressed length k, then one LZ4 block of k
// bytes) written to and read from a stream. The player's pod reader reads
// the length word itself and then the block.
#include <cstdint>

struct tarq_file;

// LZ4 records: int32 compressed length k, then one LZ4 block of k bytes.
int32_t tarq_fwrite_lz4(const void* data, int32_t n, tarq_file* f);
int32_t tarq_fread_lz4(void* dst, int32_t capacity, tarq_file* f);
