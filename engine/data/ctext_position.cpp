// The character under a pixel position and the cursor's column in its line.
#include "engine/data/ctext_position.h"

namespace {

int32_t line_start_of(const uint8_t* text, int32_t pos) {
  int32_t start = 0;
  for (int32_t i = 0; i < pos && text[i]; i++)
    if (text[i] == '\n') start = i + 1;
  return start;
}

}  // namespace

int line_x_to_cpos(const tarq_ctext* ctext, int32_t line_start, int32_t x) {
  const uint8_t* text = ctext->text;
  if (x < 0) return line_start;
  int32_t px = 0;
  int32_t i = line_start;
  for (; text[i] && text[i] != '\n'; i++) {
    int32_t w = get_char_width(ctext, text[i], px);
    px += w;
    x -= w;
    if (x < 0) return i;
  }
  return i;
}

int tarq_get_ctextfield_pos_for_cursor(const tarq_ctext* ctext, int32_t x, int32_t y) {
  if (!ctext || !ctext->text || ctext->line_height == 0 || y <= 0) return 0;
  const uint8_t* text = ctext->text;
  if (text[0] == 0) return 0;
  int32_t line = y / ctext->line_height;
  int32_t i = 0;
  for (int32_t seen = 0; seen < line; i++) {
    if (text[i] == 0) return i;
    if (text[i] == '\n') seen++;
  }
  return line_x_to_cpos(ctext, i, x);
}

int get_line_cpos(const tarq_ctext* ctext) { return ctext->cursor - line_start_of(ctext->text, ctext->cursor); }

int get_line_x(const tarq_ctext* ctext) {
  int32_t start = line_start_of(ctext->text, ctext->cursor);
  int32_t px = 0;
  for (int32_t i = start; i < ctext->cursor && ctext->text[i]; i++) px += get_char_width(ctext, ctext->text[i], px);
  return px;
}
