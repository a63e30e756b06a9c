// The debug interface of the native interface: call frames, function
// information, local variables, hooks (kept, never called), and lines of the
// whole program text as lines of the console's code tabs.
#include <cstring>

#include "script/api/api.h"
#include "script/console_services.h"
#include "script/debug/debug.h"
#include "script/value/number.h"
#include "script/value/table.h"
#include "script/vm/func.h"
#include "script/vm/opcodes.h"
#include "script/vm/stack.h"
#include "script/vm/tm.h"

namespace {

// How the calling instruction of a script frame names the function it called.
const char* getfuncname(lua_State* L, CallInfo* ci, const char** name) {
  const Proto* p = getproto(luaG_frame_func(L, ci));
  int pc = luaG_currentpc(L, ci);
  if (pc < 0 || pc >= p->sizecode) return nullptr;
  Instruction i = luaP_original(p->code[pc]);
  OpCode op = GET_OPCODE(i);
  TMS tm;
  if (tovo_is_arith_op(op)) {
    tm = static_cast<TMS>(op - OP_ADD + TM_ADD);
  } else {
    switch (op) {
      case OP_CALL:
      case OP_TAILCALL: return luaG_getobjname(p, pc, GETARG_A(i), name);
      case OP_TFORCALL: *name = "for iterator"; return "for iterator";
      case OP_SELF:
      case OP_GETTABUP:
      case OP_GETTABLE: tm = TM_INDEX; break;
      case OP_SETTABUP:
      case OP_SETTABLE: tm = TM_NEWINDEX; break;
      case OP_EQ: tm = TM_EQ; break;
      case OP_LT: tm = TM_LT; break;
      case OP_LE: tm = TM_LE; break;
      case OP_LEN: tm = TM_LEN; break;
      case OP_CONCAT: tm = TM_CONCAT; break;
      default: return nullptr;
    }
  }
  *name = getstr(G(L)->tmname[tm]);
  return "metamethod";
}

// The closure in a function slot, or null for light and fast native functions.
Closure* closure_of(const TValue* func) { return (ttisLclosure(func) || ttisCclosure(func)) ? clvalue(func) : nullptr; }

void funcinfo(lua_Debug* ar, const TValue* func) {
  if (!ttisLclosure(func)) {
    ar->source = "=[C]";
    ar->linedefined = -1;
    ar->lastlinedefined = -1;
    ar->what = "C";
  } else {
    const Proto* p = getproto(func);
    ar->source = p->source != nullptr ? getstr(p->source) : "=?";
    ar->linedefined = p->linedefined;
    ar->lastlinedefined = p->lastlinedefined;
    ar->what = ar->linedefined == 0 ? "main" : "Lua";
  }
  luaO_chunkid(ar->short_src, ar->source, LUA_IDSIZE);
}

// Pushes a table whose keys are the lines with code (nil for natives).
void collectvalidlines(lua_State* L, const TValue* func) {
  if (!ttisLclosure(func)) {
    setnilvalue(L->top);
    incr_top(L);
    return;
  }
  const Proto* p = getproto(func);
  Table* t = luaH_new(L);
  sethvalue(L->top, t);
  incr_top(L);
  TValue v;
  setbvalue(&v, 1);
  for (int i = 0; i < p->sizelineinfo; i++) luaH_setint(L, t, p->lineinfo[i], &v);
}

int auxgetinfo(lua_State* L, const char* what, lua_Debug* ar, const TValue* func, CallInfo* ci) {
  int status = 1;
  Closure* cl = closure_of(func);
  for (; *what; what++) {
    switch (*what) {
      case 'S': funcinfo(ar, func); break;
      case 'l': ar->currentline = (ci != nullptr && isLua(ci)) ? luaG_currentline(L, ci) : -1; break;
      case 'u':
        ar->nups = cl == nullptr ? 0 : cl->c.nupvalues;
        if (!ttisLclosure(func)) {
          ar->isvararg = 1;
          ar->nparams = 0;
        } else {
          ar->isvararg = static_cast<char>(cl->l.p->is_vararg);
          ar->nparams = cl->l.p->numparams;
        }
        break;
      case 't': ar->istailcall = ci != nullptr ? static_cast<char>((ci->callstatus & CIST_TAIL) != 0) : 0; break;
      case 'n':
        ar->namewhat = nullptr;
        if (ci != nullptr && !(ci->callstatus & CIST_TAIL) && ci->previous != nullptr && isLua(ci->previous)) {
          ar->namewhat = getfuncname(L, ci->previous, &ar->name);
        }
        if (ar->namewhat == nullptr) {
          ar->namewhat = "";
          ar->name = nullptr;
        }
        break;
      case 'L':
      case 'f': break;  // handled by lua_getinfo
      default: status = 0;
    }
  }
  return status;
}

const char* findvararg(lua_State* L, CallInfo* ci, int n, StkId* pos) {
  StkId func = luaG_frame_func(L, ci);
  int nparams = getproto(func)->numparams;
  if (n >= ci->u.l.base - func - nparams) return nullptr;
  *pos = func + nparams + n;
  return "(*vararg)";
}

const char* findlocal(lua_State* L, CallInfo* ci, int n, StkId* pos) {
  const char* name = nullptr;
  StkId base;
  if (isLua(ci)) {
    if (n < 0) return findvararg(L, ci, -n, pos);
    base = ci->u.l.base;
    name = luaF_getlocalname(getproto(luaG_frame_func(L, ci)), n, luaG_currentpc(L, ci));
  } else {
    base = luaG_frame_func(L, ci) + 1;
  }
  if (name == nullptr) {
    StkId limit = ci == L->ci ? L->top : ci->next->func;
    if (limit - base >= n && n > 0) {
      name = "(*temporary)";
    } else {
      return nullptr;
    }
  }
  *pos = base + (n - 1);
  return name;
}

}  // namespace

