// Code generator: emitting instructions, line records, jump lists,
// registers and the constant table.
#include <climits>
#include <cstdlib>

#include "script/compiler/code.h"
#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/stack.h"

namespace {

constexpr int MAX_INT = INT_MAX - 2;

// The instruction after pc that a jump at pc goes to, or NO_JUMP.
int getjump(FuncState* fs, int pc) {
  int offset = GETARG_sBx(fs->f->code[pc]);
  return offset == NO_JUMP ? NO_JUMP : (pc + 1) + offset;
}

void fixjump(FuncState* fs, int pc, int dest) {
  Instruction* jmp = &fs->f->code[pc];
  int offset = dest - (pc + 1);
  if (std::abs(offset) > MAXARG_sBx) luaX_syntaxerror(fs->ls, "control structure too long");
  SETARG_sBx(*jmp, offset);
}

// The test that controls a jump, or the jump itself when it has none.
Instruction* getjumpcontrol(FuncState* fs, int pc) {
  Instruction* pi = &fs->f->code[pc];
  if (pc >= 1 && testTMode(GET_OPCODE(*(pi - 1)))) return pi - 1;
  return pi;
}

// A TESTSET that controls the jump at node stores into reg, or becomes a
// TEST when reg is NO_REG or the tested register itself. 0 when the jump has
// no TESTSET.
bool patchtestreg(FuncState* fs, int node, int reg) {
  Instruction* i = getjumpcontrol(fs, node);
  if (GET_OPCODE(*i) != OP_TESTSET) return false;
  if (reg != NO_REG && reg != GETARG_B(*i)) SETARG_A(*i, reg);
  else *i = CREATE_ABC(OP_TEST, GETARG_B(*i), 0, GETARG_C(*i));
  return true;
}

void patchlistaux(FuncState* fs, int list, int vtarget, int reg, int dtarget) {
  while (list != NO_JUMP) {
    int next = getjump(fs, list);
    if (patchtestreg(fs, list, reg)) fixjump(fs, list, vtarget);
    else fixjump(fs, list, dtarget);
    list = next;
  }
}

void dischargejpc(FuncState* fs) {
  patchlistaux(fs, fs->jpc, fs->pc, NO_REG, fs->pc);
  fs->jpc = NO_JUMP;
}

int addk(FuncState* fs, TValue* key, TValue* v) {
  lua_State* L = fs->ls->L;
  TValue* idx = luaH_set(L, fs->h, key);
  Proto* f = fs->f;
  if (ttisnumber(idx)) {
    int k = nvalue(idx);  // the index is kept raw
    if (k >= 0 && k < fs->nk && luaO_rawequalObj(&f->k[k], v)) return k;
    // else a collision of keys (the number 0 and a string of four zero bytes)
  }
  int oldsize = f->sizek;
  int k = fs->nk;
  setnvalue(idx, k);
  luaM_growvector(L, f->k, k, f->sizek, MAXARG_Ax, "constants");
  while (oldsize < f->sizek) setnilvalue(&f->k[oldsize++]);
  setobj(&f->k[k], v);
  fs->nk++;
  luaC_barrier(L, f, v);
  return k;
}

}  // namespace

int luaK_code(FuncState* fs, Instruction i) {
  Proto* f = fs->f;
  lua_State* L = fs->ls->L;
  dischargejpc(fs);
  luaM_growvector(L, f->code, fs->pc, f->sizecode, MAX_INT, "opcodes");
  f->code[fs->pc] = i;
  luaM_growvector(L, f->lineinfo, fs->pc, f->sizelineinfo, MAX_INT, "opcodes");
  f->lineinfo[fs->pc] = fs->ls->lastline;
  return fs->pc++;
}

int luaK_codeABC(FuncState* fs, OpCode o, int a, int b, int c) { return luaK_code(fs, CREATE_ABC(o, a, b, c)); }

int luaK_codeABx(FuncState* fs, OpCode o, int a, unsigned int bx) {
  return luaK_code(fs, CREATE_ABx(o, a, static_cast<int>(bx)));
}

int luaK_codek(FuncState* fs, int reg, int k) {
  if (k <= MAXARG_Bx) return luaK_codeABx(fs, OP_LOADK, reg, static_cast<unsigned int>(k));
  int p = luaK_codeABx(fs, OP_LOADKX, reg, 0);
  luaK_code(fs, CREATE_Ax(OP_EXTRAARG, k));
  return p;
}

void luaK_fixline(FuncState* fs, int line) { fs->f->lineinfo[fs->pc - 1] = line; }

void luaK_nil(FuncState* fs, int from, int n) {
  int l = from + n - 1;
  if (fs->pc > fs->lasttarget) {  // no jump target between: may merge
    Instruction* previous = &fs->f->code[fs->pc - 1];
    if (GET_OPCODE(*previous) == OP_LOADNIL) {
      int pfrom = GETARG_A(*previous);
      int pl = pfrom + GETARG_B(*previous);
      if ((pfrom <= from && from <= pl + 1) || (from <= pfrom && pfrom <= l + 1)) {
        if (pfrom < from) from = pfrom;
        if (pl > l) l = pl;
        SETARG_A(*previous, from);
        SETARG_B(*previous, l - from);
        return;
      }
    }
  }
  luaK_codeABC(fs, OP_LOADNIL, from, n - 1, 0);
}

