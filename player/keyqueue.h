#pragma once
// The keyboard queue that the running cart reads through stat(30) and
// stat(31): typed characters as one-byte codes, at most 256, kept in the
// machine queries' inputs.
#include <cstdint>

// Appends a code; false when the queue is full.
bool tovo_key_queue_push(uint8_t code);
void tovo_key_queue_clear();
// The code a typed character enters the queue as: 'A'-'Z' become 128-153,
// delete (127) becomes 8, codes above 153 (and below 0) are dropped (-1).
int32_t tovo_typed_code(int32_t code);
