#pragma once
// Little-endian binary values on engine streams: reads of every width and
// writes of the widths the player never writes. A short read leaves the
// missing high bytes zero.
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
