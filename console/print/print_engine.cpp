// The print context, its set-up from the attribute registers, the loop over
// the text with control codes 1-15, and the console newline and screen scroll.
#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/font.h"
#include "console/print/print.h"
#include "console/print/print_context.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"
#include "engine/data/gfx.h"
#include "engine/tracked_mem.h"

namespace {

constexpr int32_t PADDING = 4;
constexpr int32_t DEFAULT_TAB = 16;

int32_t low(uint8_t v) { return v & 15; }
int32_t high(uint8_t v) { return v >> 4; }

void free_text(tovo_print_context* c) {
  tarq_free(c->text);
  c->text = nullptr;
  c->position = c->end = 0;
  c->wait_frames = 0;
}

// Rounds x up to a multiple of the tab width (nothing for a width of 0).
int32_t next_tab(int32_t x, int32_t tab) {
  if (tab <= 0) return x;
  int64_t r = (static_cast<int64_t>(x) % tab + tab) % tab;
  return r ? static_cast<int32_t>(x + (tab - r)) : x;
}

// Glyph code g of the font in use at the cursor.
int draw_code(tovo_print_context* c, uint8_t g) {
  int32_t w = g >= 128 ? c->wide_width : c->char_width;
  return draw_character(c, c->font + g * 8, w, c->char_height);
}

// One step: the code or glyph at the position. Returns 1 to stop printing.
int step(tovo_print_context* c) {
  const int32_t p = c->position;
  const uint8_t code = c->text[p];
  const uint8_t a = print_byte(c, p + 1);
  const uint8_t b = print_byte(c, p + 2);
  int32_t used = 1;
  int stop = 0;
  bool glyph = code >= 16;
  switch (code) {
    case 1:
      if (a) c->repeat = print_digit(a), used = 2;
      else glyph = true;
      break;
    case 2:
      if (a) c->background = print_digit(a) & 15, c->solid = 1, used = 2;
      else glyph = true;
      break;
    case 3:
      if (a) pstate().cursor_x += print_offset(a), used = 2;
      else glyph = true;
      break;
    case 4:
      if (a) pstate().cursor_y += print_offset(a), used = 2;
      else glyph = true;
      break;
    case 5:
      if (a && b) pstate().cursor_x += print_offset(a), pstate().cursor_y += print_offset(b), used = 3;
      else glyph = true;
      break;
    case 6:
      used = a ? print_command(c, p + 1, &stop) : 0;
      if (used) used += 1;
      else glyph = true;
      break;
    case 7: used = 1 + print_audio(c, p + 1); break;
    case 8: pstate().cursor_x -= c->last_advance; break;
    case 9: pstate().cursor_x = next_tab(pstate().cursor_x, c->tab_width); break;
    case 10: print_newline(c); break;
    case 11: {
      const int32_t o = a ? print_digit(a) : 0;
      const int32_t x = pstate().cursor_x, y = pstate().cursor_y;
      pstate().cursor_x = c->saved_x + (o & 3) - 2;
      pstate().cursor_y = c->saved_y + (o >> 2) - 8;
      c->saved_x = x;
      c->saved_y = y;
      c->decoration = 1;
      used = a ? 2 : 1;
      break;
    }
    case 12:
      c->foreground = a ? print_digit(a) & 15 : 0;
      pstate().pen = a ? print_digit(a) : 0;
      used = a ? 2 : 1;
      break;
    case 13: pstate().cursor_x = c->home_x; break;
    case 14: print_use_font(c, tovo_custom_font()); break;
    case 15: print_use_font(c, tovo_builtin_font()); break;
    default: break;
  }
  if (glyph) {
    const bool decorated = c->decoration;
    used = 1;
    stop = draw_code(c, code);
    // A glyph still repeating is read again (a decoration leaves the count).
    if (!decorated && c->repeat > 0) used = 0;
  }
  c->position += used;
  spend_cpu(used);
  return stop;
}

// Prints on until the text ends (0, buffer freed) or printing stops (1).
int32_t print_on(tovo_print_context* c) {
  while (c->text && c->position < c->end && c->text[c->position]) {
    if (step(c)) return 1;
  }
  free_text(c);
  return 0;
}

}  // namespace

bool print_cart_running() { return run_state().running && run_state().program; }

void print_use_font(tovo_print_context* c, const uint8_t* font) {
  c->font = font;
  c->char_width = font[TOVO_FONT_WIDTH];
  c->wide_width = font[TOVO_FONT_WIDE_WIDTH];
  c->char_height = font[TOVO_FONT_HEIGHT];
  if (!c->char_width && !c->wide_width && !c->char_height) c->char_width = c->wide_width = c->char_height = 8;
  c->font_width = c->char_width;
  c->font_wide_width = c->wide_width;
  c->x_offset = font[TOVO_FONT_X_OFFSET];
  c->y_offset = font[TOVO_FONT_Y_OFFSET];
}

void print_newline(tovo_print_context* c) {
  pstate().cursor_x = c->home_x;
  if (c->scroll) {
    print_console_newline(c->target, c->line_height);
  } else {
    pstate().cursor_y += c->line_height;
  }
  c->line_height = c->char_height;
}

