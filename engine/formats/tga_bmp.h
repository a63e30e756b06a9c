#pragma once
// TGA and BMP images, which the player never reads or writes: Truevision TGA
// (colour-mapped 8-bit and true-colour 32-bit, uncompressed, read into and
// written from engine bitmaps) and Windows BMP (24-bit, uncompressed, read
// into and written from 32-bit engine bitmaps), with the byte helpers their
// readers and writers share.
#include <cstddef>
#include <cstdint>

struct tarq_bitmap;
struct tarq_file;
struct tarq_palette;

// The bytes left in the stream, or -1 when that cannot be told.
int64_t tarq_image_stream_left(tarq_file* f);
// True when all n bytes were read (or skipped).
bool tarq_image_read(tarq_file* f, void* dst, size_t n);
bool tarq_image_skip(tarq_file* f, int64_t n);
bool tarq_image_write(tarq_file* f, const void* src, size_t n);

inline uint32_t tarq_le16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
inline uint32_t tarq_le32(const uint8_t* p) { return tarq_le16(p) | tarq_le16(p + 2) << 16; }
inline void tarq_put_le16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void tarq_put_le32(uint8_t* p, uint32_t v) {
  tarq_put_le16(p, v);
  tarq_put_le16(p + 2, v >> 16);
}

// Logs one formatted line piece with a text argument.
void tarq_image_log(const char* fmt, const char* text);

// TGA images.
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

// BMP images.
constexpr int TARQ_BMP_HEADER = 54;

// 0 on success; 1 for a null or non-32-bit bitmap or a file that cannot be
// created or written. Rows are written without padding.
int tarq_save_bmp(const char* path, tarq_bitmap* b);
// A new 32-bit bitmap (alpha 0), or null (plain file, then the virtual disk).
tarq_bitmap* tarq_load_bmp(const char* path);
tarq_bitmap* tarq_load_bmp_from_file(tarq_file* f);
// A BMP, else a TGA.
tarq_bitmap* tarq_load_image(const char* path);
