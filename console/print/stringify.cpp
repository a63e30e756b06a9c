// Script values as text that reads back as script source.
#include "console/print/stringify.h"

#include <cstring>

#include "engine/tracked_mem.h"
#include "script/api/api.h"
#include "script/api/api_access.h"

namespace {

char* escaped = nullptr;
size_t escaped_size = 0;

struct writer {
  char* out;
  int32_t size;
  int32_t length;
  bool full;
};

void put(writer* w, const char* bytes, size_t n) {
  if (w->full || n >= static_cast<size_t>(w->size - w->length)) {
    w->full = true;
    return;
  }
  std::memcpy(w->out + w->length, bytes, n);
  w->length += static_cast<int32_t>(n);
  w->out[w->length] = 0;
}
void put(writer* w, const char* text) { put(w, text, std::strlen(text)); }

// The number's text, as the runtime writes it, less a trailing ".0".
void put_number(writer* w, lua_State* L, int index) {
  lua_pushvalue(L, index);  // the copy is converted, not the value itself
  size_t n = 0;
  const char* text = lua_tolstring(L, -1, &n);
  if (n >= 2 && std::strcmp(text + n - 2, ".0") == 0) n -= 2;
  put(w, text, n);
  lua_pop(L, 1);
}

void put_value(writer* w, lua_State* L, int index, int32_t depth);

void put_table(writer* w, lua_State* L, int index, int32_t depth) {
  put(w, "{");
  int32_t next_index = 1;
  bool first = true;
  lua_pushnil(L);
  while (!w->full && lua_next(L, index) != 0) {
    const int key = lua_gettop(L) - 1, value = lua_gettop(L);
    if (!first) put(w, ",");
    first = false;
    if (lua_type(L, key) == LUA_TNUMBER && lua_tonumber(L, key) == static_cast<lua_Number>(next_index) << 16) {
      next_index++;
    } else if (lua_type(L, key) == LUA_TNUMBER) {
      put(w, "[");
      put_number(w, L, key);
      put(w, "]=");
    } else {
      if (lua_type(L, key) == LUA_TSTRING) {
        size_t n = 0;
        const char* text = lua_tolstring(L, key, &n);
        put(w, text, n);
      } else {
        put_value(w, L, key, depth - 1);
      }
      put(w, "=");
    }
    put_value(w, L, value, depth - 1);
    lua_pop(L, 1);
  }
  if (w->full) lua_pop(L, 1);  // the key the walk stopped at
  put(w, "}");
}

void put_value(writer* w, lua_State* L, int index, int32_t depth) {
  switch (lua_type(L, index)) {
    case LUA_TSTRING:
      put(w, "\"");
      put(w, escape_string(lua_tostring(L, index)));
      put(w, "\"");
      return;
    case LUA_TBOOLEAN: put(w, lua_toboolean(L, index) ? "true" : "false"); return;
    case LUA_TNUMBER: put_number(w, L, index); return;
    case LUA_TTABLE:
      if (depth > 0 && lua_checkstack(L, 4)) {
        put_table(w, L, index, depth);
        return;
      }
      break;
    default: break;
  }
  put(w, "nil");
}

}  // namespace

const char* escape_string(const char* text) {
  size_t need = 1;
  for (const char* p = text; *p; p++) need += *p == '"' ? 2 : 1;
  if (need > escaped_size) {
    char* grown = static_cast<char*>(tarq_realloc(escaped, need));
    if (!grown) return "";
    escaped = grown;
    escaped_size = need;
  }
  char* o = escaped;
  for (const char* p = text; *p; p++) {
    if (*p == '"') *o++ = '\\';
    *o++ = *p;
  }
  *o = 0;
  return escaped;
}

int32_t stringify_object(lua_State* L, int index, char* out, int32_t size, int32_t depth) {
  if (size < 1) return -1;
  writer w = {out, size, 0, false};
  out[0] = 0;
  put_value(&w, L, lua_absindex(L, index), depth);
  if (!w.full) return w.length;
  out[0] = 0;
  return -1;
}
