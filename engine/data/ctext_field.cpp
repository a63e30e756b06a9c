#include "engine/data/ctext_field.h"

#include <SDL_scancode.h>

#include <cstring>
#include <string>

#include "engine/data/ctext_edit.h"
#include "engine/data/ctext_position.h"
#include "engine/data/ctext_snapshot.h"
#include "engine/data/gfx.h"
#include "engine/data/text.h"
#include "engine/data/undo_step.h"
#include "engine/formats/glyph_utf8.h"
#include "engine/platform/events.h"
#include "engine/platform/gui.h"
#include "engine/platform/gui_elements.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"

namespace {

// The field's clicks and drags, shared by every field.
struct ctextfield_clicks {
  int32_t double_clicked;            // 0 none, 1 double, 2 triple
  int32_t last_ctext_drag_scroll_t;  // engine time of the last drag update
};

ctextfield_clicks clicks;

}  // namespace

int32_t ctextfield_double_clicked() { return clicks.double_clicked; }
void ctextfield_set_drag_time(int32_t t) { clicks.last_ctext_drag_scroll_t = t; }
void ctextfield_reset_clicks() { clicks = ctextfield_clicks{}; }

namespace {

constexpr int32_t DRAG_UPDATE_MS = 50;
constexpr uint32_t BACKGROUND = 0x404040;

bool pressed(int32_t scancode) { return (tarq_get_key_state(scancode) & 2) != 0; }

int32_t line_of(const tarq_ctext* c) { return ctext_get_line_number_for_pos(c->text, c->cursor); }

int32_t step_height(const tarq_ctext* c) { return c->line_height > 4 ? c->line_height : 4; }

// A ctrl combination: the letter typed in either case, or a key event that
// gave no code (ctrl with shift) while the letter's key is pressed.
bool ctrl_letter(int32_t ch, char letter) {
  if (ch == letter || ch == letter - 'a' + 'A') return true;
  if (ch > 0) return false;
  int32_t scancode = letter >= 'a'   ? SDL_SCANCODE_A + (letter - 'a')
                     : letter == '0' ? SDL_SCANCODE_0
                                     : SDL_SCANCODE_1 + (letter - '1');
  return pressed(scancode);
}

int32_t mouse_pos(const tarq_gui_element* e, const tarq_ctext* c, int32_t mx, int32_t my) {
  return tarq_get_ctextfield_pos_for_cursor(c, mx - e->x + c->scroll_x, my - e->y + c->scroll_y);
}

void open_search(tarq_ctext* c, int by_line) {
  if (c->search_active) {
    c->search_active = 0;
    return;
  }
  c->search_active = 1;
  c->search_by_line = by_line;
  c->search_text[0] = 0;
  c->search_cursor = 0;
  c->search_highlight = 1;
}

void search_key(tarq_ctext* c, int32_t ch, bool ctrl) {
  char* s = c->search_text;
  int32_t n = (int32_t)strlen(s);
  int32_t& at = c->search_cursor;
  if (at > n) at = n;
  if (ctrl && ctrl_letter(ch, 'v')) {
    char* text = tarq_get_clipboard_text();
    if (!text) return;
    uint8_t* glyphs = convert_escaped_to_glyphs(text, nullptr);
    tarq_free(text);
    if (!glyphs) return;
    strncpy(s, (const char*)glyphs, 255);
    s[255] = 0;
    tarq_free(glyphs);
    at = (int32_t)strlen(s);
  } else if (ch == 13 || ch == 10) {
    c->search_active = 0;
    if (c->search_by_line) ctext_search_for_line(c);
    else if (s[0]) ctext_search_for_string(c, 1);
  } else if (ch == 27) {
  } else if (pressed(SDL_SCANCODE_LEFT)) {
    if (at > 0) at--;
  } else if (pressed(SDL_SCANCODE_RIGHT)) {
    if (at < n) at++;
  } else if (ch == 8 || (ch == 127 && !pressed(SDL_SCANCODE_DELETE))) {
    if (at > 0) {
      memmove(s + at - 1, s + at, (size_t)(n - at + 1));
      at--;
    }
  } else if (pressed(SDL_SCANCODE_DELETE)) {
    if (at > 0 && at < n) memmove(s + at, s + at + 1, (size_t)(n - at));
  } else if (ch >= 16 && ch <= 255 && at <= 252 && n < 255) {
    memmove(s + at + 1, s + at, (size_t)(n - at + 1));
    s[at++] = (char)ch;
  }
}

// Removes the character at the cursor, one undo step per run of printable ones.
void delete_at_cursor(tarq_ctext* c) {
  if (c->text[c->cursor] >= '!') tarq_backup_ctext_if_editing_newline(c);
  else tarq_backup_ctext(c);
  ctext_remove_text(c, c->cursor, 1);
}

void vertical_step(tarq_ctext* c, int32_t direction) {
  const uint8_t* t = c->text;
  int32_t start = ctext_line_start(t, c->cursor);
  if (direction < 0) {
    if (start == 0) {
      c->cursor = 0;
      return;
    }
    c->cursor = line_x_to_cpos(c, ctext_line_start(t, start - 1), c->remembered_x);
  } else {
    int32_t end = ctext_line_end(t, c->cursor);
    if (c->cursor >= ctext_length(c)) return;
    if (t[end] == 0) {
      c->cursor = end;
      return;
    }
    c->cursor = line_x_to_cpos(c, end + 1, c->remembered_x);
  }
}

void indent_selection(tarq_ctext* c, bool unindent) {
  tarq_backup_ctext(c);
  int32_t a = c->select_start < c->select_end ? c->select_start : c->select_end;
  int32_t b = c->select_start < c->select_end ? c->select_end : c->select_start;
  int32_t len = ctext_length(c);
  if (b > len) b = len;
  int first = ctext_get_line_number_for_pos(c->text, a);
  int last = ctext_get_line_number_for_pos(c->text, b > a ? b - 1 : a);
  int lines = last - first + 1;
  if (!unindent) {
    if (len + lines > c->capacity) return;
    for (int l = last; l >= first; l--)
      ctext_insert_text_ex(c, (const uint8_t*)"\t", ctext_get_pos_for_line_number(c->text, l), 0);
    c->select_start = a + 1;
    c->select_end = b + lines;
  } else {
    int changed = 0;
    bool first_changed = false;
    for (int l = last; l >= first; l--) {
      int32_t s = ctext_get_pos_for_line_number(c->text, l);
      if (c->text[s] == ' ' || c->text[s] == '\t') {
        ctext_remove_text(c, s, 1);
        changed++;
        if (l == first) first_changed = true;
      }
    }
    c->select_start = a - (first_changed ? 1 : 0);
    c->select_end = b - changed;
  }
  c->cursor = c->select_start;
}

void newline(tarq_ctext* c, bool shift) {
  ctextfield_delete_selected(c);
  int32_t start = ctext_line_start(c->text, c->cursor);
  std::basic_string<uint8_t> indent;
  for (int32_t i = start; i < c->cursor && (c->text[i] == ' ' || c->text[i] == '\t'); i++) indent.push_back(c->text[i]);
  ctext_insert_character(c, '\n');
  for (uint8_t ch : indent) ctext_insert_character(c, ch);
  if (!shift) return;
  int block = start_of_block(c);
  if (block == 0) return;
  std::basic_string<uint8_t> closing = (const uint8_t*)"\t\n";
  closing += indent;
  closing += (const uint8_t*)(block == 2 ? "until " : "end");
  int32_t at = c->cursor;
  int32_t before = ctext_length(c);
  ctext_insert_text_ex(c, closing.c_str(), at, 0);
  if (ctext_length(c) != before) ctext_collapse(c, at + 1);
}

void backspace(tarq_ctext* c) {
  if (c->select_start != c->select_end) {
    ctextfield_delete_selected(c);
    return;
  }
  if (c->cursor <= 0) return;
  c->cursor--;
  if (c->text[c->cursor] == '\n') c->scroll_y -= c->line_height;
  else c->scroll_x -= c->char_width;
  delete_at_cursor(c);
}

void text_key(tarq_gui_element* e, tarq_ctext* c, int32_t ch) {
  const bool ctrl = tarq_get_key_state(TARQ_KEY_CTRL) != 0;
  const bool shift = tarq_get_key_state(TARQ_KEY_SHIFT) != 0;
  const bool alt = tarq_get_key_state(TARQ_KEY_ALT) != 0;
  const int32_t len = ctext_length(c);
  const int32_t line_before = line_of(c);
  bool vertical = false, moves_selection = false;

  if (pressed(SDL_SCANCODE_HOME)) {
    c->cursor = ctrl ? 0 : ctext_line_start(c->text, c->cursor);
    moves_selection = true;
  } else if (pressed(SDL_SCANCODE_END)) {
    c->cursor = ctrl ? len : ctext_line_end(c->text, c->cursor);
    moves_selection = true;
  } else if (ctrl && ctrl_letter(ch, '1')) {
    ctext_move_line(c, -1);
  } else if (ctrl && ctrl_letter(ch, '2')) {
    ctext_move_line(c, 1);
  } else if (ctrl && ctrl_letter(ch, 'a')) {
    c->select_start = 0;
    c->select_end = len + 1;
  } else if (ctrl && ctrl_letter(ch, 'd')) {
    ctext_duplicate_line(c);
  } else if (ctrl && ctrl_letter(ch, 'c')) {
    ctextfield_copy(c, 0);
  } else if (ctrl && ctrl_letter(ch, 'x')) {
    ctextfield_copy(c, 0);
    ctextfield_delete_selected(c);
  } else if (ctrl && ctrl_letter(ch, 'v')) {
    ctextfield_delete_selected(c);
    ctextfield_paste(c);
  } else if (ctrl && ((shift && ctrl_letter(ch, 'z')) || ctrl_letter(ch, 'y'))) {
    restore_undo_ctext_state(tarq_redo(c->undo), c);
  } else if (ctrl && ctrl_letter(ch, 'z')) {
    tarq_backup_ctext(c);
    restore_undo_ctext_state(tarq_undo(c->undo), c);
  } else if (ctrl && ctrl_letter(ch, 'b')) {
    toggle_block_comment(c);
  } else if (ctrl && ctrl_letter(ch, 'e')) {
    c->cursor = ctext_line_end(c->text, c->cursor);
  } else if (ctrl && ctrl_letter(ch, 'w')) {
    c->cursor = ctext_line_start(c->text, c->cursor);
  } else if (ctrl && ctrl_letter(ch, 'f')) {
    open_search(c, 0);
  } else if (ctrl && (ctrl_letter(ch, 'l') || ctrl_letter(ch, 'i'))) {
    open_search(c, 1);
  } else if (ctrl && ctrl_letter(ch, 'g')) {
    ctext_search_for_string(c, 1);
  } else if (ctrl && pressed(SDL_SCANCODE_UP)) {
    c->cursor = 0;
    moves_selection = true;
  } else if (ctrl && pressed(SDL_SCANCODE_DOWN)) {
    c->cursor = len;
    moves_selection = true;
  } else if (ch == 8 || (ch == 127 && !pressed(SDL_SCANCODE_DELETE))) {
    backspace(c);
  } else if (pressed(SDL_SCANCODE_DELETE)) {
    if (c->select_start != c->select_end) ctextfield_delete_selected(c);
    else if (c->cursor < len) delete_at_cursor(c);
  } else if (!alt && (pressed(SDL_SCANCODE_LEFT) || pressed(SDL_SCANCODE_RIGHT))) {
    c->cursor += calculate_skip_steps(c, pressed(SDL_SCANCODE_LEFT) ? -1 : 1);
    moves_selection = true;
  } else if (alt && (pressed(SDL_SCANCODE_UP) || pressed(SDL_SCANCODE_DOWN))) {
    ctext_search_for_bookmark(c, pressed(SDL_SCANCODE_UP) ? -1 : 1);
  } else if (pressed(SDL_SCANCODE_UP) || pressed(SDL_SCANCODE_DOWN) || pressed(SDL_SCANCODE_PAGEUP) ||
             pressed(SDL_SCANCODE_PAGEDOWN)) {
    tarq_backup_ctext(c);
    bool page = pressed(SDL_SCANCODE_PAGEUP) || pressed(SDL_SCANCODE_PAGEDOWN);
    int32_t direction = pressed(SDL_SCANCODE_UP) || pressed(SDL_SCANCODE_PAGEUP) ? -1 : 1;
    int32_t steps = page ? e->height / step_height(c) : 1;
    for (int32_t i = 0; i < steps; i++) vertical_step(c, direction);
    vertical = true;
    moves_selection = true;
  } else if (ch == 9) {
    if (c->select_start != c->select_end) {
      indent_selection(c, shift);
    } else {
      ctextfield_delete_selected(c);
      ctext_insert_character(c, '\t');
    }
  } else if (ch == 13 || ch == 10) {
    newline(c, shift);
  } else if (ch > 0 && ch <= 255 && !(ctrl && ch < 128 && get_char_cat((uint8_t)ch) == 1)) {
    if (c->cursor < c->capacity) {
      ctextfield_delete_selected(c);
      ctext_insert_character(c, (uint8_t)ch);
    }
  }

  if (moves_selection) {
    if (shift) {
      c->select_end = c->cursor;
    } else {
      c->select_start = c->select_end = c->cursor;
      c->search_highlight = 0;
    }
  }
  if (!(vertical && line_of(c) != line_before)) c->remembered_x = get_line_x(c);
}

}  // namespace

