// String helpers used throughout the engine.
#include <cstring>

#include "engine/platform/host.h"

char* tarq_strcpy(char* dst, const char* src) {
  if (dst != src) memmove(dst, src, strlen(src) + 1);
  return dst;
}

static unsigned char lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

char* tarq_strcasestr(const char* text, const char* pattern) {
  if (!text || !pattern) return nullptr;
  size_t n = strlen(pattern);
  for (const char* p = text;; p++) {
    size_t i = 0;
    while (i < n && p[i] && lower(static_cast<unsigned char>(p[i])) == lower(static_cast<unsigned char>(pattern[i])))
      i++;
    if (i == n) return const_cast<char*>(p);
    if (!*p) return nullptr;
  }
}

void tarq_lowercase(char* text) {
  for (; *text; text++) *text = static_cast<char>(lower(static_cast<unsigned char>(*text)));
}
