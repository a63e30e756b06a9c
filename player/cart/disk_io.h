#pragma once
// Small file helpers for cart storage: reading a bounded stream into memory
// and writing a file through a temporary file beside it (the engine's
// replacement of a file whole, engine/io/replace.h).
#include <cstdint>

struct tarq_file;

// Up to `max` bytes from the stream's current position, in a new tracked
// block with a NUL after the data (freed with tarq_free); null when nothing
// could be allocated. *size receives the bytes read.
uint8_t* tovo_read_stream(tarq_file* f, int32_t max, int32_t* size);

// A stream on a new "<path>.tmp" for writing, or null; temp receives that
// name (TARQ_PATH_MAX bytes).
tarq_file* tovo_open_temp_for(const char* path, char* temp);
// Renames the temporary file over `path` when every write went through (ok)
// and the flush to the disk and the close succeeded; otherwise removes it.
// 0 when the file is in place.
int tovo_commit_temp(tarq_file* f, const char* temp, const char* path, bool ok);
