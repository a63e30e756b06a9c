#pragma once
// 16.16 fixed-point multiply and divide (wrapping and saturating) and an
// approximate distance. The player's numbers are the console's own.
#include <cstdint>

int32_t tarq_fmul(int32_t a, int32_t b);
int32_t tarq_fdiv(int32_t a, int32_t b);
int32_t fdist(int32_t a, int32_t b);
