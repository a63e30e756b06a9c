#pragma once
// zlib blocks through the LodePNG library: compressing and decompressing a
// block, and the compressor's window size. The player compresses no block
// itself (its PNG files go through engine/formats/png.h).
#include <cstddef>

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
