// Reading string tables from their block form: a key line, then quoted
// strings until a closing brace.
#include "engine/formats/stable_blocks.h"

#include <cstring>

#include "engine/formats/stable.h"
#include "engine/io/file.h"

namespace {

constexpr int LINE_SIZE = 1024;

// One line inside a block: the quoted strings up to a '/' or the line's end.
void read_block_strings(tarq_stable* table, const char* p) {
  while (*p && *p != '/') {
    if (*p != '"') {
      p++;
      continue;
    }
    const char* start = ++p;
    while (*p && *p != '"') p++;
    tarq_stable_add_string(table, start, static_cast<int32_t>(p - start));
    if (*p == '"') p++;
  }
}

}  // namespace

tarq_stable* tarq_load_stable_from_file(tarq_file* f) {
  tarq_stable* table = tarq_create_stable();
  if (!table) return nullptr;
  char line[LINE_SIZE];
  bool inside = false;
  while (tarq_fgets_sensitive(line, LINE_SIZE, f)) {
    if (line[0] == 0 || line[0] == '/') continue;
    if (inside) {
      if (strchr(line, '}')) inside = false;
      else read_block_strings(table, line);
      continue;
    }
    const char* key = tarq_stable_skip_to_key(line);
    if (!is_key_char(static_cast<unsigned char>(*key))) continue;
    tarq_stable_add_key(table, key, static_cast<int32_t>(tarq_stable_key_end(key) - key));
    inside = true;
  }
  return table;
}

tarq_stable* tarq_load_stable(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return nullptr;
  tarq_stable* table = tarq_load_stable_from_file(f);
  tarq_fclose(f);
  return table;
}
