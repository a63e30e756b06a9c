// zlib blocks through the LodePNG library.
#include "engine/formats/zlib_blocks.h"

#include <lodepng.h>

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
