#pragma once
// The dropped-file (0x800) and dropped-image (0x802) buffers that serial
// reads hand to memory.
#include <cstdint>

// Pokes up to bits / 8 bytes of a dropped buffer to memory at address and
// charges for them; the bits handled.
int32_t tovo_serial_read_dropped(bool image, int32_t address, int64_t bits);
void tovo_serial_free_dropped();
