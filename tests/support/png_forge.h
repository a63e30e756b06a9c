#pragma once
// Hand-made PNG files for tests of readers that must not trust a picture's
// header: any size in the header, and image data that inflates to as many
// zero bytes as asked, whatever the header says.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tovo_test {

// A PNG (signature, IHDR, one IDAT, IEND, all with valid CRCs) of the given
// size, bit depth and colour type, not interlaced, whose image data is the
// zlib stream of `raw_bytes` zero bytes.
std::string forged_png(uint32_t width, uint32_t height, uint8_t bit_depth, uint8_t colour_type, size_t raw_bytes);

// The raw_bytes that make forged_png a valid picture: a filter byte and the
// packed pixels of each row.
size_t png_scanline_bytes(uint32_t width, uint32_t height, uint32_t bits_per_pixel);

}  // namespace tovo_test
