#pragma once
// The XM reader: every length, count and offset is checked against the bytes
// that are there. The player reads no module.
#include <cstdint>

#include "sound/xm/xm.h"

struct tarq_file;

// Null when the file cannot be read as a module ("could not open\n" in the
// log when it does not open).
tarq_xm* tarq_load_xm(const char* path);
tarq_xm* tarq_load_xm_from_file(tarq_file* f);
// From a block of bytes; the reader behind both loaders.
tarq_xm* tarq_read_xm(const uint8_t* data, int32_t size);
