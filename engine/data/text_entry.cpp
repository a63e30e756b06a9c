// Blocking line entry drawn over the back page.
#include <cstring>
#include <string>

#include "engine/data/pod.h"
#include "engine/data/text.h"
#include "engine/data/text_entry.h"
#include "engine/platform/events.h"
#include "engine/platform/video.h"
#include "engine/tarq.h"

static int32_t glyph_size(tarq_pod* font, int32_t item, bool height, int32_t fallback) {
  const auto* g = static_cast<const tarq_bitmap*>(cpod_get_item(font, item, TARQ_ITEM_BITMAP));
  if (!g) return fallback;
  return height ? g->height : g->width;
}

// The field is drawn into a work bitmap over a copy of the back page's area
// and put onto the back page, which is presented after every key; when entry
// ends, the area the field covered is given back.
int32_t tarq_get_keyboard_string_ex(char* buffer, int32_t x, int32_t y, tarq_pod* font, int32_t max_len,
                                    int32_t field_width) {
  if (!buffer || max_len < 1) return 0;
  buffer[0] = 0;
  if (!font || !tarq_video.tarq_screen || field_width < 1) return 0;
  const int32_t depth = tarq_window.tarq_back_page ? tarq_window.tarq_back_page->depth : tarq_video.tarq_screen->depth;
  tarq_bitmap* work = tarq_create_bitmap(field_width, glyph_size(font, 45, true, 6) + 2, depth);
  tarq_bitmap* saved = tarq_create_bitmap(field_width, glyph_size(font, 45, true, 6) + 2, depth);
  if (!work || !saved) {
    tarq_destroy_bitmap(work);
    tarq_destroy_bitmap(saved);
    return 0;
  }
  if (tarq_window.tarq_back_page) tarq_blit(tarq_window.tarq_back_page, saved, x, y, 0, 0, saved->width, saved->height);
  const int32_t room = field_width - glyph_size(font, 95, false, 0);
  int32_t len = 0, entered = 0;
  for (;;) {
    tarq_blit(saved, work, 0, 0, 0, 0, work->width, work->height);
    const std::string shown = std::string(buffer, static_cast<size_t>(len)) + static_cast<char>(127);
    tarq_draw_text(work, shown.c_str(), font, 0, 0);
    if (tarq_window.tarq_back_page) {
      tarq_blit(work, tarq_window.tarq_back_page, 0, 0, x, y, work->width, work->height);
      tarq_blit_back_page();
    }
    const int32_t key = tarq_readkey();
    if (key == 13) {
      entered = 1;
      break;
    }
    if (tarq_quit_requested()) break;
    if (key == 8 || key == 0) {
      if (len > 0) buffer[--len] = 0;
      continue;
    }
    if (key < 1 || key > 255 || max_len < 2) continue;
    // At the length limit a new key replaces the last character.
    if (len < max_len - 1) buffer[len++] = static_cast<char>(key);
    else buffer[len - 1] = static_cast<char>(key);
    buffer[len] = 0;
    if (tarq_get_text_width(buffer, font) >= room && len > 0) buffer[--len] = 0;
  }
  if (tarq_window.tarq_back_page) tarq_blit(saved, tarq_window.tarq_back_page, 0, 0, x, y, saved->width, saved->height);
  tarq_destroy_bitmap(work);
  tarq_destroy_bitmap(saved);
  return entered;
}

int32_t tarq_get_keyboard_string(char* buffer, int32_t x, int32_t y, tarq_pod* font, int32_t max_len) {
  if (!tarq_video.tarq_screen) {
    if (buffer && max_len >= 1) buffer[0] = 0;
    return 0;
  }
  return tarq_get_keyboard_string_ex(buffer, x, y, font, max_len, tarq_video.tarq_screen->width);
}
