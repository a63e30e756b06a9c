#include "engine/formats/lodepng_adapter.h"

#include <lodepng.h>

#include <cstdint>
#include <cstdlib>

namespace {

// At least the bytes of filtered scanlines a picture of this header holds,
// interlaced or not (0 when that does not fit a size_t). The decoder refuses
// a picture whose data inflates to any other size; with this as its limit it
// stops inflating there instead of first inflating all of it.
size_t scanline_bytes_bound(unsigned w, unsigned h, const LodePNGColorMode* colour) {
  uint64_t pixels = static_cast<uint64_t>(w) * h;
  if (pixels > (UINT64_C(1) << 56)) return 0;
  // Each of the 7 interlace passes adds at most a filter byte and a partly
  // filled byte to each of at most h rows.
  uint64_t bytes = (pixels * lodepng_get_bpp(colour) + 7) / 8 + UINT64_C(16) * h + 16;
  return bytes > SIZE_MAX ? 0 : static_cast<size_t>(bytes);
}

}  // namespace

unsigned LodePNG_decode(unsigned char** out, unsigned* w, unsigned* h, const unsigned char* in, size_t insize,
                        unsigned colortype, unsigned bitdepth) {
  *out = nullptr;
  LodePNGState state;
  lodepng_state_init(&state);
  state.info_raw.colortype = static_cast<LodePNGColorType>(colortype);
  state.info_raw.bitdepth = bitdepth;
  state.decoder.read_text_chunks = 0;
  state.decoder.remember_unknown_chunks = 0;
  unsigned error = lodepng_inspect(w, h, &state, in, insize);
  if (!error) {
    state.decoder.zlibsettings.max_output_size = scanline_bytes_bound(*w, *h, &state.info_png.color);
    error = lodepng_decode(out, w, h, &state, in, insize);
  }
  lodepng_state_cleanup(&state);
  return error;
}

unsigned LodePNG_inspect(unsigned* w, unsigned* h, const unsigned char* in, size_t insize) {
  LodePNGState state;
  lodepng_state_init(&state);
  unsigned error = lodepng_inspect(w, h, &state, in, insize);
  lodepng_state_cleanup(&state);
  return error;
}

unsigned LodePNG_encode(unsigned char** out, size_t* outsize, const unsigned char* image, unsigned w, unsigned h,
                        unsigned colortype, unsigned bitdepth) {
  *out = nullptr;
  *outsize = 0;
  return lodepng_encode_memory(out, outsize, image, w, h, static_cast<LodePNGColorType>(colortype), bitdepth);
}
