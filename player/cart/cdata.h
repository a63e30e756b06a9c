#pragma once
// Cart data: the running cart's 64 persistent words (pstate().cart_data),
// kept in "<cdata path><id>.kxd.txt" as 8 lines of 8 words "%08x".
#include <cstdint>

enum { TOVO_CDATA_READ = 0, TOVO_CDATA_NO_FILE = 1, TOVO_CDATA_ERROR = 2, TOVO_CDATA_NO_ID = 3 };
constexpr int32_t TOVO_CDATA_FILE_SIZE = 520;

// True for ids of 1-64 characters of a-z, 0-9, "_" and "-".
bool tovo_cart_data_id_ok(const char* id);
// The file of an id, in out (TARQ_PATH_MAX bytes); 0, or 1 when it does not fit.
int tovo_cdata_filename(const char* id, char* out);

// cartdata(id): 0 read, 1 no file (or no cart running), 2 an error for the
// cart to raise, whose text is left in tovo_cdata_error ("cartdata() can only
// be called once", "cart data id too long", "cart data id: bad char"), 3 no
// id given.
int load_cdata(const char* id);
extern const char* tovo_cdata_error;
// Writes the words while a cart with an id runs; the dirty flag is cleared
// when nothing is to be written or the write succeeded. 0, or 1 when the
// file could not be written.
int save_cdata();
// Saves the running cart's data and forgets its id, so that the next cart
// (or the same one run again) can open its own.
void close_cdata();
