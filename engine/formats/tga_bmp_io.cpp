// Byte helpers shared by the TGA and BMP readers and writers.
#include "engine/formats/tga_bmp_io.h"

#include <cstdio>

#include "engine/io/file.h"
#include "engine/log.h"
#include "engine/log_format.h"

int64_t tarq_image_stream_left(tarq_file* f) {
  if (!f) return -1;
  if (f->kind == TARQ_FILE_MEMORY) return f->pos < 0 || f->pos > f->size ? 0 : static_cast<int64_t>(f->size) - f->pos;
  if (f->kind != TARQ_FILE_STDIO || !f->fp) return -1;
  const long here = ftell(f->fp);
  if (here < 0 || fseek(f->fp, 0, SEEK_END) != 0) return -1;
  const long end = ftell(f->fp);
  if (fseek(f->fp, here, SEEK_SET) != 0 || end < here) return -1;
  return static_cast<int64_t>(end) - here;
}

bool tarq_image_read(tarq_file* f, void* dst, size_t n) { return n == 0 || tarq_fread(dst, 1, n, f) == n; }

bool tarq_image_skip(tarq_file* f, int64_t n) {
  uint8_t scratch[256];
  while (n > 0) {
    const size_t step = n < static_cast<int64_t>(sizeof scratch) ? static_cast<size_t>(n) : sizeof scratch;
    if (!tarq_image_read(f, scratch, step)) return false;
    n -= static_cast<int64_t>(step);
  }
  return n == 0;
}

bool tarq_image_write(tarq_file* f, const void* src, size_t n) { return n == 0 || tarq_fwrite(src, 1, n, f) == n; }

void tarq_image_log(const char* fmt, const char* text) { tarq_logf(fmt, text ? text : ""); }
