// Guessing the cart-format version of a program text.
#include <cstring>

#include "player/cart/cart_version.h"

namespace {

bool has_old_long_string(const char* code) {
  for (const char* p = strstr(code, "[["); p; p = strstr(p + 1, "[["))
    if ((p == code || p[-1] != '-')) return true;
  return false;
}

// A "printh" followed by something other than a blank, a newline or "(",
// or a call whose own parentheses hold a ",".
bool has_new_printh(const char* code) {
  for (const char* p = strstr(code, "printh"); p; p = strstr(p + 1, "printh")) {
    const char* q = p + 6;
    if (*q && *q != ' ' && *q != '\n' && *q != '(') return true;
    while (*q == ' ' || *q == '\n') q++;
    if (*q != '(') continue;
    int32_t depth = 0;
    for (; *q; q++) {
      if (*q == '(') depth++;
      if (*q == ')' && --depth == 0) break;
      if (*q == ',' && depth == 1) return true;
    }
  }
  return false;
}

}  // namespace

int32_t tarq_determine_cart_version(const char* code) {
  if (has_old_long_string(code)) return 9;
  if (has_new_printh(code)) return 10;
  return 8;
}