int32_t tarq_gui_add_ctext_field(tarq_bitmap* target, int32_t x, int32_t y, int32_t w, int32_t h, tarq_ctext* c) {
  int32_t index = tarq_add_guie(nullptr, x, y, w, h, TARQ_GUI_CTEXT_FIELD, vhand_ctextfield);
  tarq_gui_element* e = tarq_get_gui_element(index);
  if (!e) return -1;
  e->record = c;
  e->target = target;
  c->element = e;
  tarq_gui_set_keyboard_focus(e);
  return index;
}

void vhand_ctextfield(tarq_gui_element* e, int32_t a, int32_t b, int32_t buttons, int32_t message) {
  tarq_ctext* c = e ? static_cast<tarq_ctext*>(e->record) : nullptr;
  if (!c || !c->text) return;
  const int32_t cursor_before = c->cursor;
  const bool shift = tarq_get_key_state(TARQ_KEY_SHIFT) != 0;
  const bool mouse =
      message == TARQ_GUI_PRESS || message == TARQ_GUI_HOLD || message == TARQ_GUI_RELEASE || message == TARQ_GUI_HOVER;
  if (mouse && buttons == 0) clicks.double_clicked = 0;

  if (message == TARQ_GUI_PRESS || message == TARQ_GUI_RELEASE || message == TARQ_GUI_CLICK ||
      message == TARQ_GUI_WHEEL)
    tarq_backup_ctext(c);
  if (message == TARQ_GUI_PRESS) tarq_gui_set_keyboard_focus(e);

  if (message == TARQ_GUI_WHEEL) {
    c->scroll_y -= b * step_height(c) * 2;
    if (c->scroll_y < 0) c->scroll_y = 0;
  } else if (message == TARQ_GUI_CLICK) {
    c->cursor = mouse_pos(e, c, a, b);
  } else if (message == TARQ_GUI_DOUBLE_CLICK) {
    if (clicks.double_clicked != 2) {
      ctext_select_from_double_click(c, mouse_pos(e, c, a, b));
      clicks.double_clicked = 1;
    }
  } else if (message == TARQ_GUI_TRIPLE_CLICK) {
    ctext_select_from_triple_click(c, mouse_pos(e, c, a, b));
    clicks.double_clicked = 2;
  } else if (message == TARQ_GUI_PRESS && clicks.double_clicked == 0) {
    int32_t pos = mouse_pos(e, c, a, b);
    if (shift) {
      c->cursor = c->select_end = pos;
      c->remembered_x = get_line_x(c);
    } else {
      ctext_collapse(c, pos);
      c->search_highlight = 0;
    }
  } else if (message == TARQ_GUI_HOLD && clicks.double_clicked == 0) {
    int32_t now = tarq_get_time();
    if (now - clicks.last_ctext_drag_scroll_t > DRAG_UPDATE_MS) {
      clicks.last_ctext_drag_scroll_t = now;
      c->cursor = c->select_end = mouse_pos(e, c, a, b);
      c->search_highlight = 0;
      c->remembered_x = get_line_x(c);
    }
  } else if (message == TARQ_GUI_KEY) {
    if (c->search_active) search_key(c, a, tarq_get_key_state(TARQ_KEY_CTRL) != 0);
    else text_key(e, c, a);
  }

  int32_t len = ctext_length(c);
  if (c->cursor < 0) c->cursor = 0;
  if (c->cursor > len) c->cursor = len;
  if (c->cursor != cursor_before) ctext_bound_scrolling_to_cursor(c, 0);

  if (message == TARQ_GUI_DRAW && e->target) {
    tarq_set_clip(e->target, e->x, e->y, e->x + e->width, e->y + e->height);
    if (c->draw_override) c->draw_override(e->target, e->x, e->y, e->width, e->height, c);
    else draw_ctext(e->target, e->x, e->y, e->width, e->height, c);
    tarq_reset_clip(e->target);
  }
  if (c->select_start == c->select_end) c->select_start = c->select_end = c->cursor;
}

