// Code generator: instructions, line records, registers, jump lists and the
// constant table; expressions into registers and operands, stores, tests and
// the operators (with constant folding).
#include <climits>
#include <cstdlib>

#include "script/compiler/code.h"
#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/stack.h"

namespace {

constexpr int MAX_INT = INT_MAX - 2;

// ---- jump lists ----

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

// True when a jump list holds a jump whose value is needed (not a TESTSET).
bool need_value(FuncState* fs, int list) {
  for (; list != NO_JUMP; list = getjump(fs, list))
    if (GET_OPCODE(*getjumpcontrol(fs, list)) != OP_TESTSET) return true;
  return false;
}

// Turns the TESTSETs of a jump list into TESTs.
void removevalues(FuncState* fs, int list) {
  for (; list != NO_JUMP; list = getjump(fs, list)) patchtestreg(fs, list, NO_REG);
}

// ---- constants ----

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

int boolK(FuncState* fs, int b) {
  TValue o;
  setbvalue(&o, b);
  return addk(fs, &o, &o);
}

int nilK(FuncState* fs) {
  TValue k;
  TValue v;
  setnilvalue(&v);
  sethvalue(&k, fs->h);  // nil cannot be a key: the lookup table stands for it
  return addk(fs, &k, &v);
}

// ---- expressions ----

bool hasjumps(const expdesc* e) { return e->t != e->f; }

// A numeral with no pending jumps: a compile-time number.
bool isnumeral(const expdesc* e) { return e->k == VKNUM && e->t == NO_JUMP && e->f == NO_JUMP; }

void freereg(FuncState* fs, int reg) {
  if (!ISK(reg) && reg >= fs->nactvar) fs->freereg--;
}

void freeexp(FuncState* fs, expdesc* e) {
  if (e->k == VNONRELOC) freereg(fs, e->u.info);
}

int condjump(FuncState* fs, OpCode op, int a, int b, int c) {
  luaK_codeABC(fs, op, a, b, c);
  return luaK_jump(fs);
}

int code_label(FuncState* fs, int a, int b, int jump) {
  luaK_getlabel(fs);  // the instruction is a jump target
  return luaK_codeABC(fs, OP_LOADBOOL, a, b, jump);
}

void discharge2reg(FuncState* fs, expdesc* e, int reg) {
  luaK_dischargevars(fs, e);
  switch (e->k) {
    case VNIL: luaK_nil(fs, reg, 1); break;
    case VFALSE:
    case VTRUE: luaK_codeABC(fs, OP_LOADBOOL, reg, e->k == VTRUE, 0); break;
    case VK: luaK_codek(fs, reg, e->u.info); break;
    case VKNUM: luaK_codek(fs, reg, luaK_numberK(fs, e->u.nval)); break;
    case VRELOCABLE: SETARG_A(getcode(fs, e), reg); break;
    case VNONRELOC:
      if (reg != e->u.info) luaK_codeABC(fs, OP_MOVE, reg, e->u.info, 0);
      break;
    default: return;  // VVOID or VJMP: nothing to do
  }
  e->u.info = reg;
  e->k = VNONRELOC;
}

void discharge2anyreg(FuncState* fs, expdesc* e) {
  if (e->k != VNONRELOC) {
    luaK_reserveregs(fs, 1);
    discharge2reg(fs, e, fs->freereg - 1);
  }
}

void exp2reg(FuncState* fs, expdesc* e, int reg) {
  discharge2reg(fs, e, reg);
  if (e->k == VJMP) luaK_concat(fs, &e->t, e->u.info);
  if (hasjumps(e)) {
    int p_f = NO_JUMP;  // position of an eventual LOADBOOL false
    int p_t = NO_JUMP;  // and of a LOADBOOL true
    if (need_value(fs, e->t) || need_value(fs, e->f)) {
      int fj = e->k == VJMP ? NO_JUMP : luaK_jump(fs);
      p_f = code_label(fs, reg, 0, 1);
      p_t = code_label(fs, reg, 1, 0);
      luaK_patchtohere(fs, fj);
    }
    int final = luaK_getlabel(fs);
    patchlistaux(fs, e->f, final, reg, p_f);
    patchlistaux(fs, e->t, final, reg, p_t);
  }
  e->f = e->t = NO_JUMP;
  e->u.info = reg;
  e->k = VNONRELOC;
}

void invertjump(FuncState* fs, expdesc* e) {
  Instruction* pc = getjumpcontrol(fs, e->u.info);
  SETARG_A(*pc, !GETARG_A(*pc));
}

int jumponcond(FuncState* fs, expdesc* e, int cond) {
  if (e->k == VRELOCABLE) {
    Instruction ie = getcode(fs, e);
    if (GET_OPCODE(ie) == OP_NOT) {
      fs->pc--;  // drop the NOT and test its operand the other way
      return condjump(fs, OP_TEST, GETARG_B(ie), 0, !cond);
    }
  }
  discharge2anyreg(fs, e);
  freeexp(fs, e);
  return condjump(fs, OP_TESTSET, NO_REG, e->u.info, cond);
}

void codenot(FuncState* fs, expdesc* e) {
  luaK_dischargevars(fs, e);
  switch (e->k) {
    case VNIL:
    case VFALSE: e->k = VTRUE; break;
    case VK:
    case VKNUM:
    case VTRUE: e->k = VFALSE; break;
    case VJMP: invertjump(fs, e); break;
    case VRELOCABLE:
    case VNONRELOC:
      discharge2anyreg(fs, e);
      freeexp(fs, e);
      e->u.info = luaK_codeABC(fs, OP_NOT, 0, e->u.info, 0);
      e->k = VRELOCABLE;
      break;
    default: break;
  }
  int temp = e->f;  // exchange the jump lists
  e->f = e->t;
  e->t = temp;
  removevalues(fs, e->f);
  removevalues(fs, e->t);
}

// Folds two numerals; DIV and MOD by a constant 0 stay instructions. A
// folded power charges its work to the state's host while compiling.
bool constfolding(FuncState* fs, OpCode op, expdesc* e1, const expdesc* e2) {
  if (!isnumeral(e1) || !isnumeral(e2)) return false;
  if ((op == OP_DIV || op == OP_MOD) && e2->u.nval == 0) return false;
  e1->u.nval = luaO_arith(fs->ls->L, op - OP_ADD, e1->u.nval, e2->u.nval);
  return true;
}

void codearith(FuncState* fs, OpCode op, expdesc* e1, expdesc* e2, int line) {
  if (op <= OP_IDIV && constfolding(fs, op, e1, e2)) return;
  int o2 = (op != OP_UNM && op != OP_LEN) ? luaK_exp2RK(fs, e2) : 0;
  int o1 = luaK_exp2RK(fs, e1);
  if (o1 > o2) {  // free the higher register first
    freeexp(fs, e1);
    freeexp(fs, e2);
  } else {
    freeexp(fs, e2);
    freeexp(fs, e1);
  }
  e1->u.info = luaK_codeABC(fs, op, 0, o1, o2);
  e1->k = VRELOCABLE;
  luaK_fixline(fs, line);
}

void codecomp(FuncState* fs, OpCode op, int cond, expdesc* e1, expdesc* e2) {
  int o1 = luaK_exp2RK(fs, e1);
  int o2 = luaK_exp2RK(fs, e2);
  freeexp(fs, e2);
  freeexp(fs, e1);
  if (cond == 0 && op != OP_EQ) {  // '>' and '>=' exchange the operands
    int temp = o1;
    o1 = o2;
    o2 = temp;
    cond = 1;
  }
  e1->u.info = condjump(fs, op, cond, o1, o2);
  e1->k = VJMP;
}

}  // namespace

