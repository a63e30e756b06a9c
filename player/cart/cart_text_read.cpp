// Reading text carts.
#include <cstdlib>
#include <cstring>

#include "console/machine/cart.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/formats/glyph_utf8.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk_state.h"

namespace {

constexpr int32_t MAX_FILE = 16 << 20;  // bytes read of one text cart
constexpr char HEADER_WORDS[] = "tovo cartridge";

enum section { NONE, LUA, GFX, GFF, MAP, SFX, MUSIC, LABEL, CHANGE_MASK, DONE_MASK };

struct section_name {
  const char* name;
  section kind;
};
const section_name SECTIONS[] = {
    {"__lua__", LUA}, {"__gfx__", GFX},     {"__gff__", GFF},     {"__map__", MAP},
    {"__sfx__", SFX}, {"__music__", MUSIC}, {"__label__", LABEL}, {"__change_mask__", CHANGE_MASK},
};

// Lines of a text held in memory: "\n", "\r\n" and "\r" end a line, a final
// line without an end counts, and lines longer than the limit are split.
// Each line is copied, NUL-terminated, into `line` (the limit + 1 bytes).
struct line_reader {
  const char* text;
  int32_t size;
  int32_t pos;
  char* line;

  // The next line, or null at the end.
  char* next(int32_t* length) {
    if (pos >= size) return nullptr;
    int32_t n = 0;
    while (pos + n < size && n < TOVO_TEXT_CART_MAX_LINE && text[pos + n] != '\n' && text[pos + n] != '\r') n++;
    memcpy(line, text + pos, static_cast<size_t>(n));
    line[n] = 0;
    pos += n;
    if (pos < size && text[pos] == '\r') {
      pos++;
      if (pos < size && text[pos] == '\n') pos++;
    } else if (pos < size && text[pos] == '\n') {
      pos++;
    }
    *length = n;
    return line;
  }
};

int32_t hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int32_t hex_value_any_case(char c) {
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return hex_value(c);
}

// A pixel digit of the sheet: lower-case hex, anything else 0.
int32_t pixel_digit(const char* line, int32_t length, int32_t i) {
  int32_t v = i < length ? hex_value(line[i]) : -1;
  return v < 0 ? 0 : v;
}

// A two-digit hex field at i; fields outside the line or not hex give -1.
int32_t hex_pair(const char* line, int32_t length, int32_t i) {
  if (i + 1 >= length) return -1;
  int32_t hi = hex_value_any_case(line[i]);
  int32_t lo = hex_value_any_case(line[i + 1]);
  return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

// A map cell: two lower-case hex digits, anything else counts 0.
int32_t map_pair(const char* line, int32_t length, int32_t i) {
  return pixel_digit(line, length, i) * 16 + pixel_digit(line, length, i + 1);
}

int32_t digit_field(const char* line, int32_t length, int32_t i) {
  return i < length ? hex_value_any_case(line[i]) : -1;
}

int32_t label_value(char c) {
  int32_t v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'a' && c <= 'v') v = c - 'a' + 10;
  if (c >= 'A' && c <= 'V') v = c - 'A' + 10;
  if (v < 0) return 0;
  return v >= 16 ? v + 112 : v;
}

int32_t parse_version(const char* line) {
  const char* p = strstr(line, "version ");
  if (!p) return 0;
  long v = strtol(p + 8, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

void reset_cart(tovo_cart* cart) {
  for (int32_t i = 0; i < TOVO_SFX_COUNT; i++) {
    memset(&cart->sfx[i], 0, sizeof cart->sfx[i]);
    cart->sfx[i].speed = tovo_default_sfx_speed(i);
  }
  tarq_clear_bitmap(cart->gfx);
  tarq_clear_bitmap(cart->map);
  memset(cart->gff, 0, sizeof cart->gff);
  cart->code[0] = 0;
}

struct reader {
  tovo_cart* cart;
  section current = NONE;
  int32_t row = 0;  // next row, flag row, sfx or pattern of the section
  int32_t code_length = 0;
  uint8_t* glyphs = nullptr;  // a line's glyph codes

  bool code_line(const char* line, int32_t) {
    convert_escaped_to_glyphs(line, glyphs);
    int32_t n = static_cast<int32_t>(strlen(reinterpret_cast<char*>(glyphs)));
    if (code_length + n >= TOVO_TEXT_CART_MAX_CODE + 1) return false;
    memcpy(cart->code + code_length, glyphs, static_cast<size_t>(n));
    code_length += n;
    cart->code[code_length++] = '\n';
    cart->code[code_length] = 0;
    return true;
  }

  void gfx_line(const char* line, int32_t length) {
    if (row >= 128) return;
    for (int32_t x = 0; x < 128; x++) cart->gfx->rows[row][x] = static_cast<uint8_t>(pixel_digit(line, length, x));
    row++;
  }

  void gff_line(const char* line, int32_t length) {
    if (row >= 2) return;
    for (int32_t i = 0; i < 128; i++) {
      int32_t v = cart->version >= 3 ? hex_pair(line, length, i * 2) : digit_field(line, length, i);
      cart->gff[row * 128 + i] = v < 0 ? 0 : v;
    }
    row++;
  }

  void map_line(const char* line, int32_t length) {
    if (row >= 64) return;
    for (int32_t x = 0; x < 128; x++) cart->map->rows[row][x] = static_cast<uint8_t>(map_pair(line, length, x * 2));
    row++;
  }

  void sfx_line(const char* line, int32_t length) {
    if (row >= TOVO_SFX_COUNT) return;
    tovo_sfx& s = cart->sfx[row++];
    int32_t v;
    if ((v = hex_pair(line, length, 0)) >= 0) {
      s.flag0 = v & 1;
      s.flags = v & 0xfe;
    }
    if ((v = hex_pair(line, length, 2)) >= 0) s.speed = v;
    if ((v = hex_pair(line, length, 4)) >= 0) s.loop_start = v;
    if ((v = hex_pair(line, length, 6)) >= 0) s.loop_end = v;
    for (int32_t i = 0; i < TOVO_SFX_NOTES; i++) {
      tovo_note& n = s.notes[i];
      int32_t at = 8 + i * 5;
      int32_t pitch = hex_pair(line, length, at);
      int32_t wave = digit_field(line, length, at + 2);
      int32_t volume = digit_field(line, length, at + 3);
      int32_t effect = digit_field(line, length, at + 4);
      if (wave >= 8 || effect >= 8) n.custom = 128;
      if (pitch >= 0) n.pitch = pitch & 63;
      if (wave >= 0) n.waveform = wave & 7;
      if (volume >= 0) n.volume = volume & 7;
      if (effect >= 0) n.effect = effect & 7;
    }
  }

  // Fields that do not parse keep the pattern's values, so an empty line
  // leaves a pattern as it is.
  void music_line(const char* line, int32_t length) {
    if (row >= TOVO_PATTERNS || length == 0) return;
    int32_t p = row++;
    int32_t start = 0;
    if (cart->version >= 3) {
      int32_t flags = hex_pair(line, length, 0);
      if (flags >= 0) cart->music_flags[p] = flags;
      start = 3;
    }
    for (int32_t c = 0; c < TOVO_PATTERN_CHANNELS; c++) {
      int32_t v = hex_pair(line, length, start + c * 2);
      if (v < 0) continue;
      if (v == 0 && cart->version <= 3) v = TOVO_MUSIC_CHANNEL_OFF;
      cart->music[p][c] = v;
    }
  }

  void label_line(const char* line, int32_t length) {
    if (row >= 128) return;
    if (!cart->label) cart->label = tarq_create_bitmap(128, 128, 8);
    if (!cart->label) return;
    for (int32_t x = 0; x < 128; x++)
      cart->label->rows[row][x] = static_cast<uint8_t>(x < length ? label_value(line[x]) : 0);
    row++;
  }

  void change_mask_line(const char* line, int32_t length) {
    for (int32_t i = 0; i < TOVO_CHANGE_MASK_SIZE; i++) {
      int32_t v = hex_pair(line, length, i * 2);
      if (v >= 0) cart->change_mask[i] = static_cast<uint8_t>(v);
    }
    current = DONE_MASK;
  }

  // false when the code grows too long.
  bool content(const char* line, int32_t length) {
    switch (current) {
      case LUA: return code_line(line, length);
      case GFX: gfx_line(line, length); break;
      case GFF: gff_line(line, length); break;
      case MAP: map_line(line, length); break;
      case SFX: sfx_line(line, length); break;
      case MUSIC: music_line(line, length); break;
      case LABEL: label_line(line, length); break;
      case CHANGE_MASK: change_mask_line(line, length); break;
      case NONE:
      case DONE_MASK: break;
    }
    return true;
  }

  bool line(const char* text, int32_t length) {
    for (const section_name& s : SECTIONS) {
      if (strncmp(text, s.name, strlen(s.name)) == 0) {
        current = s.kind;
        row = 0;
        return true;
      }
    }
    return content(text, length);
  }
};

tovo_cart* read_text_cart(const char* text, int32_t size, int headerless, char* line_buffer, uint8_t* glyphs) {
  line_reader lines = {text, size, 0, line_buffer};
  int32_t length = 0;
  char* first = lines.next(&length);
  if (!first) return nullptr;
  const char* t = strchr(first, HEADER_WORDS[0]);
  bool has_header = t && strncmp(t, HEADER_WORDS, sizeof HEADER_WORDS - 1) == 0;
  if (!has_header && !headerless) return nullptr;

  int32_t version = TOVO_CART_VERSION;
  if (has_header) {
    char* second = lines.next(&length);
    version = second ? parse_version(second) : 0;
    if (version > TOVO_CART_VERSION && !cconfig.accept_future) {
      disk_state.text_cart_reason = TOVO_TEXT_CART_FUTURE;
      return nullptr;
    }
  }

  tovo_cart* cart = tarq_create_tovo_cart();
  if (!cart) return nullptr;
  cart->version = version;
  reset_cart(cart);
  reader r;
  r.cart = cart;
  r.glyphs = glyphs;
  bool ok = has_header || r.line(first, length);
  for (char* line; ok && (line = lines.next(&length));) {
    if (strncmp(line, "##end_kx", 8) == 0) break;
    ok = r.line(line, length);
  }
  if (!ok) {
    disk_state.text_cart_reason = TOVO_TEXT_CART_TOO_LONG;
    tarq_destroy_tovo_cart(cart);
    return nullptr;
  }
  // Every code line was followed by a newline: the last one is not code.
  if (r.code_length > 0) cart->code[r.code_length - 1] = 0;
  return cart;
}

}  // namespace

tovo_cart* tarq_load_tovo_cart_from_file(tarq_file* f, int headerless) {
  disk_state.text_cart_reason = TOVO_TEXT_CART_OK;
  if (!f) return nullptr;
  int32_t size = 0;
  uint8_t* text = tovo_read_stream(f, MAX_FILE, &size);
  // No line is longer than the text.
  size_t longest = static_cast<size_t>(size < TOVO_TEXT_CART_MAX_LINE ? size : TOVO_TEXT_CART_MAX_LINE);
  char* line = static_cast<char*>(tarq_malloc(longest + 1));
  uint8_t* glyphs = static_cast<uint8_t*>(tarq_malloc(longest + 16));
  tovo_cart* cart = nullptr;
  if (text && line && glyphs) cart = read_text_cart(reinterpret_cast<char*>(text), size, headerless, line, glyphs);
  tarq_free(glyphs);
  tarq_free(line);
  tarq_free(text);
  return cart;
}

tovo_cart* tarq_load_tovo_cart(const char* path) {
  disk_state.text_cart_reason = TOVO_TEXT_CART_OK;
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return nullptr;
  tovo_cart* cart = tarq_load_tovo_cart_from_file(f, 0);
  tarq_fclose(f);
  return cart;
}
