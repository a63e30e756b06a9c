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
void tarq_fix_backslashes(char* text);
// The text without leading and trailing bytes below 0x21, in an internal copy
// that the next call replaces.
const char* tarq_trim(const char* text);
void tarq_get_filename_extension(const char* path, char* out);
const char* tarq_get_filename_without_path(const char* path);
// The folder part, in an internal buffer that the next call overwrites.
const char* tarq_get_path_without_filename(const char* path);
