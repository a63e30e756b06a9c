#pragma once
// Path texts: slashes, trimming, and a path's extension, name and folder.
// The player splits and resolves paths with engine/io/path.h alone.

void tarq_fix_backslashes(char* text);
// The text without leading and trailing bytes below 0x21, in an internal copy
// that the next call replaces.
const char* tarq_trim(const char* text);
void tarq_get_filename_extension(const char* path, char* out);
const char* tarq_get_filename_without_path(const char* path);
// The folder part, in an internal buffer that the next call overwrites.
const char* tarq_get_path_without_filename(const char* path);
