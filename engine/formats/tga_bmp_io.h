#pragma once
// Byte helpers shared by the TGA and BMP readers and writers.
#include <cstddef>
#include <cstdint>

struct tarq_file;

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
