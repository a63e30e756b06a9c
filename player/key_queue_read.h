#pragma once
// Taking codes from the keyboard queue (player/keyqueue.h) one at a time. The
// running cart reads the queue through stat(30) and stat(31); nothing in the
// player pops it.
#include <cstdint>

// Takes the oldest code; -1 when the queue is empty.
int32_t tovo_key_queue_pop();
int32_t tovo_key_queue_length();
