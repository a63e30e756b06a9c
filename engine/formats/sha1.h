#pragma once
// SHA-1 digest of a byte range as 40 lower-case hex characters.
#include <cstddef>

constexpr int TARQ_SHA1_TEXT_SIZE = 41;  // 40 hex digits and the NUL

// Writes the digest of `length` bytes at `data` into `out` (at least 41 bytes); returns 1.
int tarq_sha1(const void* data, size_t length, char* out);
