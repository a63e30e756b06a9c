#pragma once
// Cart storage: finding and reading a cart file under the forms of its name,
// making it the working cart (legacy changes, the shared half, hashes, code
// tabs and the sandboxed cstore patch), carts mounted on the virtual disk,
// the ".lua" import, external changes and the save road.
#include <cstdint>

struct tovo_cart;

constexpr int TOVO_MAX_MOUNTED_CARTS = 64;
constexpr int TOVO_MOUNT_NAME_SIZE = 256;

struct tovo_mounted_cart {
  char hash[41];
  char name[TOVO_MOUNT_NAME_SIZE];
};
// The carts mounted so far (kept by the mounting module), and the i-th of
// them (null outside 0..count-1).
int32_t mounted_cart_count();
const tovo_mounted_cart* mounted_cart(int32_t i);

// The cart in a file under one name form: picture cart (with its label),
// text cart, ROM file (names holding ".rom"), ".lua" import (names holding
// ".lua"), names compared without regard to case. Null when none reads.
tovo_cart* load_tovo_cart_any_format(const char* path);

// 0 when a cart was read under one of the forms of the name and is now the
// working cart; 1 otherwise (the reason codes in disk_state tell why).
int load_working_cart(const char* path);

// Makes the cart the working cart (destroying the old one); nothing for null.
void prepare_loaded_cart(tovo_cart* cart, const char* path);
// Applies the changes that carts of old versions need; sets legacy_done.
void apply_legacy_changes(tovo_cart* cart);
// Map rows 32-63 onto the sheet's lower half when any of them is non-zero,
// else the sheet's lower half onto the map.
void tovo_agree_shared_half(tovo_cart* cart);

// out (TARQ_PATH_MAX bytes) = name with ".kx" put in when its last component
// holds none: game.png -> game.kx.png, game -> game.kx, game.lua ->
// game.lua.kx, d.kx/game -> d.kx/game.kx.
void inject_kx_extention(const char* name, char* out);

// Writes the cart as a text cart onto the virtual disk under `name` and
// records its hash; nothing once 64 carts are mounted.
void mount_embedded_cart(tovo_cart* cart, const char* name);
void clear_embedded_carts();
// The first record named `name`; with loose also the record whose name with
// ".kx" injected, or that with ".png" appended, is `name`. Null when none.
const tovo_mounted_cart* get_embedded_cart_hash_for_filename(const char* name, int loose);

// A new cart with the text of a ".lua" file (bytes, UTF-16 or UTF-32 by its
// byte-order mark), or null when the file cannot be read.
tovo_cart* load_tovo_cart_lua(const char* path);

// 1 when the current cart file differs from the working cart.
int detect_external_changes();
// Makes the current cart file the working cart when it changed (ctrl-r).
void do_quick_load();
// 1 when the working cart has changes that were not saved; the player edits
// no cart, so always 0.
int32_t detect_unsaved_changes();

// Asks before reboot or shutdown when there are unsaved changes; non-zero
// when declined. The player has none, so it never asks: always 0 (the prompt
// is not shown).
int unsaved_changes_confirmation(const char* prompt);

// 0 saved, 1 failed.
int save_working_cart(const char* name);
void do_quick_save(int from_prompt);
