// Parser: expressions, table constructors and call arguments.
#include <climits>

#include "script/compiler/parse_impl.h"
#include "script/value/number.h"
#include "script/value/string.h"

namespace {

constexpr int MAX_INT = INT_MAX - 2;
constexpr int UNARY_PRIORITY = 18;  // only '^' binds tighter

struct Priority {
  uint8_t left;
  uint8_t right;
};

// By binary operator code; codes 14 and 16-18 are unary operators only.
constexpr Priority priority[] = {
    {16, 16}, {16, 16},                                    // + -
    {17, 17}, {17, 17}, {17, 17},                          // * / %
    {20, 19},                                              // ^ (right associative)
    {8, 8},   {6, 6},   {7, 7},                            // & | ^^
    {9, 9},   {9, 9},   {9, 9},   {9, 9}, {9, 9},          // << >> >>> <<> >><
    {0, 0},                                                // (14: unary)
    {17, 17},                                              // '\'
    {0, 0},   {0, 0},   {0, 0},                            // (16-18: unary)
    {15, 14},                                              // .. (right associative)
    {3, 3},   {3, 3},   {3, 3},   {3, 3}, {3, 3}, {3, 3},  // == < <= ~= > >=
    {2, 2},   {1, 1}                                       // and or
};
static_assert(sizeof(priority) / sizeof(priority[0]) == OPR_NOBINOPR);

UnOpr getunopr(int op) {
  switch (op) {
    case '-': return OPR_MINUS;
    case TK_NOT: return OPR_NOT;
    case '#': return OPR_LEN;
    case '~': return OPR_BNOT;
    case '@': return OPR_PEEK;
    case '%': return OPR_PEEK2;
    case '$': return OPR_PEEK4;
    default: return OPR_NOUNOPR;
  }
}

BinOpr getbinopr(int op) {
  switch (op) {
    case '+': return OPR_ADD;
    case '-': return OPR_SUB;
    case '*': return OPR_MUL;
    case '/': return OPR_DIV;
    case '%': return OPR_MOD;
    case '^': return OPR_POW;
    case '&': return OPR_BAND;
    case '|': return OPR_BOR;
    case TK_BXOR: return OPR_BXOR;
    case TK_SHL: return OPR_SHL;
    case TK_SHR: return OPR_SHR;
    case TK_LSHR: return OPR_LSHR;
    case TK_ROTL: return OPR_ROTL;
    case TK_ROTR: return OPR_ROTR;
    case '\\': return OPR_IDIV;
    case TK_CONCAT: return OPR_CONCAT;
    case TK_EQ: return OPR_EQ;
    case '<': return OPR_LT;
    case TK_LE: return OPR_LE;
    case TK_NE: return OPR_NE;
    case '>': return OPR_GT;
    case TK_GE: return OPR_GE;
    case TK_AND: return OPR_AND;
    case TK_OR: return OPR_OR;
    default: return OPR_NOBINOPR;
  }
}

bool hasmultret(expkind k) { return k == VCALL || k == VVARARG; }

void yindex(LexState* ls, expdesc* v) {
  luaX_next(ls);  // skip '['
  luaY_expr(ls, v);
  luaK_exp2val(ls->fs, v);
  luaY_checknext(ls, ']');
}

// ---- table constructors ----

struct ConsControl {
  expdesc v;    // last list item read
  expdesc* t;   // the table
  int nh;       // record items
  int na;       // list items
  int tostore;  // list items waiting for a SETLIST
};

void recfield(LexState* ls, ConsControl* cc) {
  FuncState* fs = ls->fs;
  int reg = fs->freereg;
  expdesc key;
  expdesc val;
  if (ls->t.token == TK_NAME) {
    luaY_checklimit(fs, cc->nh, MAX_INT, "items in a constructor");
    luaY_checkname(ls, &key);
  } else {
    yindex(ls, &key);
  }
  cc->nh++;
  luaY_checknext(ls, '=');
  int rkkey = luaK_exp2RK(fs, &key);
  luaY_expr(ls, &val);
  luaK_codeABC(fs, OP_SETTABLE, cc->t->u.info, rkkey, luaK_exp2RK(fs, &val));
  fs->freereg = static_cast<uint8_t>(reg);
}

void closelistfield(FuncState* fs, ConsControl* cc) {
  if (cc->v.k == VVOID) return;
  luaK_exp2nextreg(fs, &cc->v);
  cc->v.k = VVOID;
  if (cc->tostore == LFIELDS_PER_FLUSH) {
    luaK_setlist(fs, cc->t->u.info, cc->na, cc->tostore);
    cc->tostore = 0;
  }
}

void lastlistfield(FuncState* fs, ConsControl* cc) {
  if (cc->tostore == 0) return;
  if (hasmultret(cc->v.k)) {
    luaK_setmultret(fs, &cc->v);
    luaK_setlist(fs, cc->t->u.info, cc->na, -1);
    cc->na--;  // the open item is not counted
  } else {
    if (cc->v.k != VVOID) luaK_exp2nextreg(fs, &cc->v);
    luaK_setlist(fs, cc->t->u.info, cc->na, cc->tostore);
  }
}

void listfield(LexState* ls, ConsControl* cc) {
  luaY_expr(ls, &cc->v);
  luaY_checklimit(ls->fs, cc->na, MAX_INT, "items in a constructor");
  cc->na++;
  cc->tostore++;
}

void field(LexState* ls, ConsControl* cc) {
  switch (ls->t.token) {
    case TK_NAME:
      if (luaX_lookahead(ls) != '=') listfield(ls, cc);
      else recfield(ls, cc);
      break;
    case '[': recfield(ls, cc); break;
    default: listfield(ls, cc); break;
  }
}

void constructor(LexState* ls, expdesc* t) {
  FuncState* fs = ls->fs;
  int line = ls->linenumber;
  int pc = luaK_codeABC(fs, OP_NEWTABLE, 0, 0, 0);
  ConsControl cc;
  cc.na = cc.nh = cc.tostore = 0;
  cc.t = t;
  luaY_init_exp(t, VRELOCABLE, pc);
  luaY_init_exp(&cc.v, VVOID, 0);
  luaK_exp2nextreg(fs, t);
  luaY_checknext(ls, '{');
  do {
    if (ls->t.token == '}') break;
    closelistfield(fs, &cc);
    field(ls, &cc);
  } while (luaY_testnext(ls, ',') || luaY_testnext(ls, ';'));
  luaY_check_match(ls, '}', '{', line);
  lastlistfield(fs, &cc);
  SETARG_B(fs->f->code[pc], luaO_int2fb(static_cast<unsigned int>(cc.na)));
  SETARG_C(fs->f->code[pc], luaO_int2fb(static_cast<unsigned int>(cc.nh)));
}

// ---- calls ----

void funcargs(LexState* ls, expdesc* f, int line) {
  FuncState* fs = ls->fs;
  expdesc args;
  switch (ls->t.token) {
    case '(':
      luaX_next(ls);
      if (ls->t.token == ')') {
        args.k = VVOID;
      } else {
        luaY_explist(ls, &args);
        luaK_setmultret(fs, &args);
      }
      luaY_check_match(ls, ')', '(', line);
      break;
    case '{': constructor(ls, &args); break;
    case TK_STRING:
      luaY_codestring(ls, &args, ls->t.seminfo.ts);
      luaX_next(ls);
      break;
    default: luaX_syntaxerror(ls, "function arguments expected");
  }
  int base = f->u.info;  // the function's register
  int nparams;
  if (hasmultret(args.k)) {
    nparams = -1;  // open call
  } else {
    if (args.k != VVOID) luaK_exp2nextreg(fs, &args);
    nparams = fs->freereg - (base + 1);
  }
  luaY_init_exp(f, VCALL, luaK_codeABC(fs, OP_CALL, base, nparams + 1, 2));
  luaK_fixline(fs, line);
  fs->freereg = static_cast<uint8_t>(base + 1);  // the call leaves one result by default
}

void primaryexp(LexState* ls, expdesc* v) {
  switch (ls->t.token) {
    case '(': {
      int line = ls->linenumber;
      luaX_next(ls);
      luaY_expr(ls, v);
      luaY_check_match(ls, ')', '(', line);
      luaK_dischargevars(ls->fs, v);
      return;
    }
    case TK_NAME: luaY_singlevar(ls, v); return;
    default: luaX_syntaxerror(ls, "unexpected symbol");
  }
}

void simpleexp(LexState* ls, expdesc* v) {
  switch (ls->t.token) {
    case TK_NUMBER:
      luaY_init_exp(v, VKNUM, 0);
      v->u.nval = ls->t.seminfo.r;
      break;
    case TK_STRING: luaY_codestring(ls, v, ls->t.seminfo.ts); break;
    case TK_NIL: luaY_init_exp(v, VNIL, 0); break;
    case TK_TRUE: luaY_init_exp(v, VTRUE, 0); break;
    case TK_FALSE: luaY_init_exp(v, VFALSE, 0); break;
    case TK_DOTS: {
      FuncState* fs = ls->fs;
      if (!fs->f->is_vararg) luaX_syntaxerror(ls, "cannot use '...' outside a vararg function");
      luaY_init_exp(v, VVARARG, luaK_codeABC(fs, OP_VARARG, 0, 1, 0));
      break;
    }
    case '{': constructor(ls, v); return;
    case TK_FUNCTION:
      luaX_next(ls);
      luaY_body(ls, v, false, ls->linenumber);
      return;
    default: luaY_suffixedexp(ls, v); return;
  }
  luaX_next(ls);
}

// Parses an expression whose binary operators bind tighter than limit;
// returns the first operator not taken.
BinOpr subexpr(LexState* ls, expdesc* v, int limit) {
  luaY_enterlevel(ls);
  UnOpr uop = getunopr(ls->t.token);
  if (uop != OPR_NOUNOPR) {
    int line = ls->linenumber;
    luaX_next(ls);
    subexpr(ls, v, UNARY_PRIORITY);
    luaK_prefix(ls->fs, uop, v, line);
  } else {
    simpleexp(ls, v);
  }
  BinOpr op = getbinopr(ls->t.token);
  while (op != OPR_NOBINOPR && priority[op].left > limit) {
    expdesc v2;
    int line = ls->linenumber;
    luaX_next(ls);
    luaK_infix(ls->fs, op, v);
    BinOpr nextop = subexpr(ls, &v2, priority[op].right);
    luaK_posfix(ls->fs, op, v, &v2, line);
    op = nextop;
  }
  luaY_leavelevel(ls);
  return op;
}

}  // namespace

