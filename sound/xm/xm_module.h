#pragma once
// Module records: creation with the built-in silent instrument, instrument
// slots, and freeing. The player never makes a module.
#include <cstdint>

#include "sound/xm/xm.h"

tarq_xm* tarq_create_xm();
void tarq_destroy_xm(tarq_xm* xm);
// Slots for `count` file instruments behind the built-in silent one.
bool tarq_xm_alloc_instruments(tarq_xm* xm, int32_t count);
