// Describing operands for runtime errors: which variable, field, upvalue or
// constant a register was loaded from, found by scanning the instructions.
#include "script/debug/debug.h"

#include <cstring>

#include "script/value/number.h"
#include "script/vm/func.h"
#include "script/vm/opcodes.h"
#include "script/vm/tm.h"
#include "script/vm/unwind.h"

namespace {

const char* upvalname(const Proto* p, int uv) {
  TString* s = p->upvalues[uv].name;
  return s == nullptr ? "?" : getstr(s);
}

// The name of RK operand c when it is a constant string (or a register
// loaded from one), else "?".
void kname(const Proto* p, int pc, int c, const char** name) {
  if (ISK(c)) {
    const TValue* kvalue = &p->k[INDEXK(c)];
    if (ttisstring(kvalue)) {
      *name = svalue(kvalue);
      return;
    }
  } else {
    const char* what = luaG_getobjname(p, pc, c, name);
    if (what != nullptr && *what == 'c') return;  // a constant: its text names the key
  }
  *name = "?";
}

// The last instruction before lastpc that changed register reg, or -1.
int findsetreg(const Proto* p, int lastpc, int reg) {
  int setreg = -1;
  for (int pc = 0; pc < lastpc; pc++) {
    Instruction i = luaP_original(p->code[pc]);
    OpCode op = GET_OPCODE(i);
    int a = GETARG_A(i);
    switch (op) {
      case OP_LOADNIL:
        if (a <= reg && reg <= a + GETARG_B(i)) setreg = pc;
        break;
      case OP_TFORCALL:
        if (reg >= a + 2) setreg = pc;
        break;
      case OP_CALL:
      case OP_TAILCALL:
        if (reg >= a) setreg = pc;
        break;
      case OP_JMP: {
        int dest = pc + 1 + GETARG_sBx(i);
        if (pc < dest && dest <= lastpc) pc += GETARG_sBx(i);  // a forward jump not past lastpc
        break;
      }
      default:
        if (op < NUM_OPCODES && testAMode(op) && reg == a) setreg = pc;
        break;
    }
  }
  return setreg;
}

const char* getupvalname(CallInfo* ci, const TValue* o, const char** name) {
  LClosure* c = clLvalue(ci->func);
  for (int i = 0; i < c->nupvalues; i++) {
    if (c->upvals[i]->v == o) {
      *name = upvalname(c->p, i);
      return "upvalue";
    }
  }
  return nullptr;
}

bool isinstack(CallInfo* ci, const TValue* o) {
  for (StkId p = ci->u.l.base; p < ci->top; p++) {
    if (o == p) return true;
  }
  return false;
}

}  // namespace

StkId luaG_frame_func(lua_State* L, const CallInfo* ci) {
  return (L->status == LUA_YIELD && ci == L->ci) ? restorestack(L, ci->extra) : ci->func;
}

int luaG_currentpc(lua_State* L, const CallInfo* ci) {
  const Proto* p = getproto(luaG_frame_func(L, ci));
  int pc = static_cast<int>(ci->u.l.savedpc - p->code);
  return (ci->callstatus & CIST_HOOKYIELD) ? pc : pc - 1;
}

int luaG_currentline(lua_State* L, const CallInfo* ci) {
  if (!isLua(ci)) return -1;
  const Proto* p = getproto(luaG_frame_func(L, ci));
  int pc = luaG_currentpc(L, ci);
  if (p->lineinfo == nullptr || pc < 0 || pc >= p->sizelineinfo) return 0;
  return p->lineinfo[pc];
}

const char* luaG_getobjname(const Proto* p, int lastpc, int reg, const char** name) {
  *name = luaF_getlocalname(p, reg + 1, lastpc);
  if (*name != nullptr) return "local";
  int pc = findsetreg(p, lastpc, reg);
  if (pc == -1) return nullptr;
  Instruction i = luaP_original(p->code[pc]);
  OpCode op = GET_OPCODE(i);
  switch (op) {
    case OP_MOVE: {
      int b = GETARG_B(i);  // moved from register b
      if (b < GETARG_A(i)) return luaG_getobjname(p, pc, b, name);
      break;
    }
    case OP_GETTABUP:
    case OP_GETTABLE: {
      int t = GETARG_B(i);
      const char* vn = op == OP_GETTABLE ? luaF_getlocalname(p, t + 1, pc) : upvalname(p, t);
      kname(p, pc, GETARG_C(i), name);
      return (vn != nullptr && std::strcmp(vn, "_ENV") == 0) ? "global" : "field";
    }
    case OP_GETUPVAL: *name = upvalname(p, GETARG_B(i)); return "upvalue";
    case OP_LOADK:
    case OP_LOADKX: {
      int b = op == OP_LOADK ? GETARG_Bx(i) : (pc + 1 < p->sizecode ? GETARG_Ax(p->code[pc + 1]) : -1);
      if (b >= 0 && b < p->sizek && ttisstring(&p->k[b])) {
        *name = svalue(&p->k[b]);
        return "constant";
      }
      break;
    }
    case OP_SELF: kname(p, pc, GETARG_C(i), name); return "method";
    default: break;
  }
  return nullptr;
}

void luaG_typeerror(lua_State* L, const TValue* o, const char* op) {
  CallInfo* ci = L->ci;
  const char* name = nullptr;
  const char* t = luaT_objtypename(o);
  const char* kind = nullptr;
  if (isLua(ci)) {
    kind = getupvalname(ci, o, &name);
    if (kind == nullptr && isinstack(ci, o)) {
      kind = luaG_getobjname(getproto(ci->func), luaG_currentpc(L, ci), static_cast<int>(o - ci->u.l.base), &name);
    }
  }
  if (kind != nullptr) luaG_runerror(L, "attempt to %s %s '%s' (a %s value)", op, kind, name, t);
  luaG_runerror(L, "attempt to %s a %s value", op, t);
}

void luaG_concaterror(lua_State* L, const TValue* p1, const TValue* p2) {
  if (ttisstring(p1) || ttisnumber(p1)) p1 = p2;
  luaG_typeerror(L, p1, "concatenate");
}

void luaG_aritherror(lua_State* L, const TValue* p1, const TValue* p2) {
  TValue temp;
  if (luaV_tonumber(p1, &temp) == nullptr) p2 = p1;  // the first operand is the wrong one
  luaG_typeerror(L, p2, "perform arithmetic on");
}

void luaG_ordererror(lua_State* L, const TValue* p1, const TValue* p2) {
  const char* t1 = luaT_objtypename(p1);
  const char* t2 = luaT_objtypename(p2);
  if (std::strcmp(t1, t2) == 0) luaG_runerror(L, "attempt to compare two %s values", t1);
  luaG_runerror(L, "attempt to compare %s with %s", t1, t2);
}
