#pragma once
// Shared by the parser's files: scopes, variables, error helpers and the
// mutual recursion between expressions and statements.
#include "script/code.h"
#include "script/console_services.h"

// A block of statements; blocks nest through previous.
struct BlockCnt {
  BlockCnt* previous;
  short firstlabel;  // first label of this block
  short firstgoto;   // first pending goto of this block
  uint8_t nactvar;   // active locals outside the block
  uint8_t upval;     // some local of the block is an upvalue
  uint8_t isloop;
};

// Errors.
[[noreturn]] void tovo_error_expected(LexState* ls, int token);
void tovo_check_match(LexState* ls, int what, int who, int where);
void tovo_checklimit(FuncState* fs, int v, int l, const char* what);
// Maps a line of the whole text to its code tab and pushes "%d (tab %d)".
const char* tovo_line_and_tab(LexState* ls, int line);

// Tokens.
bool tovo_testnext(LexState* ls, int c);
void tovo_check(LexState* ls, int c);
void tovo_checknext(LexState* ls, int c);
TString* tovo_str_checkname(LexState* ls);
void tovo_init_exp(expdesc* e, expkind k, int i);
void tovo_codestring(LexState* ls, expdesc* e, TString* s);
void tovo_checkname(LexState* ls, expdesc* e);

// Variables.
void tovo_new_localvar(LexState* ls, TString* name);
void tovo_adjustlocalvars(LexState* ls, int nvars);
void tovo_singlevar(LexState* ls, expdesc* var);
void tovo_enterlevel(LexState* ls);
void tovo_leavelevel(LexState* ls);

// Expressions (parse_expr.cpp).
void tovo_expr(LexState* ls, expdesc* v);
void tovo_suffixedexp(LexState* ls, expdesc* v);
void tovo_fieldsel(LexState* ls, expdesc* v);
int tovo_explist(LexState* ls, expdesc* v);
void tovo_adjust_assign(LexState* ls, int nvars, int nexps, expdesc* e);

// Functions (parse.cpp).
void tovo_body(LexState* ls, expdesc* e, bool ismethod, int line);
void tovo_statlist(LexState* ls);

// Scopes, labels and gotos (parse_scope.cpp).
LocVar* tovo_getlocvar(FuncState* fs, int i);
int tovo_newupvalue(FuncState* fs, TString* name, expdesc* v);
void tovo_enterblock(FuncState* fs, BlockCnt* bl, uint8_t isloop);
void tovo_leaveblock(FuncState* fs);
int tovo_newlabelentry(LexState* ls, Labellist* l, TString* name, int line, int pc);
// Matches pending goto g with a visible label: true when found.
bool tovo_findlabel(LexState* ls, int g);
// Resolves the pending gotos of the current block to the new label lb.
void tovo_findgotos(LexState* ls, Labeldesc* lb);
void tovo_checkrepeated(FuncState* fs, Labellist* ll, TString* label);
// A syntax error without a "near" part.
[[noreturn]] void tovo_semerror(LexState* ls, const char* msg);
