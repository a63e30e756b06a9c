#pragma once
// The text cart (".kx"): a header line, "version N", then sections that each
// begin with a line holding only their name: __lua__ (the code with glyphs
// as UTF-8), __gfx__, __label__, __gff__, __map__, __sfx__, __music__ and
// __change_mask__ in hexadecimal. Writers leave out the sections that hold
// only the defaults of a new cart; readers take sections in any order.
#include <cstdint>

struct tarq_file;
struct tovo_cart;

constexpr int32_t TOVO_CART_VERSION = 34;
constexpr int32_t TOVO_TEXT_CART_MAX_CODE = 65535;   // characters
constexpr int32_t TOVO_TEXT_CART_MAX_LINE = 196607;  // longer lines are split

extern const char TOVO_CART_HEADER[];  // "tovo cartridge // tovo.invalid"

// 0 written, 1 when the file cannot be written. The file is written beside
// its final name and renamed over it once complete.
int tarq_save_tovo_cart(tovo_cart* cart, const char* path);
// Writes the whole cart (headerless: without the two header lines); 0, or 1
// when the stream took fewer bytes than it was given.
int tarq_save_tovo_cart_to_file(tovo_cart* cart, tarq_file* f, int headerless);

// A new cart or null; the text-cart reason code is set in disk_state (0 at
// entry; 1 future version, 2 code of 65536 characters or more). A missing
// header gives null with reason 0. The path is opened with tarq_fopen, which
// falls back to the virtual disk.
tovo_cart* tarq_load_tovo_cart(const char* path);
tovo_cart* tarq_load_tovo_cart_from_file(tarq_file* f, int headerless);
