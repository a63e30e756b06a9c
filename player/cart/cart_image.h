#pragma once
// The cart image: 32768 bytes, the cart's TOVO_ROM_SIZE ROM bytes as the
// memory map shows them, then a 0x3d00-byte code area holding the code
// compressed (or as plain text when it does not begin with a compressed
// header), zero-filled after the data. It is the body of ROM files and
// picture carts, and what the cart hash digests.
#include <cstdint>

#include "console/machine/memory_map.h"

struct tovo_cart;

constexpr int32_t TOVO_CART_IMAGE_SIZE = 0x8000;
constexpr int32_t TOVO_CODE_AREA_START = TOVO_ROM_SIZE;
constexpr int32_t TOVO_CODE_AREA_SIZE = 0x3d00;
static_assert(TOVO_CODE_AREA_START + TOVO_CODE_AREA_SIZE == TOVO_CART_IMAGE_SIZE);

// Fills image with the cart's ROM bytes and compressed code; 1 (image
// unspecified) when the compressed code does not fit the code area, else 0.
int save_tovo_cart_32k(tovo_cart* cart, uint8_t* image);
// Stores the image's ROM bytes into the cart and its code area into the code.
void load_tovo_cart_32k(tovo_cart* cart, const uint8_t* image);

// A ROM file: the 32768-byte image. A shorter file is read as if padded with
// zero bytes, bytes past 32768 are ignored; the cart gets version 34. Null
// when the file cannot be read.
tovo_cart* load_tovo_cart_rom(const char* path);
// 0 written, 1 when the code does not fit or the file cannot be written.
int save_tovo_cart_rom(tovo_cart* cart, const char* path);

// The cart's identity: the SHA-1 (40 hex digits and a NUL, in out[41]) of an
// image whose code area holds the compressed SHA-1 text of the code, so that
// the label does not count. 40 '0's for a null cart.
void hash_cart(tovo_cart* cart, char* out);
