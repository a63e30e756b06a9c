// Parser: token checks, local variables and upvalues, blocks, labels and
// gotos, functions, statements and the chunk. Expressions are parsed in
// parse_expr.cpp.
#include <climits>

#include "script/compiler/parse_impl.h"
#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/func.h"
#include "script/vm/stack.h"
#include "script/vm/state.h"
#include "script/vm/vm.h"

// A block of statements; blocks nest through previous.
struct BlockCnt {
  BlockCnt* previous;
  short firstlabel;  // first label of this block
  short firstgoto;   // first pending goto of this block
  uint8_t nactvar;   // active locals outside the block
  uint8_t upval;     // some local of the block is an upvalue
  uint8_t isloop;
};

namespace {

constexpr int MAXVARS = 200;  // active locals per function

void statement(LexState* ls);

// ---- errors ----

// Maps a line of the whole text to its code tab and pushes "%d (tab %d)".
const char* line_and_tab(LexState* ls, int line) {
  int tab = 0;
  int tab_line = lua_gethost(ls->L)->find_tab_line(line, &tab);
  return luaO_pushfstring(ls->L, "%d (tab %d)", tovo_int2num(tab_line), tovo_int2num(tab));
}

[[noreturn]] void errorlimit(FuncState* fs, int limit, const char* what) {
  lua_State* L = fs->ls->L;
  int line = fs->f->linedefined;
  const char* where =
      line == 0 ? "main function" : luaO_pushfstring(L, "function at line %s", line_and_tab(fs->ls, line));
  const char* msg = luaO_pushfstring(L, "too many %s (limit is %d) in %s", what, tovo_int2num(limit), where);
  luaX_syntaxerror(fs->ls, msg);
}

[[noreturn]] void error_expected(LexState* ls, int token) {
  luaX_syntaxerror(ls, luaO_pushfstring(ls->L, "%s expected", luaX_token2str(ls, token)));
}

// A syntax error without a "near" part.
[[noreturn]] void semerror(LexState* ls, const char* msg) {
  ls->t.token = 0;  // no "near" part
  luaX_syntaxerror(ls, msg);
}

// ---- tokens ----

void check(LexState* ls, int c) {
  if (ls->t.token != c) error_expected(ls, c);
}

TString* str_checkname(LexState* ls) {
  check(ls, TK_NAME);
  TString* ts = ls->t.seminfo.ts;
  luaX_next(ls);
  return ts;
}

// ---- local variables and upvalues ----

LocVar* getlocvar(FuncState* fs, int i) {
  int idx = fs->ls->dyd->actvar.arr[fs->firstlocal + i].idx;
  return &fs->f->locvars[idx];
}

int registerlocalvar(LexState* ls, TString* varname) {
  FuncState* fs = ls->fs;
  Proto* f = fs->f;
  int oldsize = f->sizelocvars;
  luaM_growvector(ls->L, f->locvars, fs->nlocvars, f->sizelocvars, SHRT_MAX, "local variables");
  while (oldsize < f->sizelocvars) f->locvars[oldsize++].varname = nullptr;
  f->locvars[fs->nlocvars].varname = varname;
  luaC_objbarrier(ls->L, f, varname);
  return fs->nlocvars++;
}

void new_localvar(LexState* ls, TString* name) {
  FuncState* fs = ls->fs;
  Dyndata* dyd = ls->dyd;
  int reg = registerlocalvar(ls, name);
  luaY_checklimit(fs, dyd->actvar.n + 1 - fs->firstlocal, MAXVARS, "local variables");
  luaM_growvector(ls->L, dyd->actvar.arr, dyd->actvar.n + 1, dyd->actvar.size, INT_MAX - 2, "local variables");
  dyd->actvar.arr[dyd->actvar.n++].idx = static_cast<short>(reg);
}

void adjustlocalvars(LexState* ls, int nvars) {
  FuncState* fs = ls->fs;
  fs->nactvar = static_cast<uint8_t>(fs->nactvar + nvars);
  for (; nvars > 0; nvars--) getlocvar(fs, fs->nactvar - nvars)->startpc = fs->pc;
}

void removevars(FuncState* fs, int tolevel) {
  fs->ls->dyd->actvar.n -= fs->nactvar - tolevel;
  while (fs->nactvar > tolevel) getlocvar(fs, --fs->nactvar)->endpc = fs->pc;
}

int searchupvalue(FuncState* fs, TString* name) {
  Upvaldesc* up = fs->f->upvalues;
  for (int i = 0; i < fs->nups; i++)
    if (luaS_eqstr(up[i].name, name)) return i;
  return -1;
}

int searchvar(FuncState* fs, TString* n) {
  for (int i = static_cast<int>(fs->nactvar) - 1; i >= 0; i--)
    if (luaS_eqstr(n, getlocvar(fs, i)->varname)) return i;
  return -1;
}

// Marks the block where the local at level is declared as holding an upvalue.
void markupval(FuncState* fs, int level) {
  BlockCnt* bl = fs->bl;
  while (bl->nactvar > level) bl = bl->previous;
  bl->upval = 1;
}

int newupvalue(FuncState* fs, TString* name, expdesc* v) {
  Proto* f = fs->f;
  int oldsize = f->sizeupvalues;
  luaY_checklimit(fs, fs->nups + 1, MAXUPVAL, "upvalues");
  luaM_growvector(fs->ls->L, f->upvalues, fs->nups, f->sizeupvalues, MAXUPVAL, "upvalues");
  while (oldsize < f->sizeupvalues) f->upvalues[oldsize++].name = nullptr;
  f->upvalues[fs->nups].instack = v->k == VLOCAL;
  f->upvalues[fs->nups].idx = static_cast<uint8_t>(v->u.info);
  f->upvalues[fs->nups].name = name;
  luaC_objbarrier(fs->ls->L, f, name);
  return fs->nups++;
}

// Finds a variable by name from function fs outwards: VLOCAL, VUPVAL, or
// VVOID for a global.
expkind singlevaraux(FuncState* fs, TString* n, expdesc* var, bool base) {
  if (fs == nullptr) return VVOID;
  int v = searchvar(fs, n);
  if (v >= 0) {
    luaY_init_exp(var, VLOCAL, v);
    if (!base) markupval(fs, v);  // used as an upvalue by an inner function
    return VLOCAL;
  }
  int idx = searchupvalue(fs, n);
  if (idx < 0) {
    if (singlevaraux(fs->prev, n, var, false) == VVOID) return VVOID;
    idx = newupvalue(fs, n, var);
  }
  luaY_init_exp(var, VUPVAL, idx);
  return VUPVAL;
}

// ---- blocks, labels and gotos ----

int newlabelentry(LexState* ls, Labellist* l, TString* name, int line, int pc) {
  int n = l->n;
  luaM_growvector(ls->L, l->arr, n, l->size, SHRT_MAX, "labels/gotos");
  l->arr[n].name = name;
  l->arr[n].line = line;
  l->arr[n].nactvar = ls->fs->nactvar;
  l->arr[n].pc = pc;
  l->n++;
  return n;
}

void closegoto(LexState* ls, int g, Labeldesc* label) {
  FuncState* fs = ls->fs;
  Labellist* gl = &ls->dyd->gt;
  Labeldesc* gt = &gl->arr[g];
  if (gt->nactvar < label->nactvar) {
    TString* vname = getlocvar(fs, gt->nactvar)->varname;
    const char* where = line_and_tab(ls, gt->line);
    const char* msg = luaO_pushfstring(ls->L, "<goto %s> at line %s jumps into the scope of local '%s'",
                                       getstr(gt->name), where, getstr(vname));
    semerror(ls, msg);
  }
  luaK_patchlist(fs, gt->pc, label->pc);
  for (int i = g; i < gl->n - 1; i++) gl->arr[i] = gl->arr[i + 1];
  gl->n--;
}

// Matches pending goto g with a visible label: true when found.
bool findlabel(LexState* ls, int g) {
  FuncState* fs = ls->fs;
  BlockCnt* bl = fs->bl;
  Dyndata* dyd = ls->dyd;
  Labeldesc* gt = &dyd->gt.arr[g];
  for (int i = bl->firstlabel; i < dyd->label.n; i++) {
    Labeldesc* lb = &dyd->label.arr[i];
    if (luaS_eqstr(lb->name, gt->name)) {
      if (gt->nactvar > lb->nactvar && (bl->upval || dyd->label.n > bl->firstlabel))
        luaK_patchclose(fs, gt->pc, lb->nactvar);
      closegoto(ls, g, lb);
      return true;
    }
  }
  return false;
}

// Resolves the pending gotos of the current block to the new label lb.
void findgotos(LexState* ls, Labeldesc* lb) {
  Labellist* gl = &ls->dyd->gt;
  int i = ls->fs->bl->firstgoto;
  while (i < gl->n) {
    if (luaS_eqstr(gl->arr[i].name, lb->name)) closegoto(ls, i, lb);
    else i++;
  }
}

// Moves the pending gotos of a closing block to the enclosing block.
void movegotosout(FuncState* fs, BlockCnt* bl) {
  int i = bl->firstgoto;
  Labellist* gl = &fs->ls->dyd->gt;
  while (i < gl->n) {
    Labeldesc* gt = &gl->arr[i];
    if (gt->nactvar > bl->nactvar) {
      if (bl->upval) luaK_patchclose(fs, gt->pc, bl->nactvar);
      gt->nactvar = bl->nactvar;
    }
    if (!findlabel(fs->ls, i)) i++;
  }
}

void breaklabel(LexState* ls) {
  TString* n = luaS_newliteral(ls->L, "break");
  int l = newlabelentry(ls, &ls->dyd->label, n, 0, ls->fs->pc);
  findgotos(ls, &ls->dyd->label.arr[l]);
}

[[noreturn]] void undefgoto(LexState* ls, Labeldesc* gt) {
  const char* msg;
  if (isreserved(gt->name)) {  // "break": the line alone
    int line = lua_gethost(ls->L)->find_tab_line(gt->line, nullptr);
    msg = luaO_pushfstring(ls->L, "<%s> at line %d not inside a loop", getstr(gt->name), tovo_int2num(line));
  } else {
    const char* where = line_and_tab(ls, gt->line);
    msg = luaO_pushfstring(ls->L, "no visible label '%s' for <goto> at line %s", getstr(gt->name), where);
  }
  semerror(ls, msg);
}

void checkrepeated(FuncState* fs, Labellist* ll, TString* label) {
  for (int i = fs->bl->firstlabel; i < ll->n; i++) {
    if (luaS_eqstr(label, ll->arr[i].name)) {
      const char* where = line_and_tab(fs->ls, ll->arr[i].line);
      const char* msg = luaO_pushfstring(fs->ls->L, "label '%s' already defined on line %s", getstr(label), where);
      semerror(fs->ls, msg);
    }
  }
}

void enterblock(FuncState* fs, BlockCnt* bl, uint8_t isloop) {
  bl->isloop = isloop;
  bl->nactvar = fs->nactvar;
  bl->firstlabel = static_cast<short>(fs->ls->dyd->label.n);
  bl->firstgoto = static_cast<short>(fs->ls->dyd->gt.n);
  bl->upval = 0;
  bl->previous = fs->bl;
  fs->bl = bl;
}

void leaveblock(FuncState* fs) {
  BlockCnt* bl = fs->bl;
  LexState* ls = fs->ls;
  if (bl->previous != nullptr && bl->upval) {  // close the block's upvalues on the way out
    int j = luaK_jump(fs);
    luaK_patchclose(fs, j, bl->nactvar);
    luaK_patchtohere(fs, j);
  }
  if (bl->isloop) breaklabel(ls);
  fs->bl = bl->previous;
  removevars(fs, bl->nactvar);
  fs->freereg = fs->nactvar;
  ls->dyd->label.n = bl->firstlabel;
  if (bl->previous != nullptr) movegotosout(fs, bl);
  else if (bl->firstgoto < ls->dyd->gt.n)  // a goto left pending at the end of a function
    undefgoto(ls, &ls->dyd->gt.arr[bl->firstgoto]);
}

// ---- statement lists ----

// True at a token that ends a block.
bool block_follow(LexState* ls, bool withuntil) {
  switch (ls->t.token) {
    case TK_ELSE:
    case TK_ELSEIF:
    case TK_END:
    case TK_EOS: return true;
    case TK_UNTIL: return withuntil;
    default: return false;
  }
}

void statlist(LexState* ls) {
  while (!block_follow(ls, true)) {
    if (ls->t.token == TK_RETURN) {
      statement(ls);
      return;  // "return" must be the last statement
    }
    statement(ls);
  }
}

// ---- functions ----

Proto* addprototype(LexState* ls) {
  lua_State* L = ls->L;
  FuncState* fs = ls->fs;
  Proto* f = fs->f;
  if (fs->np >= f->sizep) {
    int oldsize = f->sizep;
    luaM_growvector(L, f->p, fs->np, f->sizep, MAXARG_Bx, "functions");
    while (oldsize < f->sizep) f->p[oldsize++] = nullptr;
  }
  Proto* clp = luaF_newproto(L);
  f->p[fs->np++] = clp;
  luaC_objbarrier(L, f, clp);
  return clp;
}

void codeclosure(LexState* ls, expdesc* v) {
  FuncState* fs = ls->fs->prev;  // the closure is made in the enclosing function
  luaY_init_exp(v, VRELOCABLE, luaK_codeABx(fs, OP_CLOSURE, 0, static_cast<unsigned int>(fs->np - 1)));
  luaK_exp2nextreg(fs, v);
}

void open_func(LexState* ls, FuncState* fs, BlockCnt* bl) {
  lua_State* L = ls->L;
  fs->prev = ls->fs;
  fs->ls = ls;
  ls->fs = fs;
  fs->pc = 0;
  fs->lasttarget = 0;
  fs->jpc = NO_JUMP;
  fs->freereg = 0;
  fs->nk = 0;
  fs->np = 0;
  fs->nups = 0;
  fs->nlocvars = 0;
  fs->nactvar = 0;
  fs->firstlocal = ls->dyd->actvar.n;
  fs->bl = nullptr;
  Proto* f = fs->f;
  f->source = ls->source;
  f->maxstacksize = 2;  // registers 0 and 1 are always valid
  fs->h = luaH_new(L);
  sethvalue(L->top, fs->h);  // anchored for the whole compile of the function
  incr_top(L);
  enterblock(fs, bl, 0);
}

// The current token was anchored in a function whose constants are going:
// anchors it again in the enclosing function. A long string gets a new copy
// there, which the token then takes.
void anchor_token(LexState* ls) {
  if (ls->t.token == TK_NAME || ls->t.token == TK_STRING) {
    TString* ts = ls->t.seminfo.ts;
    ls->t.seminfo.ts = luaX_newstring(ls, getstr(ts), ts->len);
  }
}

void close_func(LexState* ls) {
  lua_State* L = ls->L;
  FuncState* fs = ls->fs;
  Proto* f = fs->f;
  luaK_ret(fs, 0, 0);  // final return
  leaveblock(fs);
  f->code = luaM_reallocvector(L, f->code, static_cast<size_t>(f->sizecode), static_cast<size_t>(fs->pc));
  f->sizecode = fs->pc;
  f->lineinfo = luaM_reallocvector(L, f->lineinfo, static_cast<size_t>(f->sizelineinfo), static_cast<size_t>(fs->pc));
  f->sizelineinfo = fs->pc;
  f->k = luaM_reallocvector(L, f->k, static_cast<size_t>(f->sizek), static_cast<size_t>(fs->nk));
  f->sizek = fs->nk;
  f->p = luaM_reallocvector(L, f->p, static_cast<size_t>(f->sizep), static_cast<size_t>(fs->np));
  f->sizep = fs->np;
  f->locvars =
      luaM_reallocvector(L, f->locvars, static_cast<size_t>(f->sizelocvars), static_cast<size_t>(fs->nlocvars));
  f->sizelocvars = fs->nlocvars;
  f->upvalues = luaM_reallocvector(L, f->upvalues, static_cast<size_t>(f->sizeupvalues), static_cast<size_t>(fs->nups));
  f->sizeupvalues = fs->nups;
  luaV_prepare(f);
  ls->fs = fs->prev;
  if (ls->fs != nullptr) anchor_token(ls);
  L->top--;  // the constant lookup table
  luaC_checkGC(L);
}

void parlist(LexState* ls) {
  FuncState* fs = ls->fs;
  Proto* f = fs->f;
  int nparams = 0;
  f->is_vararg = 0;
  if (ls->t.token != ')') {
    do {
      switch (ls->t.token) {
        case TK_NAME:
          new_localvar(ls, str_checkname(ls));
          nparams++;
          break;
        case TK_DOTS:
          luaX_next(ls);
          f->is_vararg = 1;
          break;
        default: luaX_syntaxerror(ls, "<name> or '...' expected");
      }
    } while (!f->is_vararg && luaY_testnext(ls, ','));
  }
  adjustlocalvars(ls, nparams);
  f->numparams = fs->nactvar;
  luaK_reserveregs(fs, fs->nactvar);
}

// ---- statements ----

void block(LexState* ls) {
  FuncState* fs = ls->fs;
  BlockCnt bl;
  enterblock(fs, &bl, 0);
  statlist(ls);
  leaveblock(fs);
}

// The targets of a multiple assignment, chained from the last to the first.
struct LHS_assign {
  LHS_assign* prev;
  expdesc v;
};

// A local or upvalue assigned in a multiple assignment that an earlier
// target uses as table or key is copied first, so that all targets see the
// old value.
void check_conflict(LexState* ls, LHS_assign* lh, expdesc* v) {
  FuncState* fs = ls->fs;
  int extra = fs->freereg;
  bool conflict = false;
  for (; lh != nullptr; lh = lh->prev) {
    if (lh->v.k == VINDEXED) {
      if (lh->v.u.ind.vt == v->k && lh->v.u.ind.t == v->u.info) {
        conflict = true;
        lh->v.u.ind.vt = VLOCAL;
        lh->v.u.ind.t = static_cast<uint8_t>(extra);
      }
      if (v->k == VLOCAL && lh->v.u.ind.idx == v->u.info) {
        conflict = true;
        lh->v.u.ind.idx = static_cast<short>(extra);
      }
    }
  }
  if (conflict) {
    OpCode op = v->k == VLOCAL ? OP_MOVE : OP_GETUPVAL;
    luaK_codeABC(fs, op, extra, v->u.info, 0);
    luaK_reserveregs(fs, 1);
  }
}

void assignment(LexState* ls, LHS_assign* lh, int nvars) {
  expdesc e;
  if (!vkisvar(lh->v.k)) luaX_syntaxerror(ls, "syntax error");
  if (luaY_testnext(ls, ',')) {
    LHS_assign nv;
    nv.prev = lh;
    luaY_suffixedexp(ls, &nv.v);
    if (nv.v.k != VINDEXED) check_conflict(ls, lh, &nv.v);
    luaY_checklimit(ls->fs, nvars + ls->L->nCcalls, LUAI_MAXCCALLS, "C levels");
    assignment(ls, &nv, nvars + 1);
  } else {
    luaY_checknext(ls, '=');
    int nexps = luaY_explist(ls, &e);
    if (nexps != nvars) {
      luaY_adjust_assign(ls, nvars, nexps, &e);
      if (nexps > nvars) ls->fs->freereg = static_cast<uint8_t>(ls->fs->freereg - (nexps - nvars));
    } else {
      luaK_setoneret(ls->fs, &e);
      luaK_storevar(ls->fs, &lh->v, &e);
      return;
    }
  }
  luaY_init_exp(&e, VNONRELOC, ls->fs->freereg - 1);  // the default assignment
  luaK_storevar(ls->fs, &lh->v, &e);
}

int cond(LexState* ls) {
  expdesc v;
  luaY_expr(ls, &v);
  if (v.k == VNIL) v.k = VFALSE;  // falses are all equal here
  luaK_goiftrue(ls->fs, &v);
  return v.f;
}

void gotostat(LexState* ls, int pc) {
  int line = ls->linenumber;
  TString* label;
  if (luaY_testnext(ls, TK_GOTO)) {
    label = str_checkname(ls);
  } else {
    luaX_next(ls);  // skip "break"
    label = luaS_newliteral(ls->L, "break");
  }
  int g = newlabelentry(ls, &ls->dyd->gt, label, line, pc);
  findlabel(ls, g);
}

void skipnoopstat(LexState* ls) {
  while (ls->t.token == ';' || ls->t.token == TK_DBCOLON) statement(ls);
}

void labelstat(LexState* ls, TString* label, int line) {
  FuncState* fs = ls->fs;
  Labellist* ll = &ls->dyd->label;
  checkrepeated(fs, ll, label);
  luaY_checknext(ls, TK_DBCOLON);
  int l = newlabelentry(ls, ll, label, line, fs->pc);
  skipnoopstat(ls);
  if (block_follow(ls, false)) ll->arr[l].nactvar = fs->bl->nactvar;  // the block's locals are dead here
  findgotos(ls, &ll->arr[l]);
}

void whilestat(LexState* ls, int line) {
  FuncState* fs = ls->fs;
  BlockCnt bl;
  luaX_next(ls);
  int whileinit = luaK_getlabel(fs);
  int condexit = cond(ls);
  enterblock(fs, &bl, 1);
  luaY_checknext(ls, TK_DO);
  block(ls);
  luaK_patchlist(fs, luaK_jump(fs), whileinit);
  luaY_check_match(ls, TK_END, TK_WHILE, line);
  leaveblock(fs);
  luaK_patchtohere(fs, condexit);
}

void repeatstat(LexState* ls, int line) {
  FuncState* fs = ls->fs;
  int repeat_init = luaK_getlabel(fs);
  BlockCnt bl1;
  BlockCnt bl2;
  enterblock(fs, &bl1, 1);  // the loop
  enterblock(fs, &bl2, 0);  // its scope
  luaX_next(ls);
  statlist(ls);
  luaY_check_match(ls, TK_UNTIL, TK_REPEAT, line);
  int condexit = cond(ls);  // may see the scope's locals
  if (bl2.upval) luaK_patchclose(fs, condexit, bl2.nactvar);
  leaveblock(fs);
  luaK_patchlist(fs, condexit, repeat_init);
  leaveblock(fs);
}

int exp1(LexState* ls) {
  expdesc e;
  luaY_expr(ls, &e);
  luaK_exp2nextreg(ls->fs, &e);
  return e.u.info;
}

void forbody(LexState* ls, int base, int line, int nvars, bool isnum) {
  BlockCnt bl;
  FuncState* fs = ls->fs;
  adjustlocalvars(ls, 3);  // the control variables
  luaY_checknext(ls, TK_DO);
  int prep = isnum ? luaK_codeAsBx(fs, OP_FORPREP, base, NO_JUMP) : luaK_jump(fs);
  enterblock(fs, &bl, 0);
  adjustlocalvars(ls, nvars);
  luaK_reserveregs(fs, nvars);
  block(ls);
  leaveblock(fs);
  luaK_patchtohere(fs, prep);
  int endfor;
  if (isnum) {
    endfor = luaK_codeAsBx(fs, OP_FORLOOP, base, NO_JUMP);
  } else {
    luaK_codeABC(fs, OP_TFORCALL, base, 0, nvars);
    luaK_fixline(fs, line);
    endfor = luaK_codeAsBx(fs, OP_TFORLOOP, base + 2, NO_JUMP);
  }
  luaK_patchlist(fs, endfor, prep + 1);
  luaK_fixline(fs, line);
}

void new_localvarliteral(LexState* ls, const char* name, size_t len) {
  new_localvar(ls, luaX_newstring(ls, name, len));
}

void fornum(LexState* ls, TString* varname, int line) {
  FuncState* fs = ls->fs;
  int base = fs->freereg;
  new_localvarliteral(ls, "(for index)", 11);
  new_localvarliteral(ls, "(for limit)", 11);
  new_localvarliteral(ls, "(for step)", 10);
  new_localvar(ls, varname);
  luaY_checknext(ls, '=');
  exp1(ls);  // initial value
  luaY_checknext(ls, ',');
  exp1(ls);  // limit
  if (luaY_testnext(ls, ',')) {
    exp1(ls);  // step
  } else {     // default step 1
    luaK_codek(fs, fs->freereg, luaK_numberK(fs, tovo_int2num(1)));
    luaK_reserveregs(fs, 1);
  }
  forbody(ls, base, line, 1, true);
}

void forlist(LexState* ls, TString* indexname) {
  FuncState* fs = ls->fs;
  expdesc e;
  int nvars = 4;  // the three hidden variables and the first declared one
  int base = fs->freereg;
  new_localvarliteral(ls, "(for generator)", 15);
  new_localvarliteral(ls, "(for state)", 11);
  new_localvarliteral(ls, "(for control)", 13);
  new_localvar(ls, indexname);
  while (luaY_testnext(ls, ',')) {
    new_localvar(ls, str_checkname(ls));
    nvars++;
  }
  luaY_checknext(ls, TK_IN);
  int line = ls->linenumber;
  luaY_adjust_assign(ls, 3, luaY_explist(ls, &e), &e);
  luaK_checkstack(fs, 3);  // room for the call of the generator
  forbody(ls, base, line, nvars - 3, false);
}

void forstat(LexState* ls, int line) {
  FuncState* fs = ls->fs;
  BlockCnt bl;
  enterblock(fs, &bl, 1);  // the loop and its control variables
  luaX_next(ls);
  TString* varname = str_checkname(ls);
  switch (ls->t.token) {
    case '=': fornum(ls, varname, line); break;
    case ',':
    case TK_IN: forlist(ls, varname); break;
    default: luaX_syntaxerror(ls, "'=' or 'in' expected");
  }
  luaY_check_match(ls, TK_END, TK_FOR, line);
  leaveblock(fs);
}

void test_then_block(LexState* ls, int* escapelist) {
  BlockCnt bl;
  FuncState* fs = ls->fs;
  expdesc v;
  int jf;         // jump over the block when the condition is false
  luaX_next(ls);  // skip "if" or "elseif"
  luaY_expr(ls, &v);
  luaY_checknext(ls, TK_THEN);
  if (ls->t.token == TK_GOTO || ls->t.token == TK_BREAK) {
    luaK_goiffalse(ls->fs, &v);  // jump to the target when true
    enterblock(fs, &bl, 0);
    gotostat(ls, v.t);
    skipnoopstat(ls);
    if (block_follow(ls, false)) {  // nothing else in the block
      leaveblock(fs);
      return;
    }
    jf = luaK_jump(fs);
  } else {
    luaK_goiftrue(ls->fs, &v);
    enterblock(fs, &bl, 0);
    jf = v.f;
  }
  statlist(ls);
  leaveblock(fs);
  if (ls->t.token == TK_ELSE || ls->t.token == TK_ELSEIF) luaK_concat(fs, escapelist, luaK_jump(fs));
  luaK_patchtohere(fs, jf);
}

void ifstat(LexState* ls, int line) {
  FuncState* fs = ls->fs;
  int escapelist = NO_JUMP;  // exits of the blocks
  test_then_block(ls, &escapelist);
  while (ls->t.token == TK_ELSEIF) test_then_block(ls, &escapelist);
  if (luaY_testnext(ls, TK_ELSE)) block(ls);
  luaY_check_match(ls, TK_END, TK_IF, line);
  luaK_patchtohere(fs, escapelist);
}

void localfunc(LexState* ls) {
  expdesc b;
  FuncState* fs = ls->fs;
  new_localvar(ls, str_checkname(ls));
  adjustlocalvars(ls, 1);  // visible inside its own body
  luaY_body(ls, &b, false, ls->linenumber);
  getlocvar(fs, b.u.info)->startpc = fs->pc;  // debug information sees it only now
}

void localstat(LexState* ls) {
  int nvars = 0;
  int nexps;
  expdesc e;
  do {
    new_localvar(ls, str_checkname(ls));
    nvars++;
  } while (luaY_testnext(ls, ','));
  if (luaY_testnext(ls, '=')) {
    nexps = luaY_explist(ls, &e);
  } else {
    e.k = VVOID;
    nexps = 0;
  }
  luaY_adjust_assign(ls, nvars, nexps, &e);
  adjustlocalvars(ls, nvars);
}

bool funcname(LexState* ls, expdesc* v) {
  bool ismethod = false;
  luaY_singlevar(ls, v);
  while (ls->t.token == '.') luaY_fieldsel(ls, v);
  if (ls->t.token == ':') {
    ismethod = true;
    luaY_fieldsel(ls, v);
  }
  return ismethod;
}

void funcstat(LexState* ls, int line) {
  expdesc v;
  expdesc b;
  luaX_next(ls);  // skip "function"
  bool ismethod = funcname(ls, &v);
  luaY_body(ls, &b, ismethod, line);
  luaK_storevar(ls->fs, &v, &b);
  luaK_fixline(ls->fs, line);  // the definition happens on the first line
}

void exprstat(LexState* ls) {
  FuncState* fs = ls->fs;
  LHS_assign v;
  luaY_suffixedexp(ls, &v.v);
  if (ls->t.token == '=' || ls->t.token == ',') {
    v.prev = nullptr;
    assignment(ls, &v, 1);
  } else {  // a call statement
    if (v.v.k != VCALL) luaX_syntaxerror(ls, "syntax error");
    SETARG_C(getcode(fs, &v.v), 1);  // no results
  }
}

void retstat(LexState* ls) {
  FuncState* fs = ls->fs;
  expdesc e;
  int first;
  int nret;
  if (block_follow(ls, true) || ls->t.token == ';') {
    first = nret = 0;
  } else {
    nret = luaY_explist(ls, &e);
    if (e.k == VCALL || e.k == VVARARG) {
      luaK_setmultret(fs, &e);
      if (e.k == VCALL && nret == 1) SET_OPCODE(getcode(fs, &e), OP_TAILCALL);
      first = fs->nactvar;
      nret = -1;  // all values
    } else if (nret == 1) {
      first = luaK_exp2anyreg(fs, &e);
    } else {
      luaK_exp2nextreg(fs, &e);  // the values must be consecutive
      first = fs->nactvar;
    }
  }
  luaK_ret(fs, first, nret);
  luaY_testnext(ls, ';');
}

void statement(LexState* ls) {
  int line = ls->linenumber;
  G(ls->L)->last_line_number = line;  // read by the host after a failed compile
  luaY_enterlevel(ls);
  switch (ls->t.token) {
    case ';': luaX_next(ls); break;
    case TK_IF: ifstat(ls, line); break;
    case TK_WHILE: whilestat(ls, line); break;
    case TK_DO:
      luaX_next(ls);
      block(ls);
      luaY_check_match(ls, TK_END, TK_DO, line);
      break;
    case TK_FOR: forstat(ls, line); break;
    case TK_REPEAT: repeatstat(ls, line); break;
    case TK_FUNCTION: funcstat(ls, line); break;
    case TK_LOCAL:
      luaX_next(ls);
      if (luaY_testnext(ls, TK_FUNCTION)) localfunc(ls);
      else localstat(ls);
      break;
    case TK_DBCOLON:
      luaX_next(ls);
      labelstat(ls, str_checkname(ls), line);
      break;
    case TK_RETURN:
      luaX_next(ls);
      retstat(ls);
      break;
    case TK_BREAK:
    case TK_GOTO: gotostat(ls, luaK_jump(ls->fs)); break;
    default: exprstat(ls); break;
  }
  ls->fs->freereg = ls->fs->nactvar;  // free the statement's temporaries
  luaY_leavelevel(ls);
}

void mainfunc(LexState* ls, FuncState* fs) {
  BlockCnt bl;
  expdesc v;
  open_func(ls, fs, &bl);
  fs->f->is_vararg = 1;
  luaY_init_exp(&v, VLOCAL, 0);  // _ENV is the chunk's one upvalue
  newupvalue(fs, ls->envn, &v);
  luaX_next(ls);
  statlist(ls);
  check(ls, TK_EOS);
  close_func(ls);
}

}  // namespace

