// Raising and catching runtime errors. The exception type is private to this
// file: only luaD_rawrunprotected and luaD_runbehind catch it.
#include "script/vm/unwind.h"

#include <cstdarg>
#include <cstdlib>

#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/do.h"
#include "script/vm/stack.h"

namespace {

struct script_unwind {
  lua_longjmp* target;
};

// Line of the instruction a script frame is running, 0 without line info.
int current_line(CallInfo* ci) {
  if (!isLua(ci)) return -1;
  const Proto* p = getproto(ci->func);
  int pc = static_cast<int>(ci->u.l.savedpc - p->code) - 1;
  if (p->lineinfo == nullptr || pc < 0 || pc >= p->sizelineinfo) return 0;
  return p->lineinfo[pc];
}

}  // namespace

void luaD_throw(lua_State* L, int errcode) {
  if (L->errorJmp != nullptr) {
    L->errorJmp->status = errcode;
    throw script_unwind{L->errorJmp};
  }
  global_State* g = G(L);
  L->status = static_cast<uint8_t>(errcode);
  if (g->mainthread->errorJmp != nullptr) {  // an error in a coroutine: pass it to the main thread
    setobj(g->mainthread->top++, L->top - 1);
    luaD_throw(g->mainthread, errcode);
  }
  if (g->panic != nullptr) g->panic(L);
  std::exit(EXIT_FAILURE);
}

int luaD_rawrunprotected(lua_State* L, Pfunc f, void* ud) {
  unsigned short old_ccalls = L->nCcalls;
  lua_longjmp lj;
  lj.status = LUA_OK;
  lj.previous = L->errorJmp;
  L->errorJmp = &lj;
  try {
    f(L, ud);
  } catch (const script_unwind& u) {
    if (u.target != &lj) {  // not ours: cannot happen while the chain is kept in order
      L->errorJmp = lj.previous;
      throw;
    }
  }
  L->errorJmp = lj.previous;
  L->nCcalls = old_ccalls;
  return lj.status;
}

int luaD_runbehind(lua_longjmp* lj, void (*f)(void* ud), void* ud) {
  lj->status = LUA_OK;
  try {
    f(ud);
  } catch (const script_unwind& u) {
    if (u.target != lj) throw;
  }
  return lj->status;
}

void luaD_seterrorobj(lua_State* L, int errcode, StkId oldtop) {
  switch (errcode) {
    case LUA_ERRMEM: setsvalue(oldtop, G(L)->memerrmsg); break;
    case LUA_ERRERR: setsvalue(oldtop, luaS_newliteral(L, "error in error handling")); break;
    default: setobj(oldtop, L->top - 1); break;
  }
  L->top = oldtop + 1;
}

void luaG_errormsg(lua_State* L) {
  if (L->errfunc != 0) {  // the protected call's message handler makes the error value
    StkId errfunc = restorestack(L, L->errfunc);
    if (!ttisfunction(errfunc)) luaD_throw(L, LUA_ERRERR);
    setobj(L->top, L->top - 1);  // the message becomes the argument
    setobj(L->top - 1, errfunc);
    incr_top(L);
    luaD_call(L, L->top - 2, 1, 0);
  }
  luaD_throw(L, LUA_ERRRUN);
}

void luaG_runerror(lua_State* L, const char* fmt, ...) {
  va_list argp;
  va_start(argp, fmt);
  luaO_pushvfstring(L, fmt, argp);
  va_end(argp);
  int line = current_line(L->ci);
  if (line >= 0) G(L)->runtime_line = line;
  luaG_errormsg(L);
}
