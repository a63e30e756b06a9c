#include "engine/formats/glyph_utf8.h"

#include <cstring>

#include "engine/tracked_mem.h"

namespace {

struct utf8_entry {
  uint8_t bytes[8];  // NUL-padded
  uint8_t length;
};

constexpr int encode(uint32_t cp, uint8_t* out) {
  if (cp < 0x80) {
    out[0] = static_cast<uint8_t>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<uint8_t>(0xC0 | cp >> 6);
    out[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<uint8_t>(0xE0 | cp >> 12);
    out[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<uint8_t>(0xF0 | cp >> 18);
  out[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
  return 4;
}

constexpr utf8_entry make_entry(uint32_t first, uint32_t second = 0) {
  utf8_entry e{};
  int n = encode(first, e.bytes);
  if (second) n += encode(second, e.bytes + n);
  e.length = static_cast<uint8_t>(n);
  return e;
}

constexpr uint32_t VS16 = 0xFE0F;  // emoji presentation selector

// Entries 0-25: codes 128-153; 26-41: codes 16-31; 42, 43: codes 254, 255;
// 44-69: codes 65-90 (the small-letter alphabet).
struct symbol_table {
  utf8_entry entry[70];
  constexpr symbol_table() : entry{} {
    const uint32_t wide[26][2] = {
        {0x2588, 0},     {0x2592, 0}, {0x1F431, 0}, {0x2B07, VS16}, {0x2591, 0},    {0x273D, 0},  {0x25CF, 0},
        {0x2665, 0},     {0x2609, 0}, {0xC6C3, 0},  {0x2302, 0},    {0x2B05, VS16}, {0x1F610, 0}, {0x266A, 0},
        {0x1F17E, VS16}, {0x25C6, 0}, {0x2026, 0},  {0x27A1, VS16}, {0x2605, 0},    {0x29D7, 0},  {0x2B06, VS16},
        {0x02C7, 0},     {0x2227, 0}, {0x274E, 0},  {0x25A4, 0},    {0x25A5, 0}};
    const uint32_t narrow[16] = {0x25AE, 0x25A0, 0x25A1, 0x2059, 0x2058, 0x2016, 0x25C0, 0x25B6,
                                 0x300C, 0x300D, 0x00A5, 0x2022, 0x3001, 0x3002, 0x309B, 0x309C};
    for (int i = 0; i < 26; i++) entry[i] = make_entry(wide[i][0], wide[i][1]);
    for (int i = 0; i < 16; i++) entry[26 + i] = make_entry(narrow[i]);
    entry[42] = make_entry(0x25DC);
    entry[43] = make_entry(0x25DD);
    for (int i = 0; i < 26; i++) entry[44 + i] = make_entry(0x1D622 + static_cast<uint32_t>(i));
  }
};

constexpr symbol_table symbols;

constexpr uint8_t symbol_code(int index) {
  if (index < 26) return static_cast<uint8_t>(128 + index);
  if (index < 42) return static_cast<uint8_t>(16 + index - 26);
  if (index < 44) return static_cast<uint8_t>(254 + index - 42);
  return static_cast<uint8_t>(65 + index - 44);
}

// Superscripts by glyph code; 0, 9, 10 and 13 are never produced.
struct superscript_table {
  utf8_entry entry[16];
  constexpr superscript_table() : entry{} {
    const uint32_t cps[16] = {0x2070, 0x00B9, 0x00B2, 0x00B3, 0x2074, 0x2075, 0x2076, 0x2077,
                              0x2078, 0x2079, 0x1D43, 0x1D47, 0x1D9C, 0x1D48, 0x1D49, 0x1DA0};
    for (int i = 0; i < 16; i++) entry[i] = make_entry(cps[i]);
  }
};

constexpr superscript_table superscripts;

// The fifty kana of each table, then the four small ones; each entry is the
// two bytes that follow E3 in its UTF-8 form.
constexpr char hiragana_text[] =
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    "っゃゅょ";
constexpr char katakana_text[] =
    "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"
    "ッャュョ";
static_assert(sizeof(hiragana_text) == 50 * 3 + 1 && sizeof(katakana_text) == 50 * 3 + 1);

const uint8_t* kana(const char* table, int index) { return reinterpret_cast<const uint8_t*>(table) + index * 3; }

bool is_superscript(int code) { return code >= 1 && code <= 15 && code != 9 && code != 10 && code != 13; }

char* put_entry(char* out, const utf8_entry& e) {
  memcpy(out, e.bytes, e.length);
  return out + e.length;
}

bool matches(const uint8_t* in, const uint8_t* bytes, int length) {
  for (int i = 0; i < length; i++)
    if (in[i] != bytes[i]) return false;  // stops at the input's NUL
  return true;
}

}  // namespace

char* convert_glyphs_to_escaped_ex(const uint8_t* text, char* out, int keep_capitals) {
  size_t length = strlen(reinterpret_cast<const char*>(text));
  if (!out) {
    out = static_cast<char*>(tarq_malloc(7 * length + 1));
    if (!out) return nullptr;
  }
  char* o = out;
  for (const uint8_t* p = text; *p; p++) {
    uint8_t c = *p;
    if (is_superscript(c)) {
      o = put_entry(o, superscripts.entry[c]);
    } else if (c >= 16 && c <= 31) {
      o = put_entry(o, symbols.entry[26 + c - 16]);
    } else if (c == 127) {
      *o++ = static_cast<char>(0xE2);
      *o++ = static_cast<char>(0x97);
      *o++ = static_cast<char>(0x8B);
    } else if (c >= 128 && c <= 153) {
      o = put_entry(o, symbols.entry[c - 128]);
    } else if (c >= 154 && c <= 253) {
      const uint8_t* k = c < 204 ? kana(hiragana_text, c - 154) : kana(katakana_text, c - 204);
      *o++ = static_cast<char>(0xE3);
      *o++ = static_cast<char>(k[1]);
      *o++ = static_cast<char>(k[2]);
    } else if (c >= 254) {
      o = put_entry(o, symbols.entry[42 + c - 254]);
    } else if (c >= 'A' && c <= 'Z' && !keep_capitals) {
      o = put_entry(o, symbols.entry[44 + c - 'A']);
    } else {
      *o++ = static_cast<char>(c);
    }
  }
  *o = 0;
  return out;
}

char* convert_glyphs_to_escaped(const uint8_t* text, char* out) { return convert_glyphs_to_escaped_ex(text, out, 1); }

uint8_t* convert_escaped_to_glyphs(const char* text, uint8_t* out) {
  size_t length = strlen(text);
  if (!out) {
    out = static_cast<uint8_t*>(tarq_malloc(length + 1));
    if (!out) return nullptr;
  }
  const uint8_t* p = reinterpret_cast<const uint8_t*>(text);
  uint8_t* o = out;
  while (*p) {
    if (*p >= 128) {
      int found = -1;
      for (int i = 0; i < 70 && found < 0; i++)
        if (matches(p, symbols.entry[i].bytes, symbols.entry[i].length)) found = i;
      if (found >= 0) {
        *o++ = symbol_code(found);
        p += symbols.entry[found].length;
        continue;
      }
    }
    if (*p == 0xE3 && p[1] && p[2]) {
      int code = 0;
      for (int i = 0; i < 50 && !code; i++) {
        if (matches(p + 1, kana(hiragana_text, i) + 1, 2)) code = 154 + i;
        else if (matches(p + 1, kana(katakana_text, i) + 1, 2)) code = 204 + i;
      }
      if (code) {
        *o++ = static_cast<uint8_t>(code);
        p += 3;
        continue;
      }
    }
    if (p[0] == 0xE2 && p[1] == 0x97 && p[2] == 0x8B) {
      *o++ = 127;
      p += 3;
      continue;
    }
    if (*p >= 128) {
      int found = 0;
      for (int i = 1; i < 16 && !found; i++)
        if (is_superscript(i) && matches(p, superscripts.entry[i].bytes, superscripts.entry[i].length)) found = i;
      if (found) {
        *o++ = static_cast<uint8_t>(found);
        p += superscripts.entry[found].length;
        continue;
      }
    }
    if (*p == 13) {
      p++;
      continue;
    }
    *o++ = *p++;
  }
  *o = 0;
  return out;
}
