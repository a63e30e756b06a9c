#include "player/serial_drop_standin.h"

#include <cstring>

#include "engine/gfx.h"
#include "engine/mem.h"

uint8_t* tovo_standin_dropped_data = nullptr;
int32_t tovo_standin_dropped_size = 0;
tarq_bitmap* tovo_standin_dropped_image = nullptr;

void serial_set_dropped_file_standin(const uint8_t* data, int32_t size) {
  tarq_free(tovo_standin_dropped_data);
  tovo_standin_dropped_data = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(size)));
  tovo_standin_dropped_size = tovo_standin_dropped_data ? size : 0;
  if (tovo_standin_dropped_data && size > 0) memcpy(tovo_standin_dropped_data, data, static_cast<size_t>(size));
}

void serial_set_dropped_image_file_standin(tarq_bitmap* image) {
  tarq_destroy_bitmap(tovo_standin_dropped_image);
  tovo_standin_dropped_image = image;
}
