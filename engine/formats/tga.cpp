// Reading and writing uncompressed TGA images.
#include "engine/formats/tga.h"

#include <cstdio>
#include <cstring>

#include "engine/data/gfx.h"
#include "engine/formats/tga_bmp_io.h"
#include "engine/io/file.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/platform/present.h"
#include "engine/tracked_mem.h"

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
