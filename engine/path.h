#pragma once
// Paths: every path of the engine fits in TARQ_PATH_MAX bytes with its NUL.

constexpr int TARQ_PATH_MAX = 1024;

void tarq_split_filename(const char* path, char* dir, char* name, char* ext);
void tarq_split_filename_ex(const char* path, char* dir, char* name, char* ext, int double_ext);
int tarq_resolve_filename(const char* path, char* out);
int tarq_unroll_filename(const char* path, char* out);
char* tarq_fix_path_string(const char* path, char* out);
void tarq_fix_backslashes(char* text);
const char* tarq_trim(const char* text);
void tarq_get_filename_extension(const char* path, char* out);
const char* tarq_get_filename_without_path(const char* path);
const char* tarq_get_path_without_filename(const char* path);
