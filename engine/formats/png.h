#pragma once
// PNG files as engine bitmaps, and PNG decoding from streams.
#include <cstddef>
#include <cstdint>

struct tarq_bitmap;
struct tarq_file;

constexpr int32_t TARQ_PNG_MAX_SIDE = 16384;
constexpr unsigned TARQ_PNG_NO_STREAM = 100;
constexpr unsigned TARQ_PNG_FILE_TOO_LARGE = 333;  // a stdio file above 0x10000000 bytes
constexpr unsigned TARQ_PNG_BAD_SIZE = 334;        // a side outside 1..16384
constexpr unsigned TARQ_PNG_NOT_WRITTEN = 79;      // the file could not be written (the old one stays)
constexpr long TARQ_PNG_MAX_FILE = 0x10000000;

// Decodes a whole stream (from its start) into a malloc'ed pixel block of the
// given colour type and depth; LodePNG's error code, or one of the codes above.
// Pictures with a side outside 1..16384 are refused before their pixels are decoded.
unsigned LodePNG_decode_tarq_file(unsigned char** out, unsigned* w, unsigned* h, tarq_file* f, unsigned colortype,
                                  unsigned bitdepth);
unsigned LodePNG_decode32_tarq_file(unsigned char** out, unsigned* w, unsigned* h, tarq_file* f);

// A 32-bit bitmap (0xAARRGGBB) from a PNG stream or file; null when it cannot be decoded.
tarq_bitmap* tarq_load_png_from_file(tarq_file* f);
tarq_bitmap* tarq_load_png(const char* path);
// Writes an 8-bit bitmap through the current video palette, a 32-bit one as
// it is, replacing the file whole (engine/io/replace.h); 0 on success, else
// LodePNG's error code or TARQ_PNG_NOT_WRITTEN.
int tarq_save_png(const char* path, tarq_bitmap* bitmap);
