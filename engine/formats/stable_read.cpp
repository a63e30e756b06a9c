// Reading string tables from their configuration form.
#include <cstring>

#include "engine/formats/stable.h"
#include "engine/io/file.h"

namespace {

constexpr int LINE_SIZE = 1024;

const char* skip_spaces_and_colons(const char* p) {
  while (*p == ' ' || *p == ':') p++;
  return p;
}

void read_config_line(tarq_stable* table, const char* line) {
  const char* key = tarq_stable_skip_to_key(line);
  if (!is_key_char(static_cast<unsigned char>(*key))) return;
  const char* p = tarq_stable_key_end(key);
  tarq_stable_add_key(table, key, static_cast<int32_t>(p - key));
  bool words = false;
  if (p[0] == ':' && (p[1] == ':' || p[1] == ' ')) {
    words = p[1] == ':';
    p = skip_spaces_and_colons(p);
  } else if (p[0] == ':') {
    p++;
  } else if (p[0] == ' ') {
    p = skip_spaces_and_colons(p);
  }
  if (!words) {
    if (*p) tarq_stable_add_string(table, p, static_cast<int32_t>(strlen(p)));
    return;
  }
  while (*p) {
    while (*p == ' ') p++;
    const char* start = p;
    while (*p && *p != ' ') p++;
    if (p > start) tarq_stable_add_string(table, start, static_cast<int32_t>(p - start));
  }
}

}  // namespace

tarq_stable* tarq_load_stable_config_from_file(tarq_file* f) {
  tarq_stable* table = tarq_create_stable();
  if (!table) return nullptr;
  char line[LINE_SIZE];
  while (tarq_fgets_sensitive(line, LINE_SIZE, f)) read_config_line(table, line);
  return table;
}

tarq_stable* tarq_load_stable_config(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return nullptr;
  tarq_stable* table = tarq_load_stable_config_from_file(f);
  tarq_fclose(f);
  return table;
}
