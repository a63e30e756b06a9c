#pragma once
// The cart browser's data: eight lists of carts (the local cart folder, the
// favourites kept in "favourites.txt", five lists of bulletin-board pages and
// a search list), the favourites themselves, the browser's cache paths under
// the application folder, and the labels of cart files.
//
// The player enters the browser at boot with -kiosk (splore_enter); its
// per-frame update and draw do nothing in the player.
#include <cstdint>

#include "engine/io/path.h"

struct tarq_bitmap;

constexpr int SPLORE_TEXT = 128;
constexpr int SPLORE_LIST_SLOTS = 16;
constexpr int SPLORE_LISTS_USED = 8;
constexpr int SPLORE_REQUEST_SIZE = 1024;
constexpr int SPLORE_SEARCH_TEXT_MAX = 22;
// A list page: 32 cells of 128x136 pixels, 8 a row.
constexpr int32_t SPLORE_PAGE_WIDTH = 1024;
constexpr int32_t SPLORE_PAGE_HEIGHT = 544;

enum : int32_t {
  SPLORE_ICON_CART = 176,
  SPLORE_ICON_TEXT_CART = 177,
  SPLORE_ICON_SPECIAL = 178,  // "[update]", "[search]", "[load more]"; every list in kiosk mode
  SPLORE_ICON_PICTURE_CART = 180,
  SPLORE_ICON_FOLDER = 181,
  SPLORE_ICON_UP = 185,
  SPLORE_ICON_LIST_BASE = 187,  // + list index
};

enum : int32_t {
  SPLORE_KIND_CART = 1,
  SPLORE_KIND_FOLDER = 2,
  SPLORE_KIND_UPDATE = 3,
  SPLORE_KIND_LOAD_MORE = 5,
  SPLORE_KIND_SEARCH = 6,
};

enum : int32_t {
  SPLORE_LIST_LOCAL = 0,
  SPLORE_LIST_FAVOURITES = 1,
  SPLORE_LIST_SEARCH = 7,
};

struct splore_item {
  int32_t icon;
  char title[SPLORE_TEXT];
  char author[SPLORE_TEXT];
  char file[SPLORE_TEXT];  // relative to the root cart folder
  char lid[SPLORE_TEXT];   // bulletin-board cart id, maybe with a "-version" suffix
  char mid[SPLORE_TEXT];   // bulletin-board post id
  int32_t catsub;
  tarq_bitmap* label;         // 128x128 8-bit, owned by the item, or null
  uint8_t label_colours[32];  // 16 display slots, then the slot of each extended colour
  int32_t kind;               // SPLORE_KIND_*
  int32_t favourite;
};

struct splore_list {
  splore_item* items;
  int32_t count;
  int32_t capacity;
  char name[16];  // short name: "local", "fav", "new", ...
  char request[SPLORE_REQUEST_SIZE];
  int32_t icon;
  char title[32];
  int32_t selected;
  int32_t scroll;       // where the drawn list stands; it glides towards the selection
  int32_t search;       // the list starts with "[update]" or "[search]"
  int32_t entry_state;  // search entry: 0 none, 1 started, 2 typing, 3 letter wheel
  char entry_text[SPLORE_SEARCH_TEXT_MAX + 2];
  int32_t entry_cursor;
};

constexpr int SPLORE_URL_MAX = 256;

// The main thread's view of the download (the state word itself is shared
// with the worker and read through splore_download_state).
struct splore_download_record {
  int32_t start;  // engine ms
  int32_t kind;   // SPLORE_AWAIT_*
  char url[SPLORE_URL_MAX + 1];
  char file[TARQ_PATH_MAX];     // the local file written
  char copy_to[TARQ_PATH_MAX];  // where a finished first list page is copied
  char title[SPLORE_TEXT];      // the cart being fetched
};

// The browser's state, kept by the browser: its lists, the current one, the
// item whose cart was started from it, the bulletin-board download and the
// update flag of the running cart.
struct splore_state {
  splore_list lists[SPLORE_LIST_SLOTS];
  int32_t list_count = 0;    // 0 until splore_init
  int32_t list_index = 1;    // the current list
  splore_item running_item;  // the item whose cart was started from the browser (no label)
  splore_download_record download;
  // Set when the running bulletin-board cart has a newer version (the pause
  // menu offers "update cart").
  int32_t newer_version = 0;
};
extern splore_state splore;

// The lists with their names and requests; the favourites from their file and
// lists 2..7 from their cached first pages. Once (while no list exists).
void splore_init();
// Lists the current folder into the local list, clamps the current list's
// selection and marks its favourites. Sets the lists up first when they do
// not exist yet.
void splore_enter();
// The browser's update and drawing while it is the machine's sub-mode: both
// do nothing in the player.
void splore_update();
void splore_draw(tarq_bitmap* page);
// Puts every list's scroll position at its selection, so that the browser
// shows its lists at rest when it is drawn again (a program was suspended).
void reset_splore_animation();

// 0 done (also for a missing folder, which leaves the list with only "..").
int populate_splore_list_from_directory(splore_list* list, const char* folder);
// Favourites form; 0 read, 1 nothing read (missing file).
int populate_splore_list_from_text_file(splore_list* list, const char* path);
// A list page: 0 read, 1 nothing read, 2 a picture that is not 1024x544.
int populate_splore_list_from_png_file(splore_list* list, const char* path, int append);
void clear_splore_list(splore_list* list);
// Writes the list's carts in the favourites form (atomically); 0 written.
int save_splore_list_to_file(const splore_list* list, const char* path);
// The item, or a cleared blank item for an index outside the list.
splore_item* get_splore_item(splore_list* list, int32_t index);
void validate_current_list();
// Appends a copy of item (the list takes the label pointer); false when out of memory.
bool splore_add_item(splore_list* list, const splore_item* item);

// Favourites.
int save_splore_favourites();
void reload_favourites();
void splore_toggle_favourite();
void splore_toggle_favourite_ingame(const char* lid, const char* file);
int is_favourite(const char* lid, const char* file);
void update_list_favourites(splore_list* list);

// Trims, lower-cases and cleans an item's texts as the favourites file and
// list pages need them.
void sanitise_splore_item(splore_item* item);
// Lower-cases A-Z and turns characters below 16 into blanks, in place.
void clean_tovo_string(char* text);
// The display slots of an item's label colours (once per item).
void splore_item_label_colours(splore_item* item);

// The cache paths (out: TARQ_PATH_MAX bytes; "" when refused). The folders on
// the way are made.
void get_bbs_cart_filename(const char* lid, char* out);
void get_bbs_cart_filename_nfo(const char* lid, char* out);
void get_bbs_cart_filename_legacy(int32_t number, int nfo, char* out);

// A 128x128 8-bit label of a cart file (picture carts and text carts), or null.
tarq_bitmap* create_label_from_file(const char* path);
// The label of a cached bulletin-board cart, else its saved label, or null.
tarq_bitmap* create_label_from_cart_lid(const char* lid);
