#pragma once
// A cart-format version guessed from a program text. The player reads the
// version a cart file states.
#include <cstdint>

// A cart-format version guessed from a program text: 9, 10 or 8.
int32_t tarq_determine_cart_version(const char* code);
