// Searching a line of code past its strings.
#include "console/run/pstrstr.h"

#include <cstring>

const char* pstrstr(const char* text, const char* pattern, const uint8_t* mask) {
  const size_t n = std::strlen(pattern);
  for (const char* at = std::strstr(text, pattern); at; at = std::strstr(at + 1, pattern)) {
    const uint8_t* m = mask + (at - text);
    bool touches = false;
    for (size_t k = 0; k < n && !touches; k++) touches = m[k] != 0;
    if (!touches) return at;
    if (!*at) break;
  }
  return nullptr;
}
