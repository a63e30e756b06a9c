#pragma once
// Shared by the parser's files: scopes, variables, error helpers and the
// mutual recursion between expressions and statements.
#include "script/compiler/code.h"
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
[[noreturn]] void luaY_error_expected(LexState* ls, int token);
void luaY_check_match(LexState* ls, int what, int who, int where);
void luaY_checklimit(FuncState* fs, int v, int l, const char* what);
// Maps a line of the whole text to its code tab and pushes "%d (tab %d)".
const char* luaY_line_and_tab(LexState* ls, int line);

// Tokens.
bool luaY_testnext(LexState* ls, int c);
void luaY_check(LexState* ls, int c);
void luaY_checknext(LexState* ls, int c);
TString* luaY_str_checkname(LexState* ls);
void luaY_init_exp(expdesc* e, expkind k, int i);
void luaY_codestring(LexState* ls, expdesc* e, TString* s);
void luaY_checkname(LexState* ls, expdesc* e);

// Variables.
void luaY_new_localvar(LexState* ls, TString* name);
void luaY_adjustlocalvars(LexState* ls, int nvars);
void luaY_singlevar(LexState* ls, expdesc* var);
void luaY_enterlevel(LexState* ls);
void luaY_leavelevel(LexState* ls);

// Expressions (parse_expr.cpp).
void luaY_expr(LexState* ls, expdesc* v);
void luaY_suffixedexp(LexState* ls, expdesc* v);
void luaY_fieldsel(LexState* ls, expdesc* v);
int luaY_explist(LexState* ls, expdesc* v);
void luaY_adjust_assign(LexState* ls, int nvars, int nexps, expdesc* e);

// Functions (parse.cpp).
void luaY_body(LexState* ls, expdesc* e, bool ismethod, int line);
void luaY_statlist(LexState* ls);

// Scopes, labels and gotos (parse_scope.cpp).
LocVar* luaY_getlocvar(FuncState* fs, int i);
int luaY_newupvalue(FuncState* fs, TString* name, expdesc* v);
void luaY_enterblock(FuncState* fs, BlockCnt* bl, uint8_t isloop);
void luaY_leaveblock(FuncState* fs);
int luaY_newlabelentry(LexState* ls, Labellist* l, TString* name, int line, int pc);
// Matches pending goto g with a visible label: true when found.
bool luaY_findlabel(LexState* ls, int g);
// Resolves the pending gotos of the current block to the new label lb.
void luaY_findgotos(LexState* ls, Labeldesc* lb);
void luaY_checkrepeated(FuncState* fs, Labellist* ll, TString* label);
// A syntax error without a "near" part.
[[noreturn]] void luaY_semerror(LexState* ls, const char* msg);