void luaK_checkstack(FuncState* fs, int n) {
  int newstack = fs->freereg + n;
  if (newstack > fs->f->maxstacksize) {
    if (newstack >= MAXREGS) luaX_syntaxerror(fs->ls, "function or expression too complex");
    fs->f->maxstacksize = static_cast<uint8_t>(newstack);
  }
}

void luaK_reserveregs(FuncState* fs, int n) {
  luaK_checkstack(fs, n);
  fs->freereg = static_cast<uint8_t>(fs->freereg + n);
}

int luaK_jump(FuncState* fs) {
  int jpc = fs->jpc;  // jumps to here jump along with the new one
  fs->jpc = NO_JUMP;
  int j = luaK_codeAsBx(fs, OP_JMP, 0, NO_JUMP);
  luaK_concat(fs, &j, jpc);
  return j;
}

void luaK_ret(FuncState* fs, int first, int nret) { luaK_codeABC(fs, OP_RETURN, first, nret + 1, 0); }

int luaK_getlabel(FuncState* fs) {
  fs->lasttarget = fs->pc;
  return fs->pc;
}

void luaK_patchlist(FuncState* fs, int list, int target) {
  if (target == fs->pc) luaK_patchtohere(fs, list);
  else patchlistaux(fs, list, target, NO_REG, target);
}

void luaK_patchclose(FuncState* fs, int list, int level) {
  level++;  // A holds the level plus one
  while (list != NO_JUMP) {
    int next = getjump(fs, list);
    SETARG_A(fs->f->code[list], level);
    list = next;
  }
}

void luaK_patchtohere(FuncState* fs, int list) {
  luaK_getlabel(fs);
  luaK_concat(fs, &fs->jpc, list);
}

void luaK_concat(FuncState* fs, int* l1, int l2) {
  if (l2 == NO_JUMP) return;
  if (*l1 == NO_JUMP) {
    *l1 = l2;
    return;
  }
  int list = *l1;
  int next;
  while ((next = getjump(fs, list)) != NO_JUMP) list = next;
  fixjump(fs, list, l2);
}

// True when a jump list holds a jump whose value is needed (not a TESTSET).
bool luaK_need_value(FuncState* fs, int list) {
  for (; list != NO_JUMP; list = getjump(fs, list))
    if (GET_OPCODE(*getjumpcontrol(fs, list)) != OP_TESTSET) return true;
  return false;
}

void luaK_patchlistaux(FuncState* fs, int list, int vtarget, int reg, int dtarget) {
  patchlistaux(fs, list, vtarget, reg, dtarget);
}

void luaK_removevalues(FuncState* fs, int list) {
  for (; list != NO_JUMP; list = getjump(fs, list)) patchtestreg(fs, list, NO_REG);
}

Instruction* luaK_getjumpcontrol(FuncState* fs, int pc) { return getjumpcontrol(fs, pc); }

int luaK_stringK(FuncState* fs, TString* s) {
  TValue o;
  setsvalue(&o, s);
  return addk(fs, &o, &o);
}

int luaK_numberK(FuncState* fs, lua_Number r) {
  TValue o;
  setnvalue(&o, r);
  if (r != 0) return addk(fs, &o, &o);
  // The number 0 is keyed by a string of its four raw bytes.
  lua_State* L = fs->ls->L;
  char raw[sizeof(lua_Number)] = {};
  TValue key;
  setsvalue(&key, luaS_newlstr(L, raw, sizeof raw));
  setobj(L->top, &key);  // anchored while the table may grow
  incr_top(L);
  int k = addk(fs, L->top - 1, &o);
  L->top--;
  return k;
}

int luaK_boolK(FuncState* fs, int b) {
  TValue o;
  setbvalue(&o, b);
  return addk(fs, &o, &o);
}

int luaK_nilK(FuncState* fs) {
  TValue k;
  TValue v;
  setnilvalue(&v);
  sethvalue(&k, fs->h);  // nil cannot be a key: the lookup table stands for it
  return addk(fs, &k, &v);
}

void luaK_setlist(FuncState* fs, int base, int nelems, int tostore) {
  int c = (nelems - 1) / LFIELDS_PER_FLUSH + 1;
  int b = tostore == -1 ? 0 : tostore;
  if (c <= MAXARG_C) {
    luaK_codeABC(fs, OP_SETLIST, base, b, c);
  } else if (c <= MAXARG_Ax) {
    luaK_codeABC(fs, OP_SETLIST, base, b, 0);
    luaK_code(fs, CREATE_Ax(OP_EXTRAARG, c));
  } else {
    luaX_syntaxerror(fs->ls, "constructor too long");
  }
  fs->freereg = static_cast<uint8_t>(base + 1);
}
