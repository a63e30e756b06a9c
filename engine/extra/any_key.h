#pragma once
// The lowest scancode held down, caps lock aside; 0 when none. The player
// reads its keys one by one.
#include <cstdint>

int32_t tarq_get_any_key_down();