int lua_getstack(lua_State* L, int level, lua_Debug* ar) {
  if (level < 0) return 0;
  CallInfo* ci;
  for (ci = L->ci; level > 0 && ci != &L->base_ci; ci = ci->previous) level--;
  if (level != 0 || ci == &L->base_ci) return 0;
  ar->i_ci = ci;
  return 1;
}

int lua_getinfo(lua_State* L, const char* what, lua_Debug* ar) {
  CallInfo* ci;
  TValue func;
  if (*what == '>') {  // the function on top
    ci = nullptr;
    func = *(L->top - 1);
    what++;
    L->top--;
  } else {
    ci = ar->i_ci;
    func = *luaG_frame_func(L, ci);
  }
  int status = auxgetinfo(L, what, ar, &func, ci);
  if (std::strchr(what, 'f') != nullptr) {
    setobj(L->top, &func);
    incr_top(L);
  }
  if (std::strchr(what, 'L') != nullptr) collectvalidlines(L, &func);
  return status;
}

const char* lua_getlocal(lua_State* L, const lua_Debug* ar, int n) {
  if (ar == nullptr) {  // parameter names of the function on top
    if (!isLfunction(L->top - 1)) return nullptr;
    return luaF_getlocalname(getproto(L->top - 1), n, 0);
  }
  StkId pos = nullptr;
  const char* name = findlocal(L, ar->i_ci, n, &pos);
  if (name != nullptr) {
    setobj(L->top, pos);
    incr_top(L);
  }
  return name;
}

const char* lua_setlocal(lua_State* L, const lua_Debug* ar, int n) {
  StkId pos = nullptr;
  const char* name = findlocal(L, ar->i_ci, n, &pos);
  if (name != nullptr) setobj(pos, L->top - 1);
  L->top--;
  return name;
}

int lua_sethook(lua_State* L, lua_Hook func, int mask, int count) {
  if (func == nullptr || mask == 0) {
    mask = 0;
    func = nullptr;
  }
  if (isLua(L->ci)) L->oldpc = L->ci->u.l.savedpc;
  L->hook = func;
  L->basehookcount = count;
  L->hookcount = count;
  L->hookmask = static_cast<uint8_t>(mask);
  return 1;
}

lua_Hook lua_gethook(lua_State* L) { return L->hook; }
int lua_gethookmask(lua_State* L) { return L->hookmask; }
int lua_gethookcount(lua_State* L) { return L->basehookcount; }

// ---- code tab lines ----

int get_tovo_line(lua_State* L, int line) { return tovo_int2num(lua_gethost(L)->find_tab_line(line, nullptr)); }

int get_tovo_tab(lua_State* L, int line) {
  int tab = 0;
  lua_gethost(L)->find_tab_line(line, &tab);
  return tovo_int2num(tab);
}
