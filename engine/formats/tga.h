#pragma once
// Truevision TGA images: colour-mapped 8-bit and true-colour 32-bit,
// uncompressed, read into and written from engine bitmaps.
#include <cstdint>

struct tarq_bitmap;
struct tarq_file;
struct tarq_palette;

constexpr int TARQ_TGA_HEADER = 18;

// 0 on success; 1 for a null bitmap, a depth other than 8 or 32, or a file
// that cannot be created or written. An 8-bit image takes its colour map
// from the video palette.
int tarq_save_tga(const char* path, tarq_bitmap* b);
// A new bitmap of the file's size and depth, or null (plain file, then the
// virtual disk).
tarq_bitmap* tarq_load_tga(const char* path);
// The same from the stream's position; types, when given, receives the image
// type and colour map type once they were read (else -1 each).
tarq_bitmap* tarq_load_tga_from_file(tarq_file* f, int32_t types[2]);
// The colour map of the last TGA load that had a 24-bit one.
tarq_palette* get_tga_palette();
