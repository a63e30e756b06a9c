#pragma once
// Scalar math the player never uses (its numbers are the console's own):
// 16.16 fixed-point multiply and divide (wrapping and saturating), an
// approximate distance, and an integer hash that scatters neighbouring values.
#include <cstdint>

int32_t tarq_fmul(int32_t a, int32_t b);
int32_t tarq_fdiv(int32_t a, int32_t b);
int32_t fdist(int32_t a, int32_t b);

int32_t tarq_mangle_int32(int32_t a);
