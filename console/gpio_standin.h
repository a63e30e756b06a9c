#pragma once
// Stand-in for the GPIO module until serial channels exist: the 128 GPIO
// bytes are the RAM image bytes 0x5f80 onwards of pstate.
#include <cstdint>

int32_t gpio_read(int32_t index);
void gpio_write(int32_t index, int32_t value);
