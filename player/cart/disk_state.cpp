// The cart-storage state, and the small file helpers of cart storage.
#include "player/cart/disk_state.h"

#include <cstdio>

#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/tracked_mem.h"

tovo_disk_state disk_state;

uint8_t* tovo_read_stream(tarq_file* f, int32_t max, int32_t* size) {
  *size = 0;
  int32_t capacity = 4096;
  uint8_t* data = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(capacity) + 1));
  if (!data || !f) return data;
  for (;;) {
    if (*size == capacity) {
      if (capacity >= max) break;
      int32_t grown = capacity > max / 2 ? max : capacity * 2;
      uint8_t* bigger = static_cast<uint8_t*>(tarq_realloc(data, static_cast<size_t>(grown) + 1));
      if (!bigger) break;
      data = bigger;
      capacity = grown;
    }
    int32_t want = (capacity < max ? capacity : max) - *size;
    if (want <= 0) break;
    size_t got = tarq_fread(data + *size, 1, static_cast<size_t>(want), f);
    if (got == 0) break;
    *size += static_cast<int32_t>(got);
  }
  data[*size] = 0;
  return data;
}

tarq_file* tovo_open_temp_for(const char* path, char* temp) { return tarq_open_replacement(path, temp); }

int tovo_commit_temp(tarq_file* f, const char* temp, const char* path, bool ok) {
  return tarq_commit_replacement(f, temp, path, ok);
}
