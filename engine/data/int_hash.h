#pragma once
// An integer hash that scatters neighbouring values. Nothing in the player
// hashes with it.
#include <cstdint>

int32_t tarq_mangle_int32(int32_t a);
