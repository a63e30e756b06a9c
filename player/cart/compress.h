#pragma once
// Compressed cart code.
//
// PXA block: "\0pxa", the text length (16 bits, big endian), the block length
// with this 8-byte header (16 bits, big endian), then a bit stream read from
// bit 0 of each byte: literals through a move-to-front table of the 256 byte
// values, back-references with 5, 10 or 15-bit offsets and lengths in 3-bit
// chunks, and raw blocks of 8-bit values. The old format (":c:\0", text
// length, 2 unused bytes, byte codes) is read but never written.
//
// The decoders never read past `size` input bytes, never write past
// `capacity` output bytes and never copy from before the start of the
// output: a stream that would do so ends there.
#include <cstdint>

constexpr int32_t TOVO_PXA_HEADER_SIZE = 8;
constexpr int32_t TOVO_PXA_MAX_TEXT = 65535;  // the text length field is 16 bits

enum { TOVO_NOT_COMPRESSED = 0, TOVO_OLD_FORMAT = 1, TOVO_PXA_FORMAT = 2 };

// TOVO_OLD_FORMAT or TOVO_PXA_FORMAT from the first four bytes, else
// TOVO_NOT_COMPRESSED (also when fewer than 4 bytes are given).
int is_compressed_format_header(const uint8_t* data, int32_t size);

// Compresses len bytes of text into out, which must hold len bytes. Returns
// the bytes placed in out: the PXA block when it is no longer than the text,
// else the text itself unchanged (and its length); 0 for an empty text. A
// text longer than 65535 bytes cannot be described by a block and is always
// placed as it is.
int32_t compress_mini(const char* text, uint8_t* out, int32_t len);
int32_t pxa_compress(const char* text, uint8_t* out, int32_t len);

// Decodes a compressed block of `size` readable bytes into out (capacity
// bytes, capacity >= 1): the text, cut to capacity - 1 characters, and a NUL.
// Returns the text length; 0 with nothing written when the data has no
// compressed header.
int32_t decompress_mini(const uint8_t* data, int32_t size, char* out, int32_t capacity);
int32_t pxa_decompress(const uint8_t* data, int32_t size, char* out, int32_t capacity);
// The old format: the whole capacity is cleared first; a declared length
// that does not fit (capacity - 1 characters) gives an empty text.
int32_t old_format_decompress(const uint8_t* data, int32_t size, char* out, int32_t capacity);
