// libFuzzer target: the whole script compiler on any bytes. Text goes to the
// lexer, parser and code generator; a chunk that begins with the escape byte
// goes to the binary loader. Any input ends in a function or a syntax error
// (or a memory error past the allocation cap), never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "script/compiler/parse.h"
#include "script/compiler/undump.h"
#include "script/value/lua_mem.h"
#include "script/value/string_buffer.h"
#include "script/vm/state.h"
#include "script/vm/unwind.h"

namespace {

constexpr size_t MEMORY_CAP = 64u << 20;
size_t in_use = 0;

void* capped_alloc(void*, void* block, size_t old_size, size_t new_size) {
  size_t old_bytes = block != nullptr ? old_size : 0;
  if (new_size == 0) {
    std::free(block);
    in_use -= old_bytes;
    return nullptr;
  }
  if (new_size > old_bytes && in_use + (new_size - old_bytes) > MEMORY_CAP) return nullptr;
  void* p = std::realloc(block, new_size);
  if (p != nullptr) in_use = in_use - old_bytes + new_size;
  return p;
}

struct Input {
  const char* data;
  size_t size;
  Mbuffer buff;
  Dyndata dyd;
};

const char* read_all(lua_State*, void* ud, size_t* size) {
  auto* in = static_cast<Input*>(ud);
  *size = in->size;
  in->size = 0;
  return *size == 0 ? nullptr : in->data;
}

void compile(lua_State* L, void* ud) {
  auto* in = static_cast<Input*>(ud);
  Zio z;
  luaZ_init(L, &z, read_all, in);
  int c = zgetc(&z);
  if (c == LUA_SIGNATURE[0]) luaU_undump(L, &z, &in->buff, "=fuzz");
  else luaY_parser(L, &z, &in->buff, &in->dyd, "=fuzz", c);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lua_State* L = lua_newstate(capped_alloc, nullptr);
  if (L == nullptr) return 0;
  Input in{reinterpret_cast<const char*>(data), size, {}, {}};
  luaZ_initbuffer(&in.buff);
  int status = luaD_rawrunprotected(L, compile, &in);
  if (status != LUA_OK && status != LUA_ERRSYNTAX && status != LUA_ERRMEM) std::abort();
  luaZ_freebuffer(L, &in.buff);
  luaM_freearray(L, in.dyd.actvar.arr, static_cast<size_t>(in.dyd.actvar.size));
  luaM_freearray(L, in.dyd.gt.arr, static_cast<size_t>(in.dyd.gt.size));
  luaM_freearray(L, in.dyd.label.arr, static_cast<size_t>(in.dyd.label.size));
  lua_close(L);
  return 0;
}
