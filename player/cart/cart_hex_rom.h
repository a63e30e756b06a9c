#pragma once
// The ROM bytes of a cart as a hexadecimal text: two digits a byte for the
// cart's ROM 0x0000-0x42ff, no code area.

struct tovo_cart;

// A new cart whose ROM bytes come from the text's digit pairs (in order, up to
// 0x4300 of them; a text that ends early leaves the rest 0, a character that
// is no hexadecimal digit counts as 0), with empty code and the current
// version; null when memory runs out.
tovo_cart* load_tovo_cart_hex(const char* text);
