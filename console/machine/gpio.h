#pragma once
// The GPIO bytes: TOVO_GPIO_BYTES bytes of the RAM image from
// TOVO_GPIO_START (serial channels 0x80 and up reach on into the screen range
// of the image; the index is wrapped so that it stays inside the image).
#include <cstdint>

int32_t gpio_read(int32_t index);
void gpio_write(int32_t index, int32_t value);

// Called by the register reset and at exit; they do nothing.
void gpio_open();
void gpio_close();
