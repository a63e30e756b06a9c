#pragma once
// Text forms of carts that the player never uses this way: the digits of the
// text cart's sections (hexadecimal digits, 0-9 and a-f, and the base-32
// digits of label pixels, 0-9 and a-v, each way; the reader and the writer of
// text carts do these conversions inline), the ROM bytes of a cart as a
// hexadecimal text (two digits a byte for the cart's ROM 0x0000-0x42ff, no
// code area), and a cart-format version guessed from a program text (the
// player reads the version a cart file states).
#include <cstdint>

struct tovo_cart;

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

// A new cart whose ROM bytes come from the text's digit pairs (in order, up to
// 0x4300 of them; a text that ends early leaves the rest 0, a character that
// is no hexadecimal digit counts as 0), with empty code and the current
// version; null when memory runs out.
tovo_cart* load_tovo_cart_hex(const char* text);

// A cart-format version guessed from a program text: 9, 10 or 8.
int32_t tarq_determine_cart_version(const char* code);
