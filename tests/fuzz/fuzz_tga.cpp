// libFuzzer target: the TGA reader on any bytes. A bitmap it returns must
// have the header's depth and a size the input could hold, and the count of
// live engine objects must come back once it is destroyed.
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
  int32_t types[2];
  tarq_bitmap* b = tarq_load_tga_from_file(f, types);
  tarq_fclose(f);
  if (b) {
    if (b->depth != data[16] || (types[0] != 1 && types[0] != 2)) std::abort();
    if ((size_t)b->width * (size_t)b->height * (size_t)(b->depth / 8) > size) std::abort();
    tarq_destroy_bitmap(b);
  }
  if (tarq_loop.tarq_items_created != before) std::abort();
  return 0;
}
