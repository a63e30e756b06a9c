// Compiling a chunk in protected mode, and loading it through the native
// interface with the globals table as its first upvalue.
#include <cstring>

#include "script/compiler/parse.h"
#include "script/compiler/undump.h"
#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/value/table.h"
#include "script/vm/do.h"
#include "script/vm/func.h"

namespace {

struct SParser {
  Zio* z;
  Mbuffer buff;
  Dyndata dyd;
  const char* mode;
  const char* name;
};

void checkmode(lua_State* L, const char* mode, const char* x) {
  if (mode != nullptr && std::strchr(mode, x[0]) == nullptr) {
    luaO_pushfstring(L, "attempt to load a %s chunk (mode is '%s')", x, mode);
    luaD_throw(L, LUA_ERRSYNTAX);
  }
}

void f_parser(lua_State* L, void* ud) {
  SParser* p = static_cast<SParser*>(ud);
  int c = zgetc(p->z);  // the first byte tells binary from text
  LClosure* cl;
  if (c == LUA_SIGNATURE[0]) {
    checkmode(L, p->mode, "binary");
    cl = luaU_undump(L, p->z, &p->buff, p->name);
  } else {
    checkmode(L, p->mode, "text");
    cl = luaY_parser(L, p->z, &p->buff, &p->dyd, p->name, c);
  }
  for (int i = 0; i < cl->nupvalues; i++) {  // each upvalue a fresh closed one
    UpVal* up = luaF_newupval(L);
    cl->upvals[i] = up;
    luaC_objbarrier(L, cl, up);
  }
}

}  // namespace

int luaD_protectedparser(lua_State* L, Zio* z, const char* name, const char* mode) {
  L->nny++;  // no yields while compiling
  SParser p;
  p.z = z;
  p.name = name;
  p.mode = mode;
  p.dyd = {};
  luaZ_initbuffer(&p.buff);
  int status = luaD_pcall(L, f_parser, &p, savestack(L, L->top), L->errfunc);
  luaZ_freebuffer(L, &p.buff);
  luaM_freearray(L, p.dyd.actvar.arr, static_cast<size_t>(p.dyd.actvar.size));
  luaM_freearray(L, p.dyd.gt.arr, static_cast<size_t>(p.dyd.gt.size));
  luaM_freearray(L, p.dyd.label.arr, static_cast<size_t>(p.dyd.label.size));
  L->nny--;
  return status;
}

int lua_load(lua_State* L, lua_Reader reader, void* data, const char* chunkname, const char* mode) {
  if (chunkname == nullptr) chunkname = "?";
  Zio z;
  luaZ_init(L, &z, reader, data);
  int status = luaD_protectedparser(L, &z, chunkname, mode);
  if (status == LUA_OK) {
    LClosure* f = clLvalue(L->top - 1);
    if (f->nupvalues >= 1) {  // the globals table as the first upvalue
      const TValue* gt = luaH_getint(registry_table(L), LUA_RIDX_GLOBALS);
      setobj(f->upvals[0]->v, gt);
      luaC_barrier(L, f->upvals[0], gt);
    }
  }
  return status;
}
