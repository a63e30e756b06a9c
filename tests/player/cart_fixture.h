#pragma once
// Carts for the format tests: one with every section in use, and a check
// that two carts hold the same data.
#include <string>

struct tovo_cart;

namespace tovo_test {

// A cart whose code, sheet, map (all 64 rows agree with the sheet's lower
// half), flags, sound effects, music, label and change mask differ from the
// defaults, the code holding glyphs, capitals and `code_size` characters.
tovo_cart* make_full_cart(size_t code_size = 3000);

// Every field of the two carts is equal (the label compared when either has
// one; version and legacy flag not compared).
void expect_same_cart(const tovo_cart* a, const tovo_cart* b);

// The cart's ROM bytes 0x0000-0x42ff as the memory map shows them.
std::string rom_bytes(tovo_cart* cart);

}  // namespace tovo_test
