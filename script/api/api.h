#pragma once
// The native interface: stack access, calls, coroutines, errors and the
// debug interface. Indices: positive from the frame's function slot, negative
// from the top, LUA_REGISTRYINDEX, and upvalue pseudo-indices below it.
#include "script/compiler/lex.h"  // LUA_IDSIZE, the size of a chunk id
#include "script/compiler/zio.h"
#include "script/lua.h"

constexpr int LUA_MULTRET = -1;

inline int lua_upvalueindex(int i) { return LUA_REGISTRYINDEX - i; }

// ---- stack ----
int lua_absindex(lua_State* L, int idx);
int lua_gettop(lua_State* L);
void lua_settop(lua_State* L, int idx);
inline void lua_pop(lua_State* L, int n) { lua_settop(L, -n - 1); }
void lua_pushvalue(lua_State* L, int idx);
void lua_insert(lua_State* L, int idx);
void lua_remove(lua_State* L, int idx);
// 1 when the stack can take n more values (0 past the stack limit).
int lua_checkstack(lua_State* L, int n);
// Moves n values from the top of one thread to the top of another.
void lua_xmove(lua_State* from, lua_State* to, int n);

// ---- reading values ----
int lua_type(lua_State* L, int idx);
const char* lua_typename(lua_State* L, int t);
int lua_toboolean(lua_State* L, int idx);
lua_Number lua_tonumberx(lua_State* L, int idx, int* isnum);
lua_Integer lua_tointegerx(lua_State* L, int idx, int* isnum);
inline lua_Number lua_tonumber(lua_State* L, int idx) { return lua_tonumberx(L, idx, nullptr); }
inline lua_Integer lua_tointeger(lua_State* L, int idx) { return lua_tointegerx(L, idx, nullptr); }
// A number is replaced in its slot by its text.
const char* lua_tolstring(lua_State* L, int idx, size_t* len);
inline const char* lua_tostring(lua_State* L, int idx) { return lua_tolstring(L, idx, nullptr); }
lua_State* lua_tothread(lua_State* L, int idx);
// Reads a stack slot directly (fast native functions read their arguments
// with it): a number, a string converted, else 0.
lua_Number lua_tonumber_from_tvalue(const void* slot);

// ---- pushing values ----
void lua_pushnil(lua_State* L);
void lua_pushnumber(lua_State* L, lua_Number n);
void lua_pushinteger(lua_State* L, lua_Integer n);  // pushes n << 16
void lua_pushboolean(lua_State* L, int b);
const char* lua_pushlstring(lua_State* L, const char* s, size_t len);
const char* lua_pushstring(lua_State* L, const char* s);  // null pushes nil
const char* lua_pushfstring(lua_State* L, const char* fmt, ...);
// n = TOVO_FAST_CFUNCTION: a fast native function; 0: a light native
// function; n > 0: a native closure taking the n top values as upvalues.
void lua_pushcclosure(lua_State* L, lua_CFunction f, int n);
inline void lua_pushcfunction(lua_State* L, lua_CFunction f) { lua_pushcclosure(L, f, 0); }
int lua_pushthread(lua_State* L);  // 1 when it is the main thread

// ---- tables and globals ----
void lua_createtable(lua_State* L, int narr, int nrec);
inline void lua_newtable(lua_State* L) { lua_createtable(L, 0, 0); }
void lua_getfield(lua_State* L, int idx, const char* k);
void lua_setfield(lua_State* L, int idx, const char* k);  // pops the value
void lua_getglobal(lua_State* L, const char* name);
void lua_setglobal(lua_State* L, const char* name);  // pops the value
int lua_setmetatable(lua_State* L, int objindex);    // pops the table (or nil)
// Joins the n top values (numbers become text, "__concat" for others).
void lua_concat(lua_State* L, int n);

// ---- calls, coroutines, errors ----
// Calls the function below the nargs top values; a continuation k makes the
// call yieldable (the frame continues in k after a resume).
void lua_callk(lua_State* L, int nargs, int nresults, int ctx, lua_CFunction k);
inline void lua_call(lua_State* L, int nargs, int nresults) { lua_callk(L, nargs, nresults, 0, nullptr); }
// Protected call; errfunc is the stack index of a message handler (0: none).
int lua_pcallk(lua_State* L, int nargs, int nresults, int errfunc, int ctx, lua_CFunction k);
inline int lua_pcall(lua_State* L, int nargs, int nresults, int errfunc) {
  return lua_pcallk(L, nargs, nresults, errfunc, 0, nullptr);
}
// Compiles a chunk read through reader and pushes its function (its first
// upvalue the globals table), or the error message.
int lua_load(lua_State* L, lua_Reader reader, void* data, const char* chunkname, const char* mode);
// Inside a continuation: the status it continues after, and ctx.
int lua_getctx(lua_State* L, int* ctx);
// Raises the value on top as an error.
[[noreturn]] int lua_error(lua_State* L);
int lua_resume(lua_State* L, lua_State* from, int narg);
int lua_yieldk(lua_State* L, int nresults, int ctx, lua_CFunction k);
inline int lua_yield(lua_State* L, int nresults) { return lua_yieldk(L, nresults, 0, nullptr); }
int lua_status(lua_State* L);
// After a failed compile: status OK and the base frame current.
void lua_reset_call_state_tovo(lua_State* L);

// ---- debug interface ----
constexpr int LUA_HOOKCALL = 0;
constexpr int LUA_HOOKRET = 1;
constexpr int LUA_HOOKLINE = 2;
constexpr int LUA_HOOKCOUNT = 3;
constexpr int LUA_HOOKTAILCALL = 4;
constexpr int LUA_MASKCALL = 1 << LUA_HOOKCALL;
constexpr int LUA_MASKRET = 1 << LUA_HOOKRET;
constexpr int LUA_MASKLINE = 1 << LUA_HOOKLINE;
constexpr int LUA_MASKCOUNT = 1 << LUA_HOOKCOUNT;

struct CallInfo;

struct lua_Debug {
  int event;
  const char* name;            // (n)
  const char* namewhat;        // (n) "global", "local", "field", "method", "upvalue", "constant", ...
  const char* what;            // (S) "Lua", "C" or "main"
  const char* source;          // (S)
  int currentline;             // (l)
  int linedefined;             // (S)
  int lastlinedefined;         // (S)
  unsigned char nups;          // (u)
  unsigned char nparams;       // (u)
  char isvararg;               // (u)
  char istailcall;             // (t)
  char short_src[LUA_IDSIZE];  // (S)
  CallInfo* i_ci;              // the frame (private)
};

int lua_getstack(lua_State* L, int level, lua_Debug* ar);
int lua_getinfo(lua_State* L, const char* what, lua_Debug* ar);
const char* lua_getlocal(lua_State* L, const lua_Debug* ar, int n);
const char* lua_setlocal(lua_State* L, const lua_Debug* ar, int n);
// Hooks are kept and reported but never called.
int lua_sethook(lua_State* L, lua_Hook func, int mask, int count);
lua_Hook lua_gethook(lua_State* L);
int lua_gethookmask(lua_State* L);
int lua_gethookcount(lua_State* L);

// A line of the whole program text as the line within its code tab, and as
// that tab's index, through the state's host; both as whole 16.16 numbers.
int get_tovo_line(lua_State* L, int line);
int get_tovo_tab(lua_State* L, int line);

// Pushes "message\nstack traceback:\n..." for the frames of L1 from level on.
void luaL_traceback(lua_State* L, lua_State* L1, const char* msg, int level);
// The debug library's traceback: ([thread,] [message [, level]]).
int db_traceback(lua_State* L);
