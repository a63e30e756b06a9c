// The "^" commands of code 6: waits, clearing, home and cursor moves,
// wrapping, tabs, glyph size, styles, one-off glyphs and pokes.
#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/font.h"
#include "console/print/print_context.h"
#include "console/run/spend_cpu.h"
#include "engine/data/gfx.h"

namespace {

constexpr int POKE_COST = 4;

// Value of a hex digit ('0'-'9', 'a'-'f', 'A'-'F'), other characters 0.
int32_t hex(uint8_t ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return 0;
}

bool have(const tovo_print_context* c, int32_t p, int32_t n) { return n <= c->end - p; }

// n hex digits at p as a number.
int32_t hex_number(const tovo_print_context* c, int32_t p, int32_t n) {
  int32_t v = 0;
  for (int32_t i = 0; i < n; i++) v = v << 4 | hex(c->text[p + i]);
  return v;
}

void poke_bytes(const tovo_print_context* c, int32_t from, int32_t count, int32_t address) {
  for (int32_t i = 0; i < count; i++) {
    tovo_poke(&pstate(), pstate().cart, address + i, c->text[from + i]);
    spend_cpu(POKE_COST);
  }
}

// A style flag on or off; 1 when ch names one.
bool set_style(tovo_print_context* c, uint8_t ch, int32_t on) {
  switch (ch) {
    case 'w': c->wide = on; return true;
    case 't': c->tall = on; return true;
    case 'p': c->pinball = on; return true;
    case '#': c->solid = on; return true;
    case 'i': c->invert = on; return true;
    case 'b': c->border = on; return true;
    case '$': c->wrap = on; return true;
    default: return false;
  }
}

// Commands of one argument character: whether ch is one.
bool one_argument(uint8_t ch) { return ch == 'c' || ch == 'd' || ch == 'r' || ch == 's' || ch == 'x' || ch == 'y'; }

void with_argument(tovo_print_context* c, uint8_t ch, int32_t n) {
  switch (ch) {
    case 'c':
      if (c->target) tarq_rectfill(c->target, 0, 0, 127, 127, static_cast<uint32_t>(n & 0xff));
      pstate().cursor_x = pstate().cursor_y = 0;
      break;
    case 'd': c->char_wait = n; break;
    case 'r':
      c->wrap = 1;
      c->right_edge = n * 4;
      break;
    case 's': c->tab_width = n * 4; break;
    case 'x':
      c->char_width = n;
      c->wide_width = c->font_wide_width + n - c->font_width;
      break;
    default: c->char_height = n; break;
  }
}

}  // namespace

int32_t print_command(tovo_print_context* c, int32_t p, int* stop) {
  int32_t q = p;
  int32_t on = 1;
  if (print_byte(c, q) == '-') {
    on = 0;
    q++;
  }
  const uint8_t ch = print_byte(c, q);
  if (!ch) return q - p;  // "-" at the end: nothing
  q++;
  if (ch >= '1' && ch <= '9') {
    c->wait_frames = (1 << (ch - '1')) - 1;
    *stop = 1;
    return q - p;
  }
  if (one_argument(ch)) {
    const uint8_t a = print_byte(c, q);
    if (!a) return 0;
    with_argument(c, ch, print_digit(a));
    return q + 1 - p;
  }
  switch (ch) {
    case 'g':
      pstate().cursor_x = c->home_x;
      pstate().cursor_y = c->home_y;
      return q - p;
    case 'h':
      c->home_x = pstate().cursor_x;
      c->home_y = pstate().cursor_y;
      return q - p;
    case 'j': {
      const uint8_t x = print_byte(c, q), y = print_byte(c, q + 1);
      if (!x || !y) return 0;
      pstate().cursor_x = print_digit(x) * 4;
      pstate().cursor_y = print_digit(y) * 4;
      return q + 2 - p;
    }
    case '.':
      c->stripe = on;
      if (!have(c, q, 8)) return c->end - p;
      draw_character(c, c->text + q, 8, 8);
      return q + 8 - p;
    case ':': {
      if (!have(c, q, 16)) return c->end - p;
      uint8_t rows[8];
      for (int32_t i = 0; i < 8; i++) rows[i] = static_cast<uint8_t>(hex_number(c, q + 2 * i, 2));
      draw_character(c, rows, 8, 8);
      return q + 16 - p;
    }
    case '@': {
      if (!have(c, q, 8)) return c->end - p;
      const int32_t address = hex_number(c, q, 4);
      const int32_t count = hex_number(c, q + 4, 4);
      q += 8;
      if (!have(c, q, count)) return c->end - p;
      poke_bytes(c, q, count, address);
      return q + count - p;
    }
    case '!': {
      if (!have(c, q, 4)) return c->end - p;
      const int32_t address = hex_number(c, q, 4);
      q += 4;
      // Every byte to the end, with the newline that print adds.
      if (c->end > q) poke_bytes(c, q, c->end - q, address);
      return c->end - p;
    }
    default: set_style(c, ch, on); return q - p;
  }
}
