#pragma once
// The console's 16.16 fixed-point arithmetic: every script number is a signed
// 32-bit value v standing for v / 65536. The product, quotient, modulo,
// power, shifts and rotates that the script runtime uses are declared with
// the runtime's console services; the square root and arctangent here.
#include <cstdint>

#include "script/console_services.h"

// Square root: the exact floor of sqrt(a) in 16.16; a negative a gives 0 and
// charges nothing, any other charges spend_cpu(8).
int32_t kx_fsqrt(int32_t a);

// Angle of the vector (x, y) in turns, 0 up to but excluding 1.0, from the
// engine's arctangent table.
int32_t fatan2(int32_t x, int32_t y);
