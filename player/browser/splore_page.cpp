// Reading a bulletin-board list page: a 1024x544 picture of 32 cells of
// 128x136 pixels, 8 a row. A cell's top 128x128 pixels are the cart's label;
// rows 128-132 carry text, one character per pixel in its green byte: the
// numbers "lid mid catsub", the title, the author, the lid and the mid.
#include <cstdio>
#include <cstring>

#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/platform/host.h"
#include "player/browser/splore.h"
#include "player/cart/cart_png.h"

namespace {

constexpr int32_t CELL_WIDTH = 128, CELL_HEIGHT = 136, CELLS = 32;

void read_text_row(const tarq_bitmap* page, int32_t cell, int32_t row, char* out) {
  int32_t x0 = (cell % 8) * CELL_WIDTH, y = (cell / 8) * CELL_HEIGHT + row;
  memset(out, 0, SPLORE_TEXT);
  for (int32_t x = 0; x < CELL_WIDTH - 1; x++) out[x] = (char)((tarq_row32(page, y)[x0 + x] >> 8) & 0xFF);
}

tarq_bitmap* cell_label(const tarq_bitmap* page, int32_t cell) {
  return label_from_picture_area(page, (cell % 8) * CELL_WIDTH, (cell / 8) * CELL_HEIGHT);
}

bool is_favourites_list(const splore_list* list) { return strcmp(list->name, "fav") == 0; }

}  // namespace

int populate_splore_list_from_png_file(splore_list* list, const char* path, int append) {
  bool exists = tarq_file_exists(path);
  if (append) {
    if (!exists) return 1;
    if (list->count > 0 && list->items[list->count - 1].kind == SPLORE_KIND_LOAD_MORE) {
      tarq_destroy_bitmap(list->items[list->count - 1].label);
      list->count--;
    }
  } else if (is_favourites_list(list)) {
    if (!exists) return 1;
  } else {
    if (!exists && list->count > 0) return 1;
    clear_splore_list(list);
    splore_item first{};
    bool search = strcmp(list->name, "search") == 0;
    first.kind = search ? SPLORE_KIND_SEARCH : SPLORE_KIND_UPDATE;
    first.icon = SPLORE_ICON_SPECIAL;
    snprintf(first.title, sizeof first.title, "%s", search ? "[search]" : "[update]");
    splore_add_item(list, &first);
    list->search = 1;
    if (!exists) return 1;
  }
  tarq_bitmap* page = tarq_load_png(path);
  if (!page || page->depth != 32 || page->width != SPLORE_PAGE_WIDTH || page->height != SPLORE_PAGE_HEIGHT) {
    tarq_destroy_bitmap(page);
    return 2;
  }
  bool empty_cell = false;
  for (int32_t cell = 0; cell < CELLS; cell++) {
    char text[SPLORE_TEXT];
    read_text_row(page, cell, 128, text);
    int lid = 0, mid = 0, catsub = 0;
    if (sscanf(text, "%d %d %d", &lid, &mid, &catsub) < 1 || lid == 0) {
      empty_cell = true;
      continue;
    }
    splore_item item{};
    item.kind = SPLORE_KIND_CART;
    item.icon = SPLORE_ICON_CART;
    item.catsub = catsub;
    read_text_row(page, cell, 129, item.title);
    read_text_row(page, cell, 130, item.author);
    read_text_row(page, cell, 131, item.lid);
    read_text_row(page, cell, 132, item.mid);
    if (!item.lid[0]) snprintf(item.lid, sizeof item.lid, "%d", lid);
    if (!item.mid[0]) snprintf(item.mid, sizeof item.mid, "%d", mid);
    sanitise_splore_item(&item);
    item.label = cell_label(page, cell);
    splore_item_label_colours(&item);
    if (!splore_add_item(list, &item)) tarq_destroy_bitmap(item.label);
  }
  tarq_destroy_bitmap(page);
  if (list->count >= 2 && !empty_cell) {
    splore_item more{};
    more.kind = SPLORE_KIND_LOAD_MORE;
    more.icon = SPLORE_ICON_SPECIAL;
    snprintf(more.title, sizeof more.title, "[load more]");
    more.label = tarq_create_bitmap(128, 128, 8);
    if (more.label) memset(more.label->pixels, 0, 128 * 128);
    if (!splore_add_item(list, &more)) tarq_destroy_bitmap(more.label);
  }
  update_list_favourites(list);
  return 0;
}
