#pragma once
// Shared by the statement parser (parse.cpp) and the expression parser
// (parse_expr.cpp), which call each other: token checks, names, nesting
// levels, expressions and function bodies.
#include "script/compiler/code.h"
#include "script/console_services.h"

// Errors.
void luaY_check_match(LexState* ls, int what, int who, int where);
void luaY_checklimit(FuncState* fs, int v, int l, const char* what);

// Tokens.
bool luaY_testnext(LexState* ls, int c);
void luaY_checknext(LexState* ls, int c);
void luaY_init_exp(expdesc* e, expkind k, int i);
void luaY_codestring(LexState* ls, expdesc* e, TString* s);
void luaY_checkname(LexState* ls, expdesc* e);

// Variables and nesting levels.
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