void luaY_expr(LexState* ls, expdesc* v) { subexpr(ls, v, 0); }

void luaY_fieldsel(LexState* ls, expdesc* v) {
  FuncState* fs = ls->fs;
  expdesc key;
  luaK_exp2anyregup(fs, v);
  luaX_next(ls);  // skip '.' or ':'
  luaY_checkname(ls, &key);
  luaK_indexed(fs, v, &key);
}

void luaY_suffixedexp(LexState* ls, expdesc* v) {
  FuncState* fs = ls->fs;
  int line = ls->linenumber;
  primaryexp(ls, v);
  for (;;) {
    switch (ls->t.token) {
      case '.': luaY_fieldsel(ls, v); break;
      case '[': {
        expdesc key;
        luaK_exp2anyregup(fs, v);
        yindex(ls, &key);
        luaK_indexed(fs, v, &key);
        break;
      }
      case ':': {
        expdesc key;
        luaX_next(ls);
        luaY_checkname(ls, &key);
        luaK_self(fs, v, &key);
        funcargs(ls, v, line);
        break;
      }
      case '(':
      case TK_STRING:
      case '{':
        luaK_exp2nextreg(fs, v);
        funcargs(ls, v, line);
        break;
      default: return;
    }
  }
}

int luaY_explist(LexState* ls, expdesc* v) {
  int n = 1;
  luaY_expr(ls, v);
  while (luaY_testnext(ls, ',')) {
    luaK_exp2nextreg(ls->fs, v);
    luaY_expr(ls, v);
    n++;
  }
  return n;
}

void luaY_adjust_assign(LexState* ls, int nvars, int nexps, expdesc* e) {
  FuncState* fs = ls->fs;
  int extra = nvars - nexps;
  if (hasmultret(e->k)) {
    extra++;  // the call itself counts
    if (extra < 0) extra = 0;
    luaK_setreturns(fs, e, extra);
    if (extra > 1) luaK_reserveregs(fs, extra - 1);
  } else {
    if (e->k != VVOID) luaK_exp2nextreg(fs, e);
    if (extra > 0) {
      int reg = fs->freereg;
      luaK_reserveregs(fs, extra);
      luaK_nil(fs, reg, extra);
    }
  }
}
