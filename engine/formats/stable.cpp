// String tables: the record, building, lookups and destruction.
#include "engine/formats/stable.h"

#include <cstring>

#include "engine/tarq.h"
#include "engine/tracked_mem.h"

const char tarq_no_stable_string[] = " ";

namespace {

char* copy_text(const char* text, int32_t length) {
  char* s = static_cast<char*>(tarq_malloc(static_cast<size_t>(length) + 1));
  if (!s) return nullptr;
  memcpy(s, text, static_cast<size_t>(length));
  s[length] = 0;
  return s;
}

int32_t grown_capacity(int32_t capacity) { return capacity > INT32_MAX / 4 ? -1 : capacity * 2 + 8; }

// Keys and first indices share one capacity: it is raised only once both
// arrays have grown.
bool reserve_key(tarq_stable* table) {
  if (table->key_count < table->key_capacity) return true;
  const int32_t n = grown_capacity(table->key_capacity);
  if (n < 0) return false;
  void* keys = tarq_realloc(table->keys, static_cast<size_t>(n) * sizeof(char*));
  if (!keys) return false;
  table->keys = static_cast<char**>(keys);
  void* first = tarq_realloc(table->first, static_cast<size_t>(n) * sizeof(int32_t));
  if (!first) return false;
  table->first = static_cast<int32_t*>(first);
  table->key_capacity = n;
  return true;
}

bool reserve_string(tarq_stable* table) {
  if (table->string_count < table->string_capacity) return true;
  const int32_t n = grown_capacity(table->string_capacity);
  if (n < 0) return false;
  void* strings = tarq_realloc(table->strings, static_cast<size_t>(n) * sizeof(char*));
  if (!strings) return false;
  table->strings = static_cast<char**>(strings);
  table->string_capacity = n;
  return true;
}

int32_t find_key(const tarq_stable* table, const char* key) {
  if (!table || !key) return -1;
  for (int32_t k = 0; k < table->key_count; k++)
    if (strcmp(table->keys[k], key) == 0) return k;
  return -1;
}

}  // namespace

int is_key_char(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

tarq_stable* tarq_create_stable() {
  auto* table = static_cast<tarq_stable*>(tarq_calloc(sizeof(tarq_stable)));
  if (table) tarq_item_created();
  return table;
}

void tarq_stable_add_key(tarq_stable* table, const char* key, int32_t length) {
  if (!table || length < 0) return;
  if (table->key_count > 0) {
    const char* last = table->keys[table->key_count - 1];
    if (static_cast<int32_t>(strlen(last)) == length && memcmp(last, key, static_cast<size_t>(length)) == 0) return;
  }
  if (!reserve_key(table)) return;
  char* copy = copy_text(key, length);
  if (!copy) return;
  table->keys[table->key_count] = copy;
  table->first[table->key_count] = table->string_count;
  table->key_count++;
}

void tarq_stable_add_string(tarq_stable* table, const char* text, int32_t length) {
  if (!table || length < 0) return;
  if (!reserve_string(table)) return;
  char* copy = copy_text(text, length);
  if (!copy) return;
  table->strings[table->string_count++] = copy;
}

const char* tarq_sts(const tarq_stable* table, const char* key, int32_t n) {
  const int32_t k = find_key(table, key);
  if (k < 0 || n < 0 || n >= cdict_entries(table, key)) return tarq_no_stable_string;
  return table->strings[table->first[k] + n];
}

int32_t cdict_entries(const tarq_stable* table, const char* key) {
  const int32_t k = find_key(table, key);
  if (k < 0) return 0;
  const int32_t end = k + 1 < table->key_count ? table->first[k + 1] : table->string_count;
  return end - table->first[k];
}

void tarq_destroy_stable(tarq_stable* table) {
  if (!table) return;
  for (int32_t k = 0; k < table->key_count; k++) tarq_free(table->keys[k]);
  for (int32_t i = 0; i < table->string_count; i++) tarq_free(table->strings[i]);
  tarq_free(table->keys);
  tarq_free(table->strings);
  tarq_free(table->first);
  tarq_free(table);
  tarq_item_destroyed();
}
