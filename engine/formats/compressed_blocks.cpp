// Whole LZ4 records on a stream (compressing one out, and reading one back
// with its length word), and zlib blocks through the LodePNG library.
#include "engine/formats/compressed_blocks.h"

#include <lodepng.h>
#include <lz4.h>
#include <lz4hc.h>

#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

int32_t tarq_fwrite_lz4(const void* data, int32_t n, tarq_file* f) {
  if (n < 0 || n > TARQ_LZ4_MAX_INPUT) return -1;
  int bound = LZ4_compressBound(n);
  char* scratch = static_cast<char*>(tarq_malloc(static_cast<size_t>(bound)));
  if (!scratch) return -1;
  int k = LZ4_compress_HC(static_cast<const char*>(data), scratch, n, bound, LZ4HC_CLEVEL_DEFAULT);
  if (k <= 0) {
    tarq_free(scratch);
    return -1;
  }
  tarq_fwrite_int32(k, f);
  tarq_fwrite(scratch, 1, static_cast<size_t>(k), f);
  tarq_free(scratch);
  return k;
}

int32_t tarq_fread_lz4(void* dst, int32_t capacity, tarq_file* f) {
  uint8_t word[4] = {};
  if (tarq_fread(word, 1, 4, f) != 4) return -1;
  int32_t k = static_cast<int32_t>(static_cast<uint32_t>(word[0]) | static_cast<uint32_t>(word[1]) << 8 |
                                   static_cast<uint32_t>(word[2]) << 16 | static_cast<uint32_t>(word[3]) << 24);
  return tarq_fread_lz4_block(dst, capacity, k, f);
}

// zlib blocks through the LodePNG library.
namespace {

LodeZlib_DeflateSettings deflate_settings = {2, 1, 512};

}  // namespace

unsigned tarq_compress(const unsigned char* in, size_t insize, unsigned char** out, size_t* outsize) {
  return LodeZlib_compress(out, outsize, in, insize, &deflate_settings);
}

unsigned tarq_decompress(const unsigned char* in, size_t insize, unsigned char** out, size_t* outsize) {
  return LodeZlib_decompress(out, outsize, in, insize);
}

void tarq_set_zlib_window_size(unsigned n) { deflate_settings.windowSize = n; }

unsigned LodeZlib_compress(unsigned char** out, size_t* outsize, const unsigned char* in, size_t insize,
                           const LodeZlib_DeflateSettings* settings) {
  LodePNGCompressSettings s;
  lodepng_compress_settings_init(&s);
  s.btype = settings->btype;
  s.use_lz77 = settings->useLZ77;
  s.windowsize = settings->windowSize;
  *out = nullptr;
  *outsize = 0;
  return lodepng_zlib_compress(out, outsize, in, insize, &s);
}

unsigned LodeZlib_decompress(unsigned char** out, size_t* outsize, const unsigned char* in, size_t insize) {
  *out = nullptr;
  *outsize = 0;
  return lodepng_zlib_decompress(out, outsize, in, insize, &lodepng_default_decompress_settings);
}
