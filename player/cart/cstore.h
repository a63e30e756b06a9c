#pragma once
// Cart files written and read by a running cart: cstore writes ROM bytes of
// machine memory into a cart file (or the running cart's sandboxed patch),
// reload reads ROM bytes of a cart file into machine memory.
#include <cstdint>

enum { TOVO_CSTORE_OK = 0, TOVO_CSTORE_WRITE_FAILED = 2, TOVO_CSTORE_TOO_MANY_FILES = 3 };

// out (TARQ_PATH_MAX bytes) = the application folder, "cstore/", prefix and
// suffix; 0, or 1 (out empty) when it does not fit.
int tovo_prefix_with_cstore_path(const char* suffix, const char* prefix, char* out);
// The sandboxed cstore file of a cart hash ("cstore/__<hash>.kx"), built in
// disk_state.gscf_buffer, which is returned.
const char* get_sandboxed_cstore_filename(const char* hash);
// The file for a name a cart gave: the name (one leading "/" dropped) inside
// "cstore/". 0, or 1 (out empty) for a name that could leave the folder: an
// empty name, "..", another "/" or "\\", or a character other than letters,
// digits, "_", "-", "." and blanks.
int tovo_cstore_path_for_name(const char* name, char* out);

// Stores len bytes of machine memory from src on at ROM address dest on of
// the cart in `name` (a new cart when the file holds none; with sandboxed
// its change mask starts empty and marks the bytes written), and with
// also_working of the working cart too. Names holding ".png" or ".rom" are
// written as picture carts, others as text carts. A file that holds a cart
// of a future version is not overwritten (write failed). 0, 2 write failed,
// 3 when 256 other names were written before.
int cstore_cart_partial(const char* name, int32_t dest, int32_t src, int32_t len, int also_working, int sandboxed);

// Copies len bytes from ROM address src on of the cart in `name` to machine
// memory from dest on; 0, or 1 when the file holds no cart.
int reload_cart_partial(const char* name, int32_t dest, int32_t src, int32_t len);
