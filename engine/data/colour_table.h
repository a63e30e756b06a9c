#pragma once
// 8-bit pages to 32-bit pixels through a colour table. The player's
// presenting converts its pages itself.
#include <cstdint>

struct tarq_bitmap;

// A 256-entry colour table from the video palette, each component divided by
// `divisor` (at least 1); and rows of an 8-bit bitmap converted through such a
// table into 32-bit pixels of the given pitch in bytes.
void calculate_emucol(uint32_t* table, int32_t divisor);
void blit_from_8_to_32(const tarq_bitmap* src, const uint32_t* table, uint32_t* dst, int32_t pitch);
