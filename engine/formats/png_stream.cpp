// Decoding a PNG held in an engine stream.
#include <cstdio>
#include <cstdlib>

#include "engine/formats/lodepng_adapter.h"
#include "engine/formats/png.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

unsigned decode_block(unsigned char** out, unsigned* w, unsigned* h, const unsigned char* in, size_t size,
                      unsigned colortype, unsigned bitdepth) {
  unsigned error = LodePNG_inspect(w, h, in, size);
  if (error) return error;
  if (*w < 1 || *h < 1 || *w > TARQ_PNG_MAX_SIDE || *h > TARQ_PNG_MAX_SIDE) return TARQ_PNG_BAD_SIZE;
  return LodePNG_decode(out, w, h, in, size, colortype, bitdepth);
}

}  // namespace

unsigned LodePNG_decode_tarq_file(unsigned char** out, unsigned* w, unsigned* h, tarq_file* f, unsigned colortype,
                                  unsigned bitdepth) {
  *out = nullptr;
  *w = *h = 0;
  if (!f) return TARQ_PNG_NO_STREAM;
  if (f->kind == TARQ_FILE_MEMORY) {
    f->pos = 0;
    if (!f->data || f->size <= 0) return decode_block(out, w, h, nullptr, 0, colortype, bitdepth);
    return decode_block(out, w, h, f->data, static_cast<size_t>(f->size), colortype, bitdepth);
  }
  if (f->kind != TARQ_FILE_STDIO || !f->fp) return TARQ_PNG_NO_STREAM;
  if (fseek(f->fp, 0, SEEK_END) != 0) return TARQ_PNG_NO_STREAM;
  long size = ftell(f->fp);
  if (size < 0) return TARQ_PNG_NO_STREAM;
  if (size > TARQ_PNG_MAX_FILE) return TARQ_PNG_FILE_TOO_LARGE;
  rewind(f->fp);
  unsigned char* block = static_cast<unsigned char*>(tarq_malloc(static_cast<size_t>(size)));
  if (!block) return TARQ_PNG_FILE_TOO_LARGE;
  size_t got = fread(block, 1, static_cast<size_t>(size), f->fp);
  unsigned error = decode_block(out, w, h, block, got, colortype, bitdepth);
  tarq_free(block);
  return error;
}

unsigned LodePNG_decode32_tarq_file(unsigned char** out, unsigned* w, unsigned* h, tarq_file* f) {
  return LodePNG_decode_tarq_file(out, w, h, f, LODEPNG_COLOUR_RGBA, 8);
}
