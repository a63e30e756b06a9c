#pragma once
// Cart storage as the bindings reach it (cartdata, dget, dset, reload,
// cstore): the shell's routines, installed by the player at start. Entries
// left null fail: no cart data, no file.
#include <cstdint>

struct tovo_storage_hooks {
  // cartdata(id): 0 read, 1 no file, 2 refused with the runtime error in
  // *message, 3 no id.
  int (*load_cdata)(const char* id, const char** message);
  // 1 once cartdata() was called in this run.
  int (*cdata_opened)();
  // A cart mounted from the data file under this name: 1, with its
  // sandboxed cstore file in sandboxed (path_size bytes); else 0.
  int (*mounted_sandboxed_file)(const char* name, char* sandboxed, int path_size);
  // The file of a name inside the cstore folder: 0, or 1 when refused.
  int (*cstore_file_for_name)(const char* name, char* out, int path_size);
  // The running cart's own sandboxed cstore file: 0, or 1 when none.
  int (*own_cstore_file)(char* out, int path_size);
  int (*file_exists)(const char* path);
  // 0 done, else failed.
  int (*reload_cart_partial)(const char* path, int32_t dst, int32_t src, int32_t len);
  int (*cstore_cart_partial)(const char* path, int32_t dst, int32_t src, int32_t len, int own, int sandboxed);
};

extern tovo_storage_hooks tovo_storage;
