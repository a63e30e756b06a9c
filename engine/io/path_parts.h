#pragma once
// Path texts: slashes, and a path's extension, name and folder. The player
// splits, resolves and trims with engine/io/path.h alone.

void tarq_fix_backslashes(char* text);
void tarq_get_filename_extension(const char* path, char* out);
const char* tarq_get_filename_without_path(const char* path);
// The folder part, in an internal buffer that the next call overwrites.
const char* tarq_get_path_without_filename(const char* path);
