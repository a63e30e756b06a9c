// Parser: local variables, upvalues, blocks, labels and gotos.
#include <climits>

#include "script/compiler/parse_impl.h"
#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/func.h"
#include "script/vm/state.h"

namespace {

constexpr int MAXVARS = 200;  // active locals per function

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

void removevars(FuncState* fs, int tolevel) {
  fs->ls->dyd->actvar.n -= fs->nactvar - tolevel;
  while (fs->nactvar > tolevel) luaY_getlocvar(fs, --fs->nactvar)->endpc = fs->pc;
}

int searchupvalue(FuncState* fs, TString* name) {
  Upvaldesc* up = fs->f->upvalues;
  for (int i = 0; i < fs->nups; i++)
    if (luaS_eqstr(up[i].name, name)) return i;
  return -1;
}

int searchvar(FuncState* fs, TString* n) {
  for (int i = static_cast<int>(fs->nactvar) - 1; i >= 0; i--)
    if (luaS_eqstr(n, luaY_getlocvar(fs, i)->varname)) return i;
  return -1;
}

// Marks the block where the local at level is declared as holding an upvalue.
void markupval(FuncState* fs, int level) {
  BlockCnt* bl = fs->bl;
  while (bl->nactvar > level) bl = bl->previous;
  bl->upval = 1;
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
    idx = luaY_newupvalue(fs, n, var);
  }
  luaY_init_exp(var, VUPVAL, idx);
  return VUPVAL;
}

void closegoto(LexState* ls, int g, Labeldesc* label) {
  FuncState* fs = ls->fs;
  Labellist* gl = &ls->dyd->gt;
  Labeldesc* gt = &gl->arr[g];
  if (gt->nactvar < label->nactvar) {
    TString* vname = luaY_getlocvar(fs, gt->nactvar)->varname;
    const char* where = luaY_line_and_tab(ls, gt->line);
    const char* msg = luaO_pushfstring(ls->L, "<goto %s> at line %s jumps into the scope of local '%s'",
                                       getstr(gt->name), where, getstr(vname));
    luaY_semerror(ls, msg);
  }
  luaK_patchlist(fs, gt->pc, label->pc);
  for (int i = g; i < gl->n - 1; i++) gl->arr[i] = gl->arr[i + 1];
  gl->n--;
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
    if (!luaY_findlabel(fs->ls, i)) i++;
  }
}

void breaklabel(LexState* ls) {
  TString* n = luaS_newliteral(ls->L, "break");
  int l = luaY_newlabelentry(ls, &ls->dyd->label, n, 0, ls->fs->pc);
  luaY_findgotos(ls, &ls->dyd->label.arr[l]);
}

[[noreturn]] void undefgoto(LexState* ls, Labeldesc* gt) {
  const char* msg;
  if (isreserved(gt->name)) {  // "break": the line alone
    int line = lua_gethost(ls->L)->find_tab_line(gt->line, nullptr);
    msg = luaO_pushfstring(ls->L, "<%s> at line %d not inside a loop", getstr(gt->name), tovo_int2num(line));
  } else {
    const char* where = luaY_line_and_tab(ls, gt->line);
    msg = luaO_pushfstring(ls->L, "no visible label '%s' for <goto> at line %s", getstr(gt->name), where);
  }
  luaY_semerror(ls, msg);
}

}  // namespace

void luaY_semerror(LexState* ls, const char* msg) {
  ls->t.token = 0;  // no "near" part
  luaX_syntaxerror(ls, msg);
}

LocVar* luaY_getlocvar(FuncState* fs, int i) {
  int idx = fs->ls->dyd->actvar.arr[fs->firstlocal + i].idx;
  return &fs->f->locvars[idx];
}

void luaY_new_localvar(LexState* ls, TString* name) {
  FuncState* fs = ls->fs;
  Dyndata* dyd = ls->dyd;
  int reg = registerlocalvar(ls, name);
  luaY_checklimit(fs, dyd->actvar.n + 1 - fs->firstlocal, MAXVARS, "local variables");
  luaM_growvector(ls->L, dyd->actvar.arr, dyd->actvar.n + 1, dyd->actvar.size, INT_MAX - 2, "local variables");
  dyd->actvar.arr[dyd->actvar.n++].idx = static_cast<short>(reg);
}

void luaY_adjustlocalvars(LexState* ls, int nvars) {
  FuncState* fs = ls->fs;
  fs->nactvar = static_cast<uint8_t>(fs->nactvar + nvars);
  for (; nvars > 0; nvars--) luaY_getlocvar(fs, fs->nactvar - nvars)->startpc = fs->pc;
}

int luaY_newupvalue(FuncState* fs, TString* name, expdesc* v) {
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

void luaY_singlevar(LexState* ls, expdesc* var) {
  TString* varname = luaY_str_checkname(ls);
  FuncState* fs = ls->fs;
  if (singlevaraux(fs, varname, var, true) == VVOID) {  // a global: _ENV[name]
    expdesc key;
    singlevaraux(fs, ls->envn, var, true);
    luaY_codestring(ls, &key, varname);
    luaK_indexed(fs, var, &key);
  }
}

void luaY_enterblock(FuncState* fs, BlockCnt* bl, uint8_t isloop) {
  bl->isloop = isloop;
  bl->nactvar = fs->nactvar;
  bl->firstlabel = static_cast<short>(fs->ls->dyd->label.n);
  bl->firstgoto = static_cast<short>(fs->ls->dyd->gt.n);
  bl->upval = 0;
  bl->previous = fs->bl;
  fs->bl = bl;
}

void luaY_leaveblock(FuncState* fs) {
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

int luaY_newlabelentry(LexState* ls, Labellist* l, TString* name, int line, int pc) {
  int n = l->n;
  luaM_growvector(ls->L, l->arr, n, l->size, SHRT_MAX, "labels/gotos");
  l->arr[n].name = name;
  l->arr[n].line = line;
  l->arr[n].nactvar = ls->fs->nactvar;
  l->arr[n].pc = pc;
  l->n++;
  return n;
}

bool luaY_findlabel(LexState* ls, int g) {
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

void luaY_findgotos(LexState* ls, Labeldesc* lb) {
  Labellist* gl = &ls->dyd->gt;
  int i = ls->fs->bl->firstgoto;
  while (i < gl->n) {
    if (luaS_eqstr(gl->arr[i].name, lb->name)) closegoto(ls, i, lb);
    else i++;
  }
}

void luaY_checkrepeated(FuncState* fs, Labellist* ll, TString* label) {
  for (int i = fs->bl->firstlabel; i < ll->n; i++) {
    if (luaS_eqstr(label, ll->arr[i].name)) {
      const char* where = luaY_line_and_tab(fs->ls, ll->arr[i].line);
      const char* msg = luaO_pushfstring(fs->ls->L, "label '%s' already defined on line %s", getstr(label), where);
      luaY_semerror(fs->ls, msg);
    }
  }
}
