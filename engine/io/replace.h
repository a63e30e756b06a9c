#pragma once
// Replacing a file whole, so that a failed write never costs the old file.
//
// The new contents go to "<path>.tmp", made new for this write: whatever
// stands under that name (a file left by an interrupted write, or a link
// planted there) is removed first, without following it, and the file is
// created exclusively, never through a link. Only when every write, the
// flush to the disk and the close went through is it renamed over `path`;
// otherwise it is removed and the old file stays as it was. A link at
// `path` itself is replaced, not followed.
#include <cstddef>

struct tarq_file;

// A stdio stream on the new "<path>.tmp", or null (the name does not fit, or
// the file cannot be made); temp (TARQ_PATH_MAX bytes) receives the name.
tarq_file* tarq_open_replacement(const char* path, char* temp);

// Ends the write begun by tarq_open_replacement: 0 when `ok` (the caller's
// own writes went through) and the stream had no error, flushed, reached the
// disk, closed and was renamed over `path`; else 1, with the temporary file
// removed. A null stream gives 1. The stream is freed in every case.
int tarq_commit_replacement(tarq_file* f, const char* temp, const char* path, bool ok);

// Replaces `path` with `size` bytes of `data`: 0 written, 1 failed.
int tarq_replace_file(const char* path, const void* data, size_t size);
