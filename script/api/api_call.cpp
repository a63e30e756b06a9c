// The native interface: calls, protected calls, continuations and errors.
#include "script/api/api_index.h"
#include "script/vm/do.h"

namespace {

struct CallS {
  StkId func;
  int nresults;
};

void f_call(lua_State* L, void* ud) {
  CallS* c = static_cast<CallS*>(ud);
  luaD_call(L, c->func, c->nresults, 0);
}

}  // namespace

void lua_callk(lua_State* L, int nargs, int nresults, int ctx, lua_CFunction k) {
  StkId func = L->top - (nargs + 1);
  if (k != nullptr && L->nny == 0) {  // yieldable: the frame continues in k
    L->ci->u.c.k = k;
    L->ci->u.c.ctx = ctx;
    luaD_call(L, func, nresults, 1);
  } else {
    luaD_call(L, func, nresults, 0);
  }
  adjustresults(L, nresults);
}

int lua_pcallk(lua_State* L, int nargs, int nresults, int errfunc, int ctx, lua_CFunction k) {
  ptrdiff_t func = errfunc == 0 ? 0 : savestack(L, luaA_index2addr(L, errfunc));
  CallS c;
  c.func = L->top - (nargs + 1);
  int status;
  if (k == nullptr || L->nny > 0) {  // an ordinary protected call
    c.nresults = nresults;
    status = luaD_pcall(L, f_call, &c, savestack(L, c.func), func);
  } else {  // yieldable: the resume that runs this thread catches its errors
    CallInfo* ci = L->ci;
    ci->u.c.k = k;
    ci->u.c.ctx = ctx;
    ci->extra = savestack(L, c.func);
    ci->u.c.old_allowhook = L->allowhook;
    ci->u.c.old_errfunc = L->errfunc;
    L->errfunc = func;
    ci->callstatus |= CIST_YPCALL;
    luaD_call(L, c.func, nresults, 1);
    ci->callstatus &= static_cast<uint16_t>(~CIST_YPCALL);
    L->errfunc = ci->u.c.old_errfunc;
    status = LUA_OK;
  }
  adjustresults(L, nresults);
  return status;
}

int lua_getctx(lua_State* L, int* ctx) {
  if (!(L->ci->callstatus & CIST_YIELDED)) return LUA_OK;
  if (ctx != nullptr) *ctx = L->ci->u.c.ctx;
  return L->ci->u.c.status;
}

int lua_error(lua_State* L) { luaG_errormsg(L); }

int lua_status(lua_State* L) { return L->status; }