// ---- instructions and line records ----

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

// ---- registers ----

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

// ---- jump lists ----

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

// ---- constants and table constructors ----

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

// ---- expressions into registers and operands ----

void luaK_setreturns(FuncState* fs, expdesc* e, int nresults) {
  if (e->k == VCALL) {
    SETARG_C(getcode(fs, e), nresults + 1);
  } else if (e->k == VVARARG) {
    SETARG_B(getcode(fs, e), nresults + 1);
    SETARG_A(getcode(fs, e), fs->freereg);
    luaK_reserveregs(fs, 1);
  }
}

void luaK_setoneret(FuncState* fs, expdesc* e) {
  if (e->k == VCALL) {
    e->k = VNONRELOC;
    e->u.info = GETARG_A(getcode(fs, e));
  } else if (e->k == VVARARG) {
    SETARG_B(getcode(fs, e), 2);
    e->k = VRELOCABLE;
  }
}

void luaK_dischargevars(FuncState* fs, expdesc* e) {
  switch (e->k) {
    case VLOCAL: e->k = VNONRELOC; break;
    case VUPVAL:
      e->u.info = luaK_codeABC(fs, OP_GETUPVAL, 0, e->u.info, 0);
      e->k = VRELOCABLE;
      break;
    case VINDEXED: {
      OpCode op = OP_GETTABUP;
      freereg(fs, e->u.ind.idx);
      if (e->u.ind.vt == VLOCAL) {
        freereg(fs, e->u.ind.t);
        op = OP_GETTABLE;
      }
      e->u.info = luaK_codeABC(fs, op, 0, e->u.ind.t, e->u.ind.idx);
      e->k = VRELOCABLE;
      break;
    }
    case VVARARG:
    case VCALL: luaK_setoneret(fs, e); break;
    default: break;
  }
}

