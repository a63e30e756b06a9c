// Writing text carts.
#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/formats/glyph_utf8.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk_state.h"

const char TOVO_CART_HEADER[] = "tovo cartridge // tovo.invalid";

namespace {

constexpr int32_t LINE_SIZE = TOVO_CHANGE_MASK_SIZE * 2 + 2;  // the longest line and its newline

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

const char HEX[] = "0123456789abcdef";

struct writer {
  tarq_file* f;
  bool ok = true;
  char line[LINE_SIZE];
  int32_t n = 0;

  void put(const char* text, size_t length) {
    if (tarq_fwrite(text, 1, length, f) != length) ok = false;
  }
  void text(const char* s) { put(s, strlen(s)); }
  void digit(int32_t v) { line[n++] = HEX[v & 15]; }
  void pair(int32_t v) {
    digit(v >> 4);
    digit(v);
  }
  void end_line() {
    line[n++] = '\n';
    put(line, static_cast<size_t>(n));
    n = 0;
  }
};

bool sfx_is_default(const tovo_sfx& s, int32_t index) {
  // Every field counts, the flag bits 1-7 too, so that no setting is lost.
  if (s.flags != 0 || s.flag0 != 0 || s.speed != tovo_default_sfx_speed(index)) return false;
  if (s.loop_start != 0 || s.loop_end != 0) return false;
  for (const tovo_note& n : s.notes)
    if (n.pitch || n.waveform || n.volume || n.effect || n.custom) return false;
  return true;
}

bool pattern_is_default(const tovo_cart* cart, int32_t p) {
  if (cart->music_flags[p] != 0) return false;
  for (int32_t c = 0; c < TOVO_PATTERN_CHANNELS; c++)
    if (cart->music[p][c] != TOVO_MUSIC_CHANNEL_OFF + c) return false;
  return true;
}

bool row_is_empty(const tarq_bitmap* b, int32_t y) {
  for (int32_t x = 0; x < b->width; x++)
    if (b->rows[y][x]) return false;
  return true;
}

// The number of leading rows that holds every non-zero row.
int32_t used_rows(const tarq_bitmap* b, int32_t rows) {
  while (rows > 0 && row_is_empty(b, rows - 1)) rows--;
  return rows;
}

void write_code(writer& w, const tovo_cart* cart) {
  if (!cart->code[0]) return;
  char* escaped = convert_glyphs_to_escaped(reinterpret_cast<const uint8_t*>(cart->code), nullptr);
  if (!escaped) {
    w.ok = false;
    return;
  }
  w.text("__lua__\n");
  w.text(escaped);
  w.text("\n");
  tarq_free(escaped);
}

void write_gfx(writer& w, const tovo_cart* cart) {
  int32_t rows = used_rows(cart->gfx, 128);
  if (rows == 0) return;
  w.text("__gfx__\n");
  for (int32_t y = 0; y < rows; y++) {
    for (int32_t x = 0; x < 128; x++) w.digit(clamp(cart->gfx->rows[y][x], 0, 15));
    w.end_line();
  }
}

void write_label(writer& w, const tovo_cart* cart) {
  const tarq_bitmap* label = cart->label;
  if (!label || label->width != 128 || label->height != 128 || label->depth != 8 || used_rows(label, 128) == 0) return;
  w.text("__label__\n");
  for (int32_t y = 0; y < 128; y++) {
    for (int32_t x = 0; x < 128; x++) {
      int32_t v = label->rows[y][x];
      w.line[w.n++] = (v & 0x80) ? static_cast<char>('g' + (v & 15)) : HEX[v & 15];
    }
    w.end_line();
  }
  w.text("\n");
}

void write_gff(writer& w, const tovo_cart* cart) {
  bool any = false;
  for (int32_t v : cart->gff) any = any || (v & 0xff);
  if (!any) return;
  w.text("__gff__\n");
  for (int32_t row = 0; row < 2; row++) {
    for (int32_t i = 0; i < 128; i++) w.pair(cart->gff[row * 128 + i] & 0xff);
    w.end_line();
  }
}

void write_map(writer& w, const tovo_cart* cart) {
  int32_t rows = used_rows(cart->map, 32);
  if (rows == 0) return;
  w.text("__map__\n");
  for (int32_t y = 0; y < rows; y++) {
    for (int32_t x = 0; x < 128; x++) w.pair(cart->map->rows[y][x]);
    w.end_line();
  }
}

void write_sfx(writer& w, const tovo_cart* cart) {
  int32_t count = TOVO_SFX_COUNT;
  while (count > 0 && sfx_is_default(cart->sfx[count - 1], count - 1)) count--;
  if (count == 0) return;
  w.text("__sfx__\n");
  for (int32_t i = 0; i < count; i++) {
    const tovo_sfx& s = cart->sfx[i];
    w.pair(clamp(s.flags | (s.flag0 & 1), 0, 255));
    w.pair(clamp(s.speed, 0, 255));
    w.pair(clamp(s.loop_start, 0, 255));
    w.pair(clamp(s.loop_end, 0, 255));
    for (const tovo_note& n : s.notes) {
      w.pair(clamp(n.pitch, 0, 63));
      w.digit(clamp(n.waveform, 0, 7) + (n.custom ? 8 : 0));
      w.digit(clamp(n.volume, 0, 7));
      w.digit(clamp(n.effect, 0, 7));
    }
    w.end_line();
  }
}

void write_music(writer& w, const tovo_cart* cart) {
  int32_t count = TOVO_PATTERNS;
  while (count > 0 && pattern_is_default(cart, count - 1)) count--;
  if (count == 0) return;
  w.text("__music__\n");
  for (int32_t p = 0; p < count; p++) {
    w.pair(clamp(cart->music_flags[p], 0, 255));
    w.line[w.n++] = ' ';
    for (int32_t c = 0; c < TOVO_PATTERN_CHANNELS; c++) w.pair(clamp(cart->music[p][c], 0, 255));
    w.end_line();
  }
  w.text("\n");
}

void write_change_mask(writer& w, const tovo_cart* cart) {
  bool any = false;
  for (uint8_t b : cart->change_mask) any = any || b != 0xff;
  if (!any) return;
  w.text("__change_mask__\n");
  for (uint8_t b : cart->change_mask) w.pair(b);
  w.end_line();
}

}  // namespace

int tarq_save_tovo_cart_to_file(tovo_cart* cart, tarq_file* f, int headerless) {
  writer w;
  w.f = f;
  if (!headerless) {
    w.text(TOVO_CART_HEADER);
    char version[32];
    snprintf(version, sizeof version, "\nversion %d\n", TOVO_CART_VERSION);
    w.text(version);
  }
  write_code(w, cart);
  write_gfx(w, cart);
  write_label(w, cart);
  write_gff(w, cart);
  write_map(w, cart);
  write_sfx(w, cart);
  write_music(w, cart);
  write_change_mask(w, cart);
  return w.ok ? 0 : 1;
}

int tarq_save_tovo_cart(tovo_cart* cart, const char* path) {
  char temp[TARQ_PATH_MAX];
  tarq_file* f = tovo_open_temp_for(path, temp);
  if (!f) return 1;
  bool ok = tarq_save_tovo_cart_to_file(cart, f, 0) == 0;
  return tovo_commit_temp(f, temp, path, ok);
}
