#pragma once
// A download on a thread of its own: on_load(local file) when the download
// command has ended, on_error(local file) at once for a URL that is too long.
// 0 when the thread started, 1 otherwise. The player's downloads have a
// worker of their own.

typedef void (*tarq_wget_callback)(const char* local_file);
int tarq_wget_with_callbacks(const char* url, const char* local_file, tarq_wget_callback on_load,
                             tarq_wget_callback on_error);