void init_print_context() {
  tarq_free(print_context().text);
  std::memset(&print_context(), 0, sizeof print_context());
}

void reset_print_context() {
  tovo_print_context* c = &print_context();
  const uint8_t* r = pstate().ram;
  const uint8_t style = r[TOVO_REG_PRINT_STYLE];
  constexpr int32_t CUSTOM = TOVO_PRINT_STYLED | TOVO_PRINT_CUSTOM_FONT;
  const bool custom = (style & CUSTOM) == CUSTOM;
  print_use_font(c, custom ? tovo_custom_font() : tovo_builtin_font());
  const uint8_t size = r[TOVO_REG_PRINT_SIZE], wide_tab = r[TOVO_REG_PRINT_WIDE_TAB], offset = r[TOVO_REG_PRINT_OFFSET];
  if (low(size)) c->char_width = low(size);
  if (high(size)) c->char_height = high(size);
  if (low(wide_tab)) c->wide_width = low(wide_tab);
  c->tab_width = high(wide_tab) ? (high(wide_tab) + 1) * 4 : DEFAULT_TAB;
  if (low(offset)) c->x_offset = low(offset);
  if (high(offset)) c->y_offset = high(offset);
  const bool styled = style & TOVO_PRINT_STYLED;
  c->wide = styled && (style & TOVO_PRINT_WIDE);
  c->tall = styled && (style & TOVO_PRINT_TALL);
  c->solid = styled && (style & TOVO_PRINT_SOLID);
  c->invert = styled && (style & TOVO_PRINT_INVERT);
  c->stripe = styled && (style & TOVO_PRINT_STRIPE);
  c->border = !styled || (style & TOVO_PRINT_BORDER);
  c->pinball = 0;
}

void destroy_print_buffer() { free_text(&print_context()); }

int32_t tovo_print_text(tarq_bitmap* target, const char* text, int32_t length, int32_t mode, int32_t colour) {
  tovo_print_context* c = &print_context();
  free_text(c);
  if (length < 0) length = 0;
  const bool newline = !(pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_NO_NEWLINE);
  const int32_t end = length + (newline ? 1 : 0);
  c->text = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(end) + PADDING));
  if (!c->text) return 0;
  if (length) std::memcpy(c->text, text, static_cast<size_t>(length));
  if (newline) c->text[length] = '\n';
  std::memset(c->text + end, 0, PADDING);
  c->position = 0;
  c->end = end;
  c->target = target;
  c->scroll = (mode & TOVO_PRINT_SCROLL) != 0;
  c->wrap = (mode & TOVO_PRINT_WRAP) != 0;
  c->right_edge = target ? target->clip_x1 : 128;
  c->home_x = pstate().print_home_x;
  c->home_y = pstate().cursor_y;
  c->foreground = colour & 15;
  c->background = (colour >> 4) & 15;
  c->repeat = c->decoration = c->last_advance = c->char_wait = 0;
  c->saved_x = pstate().cursor_x;
  c->saved_y = pstate().cursor_y;
  reset_print_context();
  c->line_height = c->char_height;
  return print_on(c);
}

int continue_print_text() {
  tovo_print_context* c = &print_context();
  if (!c->text) return 0;
  if (c->wait_frames > 0) {
    c->wait_frames--;
    return 1;
  }
  return print_on(c);
}

// The console newline and screen scroll of the print engine.
namespace {

constexpr int32_t SCREEN = 128;
constexpr int32_t NEWLINE_LIMIT = 122;
constexpr int32_t NEWLINE_SCROLL = 6;
constexpr int SCROLL_COST = 65536;

bool scroll_locked() { return print_cart_running() && (pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_NO_SCROLL); }

// Rows n-127 to 0-(127 - n), the freed rows cleared to 0 (both within the
// target's clip rectangle).
void move_rows_up(tarq_bitmap* t, int32_t n) {
  if (!t) return;
  if (n < SCREEN) tarq_blit(t, t, 0, n, 0, 0, SCREEN, SCREEN - n);
  tarq_rectfill(t, 0, n < SCREEN ? SCREEN - n : 0, SCREEN - 1, SCREEN - 1, 0);
}

}  // namespace

void print_console_newline(tarq_bitmap* target, int32_t line_height) {
  pstate().cursor_y =
      static_cast<int32_t>(static_cast<uint32_t>(pstate().cursor_y) + static_cast<uint32_t>(line_height));
  if (pstate().cursor_y <= pstate().camera_y + NEWLINE_LIMIT || scroll_locked()) return;
  pstate().cursor_y -= NEWLINE_SCROLL;
  move_rows_up(target, NEWLINE_SCROLL);
  spend_cpu(SCROLL_COST);
}

void print_scroll_screen(tarq_bitmap* target, int32_t n) {
  if (n <= 0 || scroll_locked()) return;
  pstate().cursor_y = static_cast<int32_t>(static_cast<uint32_t>(pstate().cursor_y) - static_cast<uint32_t>(n));
  move_rows_up(target, n);
  spend_cpu(SCROLL_COST);
}
