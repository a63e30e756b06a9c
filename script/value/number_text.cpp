// Numbers to and from text.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "script/compiler/ctype.h"
#include "script/value/number.h"

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

// A whole number of at most nine digits with an optional sign and blanks
// after it, the text (up to its 0 byte, as strtod reads it) ending at end:
// its value as read_decimal gives it (the digits are exact in a double, and
// so is the value times 65536); false for any other text.
bool read_whole(const char* s, const char* end, lua_Number* out) {
  bool neg = *s == '-';
  if (*s == '-' || *s == '+') s++;
  uint64_t v = 0;
  int ndigits = 0;
  for (; lisdigit(static_cast<unsigned char>(*s)); s++, ndigits++) v = v * 10 + static_cast<uint64_t>(*s - '0');
  if (ndigits == 0 || ndigits > 9) return false;
  while (lisspace(static_cast<unsigned char>(*s))) s++;
  if (s != end) return false;
  uint32_t low = static_cast<uint32_t>(v << 16);
  *out = static_cast<lua_Number>(neg ? 0u - low : low);
  return true;
}

}  // namespace

int luaO_str2d(const char* s, size_t len, lua_Number* result) {
  // Every numeral, decimal or not, starts after blanks with a sign, a digit
  // or a point ('inf' and 'nan' are refused below): other text is no number
  // without the scans for letters.
  const char* first = s;
  while (lisspace(static_cast<unsigned char>(*first))) first++;
  if (!lisdigit(static_cast<unsigned char>(*first)) && *first != '.' && *first != '-' && *first != '+') return 0;
  if (read_whole(first, s + len, result)) return 1;
  if (has_letter(s, 'N')) return 0;  // 'nan', 'inf'
  const char* end;
  if (has_letter(s, 'X')) end = read_radix(s, 4, result);
  else if (has_letter(s, 'B')) end = read_radix(s, 1, result);
  else end = read_decimal(s, result);
  if (end == nullptr || end == s) return 0;
  while (lisspace(static_cast<unsigned char>(*end))) end++;
  return end == s + len;
}

// The fraction digits of a 16.16 value are exact in 16 decimal places
// (f / 65536 = f * 5^16 / 10^16), so "%0.Nf" rounding (to nearest, ties to
// even) is done here in integers, with the same result as printf.
int tovo_fixed_to_string(char* buf, lua_Number n) {
  if (n >= 0 && (n & 0xffff) == 0) {  // the commonest: a whole number, not negative (at most 5 digits)
    uint32_t w = static_cast<uint32_t>(n) >> 16;
    int len = w < 10 ? 1 : w < 100 ? 2 : w < 1000 ? 3 : w < 10000 ? 4 : 5;
    for (int i = len; i-- > 0; w /= 10) buf[i] = static_cast<char>('0' + w % 10);
    buf[len] = 0;
    return len;
  }
  bool negative = n < 0;
  uint32_t m = negative ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
  uint32_t whole = m >> 16;
  uint64_t exact = static_cast<uint64_t>(m & 0xffff) * 152587890625ull;  // fraction * 10^16
  auto round_to = [&](int digits, uint32_t* w) {
    uint64_t unit = 1;
    for (int i = 0; i < 16 - digits; i++) unit *= 10;
    uint64_t q = exact / unit, r = exact % unit;
    if (r > unit / 2 || (r == unit / 2 && (q & 1) != 0)) q++;
    uint64_t limit = 1;
    for (int i = 0; i < digits; i++) limit *= 10;
    *w = whole;
    if (q == limit) {
      q = 0;
      ++*w;
    }
    return q;
  };
  uint32_t w = whole;
  uint64_t frac = 0;
  int digits = 3;
  if (exact != 0) {  // a whole number needs no rounding
    uint64_t five = round_to(5, &w);
    // "%0.5f" showing .9999x or .0000x selects three digits, else four.
    digits = (five / 10 == 9999 || five / 10 == 0) ? 3 : 4;
    frac = round_to(digits, &w);
  }
  // Sign, whole part, then the fraction digits without trailing zeros.
  int len = 0;
  if (negative) buf[len++] = '-';
  char rev[8];
  int nrev = 0;
  do {
    rev[nrev++] = static_cast<char>('0' + w % 10);
    w /= 10;
  } while (w != 0);
  while (nrev > 0) buf[len++] = rev[--nrev];
  if (frac != 0) {
    buf[len++] = '.';
    for (uint64_t unit = digits == 3 ? 100 : 1000; frac != 0; unit /= 10) {
      buf[len++] = static_cast<char>('0' + frac / unit);
      frac %= unit;
    }
  }
  buf[len] = 0;
  return len;
}
