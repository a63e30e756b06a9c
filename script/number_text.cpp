// Numbers to and from text.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "script/ctype.h"
#include "script/number.h"

namespace {

// Scans the text up to its first 0 byte for a letter, ignoring case and bit 5
// (so also some bytes above 0x7f match, as carts may rely on).
bool has_letter(const char* s, char upper) {
  for (; *s != 0; s++) {
    if ((static_cast<unsigned char>(*s) & ~0x20u) == static_cast<unsigned char>(upper)) return true;
  }
  return false;
}

// Digits in base 16 or 2 with an optional fraction; returns the end, or null.
const char* read_radix(const char* s, int bits_per_digit, lua_Number* out) {
  while (lisspace(static_cast<unsigned char>(*s))) s++;
  bool neg = false;
  if (*s == '-' || *s == '+') neg = *s++ == '-';
  char marker = bits_per_digit == 4 ? 'x' : 'b';
  if (s[0] != '0' || (s[1] | 0x20) != marker) return nullptr;
  s += 2;
  int base = 1 << bits_per_digit;
  auto digit = [&](char c) {
    int d = bits_per_digit == 4 ? luaO_hexavalue(static_cast<unsigned char>(c)) : c - '0';
    return (bits_per_digit == 4 ? lisxdigit(static_cast<unsigned char>(c)) : (c == '0' || c == '1')) ? d : -1;
  };
  uint32_t v = 0;
  int ndigits = 0;
  for (int d; (d = digit(*s)) >= 0; s++, ndigits++) v = v * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
  uint32_t frac = 0;
  if (*s == '.') {
    s++;
    int kept = 0, max_kept = 16 / bits_per_digit;
    for (int d; (d = digit(*s)) >= 0; s++, ndigits++) {
      if (kept < max_kept) {
        frac = frac << bits_per_digit | static_cast<uint32_t>(d);
        kept++;
      }
    }
    frac <<= bits_per_digit * (max_kept - kept);
  }
  if (ndigits == 0 || *s == 'p' || *s == 'P') return nullptr;
  uint32_t r = v << 16 | frac;
  *out = static_cast<lua_Number>(neg ? 0u - r : r);
  return s;
}

const char* read_decimal(const char* s, lua_Number* out) {
  char* end;
  double d = std::strtod(s, &end);
  double m = std::fabs(d * 65536.0);
  uint64_t mag = m >= 18446744073709551616.0 ? UINT64_MAX : static_cast<uint64_t>(m);
  uint32_t low = static_cast<uint32_t>(mag);
  *out = static_cast<lua_Number>(d < 0 ? 0u - low : low);
  return end == s ? nullptr : end;
}

}  // namespace

int luaO_str2d(const char* s, size_t len, lua_Number* result) {
  if (has_letter(s, 'N')) return 0;  // 'nan', 'inf'
  const char* end;
  if (has_letter(s, 'X')) end = read_radix(s, 4, result);
  else if (has_letter(s, 'B')) end = read_radix(s, 1, result);
  else end = read_decimal(s, result);
  if (end == nullptr || end == s) return 0;
  while (lisspace(static_cast<unsigned char>(*end))) end++;
  return end == s + len;
}

int tovo_fixed_to_string(char* buf, lua_Number n) {
  double x = n / 65536.0;
  char text[64];
  std::snprintf(text, sizeof text, "%0.5f", x);
  const char* fmt = (std::strstr(text, ".9999") || std::strstr(text, ".0000")) ? "%0.3f" : "%0.4f";
  int len = std::snprintf(text, sizeof text, fmt, x);
  while (len > 0 && text[len - 1] == '0') len--;
  if (len > 0 && text[len - 1] == '.') len--;
  if (len > TOVO_NUMBER_TEXT - 1) len = TOVO_NUMBER_TEXT - 1;
  std::memcpy(buf, text, static_cast<size_t>(len));
  buf[len] = 0;
  return len;
}