// ---- shared with the expression parser ----

void luaY_check_match(LexState* ls, int what, int who, int where) {
  if (luaY_testnext(ls, what)) return;
  if (where == ls->linenumber) error_expected(ls, what);
  const char* what_text = luaX_token2str(ls, what);
  const char* who_text = luaX_token2str(ls, who);
  const char* at = line_and_tab(ls, where);
  luaX_syntaxerror(ls, luaO_pushfstring(ls->L, "%s expected (to close %s at line %s)", what_text, who_text, at));
}

void luaY_checklimit(FuncState* fs, int v, int l, const char* what) {
  if (v > l) errorlimit(fs, l, what);
}

bool luaY_testnext(LexState* ls, int c) {
  if (ls->t.token != c) return false;
  luaX_next(ls);
  return true;
}

void luaY_checknext(LexState* ls, int c) {
  check(ls, c);
  luaX_next(ls);
}

void luaY_init_exp(expdesc* e, expkind k, int i) {
  e->f = e->t = NO_JUMP;
  e->k = k;
  e->u.info = i;
}

void luaY_codestring(LexState* ls, expdesc* e, TString* s) { luaY_init_exp(e, VK, luaK_stringK(ls->fs, s)); }

void luaY_checkname(LexState* ls, expdesc* e) { luaY_codestring(ls, e, str_checkname(ls)); }

