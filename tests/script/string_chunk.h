#pragma once
// Loading script text or a binary chunk held in a string: a reader for
// lua_load that hands the whole string over in one piece.
#include <cstddef>
#include <string>

#include "script/api/api.h"

struct string_chunk {
  const std::string* bytes;
  bool given = false;
};

inline const char* read_string_chunk(lua_State*, void* ud, size_t* size) {
  auto* c = static_cast<string_chunk*>(ud);
  *size = c->given ? 0 : c->bytes->size();
  c->given = true;
  return *size == 0 ? nullptr : c->bytes->data();
}

// lua_load over the whole of bytes.
inline int load_string(lua_State* L, const std::string& bytes, const char* chunkname, const char* mode) {
  string_chunk c{&bytes};
  return lua_load(L, read_string_chunk, &c, chunkname, mode);
}
