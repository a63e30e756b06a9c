// libFuzzer target: the BMP reader on any bytes. A bitmap it returns is 32-bit
// with alpha 0 in every pixel and a size the input could hold, and the count
// of live engine objects must come back once it is destroyed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/data/gfx.h"
#include "engine/formats/tga_bmp.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/tarq.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  const int32_t before = tarq_loop.tarq_items_created;
  tarq_file* f = tarq_fopen_memory(data, (int32_t)size);
  tarq_bitmap* b = tarq_load_bmp_from_file(f);
  tarq_fclose(f);
  if (b) {
    if (b->depth != 32 || (size_t)b->width * (size_t)b->height * 3 > size) std::abort();
    for (int32_t y = 0; y < b->height; y++)
      for (int32_t x = 0; x < b->width; x++)
        if (tarq_row32(b, y)[x] >> 24) std::abort();
    tarq_destroy_bitmap(b);
  }
  if (tarq_loop.tarq_items_created != before) std::abort();
  return 0;
}
