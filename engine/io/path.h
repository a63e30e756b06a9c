#pragma once
// Paths: every path of the engine fits in TARQ_PATH_MAX bytes with its NUL.
// Output buffers are TARQ_PATH_MAX bytes. A result that would not fit is
// refused: the output becomes the empty string.

constexpr int TARQ_PATH_MAX = 1024;

// Folder (up to and including the last '/'), name, extension (from the last
// '.', dot included); every output is optional.
void tarq_split_filename(const char* path, char* dir, char* name, char* ext);
void tarq_split_filename_ex(const char* path, char* dir, char* name, char* ext, int double_ext);
// The absolute, normalised path: 0, or non-zero when it is refused.
int tarq_resolve_filename(const char* path, char* out);
// As tarq_resolve_filename with a trailing '/'; the length without that '/',
// or -1 when refused.
int tarq_unroll_filename(const char* path, char* out);
// A cleaned folder path ending in '/', in `out` or (null) an internal buffer.
char* tarq_fix_path_string(const char* path, char* out);
// The text without leading and trailing bytes below 0x21 (blanks and control
// characters), in an internal copy that the next call replaces; null for
// null or when no memory is left.
const char* tarq_trim(const char* text);
