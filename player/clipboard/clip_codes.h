#pragma once
// Clipboard codes: sound effects, music patterns, pixel selections and whole
// cart files as plain text, a bracketed tag, lower-case hexadecimal digits
// and a closing tag ("[sfx]", "[gfx]", "[cart]"). Readers accept both cases
// and refuse a code whose counts or blocks are cut short or not hexadecimal.
// The player itself writes only the "[cart]" code of save("@clip")
// (player/clipboard/clip_cart.h); the editors copy and paste the others.
#include <cstddef>
#include <cstdint>

struct tovo_cart;
struct tarq_bitmap;

// Room for any code the writers make (64 sound effects with 64 patterns, or
// a 255x255 selection).
constexpr size_t TOVO_CLIP_CODE_SIZE = 65536;

// The writers: with an output buffer of out_size bytes the code is written
// there (cut to fit, always terminated) and the clipboard is left alone;
// with a null buffer the code goes on the host clipboard (the preemptive
// form when preemptive is non-zero). Counts are taken 0..64.
void convert_sfxes_to_bbs_code(tovo_cart* cart, int32_t n, char* out, size_t out_size, int32_t preemptive);
void convert_patterns_to_bbs_code(tovo_cart* cart, int32_t p, char* out, size_t out_size, int32_t preemptive);
// Only the top-left 255x255 pixels of a larger bitmap are written, since a
// width or height has two digits.
void convert_bmp_to_bbs_code(const tarq_bitmap* bitmap, char* out, size_t out_size, int32_t preemptive);

// A new cart holding the first "[sfx]" code of the text; its sprite flags 0
// and 1 hold the sound-effect count (64 with patterns) and the pattern
// count. Null without a well-formed code or memory.
tovo_cart* convert_bbs_code_to_song(const char* text);
// A new 8-bit bitmap from the first "[gfx]" code; pixels past the end of a
// short code stay 0, a character that is not a digit gives colour 0. Null
// without a code, with a zero width or height, or without memory.
tarq_bitmap* convert_bbs_code_to_bmp(const char* text);

// The bytes of a "[cart]" code, read in pairs from after the tag up to the
// end, a '[' or a pair that is not two digits: 0 written, 1 the output cannot
// be created.
int32_t convert_hex_to_binary_file(const char* text, const char* out_path);