void luaK_exp2nextreg(FuncState* fs, expdesc* e) {
  luaK_dischargevars(fs, e);
  freeexp(fs, e);
  luaK_reserveregs(fs, 1);
  exp2reg(fs, e, fs->freereg - 1);
}

int luaK_exp2anyreg(FuncState* fs, expdesc* e) {
  luaK_dischargevars(fs, e);
  if (e->k == VNONRELOC) {
    if (!hasjumps(e)) return e->u.info;
    if (e->u.info >= fs->nactvar) {  // not a local: its register can take the result
      exp2reg(fs, e, e->u.info);
      return e->u.info;
    }
  }
  luaK_exp2nextreg(fs, e);
  return e->u.info;
}

void luaK_exp2anyregup(FuncState* fs, expdesc* e) {
  if (e->k != VUPVAL || hasjumps(e)) luaK_exp2anyreg(fs, e);
}

void luaK_exp2val(FuncState* fs, expdesc* e) {
  if (hasjumps(e)) luaK_exp2anyreg(fs, e);
  else luaK_dischargevars(fs, e);
}

int luaK_exp2RK(FuncState* fs, expdesc* e) {
  luaK_exp2val(fs, e);
  switch (e->k) {
    case VTRUE:
    case VFALSE:
    case VNIL:
      if (fs->nk <= MAXINDEXRK) {  // room for one more constant operand
        e->u.info = e->k == VNIL ? nilK(fs) : boolK(fs, e->k == VTRUE);
        e->k = VK;
        return RKASK(e->u.info);
      }
      break;
    case VKNUM:
      e->u.info = luaK_numberK(fs, e->u.nval);
      e->k = VK;
      [[fallthrough]];
    case VK:
      if (e->u.info <= MAXINDEXRK) return RKASK(e->u.info);
      break;
    default: break;
  }
  return luaK_exp2anyreg(fs, e);
}

// ---- stores and tests ----

void luaK_storevar(FuncState* fs, expdesc* var, expdesc* ex) {
  switch (var->k) {
    case VLOCAL:
      freeexp(fs, ex);
      exp2reg(fs, ex, var->u.info);
      return;
    case VUPVAL: {
      int e = luaK_exp2anyreg(fs, ex);
      luaK_codeABC(fs, OP_SETUPVAL, e, var->u.info, 0);
      break;
    }
    case VINDEXED: {
      OpCode op = var->u.ind.vt == VLOCAL ? OP_SETTABLE : OP_SETTABUP;
      int e = luaK_exp2RK(fs, ex);
      luaK_codeABC(fs, op, var->u.ind.t, var->u.ind.idx, e);
      break;
    }
    default: break;
  }
  freeexp(fs, ex);
}

void luaK_self(FuncState* fs, expdesc* e, expdesc* key) {
  luaK_exp2anyreg(fs, e);
  int ereg = e->u.info;
  freeexp(fs, e);
  e->u.info = fs->freereg;  // the function and self go to two new registers
  e->k = VNONRELOC;
  luaK_reserveregs(fs, 2);
  luaK_codeABC(fs, OP_SELF, e->u.info, ereg, luaK_exp2RK(fs, key));
  freeexp(fs, key);
}

void luaK_indexed(FuncState* fs, expdesc* t, expdesc* k) {
  t->u.ind.t = static_cast<uint8_t>(t->u.info);
  t->u.ind.idx = static_cast<short>(luaK_exp2RK(fs, k));
  t->u.ind.vt = static_cast<uint8_t>(t->k == VUPVAL ? VUPVAL : VLOCAL);
  t->k = VINDEXED;
}

