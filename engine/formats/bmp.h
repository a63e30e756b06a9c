#pragma once
// Windows BMP images: 24-bit, uncompressed, read into and written from
// 32-bit engine bitmaps.
#include <cstdint>

struct tarq_bitmap;
struct tarq_file;

constexpr int TARQ_BMP_HEADER = 54;

// 0 on success; 1 for a null or non-32-bit bitmap or a file that cannot be
// created or written. Rows are written without padding.
int tarq_save_bmp(const char* path, tarq_bitmap* b);
// A new 32-bit bitmap (alpha 0), or null (plain file, then the virtual disk).
tarq_bitmap* tarq_load_bmp(const char* path);
tarq_bitmap* tarq_load_bmp_from_file(tarq_file* f);
// A BMP, else a TGA.
tarq_bitmap* tarq_load_image(const char* path);
