#include "engine/formats/lodepng_adapter.h"

#include <lodepng.h>

#include <cstdlib>

unsigned LodePNG_decode(unsigned char** out, unsigned* w, unsigned* h, const unsigned char* in, size_t insize,
                        unsigned colortype, unsigned bitdepth) {
  *out = nullptr;
  return lodepng_decode_memory(out, w, h, in, insize, static_cast<LodePNGColorType>(colortype), bitdepth);
}

unsigned LodePNG_inspect(unsigned* w, unsigned* h, const unsigned char* in, size_t insize) {
  LodePNGState state;
  lodepng_state_init(&state);
  unsigned error = lodepng_inspect(w, h, &state, in, insize);
  lodepng_state_cleanup(&state);
  return error;
}

unsigned LodePNG_encode_file(const char* filename, const unsigned char* image, unsigned w, unsigned h,
                             unsigned colortype, unsigned bitdepth) {
  return lodepng_encode_file(filename, image, w, h, static_cast<LodePNGColorType>(colortype), bitdepth);
}
