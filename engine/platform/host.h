#pragma once
// Host services: the application, program, desktop and working folders,
// directory search, the clipboard, external commands, threads, dates, the
// process CPU timer and a few string helpers.
//
// Each prefix operation writes folder + '/' + name into `out` (TARQ_PATH_MAX
// bytes) and returns 0; a result that does not fit is refused: `out` becomes
// the empty string and the result is non-zero.
#include <dirent.h>
#include <cstddef>
#include <cstdint>
#include <ctime>

#include "engine/io/path.h"

int tarq_prefix_with_appdata_path(const char* name, char* out);
int tarq_prefix_with_program_path(const char* name, char* out);
int tarq_prefix_with_desktop_path(const char* name, char* out);
int tarq_prefix_with_current_path(const char* name, char* out);

int tarq_mkdir(const char* path);
// Makes the folder that holds the file at path when it is missing (one
// level: a fresh home has no desktop folder).
void tarq_make_parent_folder(const char* path);
int tarq_remove(const char* path);
int tarq_file_exists(const char* path);
int tarq_directory_exists(const char* path);

// Directory search. A filter that begins with '*' keeps the rest as a suffix
// matched without regard to case; any other filter matches every name. An
// entry passes when (st_mode & mask) is non-zero (0x4000 folders, 0x8000
// files, 0xFFFFFFFF both).
constexpr uint32_t TARQ_FIND_FOLDERS = 0x4000;
constexpr uint32_t TARQ_FIND_FILES = 0x8000;
constexpr uint32_t TARQ_FIND_ALL = 0xFFFFFFFF;
struct tarq_find {
  char path[256];
  char name[256];
  uint32_t mode;
  int32_t size;
  int32_t mtime;
  char filter[256];
  uint32_t filter_len;
  uint32_t mask;
  DIR* dir;
};

int tarq_find_first(const char* folder, const char* filter, tarq_find* f, uint32_t mask);
int tarq_find_next(tarq_find* f);
void tarq_find_close(tarq_find* f);

// Clipboard. Without SDL's video subsystem the text is kept in the process.
int tarq_set_clipboard_text(const char* text);
char* tarq_get_clipboard_text();  // a tracked copy; the caller frees it
int tarq_has_clipboard_text();
int tarq_load_clipboard_from_file(const char* path);

// External commands, started with an argument vector (never a shell).
void tarq_launch_html(const char* target);
// Fetches a URL into a file with the limits of TARQ_FETCH_DEFAULTS
// (engine/platform/fetch.h): 0 when the body arrived, 1 otherwise (the file
// is then removed).
int tarq_wget(const char* url, const char* local_file);
int tarq_wget_ex(const char* url, const char* local_file, const char* post_file);
constexpr size_t TARQ_URL_MAX = 256;  // the longest URL a download takes

// Threads.
struct tarq_thread_handle;
tarq_thread_handle* tarq_create_thread(int (*fn)(void*), void* data = nullptr);
// Lets the thread run on alone and frees the handle.
void tarq_destroy_thread(tarq_thread_handle* handle);
// Waits for the thread to end and frees the handle.
void tarq_join_thread(tarq_thread_handle* handle);

// Dates and timers.
struct tarq_datetime {
  int32_t year, month, day, hour, minute, second;
};
int32_t tarq_get_date(int32_t* year, int32_t* month, int32_t* day);
void tarq_get_datetime(tarq_datetime* out, int local);
void tarq_timer_start();
int32_t tarq_timer_end();  // nanoseconds of CPU time since the start, wraps at 32 bits

int tarq_is_app_active();

// Strings.
char* tarq_strcpy(char* dst, const char* src);
char* tarq_strcasestr(const char* text, const char* pattern);
void tarq_lowercase(char* text);
