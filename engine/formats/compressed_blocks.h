#pragma once
// Compressed blocks the player never makes itself: whole LZ4 records (int32
// compressed length k, then one LZ4 block of k bytes) written to and read
// from a stream (the player's pod reader reads the length word itself and
// then the block), and zlib blocks through the LodePNG library with the
// compressor's window size (its PNG files go through engine/formats/png.h).
#include <cstddef>
#include <cstdint>

struct tarq_file;

// LZ4 records: int32 compressed length k, then one LZ4 block of k bytes.
int32_t tarq_fwrite_lz4(const void* data, int32_t n, tarq_file* f);
int32_t tarq_fread_lz4(void* dst, int32_t capacity, tarq_file* f);

// zlib streams; the output block is malloc'ed (release it with free()).
unsigned tarq_compress(const unsigned char* in, size_t insize, unsigned char** out, size_t* outsize);
unsigned tarq_decompress(const unsigned char* in, size_t insize, unsigned char** out, size_t* outsize);
void tarq_set_zlib_window_size(unsigned n);

// The old-form entry points these go through.
struct LodeZlib_DeflateSettings {
  unsigned btype;  // 2: dynamic Huffman
  unsigned useLZ77;
  unsigned windowSize;  // a power of two up to 32768
};

unsigned LodeZlib_compress(unsigned char** out, size_t* outsize, const unsigned char* in, size_t insize,
                           const LodeZlib_DeflateSettings* settings);
unsigned LodeZlib_decompress(unsigned char** out, size_t* outsize, const unsigned char* in, size_t insize);
