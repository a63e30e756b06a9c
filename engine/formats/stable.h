#pragma once
// String tables: keys, each with a list of strings, read from a configuration
// form (lines "key: value", "key:: word word" and "key value") or a block form
// (engine/formats/stable_blocks.h).
#include <cstdint>

struct tarq_file;

struct tarq_stable {
  int32_t key_count;
  int32_t string_count;
  char** keys;     // in the order read
  char** strings;  // the strings of all keys, in the order read
  int32_t* first;  // per key: the index in strings of its first string
  int32_t key_capacity;
  int32_t string_capacity;
};

// The placeholder for a missing key or index: one space. A real value is
// longer than one character.
extern const char tarq_no_stable_string[];

// Null when the file cannot be opened (plain files, then the virtual disk).
tarq_stable* tarq_load_stable_config(const char* path);
// From the stream's position to its end; null only when out of memory.
tarq_stable* tarq_load_stable_config_from_file(tarq_file* f);

// The n-th string (from 0) of the first key equal to key, or the placeholder.
const char* tarq_sts(const tarq_stable* table, const char* key, int32_t n);
// The number of strings of the first key equal to key; 0 when it is missing.
int32_t cdict_entries(const tarq_stable* table, const char* key);
void tarq_destroy_stable(tarq_stable* table);

int is_key_char(int c);

// Scanning a line: the first key character (or the end, or a '/' that starts
// a comment), and the end of the key that starts at p.
inline const char* tarq_stable_skip_to_key(const char* p) {
  while (*p && *p != '/' && !is_key_char(static_cast<unsigned char>(*p))) p++;
  return p;
}
inline const char* tarq_stable_key_end(const char* p) {
  while (is_key_char(static_cast<unsigned char>(*p))) p++;
  return p;
}

// Building a table. A key equal to the key added just before is not added
// again, so the strings that follow continue its list. Both copy the text;
// a copy that cannot be stored is dropped.
tarq_stable* tarq_create_stable();
void tarq_stable_add_key(tarq_stable* table, const char* key, int32_t length);
void tarq_stable_add_string(tarq_stable* table, const char* text, int32_t length);
