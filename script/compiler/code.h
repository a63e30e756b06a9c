#pragma once
// The code generator: expression descriptors and statements to instructions,
// constant tables, line tables and linked jumps.
#include "script/compiler/lex.h"
#include "script/compiler/parse.h"
#include "script/vm/opcodes.h"

constexpr int NO_JUMP = -1;   // ends a jump list
constexpr int MAXREGS = 250;  // a function may use registers 0..248

// Binary operators; codes 0-18 are opcode - OP_ADD.
enum BinOpr {
  OPR_ADD,
  OPR_SUB,
  OPR_MUL,
  OPR_DIV,
  OPR_MOD,
  OPR_POW,
  OPR_BAND,
  OPR_BOR,
  OPR_BXOR,
  OPR_SHL,
  OPR_SHR,
  OPR_LSHR,
  OPR_ROTL,
  OPR_ROTR,
  OPR_IDIV = 15,
  OPR_CONCAT = 19,
  OPR_EQ,
  OPR_LT,
  OPR_LE,
  OPR_NE,
  OPR_GT,
  OPR_GE,
  OPR_AND,
  OPR_OR,
  OPR_NOBINOPR
};
static_assert(OPR_NOBINOPR == 28);

// Unary operators.
enum UnOpr {
  OPR_MINUS = 0,
  OPR_NOT = 1,
  OPR_LEN = 2,
  OPR_BNOT = 14,
  OPR_PEEK = 16,
  OPR_PEEK2 = 17,
  OPR_PEEK4 = 18,
  OPR_NOUNOPR = 28
};

inline Instruction& getcode(FuncState* fs, const expdesc* e) { return fs->f->code[e->u.info]; }

int luaK_code(FuncState* fs, Instruction i);
int luaK_codeABC(FuncState* fs, OpCode o, int a, int b, int c);
int luaK_codeABx(FuncState* fs, OpCode o, int a, unsigned int bx);
inline int luaK_codeAsBx(FuncState* fs, OpCode o, int a, int sbx) {
  return luaK_codeABx(fs, o, a, static_cast<unsigned int>(sbx + MAXARG_sBx));
}
// Loads constant k into register reg (LOADK, or LOADKX and EXTRAARG).
int luaK_codek(FuncState* fs, int reg, int k);
void luaK_fixline(FuncState* fs, int line);
void luaK_nil(FuncState* fs, int from, int n);
void luaK_reserveregs(FuncState* fs, int n);
void luaK_checkstack(FuncState* fs, int n);
int luaK_stringK(FuncState* fs, TString* s);
int luaK_numberK(FuncState* fs, lua_Number r);
void luaK_dischargevars(FuncState* fs, expdesc* e);
int luaK_exp2anyreg(FuncState* fs, expdesc* e);
void luaK_exp2anyregup(FuncState* fs, expdesc* e);
void luaK_exp2nextreg(FuncState* fs, expdesc* e);
void luaK_exp2val(FuncState* fs, expdesc* e);
int luaK_exp2RK(FuncState* fs, expdesc* e);
void luaK_self(FuncState* fs, expdesc* e, expdesc* key);
void luaK_indexed(FuncState* fs, expdesc* t, expdesc* k);
void luaK_goiftrue(FuncState* fs, expdesc* e);
void luaK_goiffalse(FuncState* fs, expdesc* e);
void luaK_storevar(FuncState* fs, expdesc* var, expdesc* e);
void luaK_setreturns(FuncState* fs, expdesc* e, int nresults);
void luaK_setoneret(FuncState* fs, expdesc* e);
inline void luaK_setmultret(FuncState* fs, expdesc* e) { luaK_setreturns(fs, e, -1); }
int luaK_jump(FuncState* fs);
void luaK_ret(FuncState* fs, int first, int nret);
void luaK_patchlist(FuncState* fs, int list, int target);
void luaK_patchtohere(FuncState* fs, int list);
// Makes every jump of the list close upvalues from register level up.
void luaK_patchclose(FuncState* fs, int list, int level);
void luaK_concat(FuncState* fs, int* l1, int l2);
int luaK_getlabel(FuncState* fs);
void luaK_prefix(FuncState* fs, UnOpr op, expdesc* v, int line);
void luaK_infix(FuncState* fs, BinOpr op, expdesc* v);
void luaK_posfix(FuncState* fs, BinOpr op, expdesc* v1, expdesc* v2, int line);
// Stores tostore list items (-1: up to the top) from register base + 1 into
// the table in register base; nelems counts the items so far.
void luaK_setlist(FuncState* fs, int base, int nelems, int tostore);
