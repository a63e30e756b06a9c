#pragma once
// Single bytes and strings on growable memory buffers (engine/tracked_mem.h). The
// player appends whole blocks only.
#include <cstdint>

struct tarq_file;

uint8_t* cbuffer_add_uint8(tarq_file* f, uint8_t byte);
uint8_t* cbuffer_add_string(tarq_file* f, const char* text);
uint8_t cbuffer_get_uint8(tarq_file* f);  // 0 (and no move) at or past the end
