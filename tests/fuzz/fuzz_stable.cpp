// libFuzzer target: both string-table readers on any bytes. Every key must
// find its strings within the table, and the count of live engine objects
// must come back once the tables are destroyed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/formats/stable.h"
#include "engine/formats/stable_blocks.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/tarq.h"

namespace {

void check(const tarq_stable* t) {
  if (!t) std::abort();
  for (int32_t k = 0; k < t->key_count; k++) {
    const char* key = t->keys[k];
    const int32_t n = cdict_entries(t, key);
    if (n < 0 || n > t->string_count) std::abort();
    for (int32_t i = 0; i <= n; i++) {
      const char* s = tarq_sts(t, key, i);
      if (!s || strlen(s) > 1023) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  const int32_t before = tarq_loop.tarq_items_created;
  tarq_file* f = tarq_fopen_memory(data, (int32_t)size);
  tarq_stable* block = tarq_load_stable_from_file(f);
  tarq_fclose(f);
  f = tarq_fopen_memory(data, (int32_t)size);
  tarq_stable* config = tarq_load_stable_config_from_file(f);
  tarq_fclose(f);
  check(block);
  check(config);
  tarq_destroy_stable(block);
  tarq_destroy_stable(config);
  if (tarq_loop.tarq_items_created != before) std::abort();
  return 0;
}