void luaK_goiftrue(FuncState* fs, expdesc* e) {
  int pc;
  luaK_dischargevars(fs, e);
  switch (e->k) {
    case VJMP:
      invertjump(fs, e);
      pc = e->u.info;
      break;
    case VK:
    case VKNUM:
    case VTRUE: pc = NO_JUMP; break;  // always true: nothing to do
    default: pc = jumponcond(fs, e, 0); break;
  }
  luaK_concat(fs, &e->f, pc);
  luaK_patchtohere(fs, e->t);
  e->t = NO_JUMP;
}

void luaK_goiffalse(FuncState* fs, expdesc* e) {
  int pc;
  luaK_dischargevars(fs, e);
  switch (e->k) {
    case VJMP: pc = e->u.info; break;
    case VNIL:
    case VFALSE: pc = NO_JUMP; break;  // always false: nothing to do
    default: pc = jumponcond(fs, e, 1); break;
  }
  luaK_concat(fs, &e->t, pc);
  luaK_patchtohere(fs, e->f);
  e->f = NO_JUMP;
}

// ---- operators ----

void luaK_prefix(FuncState* fs, UnOpr op, expdesc* e, int line) {
  expdesc e2;
  e2.t = e2.f = NO_JUMP;
  e2.k = VKNUM;
  e2.u.nval = 0;
  switch (op) {
    case OPR_MINUS:
      if (isnumeral(e)) {
        e->u.nval = tovo_wrap_neg(e->u.nval);
      } else {
        luaK_exp2anyreg(fs, e);
        codearith(fs, OP_UNM, e, &e2, line);
      }
      break;
    case OPR_NOT: codenot(fs, e); break;
    case OPR_LEN:
      luaK_exp2anyreg(fs, e);
      codearith(fs, OP_LEN, e, &e2, line);
      break;
    case OPR_BNOT:
    case OPR_PEEK:
    case OPR_PEEK2:
    case OPR_PEEK4:
      // Never folded: the operand goes to a register and C is the constant 0.
      luaK_exp2anyreg(fs, e);
      codearith(fs, static_cast<OpCode>(OP_ADD + static_cast<int>(op)), e, &e2, line);
      break;
    default: break;
  }
}

void luaK_infix(FuncState* fs, BinOpr op, expdesc* v) {
  switch (op) {
    case OPR_AND: luaK_goiftrue(fs, v); break;
    case OPR_OR: luaK_goiffalse(fs, v); break;
    case OPR_CONCAT: luaK_exp2nextreg(fs, v); break;  // operands must be consecutive
    case OPR_EQ:
    case OPR_LT:
    case OPR_LE:
    case OPR_NE:
    case OPR_GT:
    case OPR_GE: luaK_exp2RK(fs, v); break;
    default:  // arithmetic: a numeral stays one so that folding stays possible
      if (!isnumeral(v)) luaK_exp2RK(fs, v);
      break;
  }
}

void luaK_posfix(FuncState* fs, BinOpr op, expdesc* e1, expdesc* e2, int line) {
  switch (op) {
    case OPR_AND:
      luaK_dischargevars(fs, e2);
      luaK_concat(fs, &e2->f, e1->f);
      *e1 = *e2;
      break;
    case OPR_OR:
      luaK_dischargevars(fs, e2);
      luaK_concat(fs, &e2->t, e1->t);
      *e1 = *e2;
      break;
    case OPR_CONCAT:
      luaK_exp2val(fs, e2);
      if (e2->k == VRELOCABLE && GET_OPCODE(getcode(fs, e2)) == OP_CONCAT) {
        freeexp(fs, e1);  // widen the CONCAT just emitted
        SETARG_B(getcode(fs, e2), e1->u.info);
        e1->k = VRELOCABLE;
        e1->u.info = e2->u.info;
      } else {
        luaK_exp2nextreg(fs, e2);
        codearith(fs, OP_CONCAT, e1, e2, line);
      }
      break;
    case OPR_EQ:
    case OPR_LT:
    case OPR_LE: codecomp(fs, static_cast<OpCode>(op - OPR_EQ + OP_EQ), 1, e1, e2); break;
    case OPR_NE:
    case OPR_GT:
    case OPR_GE: codecomp(fs, static_cast<OpCode>(op - OPR_NE + OP_EQ), 0, e1, e2); break;
    default: codearith(fs, static_cast<OpCode>(OP_ADD + static_cast<int>(op)), e1, e2, line); break;
  }
}
