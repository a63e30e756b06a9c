#pragma once
// The rest of the native interface: type tests, raw and metamethod table
// access, metatables, userdata, comparisons and arithmetic, traversal,
// upvalues, dumping and the allocator. Integers cross as n << 16.
#include <cstdarg>

#include "script/api/api.h"

// lua_compare operations.
constexpr int LUA_OPEQ = 0;
constexpr int LUA_OPLT = 1;
constexpr int LUA_OPLE = 2;

// ---- stack ----
void lua_replace(lua_State* L, int idx);  // pops the top into idx
void lua_copy(lua_State* L, int fromidx, int toidx);

// ---- type tests and readers ----
int lua_isnumber(lua_State* L, int idx);
int lua_isstring(lua_State* L, int idx);     // a string or a number
int lua_iscfunction(lua_State* L, int idx);  // any native function, fast ones too
int lua_isuserdata(lua_State* L, int idx);   // full or light
inline bool lua_isnil(lua_State* L, int idx) { return lua_type(L, idx) == LUA_TNIL; }
inline bool lua_isnone(lua_State* L, int idx) { return lua_type(L, idx) == LUA_TNONE; }
inline bool lua_isnoneornil(lua_State* L, int idx) { return lua_type(L, idx) <= 0; }
inline bool lua_istable(lua_State* L, int idx) { return lua_type(L, idx) == LUA_TTABLE; }
inline bool lua_isfunction(lua_State* L, int idx) { return lua_type(L, idx) == LUA_TFUNCTION; }
lua_Unsigned lua_tounsignedx(lua_State* L, int idx, int* isnum);  // the signed floor
lua_CFunction lua_tocfunction(lua_State* L, int idx);
void* lua_touserdata(lua_State* L, int idx);
const void* lua_topointer(lua_State* L, int idx);
// Strings: byte length; tables: a border; full userdata: its size; else 0.
size_t lua_rawlen(lua_State* L, int idx);
// The length of the table at idx as the length operator gives it, when its
// metatable has no "__len" (no metamethod to call); else -1.
int lua_tablelen(lua_State* L, int idx);

// ---- comparison and arithmetic ----
int lua_rawequal(lua_State* L, int idx1, int idx2);
// 1 when the values compare true under op (metamethods included); 0 for an
// index without a value.
int lua_compare(lua_State* L, int idx1, int idx2, int op);
// Applies arithmetic code op (LUA_OPADD ... LUA_OPUNM of number.h) to the two
// top values (unary minus: to the top value) and replaces them by the result.
void lua_arith(lua_State* L, int op);

// ---- pushing ----
void lua_pushunsigned(lua_State* L, lua_Unsigned n);  // pushes n << 16
const char* lua_pushvfstring(lua_State* L, const char* fmt, va_list argp);
// Pushes the name of type t, as lua_pushstring of lua_typename does.
void lua_pushtypename(lua_State* L, int t);
void lua_pushlightuserdata(lua_State* L, void* p);

// ---- tables ----
void lua_gettable(lua_State* L, int idx);  // key on top -> t[key]
void lua_settable(lua_State* L, int idx);  // t[key] = value, pops both
void lua_rawget(lua_State* L, int idx);
void lua_rawgeti(lua_State* L, int idx, int n);  // key n << 16
void lua_rawgetp(lua_State* L, int idx, const void* p);
void lua_rawset(lua_State* L, int idx);
void lua_rawseti(lua_State* L, int idx, int n);  // key n << 16
// When the table at idx has no "__len" metamethod: t[#t + 1] = the value at
// vidx, raw, as lua_tablelen then lua_rawseti would do; returns 1. Else
// changes nothing and returns 0, or -1 when idx holds no table. The stack is
// left as it is.
int lua_rawappend(lua_State* L, int idx, int vidx);
// t[to + k] = t[from + k] for k from 0 to count-1, raw, as lua_rawgeti and
// lua_rawseti would do one by one: from the last k when to > from, so that
// the ranges may overlap.
void lua_rawmove(lua_State* L, int idx, int from, int to, int count);
// The first i in 1..n whose t[i] (t at idx) equals the value at vidx as
// lua_compare(LUA_OPEQ) finds it, or 0. When an "__eq" metamethod could take
// part (the value is a table or full userdata with a metatable) it looks at
// nothing and returns -1.
int lua_rawfind(lua_State* L, int idx, int vidx, int n);
void lua_rawsetp(lua_State* L, int idx, const void* p);
// Pops a key, pushes the next key and its value: 1; at the end pushes
// nothing: 0. Raises "invalid key to 'next'" for a key not in the table.
int lua_next(lua_State* L, int idx);
// Pushes the length of a value (the "__len" metamethod included).
void lua_len(lua_State* L, int idx);

// ---- metatables and userdata ----
int lua_getmetatable(lua_State* L, int objindex);  // pushes it: 1; none: 0
void* lua_newuserdata(lua_State* L, size_t size);
void lua_getuservalue(lua_State* L, int idx);
void lua_setuservalue(lua_State* L, int idx);  // pops a table or nil

// ---- upvalues ----
const char* lua_getupvalue(lua_State* L, int funcindex, int n);
const char* lua_setupvalue(lua_State* L, int funcindex, int n);
void* lua_upvalueid(lua_State* L, int fidx, int n);
void lua_upvaluejoin(lua_State* L, int fidx1, int n1, int fidx2, int n2);

// ---- chunks and memory ----
// Writes the script function on top as a binary chunk; 1 when it is not a
// script function, else the writer's first non-zero status or 0.
int lua_dump(lua_State* L, lua_Writer writer, void* data);
lua_Alloc lua_getallocf(lua_State* L, void** ud);
void lua_setallocf(lua_State* L, lua_Alloc f, void* ud);
