// Formatted output to engine streams.
#include <cstring>

#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

constexpr int PRINT_BUFFER = 1024;

void write_text(const char* text, tarq_file* f) { tarq_fwrite(text, 1, strlen(text), f); }

}  // namespace

// The formats come from engine code, never from data.
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"

int tarq_fprintf_1d(tarq_file* f, const char* fmt, int a) {
  char text[PRINT_BUFFER] = {};
  if (fmt && snprintf(text, sizeof text, fmt, a) > 0) write_text(text, f);
  return 0;
}

int tarq_fprintf_4x(tarq_file* f, const char* fmt, int a, int b, int c, int d) {
  char text[PRINT_BUFFER] = {};
  if (fmt && snprintf(text, sizeof text, fmt, a, b, c, d) > 0) write_text(text, f);
  return 0;
}

int tarq_fprintf_1s(tarq_file* f, const char* fmt, const char* text) {
  if (!fmt || !text) return 0;
  int len = snprintf(nullptr, 0, fmt, text);
  if (len <= 0) return 0;
  char* out = static_cast<char*>(tarq_malloc(static_cast<size_t>(len) + 1));
  if (!out) return 0;
  snprintf(out, static_cast<size_t>(len) + 1, fmt, text);
  tarq_fwrite(out, 1, static_cast<size_t>(len), f);
  tarq_free(out);
  return 0;
}
