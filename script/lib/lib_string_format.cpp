// string.format: printf-style conversions over 16.16 numbers. The integer
// conversions print the whole part (toward zero), the floating ones the
// number's exact value, %c a byte, %q a string quoted so that the runtime
// reads it back, %s any value's text.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "script/api/auxlib.h"
#include "script/lib/lib_string.h"

namespace {

constexpr const char* FLAGS = "-+ #0";
constexpr size_t SPEC_SIZE = 32;   // '%', flags, width, precision, "ll", conversion
constexpr size_t ITEM_SIZE = 512;  // the longest single conversion: 99 digits and more

void add_quoted(lua_State* L, luaL_Buffer* b, int arg) {
  size_t l = 0;
  const char* s = luaL_checklstring(L, arg, &l);
  luaL_addchar(b, '"');
  for (size_t i = 0; i < l; i++) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\' || c == '\n') {
      luaL_addchar(b, '\\');
      luaL_addchar(b, static_cast<char>(c));
    } else if (c == '\0' || std::iscntrl(c)) {
      char code[8];
      bool digit_follows = i + 1 < l && std::isdigit(static_cast<unsigned char>(s[i + 1]));
      std::snprintf(code, sizeof code, digit_follows ? "\\%03d" : "\\%d", c);
      luaL_addstring(b, code);
    } else {
      luaL_addchar(b, static_cast<char>(c));
    }
  }
  luaL_addchar(b, '"');
}

// Copies the conversion spec at p (after '%') into spec with its '%'; returns
// the conversion letter's position.
const char* read_spec(lua_State* L, const char* p, char* spec) {
  const char* q = p;
  while (*q != '\0' && std::strchr(FLAGS, *q) != nullptr) q++;
  if (static_cast<size_t>(q - p) >= std::strlen(FLAGS) + 1) luaL_error(L, "invalid format (repeated flags)");
  for (int i = 0; i < 2 && std::isdigit(static_cast<unsigned char>(*q)); i++) q++;  // width
  if (*q == '.') {
    q++;
    for (int i = 0; i < 2 && std::isdigit(static_cast<unsigned char>(*q)); i++) q++;  // precision
  }
  if (std::isdigit(static_cast<unsigned char>(*q))) luaL_error(L, "invalid format (width or precision too long)");
  spec[0] = '%';
  std::memcpy(spec + 1, p, static_cast<size_t>(q - p));
  spec[q - p + 1] = '\0';
  return q;
}

// Puts a length modifier in front of the conversion letter at the end of spec.
void add_conversion(char* spec, const char* modifier, char conversion) {
  size_t n = std::strlen(spec);
  size_t lm = std::strlen(modifier);
  std::memcpy(spec + n, modifier, lm);
  spec[n + lm] = conversion;
  spec[n + lm + 1] = '\0';
}

}  // namespace

int str_format(lua_State* L) {
  int top = lua_gettop(L);
  int arg = 1;
  size_t lf = 0;
  const char* f = luaL_checklstring(L, arg, &lf);
  const char* end = f + lf;
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  while (f < end) {
    if (*f != '%') {
      luaL_addchar(&b, *f++);
      continue;
    }
    if (*++f == '%') {
      luaL_addchar(&b, *f++);
      continue;
    }
    if (++arg > top) luaL_argerror(L, arg, "no value");
    char spec[SPEC_SIZE];
    f = read_spec(L, f, spec);
    char conversion = *f++;
    char item[ITEM_SIZE];
    int n = 0;
    switch (conversion) {
      case 'c':
        add_conversion(spec, "", 'c');
        n = std::snprintf(item, sizeof item, spec, luaL_checkinteger(L, arg));
        break;
      case 'd':
      case 'i':
      case 'o':
      case 'u':
      case 'x':
      case 'X': {
        // The whole part toward zero, as a 64-bit integer like the stock one's.
        lua_Number v = luaL_checknumber(L, arg);
        long long whole = v >= 0 ? v / 65536 : -(-static_cast<long long>(v) / 65536);
        add_conversion(spec, "ll", conversion);
        n = std::snprintf(item, sizeof item, spec, whole);
        break;
      }
      case 'e':
      case 'E':
      case 'f':
      case 'g':
      case 'G':
        add_conversion(spec, "", conversion);
        n = std::snprintf(item, sizeof item, spec, luaL_checknumber(L, arg) / 65536.0);
        break;
      case 'q': add_quoted(L, &b, arg); continue;
      case 's': {
        size_t l = 0;
        const char* s = luaL_tolstring(L, arg, &l);
        if (std::strchr(spec, '.') == nullptr && l >= 100) {
          luaL_addvalue(&b);  // no precision: the whole text, however long
          continue;
        }
        add_conversion(spec, "", 's');
        n = std::snprintf(item, sizeof item, spec, s);
        lua_pop(L, 1);
        break;
      }
      default: luaL_error(L, "invalid option '%%%c' to 'format'", conversion);
    }
    luaL_addlstring(&b, item,
                    n < 0                                  ? 0
                    : static_cast<size_t>(n) < sizeof item ? static_cast<size_t>(n)
                                                           : sizeof item - 1);
  }
  luaL_pushresult(&b);
  return 1;
}
