// Dropped file and image buffers read through serial channels.
#include "console/machine/serial_drop.h"

#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/serial.h"
#include "console/run/spend_cpu.h"
#include "engine/data/gfx.h"
#include "engine/tracked_mem.h"

namespace {

struct dropped_buffer {
  uint8_t* data;
  int32_t length;
  int32_t pos;
};

dropped_buffer dropped_file;
dropped_buffer dropped_image;

void replace(dropped_buffer& b, uint8_t* data, int32_t length) {
  tarq_free(b.data);
  b.data = data;
  b.length = data ? length : 0;
  b.pos = 0;
}

// Charges are held below the largest count that spend_cpu takes.
int charge_of(int64_t cycles) { return cycles > 0x3fffffff ? 0x3fffffff : static_cast<int>(cycles); }

}  // namespace

void serial_set_dropped_file(const uint8_t* data, int32_t size) {
  if (size < 0) size = 0;
  auto* copy = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(size)));
  if (copy && size > 0) memcpy(copy, data, static_cast<size_t>(size));
  replace(dropped_file, copy, size);
}

void serial_set_dropped_image_file(tarq_bitmap* image) {
  if (!image) return;
  int64_t w = image->width, h = image->height;
  int64_t size = 4 + w * h;
  auto* copy =
      image->depth == 8 && size <= INT32_MAX ? static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(size))) : nullptr;
  if (copy) {
    copy[0] = static_cast<uint8_t>(w);
    copy[1] = static_cast<uint8_t>(w / 256);
    copy[2] = static_cast<uint8_t>(h);
    copy[3] = static_cast<uint8_t>(h / 256);
    for (int64_t y = 0; y < h; y++) memcpy(copy + 4 + y * w, image->rows[y], static_cast<size_t>(w));
  }
  replace(dropped_image, copy, static_cast<int32_t>(copy ? size : 0));
  tarq_destroy_bitmap(image);
}

void reset_serial_file_buffers() {
  dropped_file.pos = dropped_file.length = 0;
  dropped_image.pos = dropped_image.length = 0;
}

int32_t get_serial_file_remaining() { return dropped_file.length - dropped_file.pos; }
int32_t get_serial_image_file_remaining() { return dropped_image.length - dropped_image.pos; }

int32_t tovo_serial_read_dropped(bool image, int32_t address, int64_t bits) {
  dropped_buffer& b = image ? dropped_image : dropped_file;
  int64_t n = bits / 8;
  if (n < 1) return static_cast<int32_t>(serial_charge_bits(bits));
  if (b.pos >= b.length) return 0;
  for (int64_t i = 0; i < n; i++) {
    if (b.pos >= b.length) {
      spend_cpu(charge_of(64 * i));
      return static_cast<int32_t>(8 * i);
    }
    int32_t at = static_cast<int32_t>(static_cast<uint32_t>(address) + static_cast<uint32_t>(i));
    tovo_poke(&pstate(), pstate().cart, at, b.data[b.pos++]);
  }
  return static_cast<int32_t>(serial_charge_bits(bits));
}

int64_t serial_charge_bits(int64_t bits) {
  spend_cpu(charge_of(8 * bits));
  return bits;
}

void tovo_serial_free_dropped() {
  replace(dropped_file, nullptr, 0);
  replace(dropped_image, nullptr, 0);
}