void draw_ctext(tarq_bitmap* b, int32_t x, int32_t y, int32_t w, int32_t h, tarq_ctext* c) {
  uint32_t background = b->depth == 8 ? (BACKGROUND & 0xFF) : (0xFF000000u | BACKGROUND);
  tarq_rectfill(b, x, y, x + w - 1, y + h - 1, background);
  tarq_pod* font = c->font ? c->font : tarq_fonts.tarq_font2;
  const int32_t step = step_height(c);
  int32_t px = x - c->scroll_x, py = y - c->scroll_y;
  int32_t cursor_x = px, cursor_y = py;
  for (int32_t i = 0;; i++) {
    if (i == c->cursor) {
      cursor_x = px;
      cursor_y = py;
    }
    uint8_t ch = c->text[i];
    if (ch == 0) break;
    if (ch == '\n') {
      px = x - c->scroll_x;
      py += step;
      continue;
    }
    tarq_bitmap* g = font ? tarq_font_glyph(font, 0, ch) : nullptr;
    if (!g) continue;
    tarq_blit(g, b, 0, 0, px, py, g->width, g->height);
    px += c->char_width;
  }
  const tarq_gui_element* e = c->element;
  if (e && (e->flags & TARQ_GUI_FOCUS) && (tarq_get_time() & 0x100))
    tarq_rectfill(b, cursor_x, cursor_y + 1, cursor_x + c->char_width - 1, cursor_y + c->line_height - 1,
                  (uint32_t)c->cursor_colour);
}
