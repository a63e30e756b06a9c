// Reading and writing 24-bit BMP images.
#include "engine/formats/bmp.h"

#include <cstdio>

#include "engine/data/gfx.h"
#include "engine/formats/tga.h"
#include "engine/formats/tga_bmp_io.h"
#include "engine/io/file.h"
#include "engine/log.h"
#include "engine/tracked_mem.h"

namespace {

constexpr uint32_t RESOLUTION = 2834;  // pixels per metre
constexpr uint32_t IMAGE_SIZE_FIELD = 48;

struct bmp_header {
  int32_t width, height;  // height < 0: rows stored from the top down
  uint32_t data_offset;
};

bool read_header(tarq_file* f, bmp_header* h) {
  uint8_t b[TARQ_BMP_HEADER];
  if (!tarq_image_read(f, b, sizeof b)) return false;
  if (b[0] != 'B' || b[1] != 'M') return false;
  h->data_offset = tarq_le32(b + 10);
  h->width = static_cast<int32_t>(tarq_le32(b + 18));
  h->height = static_cast<int32_t>(tarq_le32(b + 22));
  const uint32_t bits = tarq_le16(b + 28), compression = tarq_le32(b + 30), colours = tarq_le32(b + 46);
  if (bits != 24 || compression != 0 || colours != 0) return false;
  return h->width > 0 && h->height != 0 && h->height != INT32_MIN && h->data_offset >= TARQ_BMP_HEADER;
}

}  // namespace

// Pixel data starts at the header's data offset. Rows are read padded to four
// bytes when the file holds that much, else unpadded as tarq_save_bmp writes
// them.
tarq_bitmap* tarq_load_bmp_from_file(tarq_file* f) {
  bmp_header h;
  if (!f || !read_header(f, &h)) return nullptr;
  if (!tarq_image_skip(f, static_cast<int64_t>(h.data_offset) - TARQ_BMP_HEADER)) return nullptr;
  const int32_t height = h.height < 0 ? -h.height : h.height;
  const int64_t row_bytes = static_cast<int64_t>(h.width) * 3;
  const int64_t padded = (row_bytes + 3) & ~static_cast<int64_t>(3);
  const int64_t left = tarq_image_stream_left(f);
  if (left >= 0 && left / row_bytes < height) return nullptr;
  const int64_t pad = left >= 0 && left / padded >= height ? padded - row_bytes : 0;
  tarq_bitmap* b = tarq_create_bitmap(h.width, height, 32);
  if (!b) return nullptr;
  // Each row is read into the back of its own 32-bit row and spread forwards.
  for (int32_t i = 0; i < height; i++) {
    const int32_t y = h.height < 0 ? i : height - 1 - i;
    uint8_t* bytes = b->rows[y] + static_cast<size_t>(h.width);
    if (!tarq_image_read(f, bytes, static_cast<size_t>(row_bytes)) || (i < height - 1 && !tarq_image_skip(f, pad)))
      return tarq_destroy_bitmap(b);
    uint32_t* row = tarq_row32(b, y);
    for (int32_t x = 0; x < h.width; x++) {
      const uint8_t* p = bytes + 3 * static_cast<size_t>(x);
      row[x] = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
  }
  return b;
}

tarq_bitmap* tarq_load_bmp(const char* path) {
  tarq_image_log("tarq_load_bmp %s ", path);
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) {
    tarq_debug("not found\n");
    return nullptr;
  }
  tarq_bitmap* b = tarq_load_bmp_from_file(f);
  tarq_fclose(f);
  tarq_debug(b ? "ok\n" : "failed\n");
  return b;
}

tarq_bitmap* tarq_load_image(const char* path) {
  tarq_bitmap* b = tarq_load_bmp(path);
  return b ? b : tarq_load_tga(path);
}

int tarq_save_bmp(const char* path, tarq_bitmap* b) {
  tarq_image_log("tarq_save_bmp %s\n", path);
  if (!b || b->depth != 32) return 1;
  const uint64_t data_bytes = static_cast<uint64_t>(b->width) * static_cast<uint64_t>(b->height) * 3;
  if (data_bytes + TARQ_BMP_HEADER > UINT32_MAX) return 1;
  uint8_t h[TARQ_BMP_HEADER] = {'B', 'M'};
  tarq_put_le32(h + 2, static_cast<uint32_t>(data_bytes + TARQ_BMP_HEADER));
  tarq_put_le32(h + 10, TARQ_BMP_HEADER);
  tarq_put_le32(h + 14, 40);
  tarq_put_le32(h + 18, static_cast<uint32_t>(b->width));
  tarq_put_le32(h + 22, static_cast<uint32_t>(b->height));
  tarq_put_le16(h + 26, 1);
  tarq_put_le16(h + 28, 24);
  tarq_put_le32(h + 34, IMAGE_SIZE_FIELD);
  tarq_put_le32(h + 38, RESOLUTION);
  tarq_put_le32(h + 42, RESOLUTION);
  auto* row = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(b->width) * 3));
  if (!row) return 1;
  tarq_file* f = tarq_fopen(path, "wb");
  bool ok = f && tarq_image_write(f, h, sizeof h);
  for (int32_t y = b->height - 1; y >= 0 && ok; y--) {
    for (int32_t x = 0; x < b->width; x++) {
      const uint32_t c = tarq_getpixel(b, x, y);
      row[3 * x] = static_cast<uint8_t>(c);
      row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
    }
    ok = tarq_image_write(f, row, static_cast<size_t>(b->width) * 3);
  }
  tarq_free(row);
  if (ok) ok = f->kind == TARQ_FILE_STDIO && f->fp && fflush(f->fp) == 0;
  tarq_fclose(f);
  return ok ? 0 : 1;
}
