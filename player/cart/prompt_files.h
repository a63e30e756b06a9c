#pragma once
// The cart file system as the prompt commands reach it: save under a name
// (with the overwrite question), cd, mkdir and the paged directory listing
// of ls, all below the root path and the current folder.
#include <cstdint>

constexpr int32_t TOVO_LIST_PAGE_LINES = 17;

// save(name): root path + current folder + name with ".kx" put in (a name
// starting with "/" from the root path); an existing file is only
// overwritten when asked a second time. Prints "saved %s%s" when saved;
// a name that steps up a folder is refused ("could not save"). 0 when saved.
int tovo_save_named_cart(const char* name);
// cd(name): a name beginning with "/" is taken from the root; the result
// must stay inside the root path ("cd: failed") and be a folder that can be
// listed ("directory not found"); prints "/%s" with the new current folder.
void tovo_change_folder(const char* name);
// mkdir(name): makes root path + current folder + name + "/" (a name
// starting with "/" from the root path); 1 for a name that steps up a folder
// or does not fit, which makes nothing.
int tovo_make_folder(const char* name);

// ls while no cart runs: lists the current folder, its folders first, then
// its carts (and, for a filter beginning with '*', its other files), up to a
// page of 17 names that ends in "--more--"; the player has no key to turn
// the page, so the listing ends there.
void tovo_list_files(const char* filter);
// Ends a listing under way (at shutdown).
void tovo_close_listing();
