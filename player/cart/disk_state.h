#pragma once
// The player's cart-storage state: the reason codes of the last cart reads,
// the current cart file and its hashes, the sandboxed cstore file name, the
// cart data id and folder, the files that reload and cstore last touched and
// the names that cstore wrote. One plain record, zeroed at start. Here too
// are the small file helpers of cart storage: reading a bounded stream into
// memory and writing a file through a temporary file beside it (the engine's
// replacement of a file whole, engine/io/replace.h).
#include <cstdint>

#include "engine/io/path.h"

struct tarq_file;

constexpr int TOVO_HASH_SIZE = 41;         // 40 hex digits and a NUL
constexpr int TOVO_CART_DATA_ID_MAX = 64;  // characters
constexpr int TOVO_CSTORE_MAX_NAMES = 256;

// Text-cart reason codes.
enum { TOVO_TEXT_CART_OK = 0, TOVO_TEXT_CART_FUTURE = 1, TOVO_TEXT_CART_TOO_LONG = 2 };
// Picture-cart reason codes.
enum {
  TOVO_PNG_CART_OK = 0,
  TOVO_PNG_CART_NOT_PNG = 1,
  TOVO_PNG_CART_NO_FILE = 2,
  TOVO_PNG_CART_FUTURE = 3,
  TOVO_PNG_CART_CORRUPT = 4,
  TOVO_PNG_CART_WRONG_SIZE = 5,
};

struct tovo_disk_state {
  int32_t text_cart_reason;
  int32_t png_cart_reason;

  char cart_filename[TARQ_PATH_MAX];  // the current cart file, empty when none
  char saved_hash[TOVO_HASH_SIZE];    // hash_cart after loading or the last save
  char load_hash[TOVO_HASH_SIZE];     // hash_cart of the cart as it was read
  char gscf_buffer[TARQ_PATH_MAX];    // the last sandboxed cstore file name built
  int32_t edit_flag;                  // set by a sprite-sheet backup

  char cdata_id[TOVO_CART_DATA_ID_MAX + 1];  // empty until cartdata() was called
  char cdata_path[TARQ_PATH_MAX];            // folder of cart data files, ends in '/'

  char last_file[TARQ_PATH_MAX];  // the last file reload or cstore used
  int32_t run_pause;              // ticks without run slices
  int32_t recent_access;          // ticks the disk indicator stays on

  char cstore_names[TOVO_CSTORE_MAX_NAMES][TARQ_PATH_MAX];  // files cstore wrote
  int32_t cstore_name_count;
};

extern tovo_disk_state disk_state;

// Up to `max` bytes from the stream's current position, in a new tracked
// block with a NUL after the data (freed with tarq_free); null when nothing
// could be allocated. *size receives the bytes read.
uint8_t* tovo_read_stream(tarq_file* f, int32_t max, int32_t* size);

// A stream on a new "<path>.tmp" for writing, or null; temp receives that
// name (TARQ_PATH_MAX bytes).
tarq_file* tovo_open_temp_for(const char* path, char* temp);
// Renames the temporary file over `path` when every write went through (ok)
// and the flush to the disk and the close succeeded; otherwise removes it.
// 0 when the file is in place.
int tovo_commit_temp(tarq_file* f, const char* temp, const char* path, bool ok);
