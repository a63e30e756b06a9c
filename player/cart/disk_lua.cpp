// Importing plain ".lua" files.
#include <cstring>

#include "console/machine/cart.h"
#include "engine/formats/glyph_utf8.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"

namespace {

constexpr int32_t READ_MAX = 131071;
constexpr int32_t WIDE_UNIT_MAX = 2 + 2 * 4;  // "_x" and four bytes in hex

struct encoding {
  int32_t unit;  // bytes per unit
  bool big_endian;
  int32_t skip;  // byte-order mark bytes
};

encoding detect(const uint8_t* d, int32_t n) {
  if (n >= 4 && d[0] == 0xff && d[1] == 0xfe && d[2] == 0 && d[3] == 0) return {4, false, 4};
  if (n >= 4 && d[0] == 0 && d[1] == 0 && d[2] == 0xfe && d[3] == 0xff) return {4, true, 4};
  if (n >= 2 && d[0] == 0xff && d[1] == 0xfe) return {2, false, 2};
  if (n >= 2 && d[0] == 0xfe && d[1] == 0xff && !(n >= 4 && d[2] == 0 && d[3] == 0)) return {2, true, 2};
  if (n >= 3 && d[0] == 0xef && d[1] == 0xbb && d[2] == 0xbf) return {1, false, 3};
  return {1, false, 0};
}

// The file's units as characters: units below 256 as themselves (carriage
// returns dropped), wider ones as "_x" and their bytes in hex, file order.
int32_t decode_units(const uint8_t* d, int32_t n, encoding e, char* out) {
  static const char HEX[] = "0123456789abcdef";
  int32_t len = 0;
  for (int32_t i = e.skip; i + e.unit <= n; i += e.unit) {
    uint32_t v = 0;
    for (int32_t k = 0; k < e.unit; k++) {
      int32_t at = e.big_endian ? k : e.unit - 1 - k;
      v = v << 8 | d[i + at];
    }
    if (v == '\r') continue;
    if (v < 256) {
      out[len++] = static_cast<char>(v);
      continue;
    }
    out[len++] = '_';
    out[len++] = 'x';
    for (int32_t k = 0; k < e.unit; k++) {
      out[len++] = HEX[d[i + k] >> 4];
      out[len++] = HEX[d[i + k] & 15];
    }
  }
  out[len] = 0;
  return len;
}

}  // namespace

tovo_cart* load_tovo_cart_lua(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return nullptr;
  int32_t size = 0;
  uint8_t* data = tovo_read_stream(f, READ_MAX, &size);
  tarq_fclose(f);
  if (!data) return nullptr;
  encoding e = detect(data, size);
  // The widest result: every unit written as "_x" and its bytes.
  size_t room = static_cast<size_t>(size / e.unit + 1) * WIDE_UNIT_MAX + 2;
  char* text = static_cast<char*>(tarq_malloc(room));
  uint8_t* glyphs = static_cast<uint8_t*>(tarq_malloc(room + 16));
  tovo_cart* cart = text && glyphs ? tarq_create_tovo_cart() : nullptr;
  if (cart) {
    int32_t len = decode_units(data, size, e, text);
    text[len] = '\n';
    text[len + 1] = 0;
    convert_escaped_to_glyphs(text, glyphs);
    size_t n = strlen(reinterpret_cast<char*>(glyphs));
    glyphs[n] = '\n';
    glyphs[n + 1] = 0;
    size_t keep = n + 1 < TOVO_CODE_SIZE - 1 ? n + 1 : TOVO_CODE_SIZE - 1;
    memcpy(cart->code, glyphs, keep);
    cart->code[keep] = 0;
  }
  tarq_free(glyphs);
  tarq_free(text);
  tarq_free(data);
  return cart;
}
