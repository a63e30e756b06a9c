#pragma once
// Module records: made empty (with the built-in silent instrument and slots
// for the file's instruments) or read from XM data, and freed. The reader
// checks every length, count and offset against the bytes that are there.
// The player makes no module.
#include <cstdint>

#include "sound/xm/xm.h"

struct tarq_file;

tarq_xm* tarq_create_xm();
void tarq_destroy_xm(tarq_xm* xm);
// Slots for `count` file instruments behind the built-in silent one.
bool tarq_xm_alloc_instruments(tarq_xm* xm, int32_t count);

// Null when the file cannot be read as a module ("could not open\n" in the
// log when it does not open).
tarq_xm* tarq_load_xm(const char* path);
tarq_xm* tarq_load_xm_from_file(tarq_file* f);
// From a block of bytes; the reader behind both loaders.
tarq_xm* tarq_read_xm(const uint8_t* data, int32_t size);
