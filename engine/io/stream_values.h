#pragma once
// Values on engine streams as the player never reads or writes them:
// little-endian binary values (reads of every width and writes of the widths
// the player never writes; a short read leaves the missing high bytes zero),
// single bytes and strings on growable memory buffers (the player appends
// whole blocks only), and a stream over a borrowed block of memory (the
// player reads its memory through owned buffers).
#include <cstdint>

struct tarq_file;

uint8_t tarq_fread_uint8(tarq_file* f);
int8_t tarq_fread_int8(tarq_file* f);
uint16_t tarq_fread_uint16(tarq_file* f);
int16_t tarq_fread_int16(tarq_file* f);
uint32_t tarq_fread_uint32(tarq_file* f);
int32_t tarq_fread_int32(tarq_file* f);
float tarq_fread_float(tarq_file* f);
void tarq_fread_int32s(int32_t* dst, int n, tarq_file* f);
void tarq_fread_int16s(int16_t* dst, int n, tarq_file* f);
void tarq_fwrite_uint8(uint8_t v, tarq_file* f);
void tarq_fwrite_int8(int8_t v, tarq_file* f);
void tarq_fwrite_uint16(uint16_t v, tarq_file* f);
void tarq_fwrite_int16(int16_t v, tarq_file* f);
void tarq_fwrite_uint32(uint32_t v, tarq_file* f);
void tarq_fwrite_float(float v, tarq_file* f);

uint8_t* cbuffer_add_uint8(tarq_file* f, uint8_t byte);
uint8_t* cbuffer_add_string(tarq_file* f, const char* text);
uint8_t cbuffer_get_uint8(tarq_file* f);  // 0 (and no move) at or past the end

// Read from position 0, never grown (a write stops at the block's end). Null
// for a negative size or a missing block.
tarq_file* tarq_fopen_memory(const void* data, int32_t size);
