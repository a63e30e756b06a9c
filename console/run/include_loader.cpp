// Reading the text that an include line names.
#include "console/run/include_loader.h"

#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "console/print/console_print.h"
#include "console/run/code_tabs.h"
#include "console/run/shell_port.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/tracked_mem.h"

namespace {

constexpr char DIRECTIVE[] = "#include ";
constexpr int32_t CODE_TABS = 16;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The name and the tab (-1: all tabs) of an include line; false when it is
// none or names nothing.
bool parse_line(const char* line, char* name, size_t size, int32_t* tab) {
  while (is_blank(*line)) line++;
  if (std::strncmp(line, DIRECTIVE, sizeof DIRECTIVE - 1) != 0) return false;
  line += sizeof DIRECTIVE - 1;
  while (is_blank(*line)) line++;
  size_t n = std::strcspn(line, "\r\n");
  while (n > 0 && is_blank(line[n - 1])) n--;
  *tab = -1;
  // ":t" at the end names a tab when t is hexadecimal digits only.
  for (size_t colon = n; colon-- > 0;) {
    if (line[colon] != ':') continue;
    int32_t t = 0;
    size_t k = colon + 1;
    for (; k < n && hex_digit(line[k]) >= 0 && t < 0x10000; k++) t = t * 16 + hex_digit(line[k]);
    if (k == n && k > colon + 1) {
      *tab = t;
      n = colon;
    }
    break;
  }
  if (n == 0 || n >= size) return false;
  std::memcpy(name, line, n);
  name[n] = 0;
  return true;
}

bool resolve(const char* name, char* path) {
  int n;
  if (name[0] == '/') {
    n = std::snprintf(path, TARQ_PATH_MAX, "%s%s", tovo_shell().root_path(), name + 1);
  } else {
    const char* current = tovo_shell().current_filename();
    const char* slash = std::strrchr(current, '/');
    if (current[0] && slash) {
      n = std::snprintf(path, TARQ_PATH_MAX, "%.*s%s", static_cast<int>(slash + 1 - current), current, name);
    } else {
      n = std::snprintf(path, TARQ_PATH_MAX, "%s%s%s", tovo_shell().root_path(), tovo_shell().current_folder(), name);
    }
  }
  return n >= 0 && n < TARQ_PATH_MAX;
}

bool put(char* out, int32_t size, const char* text, size_t n) {
  if (n >= static_cast<size_t>(size)) return false;
  std::memcpy(out, text, n);
  out[n] = 0;
  return true;
}

// Tab t of a code text cut as the code tabs are: after the 15th cut the rest
// belongs to tab 15.
bool take_tab(const char* code, int32_t tab, const char** start, size_t* n) {
  const size_t sep = std::strlen(TOVO_TAB_SEPARATOR);
  const char* at = code;
  for (int32_t t = 0; t < CODE_TABS; t++) {
    const char* next = t < CODE_TABS - 1 ? std::strstr(at, TOVO_TAB_SEPARATOR) : nullptr;
    if (t == tab) {
      *start = at;
      *n = next ? static_cast<size_t>(next - at) : std::strlen(at);
      return true;
    }
    if (!next) return false;
    at = next + sep;
  }
  return false;
}

int from_cart(tovo_cart* cart, int32_t tab, char* out, int32_t size) {
  const char* start = cart->code;
  size_t n = std::strlen(cart->code);
  bool ok = tab < 0 || take_tab(cart->code, tab, &start, &n);
  if (!ok) tovo_print_2("could not find tab %d", tab, 0);
  ok = ok && put(out, size, start, n);
  tarq_destroy_tovo_cart(cart);
  return ok ? 0 : 1;
}

int from_text_file(const char* path, char* out, int32_t size) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return 1;
  auto* data = static_cast<uint8_t*>(tarq_malloc(TOVO_INCLUDE_TEXT_MAX));
  const int32_t got = data ? static_cast<int32_t>(tarq_fread(data, 1, TOVO_INCLUDE_TEXT_MAX, f)) : 0;
  tarq_fclose(f);
  if (!data) return 1;
  int32_t unit = 1, skip = 0;
  bool big_endian = false;
  const uint8_t* d = data;
  if (got >= 4 && d[0] == 0xff && d[1] == 0xfe && d[2] == 0 && d[3] == 0) {
    unit = 4, skip = 4;
  } else if (got >= 4 && d[0] == 0 && d[1] == 0 && d[2] == 0xfe && d[3] == 0xff) {
    unit = 4, skip = 4, big_endian = true;
  } else if (got >= 2 && d[0] == 0xff && d[1] == 0xfe) {
    unit = 2, skip = 2;
  } else if (got >= 2 && d[0] == 0xfe && d[1] == 0xff) {
    unit = 2, skip = 2, big_endian = true;
  } else if (got >= 3 && d[0] == 0xef && d[1] == 0xbb && d[2] == 0xbf) {
    skip = 3;
  }
  int32_t len = 0;
  bool fits = true;
  for (int32_t i = skip; i + unit <= got; i += unit) {
    const uint8_t c = d[big_endian ? i + unit - 1 : i];  // the low byte
    if (c == '\r') continue;
    if (len + 1 >= size) {
      fits = false;
      break;
    }
    out[len++] = static_cast<char>(c);
  }
  tarq_free(data);
  out[fits ? len : 0] = 0;
  return fits ? 0 : 1;
}

}  // namespace

int tovo_load_include(const char* line, tovo_include_cart_reader read_cart, char* out, int32_t out_size) {
  if (out_size < 1) return 1;
  out[0] = 0;
  char name[TARQ_PATH_MAX], path[TARQ_PATH_MAX];
  int32_t tab = -1;
  if (!parse_line(line, name, sizeof name, &tab) || !resolve(name, path)) return 1;
  if (tovo_cart* cart = read_cart ? read_cart(path) : nullptr) return from_cart(cart, tab, out, out_size);
  return from_text_file(path, out, out_size);
}
