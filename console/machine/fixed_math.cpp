// Arctangent of 16.16 values (the root and the power are in arith/).
#include "console/machine/fixed_math.h"

#include "engine/data/math.h"

int32_t fatan2(int32_t x, int32_t y) { return ftan2(x, y); }
