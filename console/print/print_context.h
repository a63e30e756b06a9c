#pragma once
// The print context record and the steps of the print engine shared by its
// files. The cursor, pen and print home (TOVO_REG_PRINT_HOME_X) are the draw
// state's.
#include <cstdint>

struct tarq_bitmap;

struct tovo_print_context {
  uint8_t* text;        // owned copy: length bytes and 4 zero bytes
  int32_t position;     // next byte to read
  int32_t end;          // the text's own length (with the added newline)
  const uint8_t* font;  // the font in use (2048 bytes)
  int32_t scroll;       // newlines use the console scrolling newline
  int32_t wrap;         // glyphs past the right edge start a new line
  int32_t right_edge;
  int32_t home_x, home_y;
  int32_t foreground, background;
  tarq_bitmap* target;
  int32_t line_height;  // tallest glyph of the line
  int32_t wait_frames;
  int32_t wide, tall, stripe, pinball, border, solid, invert;
  int32_t char_width, wide_width, char_height, x_offset, y_offset;
  int32_t font_width, font_wide_width;  // the font header's widths
  int32_t tab_width;
  int32_t repeat;
  int32_t decoration, saved_x, saved_y;
  int32_t last_advance;
  int32_t char_wait;  // frames to wait after every glyph
};

// Width, wide width, height and offsets from the font's header (a header of
// zero widths and height reads as 8, 8, 8).
void print_use_font(tovo_print_context* c, const uint8_t* font);

// Draws one glyph of 8 row bytes at the cursor and advances; 1 when printing
// must stop for the per-character wait.
int draw_character(tovo_print_context* c, const uint8_t* glyph, int32_t width, int32_t height);

// Newline: cursor x to home x; the console newline in scroll mode, else
// down by the line height; then the line height is the character height.
void print_newline(tovo_print_context* c);

// The "^" command at c->text[p] (the byte after code 6). Returns the bytes
// consumed from p (0: draw code 6 as a glyph); *stop is set when printing
// stops for this frame.
int32_t print_command(tovo_print_context* c, int32_t p, int* stop);

// The audio string after code 7 at p: builds and plays a sound effect.
// Returns the bytes consumed from p.
int32_t print_audio(tovo_print_context* c, int32_t p);

// The byte at i of the text, 0 at or past its end.
inline uint8_t print_byte(const tovo_print_context* c, int32_t i) { return i < c->end ? c->text[i] : 0; }
// True while a cart program runs (not a prompt line).
bool print_cart_running();

// Console scrolling: the console newline and the scroll before a glyph that
// would pass the bottom of the screen. Neither scrolls while a cart program
// runs with TOVO_FEATURE_NO_SCROLL set.
// Cursor y += line height; past camera y + 122 the cursor goes back 6 and
// the target's rows move up 6, the bottom 6 cleared to 0.
void print_console_newline(tarq_bitmap* target, int32_t line_height);
// Moves the target's rows up n (the freed bottom rows cleared to 0) and the
// cursor y up n.
void print_scroll_screen(tarq_bitmap* target, int32_t n);
