// Drawing the pause menu and its options page over the game picture.
#include <cmath>

#include "console/draw/gfx_shapes.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/text.h"
#include "engine/tarq.h"
#include "player/browser/splore.h"
#include "player/keyconfig_screen.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t POINTER = 245;
constexpr int32_t HEART = 188;
constexpr int32_t ARROW = 228;
constexpr int32_t ADAPTIVE = 1;

void text_at(tarq_bitmap* page, const char* text, int32_t x, int32_t y, int32_t colour) {
  if (shell.font) tarq_draw_text_ex(page, text, shell.font, x, y, TARQ_TEXT_ONE_COLOUR, (uint32_t)colour);
}

tarq_bitmap* resource(int32_t item) {
  return shell.resources ? (tarq_bitmap*)cpod_get_item(shell.resources, item, TARQ_ITEM_BITMAP) : nullptr;
}

void sprite_at(tarq_bitmap* page, int32_t item, int32_t x, int32_t y) {
  if (tarq_bitmap* b = resource(item)) tarq_draw_sprite(b, page, 0, 0, x, y, b->width, b->height);
}

// The dimmed box behind a page, kept inside the page (the tint is not clipped).
void darken(tarq_bitmap* page, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int32_t w = page->width < 128 ? page->width : 128, h = page->height < 128 ? page->height : 128;
  x0 = x0 < 0 ? 0 : x0;
  y0 = y0 < 0 ? 0 : y0;
  x1 = x1 >= w ? w - 1 : x1;
  y1 = y1 >= h ? h - 1 : y1;
  if (x0 <= x1 && y0 <= y1) draw_tinted_rect_adaptive(page, x0, y0, x1, y1, ADAPTIVE);
}

void draw_update_prompt(tarq_bitmap* page) {
  darken(page, 10, 25, 118, 55);
  tarq_rect(page, 11, 26, 117, 54, 7);
  text_at(page, "a new version of this", 22, 34, 7);
  text_at(page, "cartridge is available", 20, 42, 7);
  int32_t bob = (int32_t)lround(2.0 * cos(tarq_get_time() / 200.0));
  sprite_at(page, ARROW, 44, 59 + bob);
  sprite_at(page, ARROW, 74, 59 + bob);
}

}  // namespace

void draw_paused_menu(tarq_bitmap* page) {
  if (!page) return;
  if (app.pause_state == TOVO_PAUSE_KEYCONFIG) {
    keyconfig_draw(page);
    return;
  }
  if (app.pause_state == TOVO_PAUSE_CONTROLS) {
    draw_paused_controls_menu(page);
    return;
  }
  int32_t n = pause_menu.count;
  int32_t h = ((n + 1) * 8) / 2;
  bool update = n > 0 && pause_menu.item[0].type == TOVO_ITEM_UPDATE;
  int32_t o = update ? 22 : 0;
  darken(page, 23, o - h + 63, 104, o + h + 64);
  tarq_rect(page, 24, o - h + 64, 103, o + h + 63, 7);
  if (update) draw_update_prompt(page);
  for (int32_t i = 0; i < n; i++) {
    bool selected = i == pause_menu.selected;
    int32_t y = o + 8 * i - h + 70;
    text_at(page, pause_menu.item[i].label, selected ? 35 : 34, y, 7);
    if (selected) sprite_at(page, POINTER, 25, y - 1);
    if (pause_menu.item[i].type == TOVO_ITEM_FAVOURITE) {
      tarq_bitmap* heart = resource(HEART);
      if (heart && is_favourite(splore.running_item.lid, splore.running_item.file))
        tarq_draw_sprite(heart, page, 0, 0, 74, y, heart->width, heart->height);
      else if (heart) tarq_draw_sprite_col(heart, page, 0, 0, 74, y, heart->width, heart->height, 13, 0);
    }
  }
}
