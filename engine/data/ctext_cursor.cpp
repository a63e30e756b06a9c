// Line and position mapping, the cursor's pixel position and scrolling of a code text.
#include "engine/data/ctext_cursor.h"

#include "engine/platform/gui.h"

namespace {

// The scrolling's memory of the last element it saw.
struct ctext_scroll_memory {
  int32_t last_ctext_width;
  int32_t last_ctext_height;
};

ctext_scroll_memory seen;

}  // namespace

void ctext_last_element_size(int32_t* w, int32_t* h) {
  *w = seen.last_ctext_width;
  *h = seen.last_ctext_height;
}

namespace {

int32_t tab_stop(const tarq_ctext* ctext) { return ctext->tab_width < 4 ? 4 : ctext->tab_width; }

// The pixel position of character `end` of the text, or (0, 0) when the text ends first.
void pixel_position(const tarq_ctext* ctext, int32_t end, int32_t* x, int32_t* y) {
  *x = 0;
  *y = 0;
  if (!ctext || !ctext->text || end <= 0) return;
  int32_t px = 0, py = 0;
  for (int32_t i = 0; i < end; i++) {
    uint8_t c = ctext->text[i];
    if (c == 0) return;
    if (c == '\n') {
      px = 0;
      py += ctext->line_height;
    } else {
      px += get_char_width(ctext, c, px);
    }
  }
  *x = px;
  *y = py;
}

}  // namespace

int ctext_get_line_number_for_pos(const uint8_t* text, int32_t pos) {
  if (!text) return 0;
  int lines = 0;
  for (int32_t i = 0; i < pos && text[i]; i++)
    if (text[i] == '\n') lines++;
  return lines;
}

int ctext_get_pos_for_line_number(const uint8_t* text, int32_t line) {
  if (!text || line <= 0) return 0;
  int32_t i = 0;
  for (; text[i]; i++)
    if (text[i] == '\n' && --line == 0) return i + 1;
  return i;
}

int get_char_width(const tarq_ctext* ctext, uint8_t code, int32_t x) {
  if (code & 0x80) return 2 * ctext->char_width;
  if (code == '\t') {
    int32_t stop = tab_stop(ctext);
    int32_t into = x % stop;
    if (into < 0) into += stop;
    return stop - into;
  }
  return ctext->char_width;
}

void tarq_get_ctextfield_cursor_pos(const tarq_ctext* ctext, int32_t* x, int32_t* y) {
  pixel_position(ctext, ctext ? ctext->cursor : 0, x, y);
}

void ctext_bound_scrolling_to_cursor(tarq_ctext* ctext, int32_t margin) {
  if (!ctext) return;
  if (ctext->element) {
    seen.last_ctext_width = ctext->element->width;
    seen.last_ctext_height = ctext->element->height;
  }
  int32_t w = seen.last_ctext_width, h = seen.last_ctext_height;
  if (margin != 0 && h > 128) margin = h / 3;
  int32_t x, y;
  tarq_get_ctextfield_cursor_pos(ctext, &x, &y);

  if (x < ctext->scroll_x) ctext->scroll_x = x;
  if (ctext->scroll_x < 0) ctext->scroll_x = 0;
  if (x + ctext->char_width > ctext->scroll_x + w) ctext->scroll_x = x + ctext->char_width - w;

  if (margin == 0) {
    if (y < ctext->scroll_y) ctext->scroll_y = y;
    if (y + ctext->line_height > ctext->scroll_y + h) ctext->scroll_y = y + ctext->line_height - h;
    if (ctext->scroll_y < 0) ctext->scroll_y = 0;
  } else {
    ctext->scroll_y = y - margin > 0 ? y - margin : 0;
  }
}
