#pragma once
// String tables from their block form: a key line, then quoted strings until
// a closing brace. The player reads only the configuration form.

struct tarq_file;
struct tarq_stable;

// Null when the file cannot be opened (plain files, then the virtual disk).
tarq_stable* tarq_load_stable(const char* path);
// From the stream's position to its end; null only when out of memory.
tarq_stable* tarq_load_stable_from_file(tarq_file* f);
