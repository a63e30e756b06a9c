#pragma once
// A small assembler for tests of the virtual machine: builds a prototype
// from an instruction list and constants, and pushes a main closure whose
// first upvalue is the globals table.
#include <string>
#include <vector>

#include "script/api/api.h"
#include "script/value/lua_mem.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/func.h"
#include "script/vm/opcodes.h"
#include "script/vm/stack.h"
#include "script/vm/vm.h"

struct AsmK {
  enum Kind { NUM, STR, NIL, BOOL } kind;
  lua_Number n;
  std::string s;
};
inline AsmK Kn(lua_Number n) { return {AsmK::NUM, n, {}}; }
inline AsmK Ki(int n) { return {AsmK::NUM, static_cast<lua_Number>(static_cast<uint32_t>(n) << 16), {}}; }
inline AsmK Ks(const std::string& s) { return {AsmK::STR, 0, s}; }
inline AsmK Kb(bool b) { return {AsmK::BOOL, b, {}}; }

struct AsmUpval {
  bool instack;
  int idx;
  std::string name;
};

struct AsmLocal {
  std::string name;
  int startpc, endpc;
};

struct AsmProto {
  std::vector<Instruction> code;
  std::vector<AsmK> k;
  int maxstack = 16;
  int nparams = 0;
  bool vararg = false;
  std::vector<int> lines;  // one per instruction, or empty
  std::vector<AsmUpval> upvalues;
  std::vector<AsmLocal> locals;
  std::vector<AsmProto> protos;
  int linedefined = 0;
  std::string source = "=asm";
};

inline Instruction ABC(OpCode o, int a, int b, int c) { return CREATE_ABC(o, a, b, c); }
inline Instruction ABx(OpCode o, int a, int bx) { return CREATE_ABx(o, a, bx); }
inline Instruction AsBx(OpCode o, int a, int sbx) { return CREATE_ABx(o, a, sbx + MAXARG_sBx); }
inline Instruction Ax(OpCode o, int ax) { return CREATE_Ax(o, ax); }
constexpr int K(int i) { return i | BITRK; }  // constant operand

inline TString* asm_string(lua_State* L, const std::string& s) { return luaS_newlstr(L, s.data(), s.size()); }

// Fills a new prototype (anchored by the caller) from the description.
inline void asm_fill(lua_State* L, Proto* p, const AsmProto& a) {
  p->source = asm_string(L, a.source);
  p->linedefined = a.linedefined;
  p->lastlinedefined = a.linedefined;
  p->numparams = static_cast<uint8_t>(a.nparams);
  p->is_vararg = a.vararg;
  p->maxstacksize = static_cast<uint8_t>(a.maxstack);
  p->code = luaM_newvector<Instruction>(L, a.code.size());
  p->sizecode = static_cast<int>(a.code.size());
  for (size_t i = 0; i < a.code.size(); i++) p->code[i] = a.code[i];
  p->k = luaM_newvector<TValue>(L, a.k.size());
  for (size_t i = 0; i < a.k.size(); i++) setnilvalue(&p->k[i]);
  p->sizek = static_cast<int>(a.k.size());
  for (size_t i = 0; i < a.k.size(); i++) {
    const AsmK& c = a.k[i];
    if (c.kind == AsmK::NUM) setnvalue(&p->k[i], c.n);
    if (c.kind == AsmK::BOOL) setbvalue(&p->k[i], c.n);
    if (c.kind == AsmK::STR) setsvalue(&p->k[i], asm_string(L, c.s));
  }
  if (!a.lines.empty()) {
    p->lineinfo = luaM_newvector<int>(L, a.lines.size());
    p->sizelineinfo = static_cast<int>(a.lines.size());
    for (size_t i = 0; i < a.lines.size(); i++) p->lineinfo[i] = a.lines[i];
  }
  p->upvalues = luaM_newvector<Upvaldesc>(L, a.upvalues.size());
  p->sizeupvalues = static_cast<int>(a.upvalues.size());
  for (size_t i = 0; i < a.upvalues.size(); i++) {
    p->upvalues[i].name = nullptr;
    p->upvalues[i].instack = a.upvalues[i].instack;
    p->upvalues[i].idx = static_cast<uint8_t>(a.upvalues[i].idx);
  }
  for (size_t i = 0; i < a.upvalues.size(); i++) p->upvalues[i].name = asm_string(L, a.upvalues[i].name);
  p->locvars = luaM_newvector<LocVar>(L, a.locals.size());
  p->sizelocvars = static_cast<int>(a.locals.size());
  for (size_t i = 0; i < a.locals.size(); i++) {
    p->locvars[i].varname = nullptr;
    p->locvars[i].startpc = a.locals[i].startpc;
    p->locvars[i].endpc = a.locals[i].endpc;
  }
  for (size_t i = 0; i < a.locals.size(); i++) p->locvars[i].varname = asm_string(L, a.locals[i].name);
  p->p = luaM_newvector<Proto*>(L, a.protos.size());
  for (size_t i = 0; i < a.protos.size(); i++) p->p[i] = nullptr;
  p->sizep = static_cast<int>(a.protos.size());
  for (size_t i = 0; i < a.protos.size(); i++) {
    p->p[i] = luaF_newproto(L);
    asm_fill(L, p->p[i], a.protos[i]);
  }
  luaV_prepare(p);  // as compiling or loading readies it
}

// Pushes a main closure for the description; its upvalue 0 (add one named
// "_ENV" to the description) is the globals table.
inline void asm_push(lua_State* L, AsmProto a) {
  if (a.upvalues.empty()) a.upvalues.push_back({true, 0, "_ENV"});
  Closure* cl = luaF_newLclosure(L, static_cast<int>(a.upvalues.size()));
  setclLvalue(L->top, &cl->l);
  incr_top(L);
  cl->l.p = luaF_newproto(L);
  asm_fill(L, cl->l.p, a);
  for (size_t i = 0; i < a.upvalues.size(); i++) {
    UpVal* uv = luaF_newupval(L);
    cl->l.upvals[i] = uv;
    if (i == 0) setobj(uv->v, luaH_getint(registry_table(L), LUA_RIDX_GLOBALS));
  }
}
