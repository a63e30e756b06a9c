// Reading and writing uncompressed TGA images and 24-bit BMP images, and the
// byte helpers they share.
#include "engine/formats/tga_bmp.h"

#include <cstdio>
#include <cstring>

#include "engine/data/gfx.h"
#include "engine/io/file.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/platform/present.h"
#include "engine/tracked_mem.h"

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

// Uncompressed TGA images.
namespace {

tarq_palette tga_palette;

struct tga_header {
  uint8_t id_length, map_type, image_type;
  uint32_t map_length, map_entry_bits;
  int32_t width, height;
  uint32_t depth, descriptor;
};

bool read_header(tarq_file* f, tga_header* h, int32_t types[2]) {
  uint8_t b[TARQ_TGA_HEADER];
  if (!tarq_image_read(f, b, 3)) return false;
  h->id_length = b[0];
  h->map_type = b[1];
  h->image_type = b[2];
  types[0] = b[2];
  types[1] = b[1];
  if (!tarq_image_read(f, b + 3, TARQ_TGA_HEADER - 3)) return false;
  h->map_length = tarq_le16(b + 5);
  h->map_entry_bits = b[7];
  h->width = static_cast<int32_t>(tarq_le16(b + 12));
  h->height = static_cast<int32_t>(tarq_le16(b + 14));
  h->depth = b[16];
  h->descriptor = b[17];
  return true;
}

// A colour map of 24-bit entries goes into `map` (entries past 256 are read
// and dropped); entries of any other size are skipped so that the pixels
// after them are read from the right place.
bool read_colour_map(tarq_file* f, const tga_header& h, tarq_palette* map, bool* has_map) {
  *has_map = false;
  if (h.map_type != 1 || h.map_length == 0) return true;
  if (h.map_entry_bits != 24)
    return tarq_image_skip(f, static_cast<int64_t>(h.map_length) * ((h.map_entry_bits + 7) / 8));
  for (uint32_t i = 0; i < h.map_length; i++) {
    uint8_t bgr[3];
    if (!tarq_image_read(f, bgr, 3)) return false;
    if (i >= 256) continue;
    map->rgb[i][0] = bgr[2];
    map->rgb[i][1] = bgr[1];
    map->rgb[i][2] = bgr[0];
  }
  *has_map = true;
  return true;
}

bool read_rows(tarq_file* f, const tga_header& h, tarq_bitmap* b) {
  const size_t row_bytes = static_cast<size_t>(h.width) * (h.depth / 8);
  for (int32_t i = 0; i < h.height; i++) {
    const int32_t y = (h.descriptor & 0x20) ? i : h.height - 1 - i;
    if (!tarq_image_read(f, b->rows[y], row_bytes)) return false;
    if (h.depth == 32) {
      uint32_t* row = tarq_row32(b, y);
      for (int32_t x = 0; x < h.width; x++) row[x] = tarq_le32(b->rows[y] + 4 * static_cast<size_t>(x));
    }
  }
  return true;
}

bool write_header(tarq_file* f, const tarq_bitmap* b) {
  uint8_t h[TARQ_TGA_HEADER] = {};
  const bool mapped = b->depth == 8;
  h[1] = mapped ? 1 : 0;
  h[2] = mapped ? 1 : 2;
  tarq_put_le16(h + 5, mapped ? 256 : 0);
  h[7] = mapped ? 24 : 0;
  tarq_put_le16(h + 12, static_cast<uint32_t>(b->width));
  tarq_put_le16(h + 14, static_cast<uint32_t>(b->height));
  h[16] = static_cast<uint8_t>(b->depth);
  if (!tarq_image_write(f, h, sizeof h)) return false;
  if (!mapped) return true;
  uint8_t map[256 * 3] = {};
  if (tarq_video.tarq_video_palette) {
    for (int i = 0; i < 256; i++) {
      map[3 * i] = tarq_video.tarq_video_palette->rgb[i][2];
      map[3 * i + 1] = tarq_video.tarq_video_palette->rgb[i][1];
      map[3 * i + 2] = tarq_video.tarq_video_palette->rgb[i][0];
    }
  }
  return tarq_image_write(f, map, sizeof map);
}

bool write_rows(tarq_file* f, const tarq_bitmap* b) {
  const size_t row_bytes = static_cast<size_t>(b->width) * static_cast<size_t>(b->depth / 8);
  auto* row = static_cast<uint8_t*>(tarq_malloc(row_bytes));
  if (!row) return false;
  bool ok = true;
  for (int32_t y = b->height - 1; y >= 0 && ok; y--) {
    if (b->depth == 8) {
      memcpy(row, b->rows[y], row_bytes);
    } else {
      const uint32_t* src = tarq_row32(b, y);
      for (int32_t x = 0; x < b->width; x++) tarq_put_le32(row + 4 * static_cast<size_t>(x), src[x]);
    }
    ok = tarq_image_write(f, row, row_bytes);
  }
  tarq_free(row);
  return ok;
}

}  // namespace

tarq_palette* get_tga_palette() { return &tga_palette; }

tarq_bitmap* tarq_load_tga_from_file(tarq_file* f, int32_t types[2]) {
  int32_t unused[2];
  if (!types) types = unused;
  types[0] = types[1] = -1;
  tga_header h;
  if (!f || !read_header(f, &h, types)) return nullptr;
  if (h.image_type != 1 && h.image_type != 2) return nullptr;
  if (h.depth != 8 && h.depth != 32) return nullptr;
  if (!tarq_image_skip(f, h.id_length)) return nullptr;
  tarq_palette map{};
  bool has_map;
  if (!read_colour_map(f, h, &map, &has_map)) return nullptr;
  // Refuse sizes the file cannot hold before making the bitmap.
  const int64_t left = tarq_image_stream_left(f);
  if (left >= 0 && left < static_cast<int64_t>(h.width) * h.height * (h.depth / 8)) return nullptr;
  tarq_bitmap* b = tarq_create_bitmap(h.width, h.height, static_cast<int32_t>(h.depth));
  if (!b) return nullptr;
  if (!read_rows(f, h, b)) return tarq_destroy_bitmap(b);
  if (has_map) tga_palette = map;
  return b;
}

tarq_bitmap* tarq_load_tga(const char* path) {
  tarq_image_log("tarq_load_tga %s ", path);
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) {
    tarq_debug("not found\n");
    return nullptr;
  }
  int32_t types[2];
  tarq_bitmap* b = tarq_load_tga_from_file(f, types);
  tarq_fclose(f);
  if (types[0] >= 0) {
    tarq_logf("[%d %d]", static_cast<int>(types[0]), static_cast<int>(types[1]));
  }
  tarq_debug(b ? "ok\n" : "failed\n");
  return b;
}

int tarq_save_tga(const char* path, tarq_bitmap* b) {
  tarq_image_log("tarq_save_tga %s\n", path);
  if (!b || (b->depth != 8 && b->depth != 32) || b->width > 0xFFFF || b->height > 0xFFFF) return 1;
  tarq_file* f = tarq_fopen(path, "wb");
  if (!f) return 1;
  const bool ok = write_header(f, b) && write_rows(f, b);
  const bool closed = f->kind == TARQ_FILE_STDIO && f->fp && fflush(f->fp) == 0;
  tarq_fclose(f);
  if (!ok || !closed) return 1;
  tarq_image_log("saved %s\n", path);
  return 0;
}

// 24-bit BMP images.
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
