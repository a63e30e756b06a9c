#pragma once
// The console's 16.16 fixed-point arithmetic: every script number is a signed
// 32-bit value v standing for v / 65536. The product, quotient, modulo,
// power, square root, shifts and rotates that the script runtime uses are
// declared with the runtime's console services (the power and the square
// root charge through the spend_cpu they are given); the arctangent here.
#include <cstdint>

#include "script/console_services.h"

// Angle of the vector (x, y) in turns, 0 up to but excluding 1.0, from the
// engine's arctangent table.
int32_t fatan2(int32_t x, int32_t y);
