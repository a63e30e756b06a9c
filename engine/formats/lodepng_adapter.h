#pragma once
// The PNG entry points the engine calls, in their old form, over
// the current LodePNG library. Every block handed out is malloc'ed by LodePNG
// and released with free().
#include <cstddef>

// Colour types
constexpr unsigned LODEPNG_COLOUR_RGBA = 6;

// Decodes a PNG into pixels of the given colour type and bit depth.
unsigned LodePNG_decode(unsigned char** out, unsigned* w, unsigned* h, const unsigned char* in, size_t insize,
                        unsigned colortype, unsigned bitdepth);
// Reads only the picture's size from its header.
unsigned LodePNG_inspect(unsigned* w, unsigned* h, const unsigned char* in, size_t insize);
// Encodes pixels of the given colour type and bit depth into a new PNG block.
unsigned LodePNG_encode(unsigned char** out, size_t* outsize, const unsigned char* image, unsigned w, unsigned h,
                        unsigned colortype, unsigned bitdepth);
