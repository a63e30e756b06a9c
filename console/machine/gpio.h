#pragma once
// The 128 GPIO bytes: the RAM image bytes 0x5f80-0x5fff (serial channels
// 0x80 and up reach on into the screen range of the image; the index is
// wrapped so that it stays inside the image).
#include <cstdint>

int32_t gpio_read(int32_t index);
void gpio_write(int32_t index, int32_t value);

// Called by the register reset and at exit; they do nothing.
void gpio_open();
void gpio_close();
