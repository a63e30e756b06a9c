// GPIO bytes in the RAM image.
#include "console/machine/gpio.h"

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"

namespace {

constexpr uint32_t GPIO_BASE = TOVO_GPIO_START;

uint32_t ram_index(int32_t index) { return (GPIO_BASE + static_cast<uint32_t>(index)) & 0xffff; }

}  // namespace

int32_t gpio_read(int32_t index) { return pstate().ram[ram_index(index)]; }
void gpio_write(int32_t index, int32_t value) { pstate().ram[ram_index(index)] = static_cast<uint8_t>(value); }

// The GPIO bytes are memory and nothing more: there is no device to open or
// close.
void gpio_open() {}
void gpio_close() {}
