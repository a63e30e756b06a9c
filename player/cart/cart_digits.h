#pragma once
// The digits of the text cart's sections: hexadecimal digits (0-9, a-f) and
// the base-32 digits of label pixels (0-9, a-v), each way. The reader and the
// writer of text carts do these conversions inline.
#include <cstdint>

// '0'-'9' and 'a'-'f' (or 'A'-'F') give 0-15; anything else 0.
int32_t hex_digit_value(int32_t c);
// The lower-case digit of v & 15.
char value_hex_digit(int32_t v);
// '0'-'9' give 0-9, 'a'-'v' and 'A'-'V' 10-31; anything else 0.
int32_t base32_digit_value(int32_t c);
// The lower-case digit of v & 31.
char value_base32_digit(int32_t v);
// A label pixel as its digit: 0-15 as a hexadecimal digit, an extended
// colour (bit 7 set) as 'g' + its low four bits.
char label_pixel_digit(int32_t pixel);
// A label digit as its pixel: 0-15, and 128-143 for 'g'-'v'.
int32_t label_digit_pixel(int32_t c);
