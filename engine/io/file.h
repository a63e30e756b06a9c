#pragma once
// Engine streams: one record over a stdio file, a block of memory (owned and
// growable, or borrowed), or a file of the virtual disk.
//
// Memory streams keep 0 <= pos: reads stop at the size, a relative seek may
// move past the end (the stream is then at its end and reads give nothing),
// and a write into a borrowed block stops at its end.
// For memory streams tarq_fread and tarq_fwrite count bytes, not items.
#include <cstdint>
#include <cstdio>

enum : int32_t { TARQ_FILE_STDIO = 0, TARQ_FILE_MEMORY = 1 };

struct tarq_file {
  int32_t kind;      // TARQ_FILE_STDIO, TARQ_FILE_MEMORY; anything else does nothing
  int32_t vdisk;     // 1 for virtual-disk files
  FILE* fp;          // stdio kind
  uint8_t* data;     // memory kind: start of the block
  int32_t size;      // memory kind: valid bytes
  int32_t pos;       // memory kind: read/write offset
  char name[64];     // virtual-disk key, or the name of a file read from a pod
  int32_t capacity;  // memory kind: 0 borrowed, else owned and growable
};

// The virtual disk: owned memory streams keyed by file name without folder,
// shared by every opener and kept until the program ends. A new file past the
// table's end, or one whose key does not fit the name field, is refused (null).
constexpr int TARQ_VDISK_MAX_FILES = 512;
int vdisk_files();             // files on the virtual disk
tarq_file* vdisk_file(int i);  // the i-th, null outside 0..vdisk_files()-1

tarq_file* tarq_fopen(const char* path, const char* mode);
tarq_file* tarq_fopen_vdisk(const char* path, const char* mode);
tarq_file* tarq_fclose(tarq_file* f);
int vdisk_file_owned(const tarq_file* f);

size_t tarq_fread(void* dst, size_t size, size_t count, tarq_file* f);
size_t tarq_fwrite(const void* src, size_t size, size_t count, tarq_file* f);
int tarq_feof(tarq_file* f);
int tarq_fseek(tarq_file* f, long offset, int whence);  // SEEK_CUR only; -1 when refused
int tarq_fgetc(tarq_file* f);
char* tarq_fgets(char* buf, int size, tarq_file* f);
char* tarq_fgets_sensitive(char* buf, int size, tarq_file* f);

int tarq_fprintf_1d(tarq_file* f, const char* fmt, int a);
int tarq_fprintf_4x(tarq_file* f, const char* fmt, int a, int b, int c, int d);
int tarq_fprintf_1s(tarq_file* f, const char* fmt, const char* text);

void tarq_fwrite_int32(int32_t v, tarq_file* f);
void tarq_fwrite_int32s(const int32_t* src, int n, tarq_file* f);
void tarq_fwrite_int16s(const int16_t* src, int n, tarq_file* f);

inline uint32_t tarq_fix_uint32(uint32_t v) { return v; }
inline int32_t tarq_fix_int32(int32_t v) { return v; }
inline uint16_t tarq_fix_uint16(uint16_t v) { return v; }
inline int16_t tarq_fix_int16(int16_t v) { return v; }

// Whole files: tarq_load_file reads a real file (no virtual disk) into a new
// memory buffer, position at the end.
tarq_file* tarq_load_file(const char* path);