void luaY_enterlevel(LexState* ls) {
  lua_State* L = ls->L;
  ++L->nCcalls;
  luaY_checklimit(ls->fs, L->nCcalls, LUAI_MAXCCALLS, "C levels");
}

void luaY_leavelevel(LexState* ls) { ls->L->nCcalls--; }

void luaY_singlevar(LexState* ls, expdesc* var) {
  TString* varname = str_checkname(ls);
  FuncState* fs = ls->fs;
  if (singlevaraux(fs, varname, var, true) == VVOID) {  // a global: _ENV[name]
    expdesc key;
    singlevaraux(fs, ls->envn, var, true);
    luaY_codestring(ls, &key, varname);
    luaK_indexed(fs, var, &key);
  }
}

void luaY_body(LexState* ls, expdesc* e, bool ismethod, int line) {
  FuncState new_fs;
  BlockCnt bl;
  new_fs.f = addprototype(ls);
  new_fs.f->linedefined = line;
  open_func(ls, &new_fs, &bl);
  luaY_checknext(ls, '(');
  if (ismethod) {
    new_localvarliteral(ls, "self", 4);
    adjustlocalvars(ls, 1);
  }
  parlist(ls);
  luaY_checknext(ls, ')');
  statlist(ls);
  new_fs.f->lastlinedefined = ls->linenumber;
  luaY_check_match(ls, TK_END, TK_FUNCTION, line);
  codeclosure(ls, e);
  close_func(ls);
}

LClosure* luaY_parser(lua_State* L, Zio* z, Mbuffer* buff, Dyndata* dyd, const char* name, int firstchar) {
  LexState lexstate;
  FuncState funcstate;
  LClosure* cl = &luaF_newLclosure(L, 1)->l;
  setclLvalue(L->top, cl);  // anchors the whole compile
  incr_top(L);
  funcstate.f = cl->p = luaF_newproto(L);
  funcstate.f->source = luaS_new(L, name);
  lexstate.buff = buff;
  lexstate.dyd = dyd;
  dyd->actvar.n = dyd->gt.n = dyd->label.n = 0;
  luaX_setinput(L, &lexstate, z, funcstate.f->source, firstchar);
  mainfunc(&lexstate, &funcstate);
  return cl;  // left on the stack too
}
