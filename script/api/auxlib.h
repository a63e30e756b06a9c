#pragma once
// The auxiliary library: loading program text, errors with a position
// prefix, argument checks for library functions, converting any value to
// text, string buffers, references and metatables by name. Integers are read
// as floors of 16.16 numbers; whole numbers given to "%d" in messages are
// passed as n << 16.
#include <cstdio>

#include "script/api/api_access.h"

constexpr int LUA_ERRFILE = LUA_ERRERR + 1;
constexpr int LUA_SIGNATURE_FIRST = 0x1b;  // first byte of a binary chunk
constexpr int LUA_NOREF = -2;
constexpr int LUA_REFNIL = -1;
constexpr size_t LUAL_BUFFERSIZE = 8192;
constexpr int LUAL_NUMSIZES = static_cast<int>(sizeof(lua_Integer) * 16 + sizeof(lua_Number));

struct luaL_Reg {
  const char* name;
  lua_CFunction func;
};

// ---- loading ----
int luaL_loadbufferx(lua_State* L, const char* buff, size_t sz, const char* name, const char* mode);
inline int luaL_loadbuffer(lua_State* L, const char* buff, size_t sz, const char* name) {
  return luaL_loadbufferx(L, buff, sz, name, nullptr);
}
// Compiles the whole text as one chunk named by the text itself.
int luaL_loadstring(lua_State* L, const char* s);
// Loads a file (null: standard input) as chunk "@path" or "=stdin".
int luaL_loadfilex(lua_State* L, const char* filename, const char* mode);
inline int luaL_loadfile(lua_State* L, const char* filename) { return luaL_loadfilex(L, filename, nullptr); }

// ---- errors ----
// Pushes "source:line: " for the function at level (and records its line in
// tovo_runtime_line), or "" when it has no line.
void luaL_where(lua_State* L, int level);
[[noreturn]] int luaL_error(lua_State* L, const char* fmt, ...);
[[noreturn]] int luaL_argerror(lua_State* L, int narg, const char* extramsg);
// "%s expected, got %s" for argument narg.
[[noreturn]] int luaL_typeerror(lua_State* L, int narg, const char* tname);
inline void luaL_argcheck(lua_State* L, bool cond, int narg, const char* extramsg) {
  if (!cond) luaL_argerror(L, narg, extramsg);
}

// ---- argument checks ----
lua_Number luaL_checknumber(lua_State* L, int narg);
lua_Number luaL_optnumber(lua_State* L, int narg, lua_Number def);
lua_Integer luaL_checkinteger(lua_State* L, int narg);
lua_Integer luaL_optinteger(lua_State* L, int narg, lua_Integer def);
lua_Unsigned luaL_checkunsigned(lua_State* L, int narg);
lua_Unsigned luaL_optunsigned(lua_State* L, int narg, lua_Unsigned def);
const char* luaL_checklstring(lua_State* L, int narg, size_t* len);
const char* luaL_optlstring(lua_State* L, int narg, const char* def, size_t* len);
inline const char* luaL_checkstring(lua_State* L, int narg) { return luaL_checklstring(L, narg, nullptr); }
inline const char* luaL_optstring(lua_State* L, int narg, const char* def) {
  return luaL_optlstring(L, narg, def, nullptr);
}
void luaL_checktype(lua_State* L, int narg, int t);
void luaL_checkany(lua_State* L, int narg);
int luaL_checkoption(lua_State* L, int narg, const char* def, const char* const lst[]);
void luaL_checkstack(lua_State* L, int sz, const char* msg);
void* luaL_checkudata(lua_State* L, int ud, const char* tname);
void* luaL_testudata(lua_State* L, int ud, const char* tname);
void luaL_checkversion_(lua_State* L, lua_Number ver);
constexpr int LUA_VERSION_NUM = 502;
inline void luaL_checkversion(lua_State* L) { luaL_checkversion_(L, LUA_VERSION_NUM << 16); }

// ---- values ----
// Length with metamethods, as an int (floor); "object length is not a number".
int luaL_len(lua_State* L, int idx);
// Pushes the text of any value ("__tostring" first) and returns it.
const char* luaL_tolstring(lua_State* L, int idx, size_t* len);
int luaL_getmetafield(lua_State* L, int obj, const char* e);  // pushes it: 1
int luaL_callmeta(lua_State* L, int obj, const char* e);      // pushes its result: 1
int luaL_newmetatable(lua_State* L, const char* tname);       // 0 when it exists
void luaL_setmetatable(lua_State* L, const char* tname);
inline void luaL_getmetatable(lua_State* L, const char* tname) { lua_getfield(L, LUA_REGISTRYINDEX, tname); }
int luaL_getsubtable(lua_State* L, int idx, const char* fname);
void luaL_setfuncs(lua_State* L, const luaL_Reg* l, int nup);
void luaL_requiref(lua_State* L, const char* modname, lua_CFunction openf, int glb);
// A copy of s with every pattern p replaced by r, pushed.
const char* luaL_gsub(lua_State* L, const char* s, const char* p, const char* r);
int luaL_fileresult(lua_State* L, int stat, const char* fname);
int luaL_execresult(lua_State* L, int stat);
// Searches the globals (and one level of tables in them) for the function on
// top: replaces it by its name ("key" or "outer.inner"): 1; else pops it: 0.
int luaL_globalfuncname(lua_State* L);

// ---- references ----
int luaL_ref(lua_State* L, int t);
void luaL_unref(lua_State* L, int t, int ref);

// ---- states ----
// A state over the host allocator with a panic function that reports to
// standard error.
lua_State* luaL_newstate();
// Opens no library; makes sure the registry holds "_PRELOAD".
void luaL_openlibs(lua_State* L);

// ---- buffers ----
struct luaL_Buffer {
  char* b;      // the bytes: initb or a userdata box on the stack
  size_t size;  // capacity
  size_t n;     // bytes in use
  lua_State* L;
  char initb[LUAL_BUFFERSIZE];
};

void luaL_buffinit(lua_State* L, luaL_Buffer* B);
char* luaL_prepbuffsize(luaL_Buffer* B, size_t sz);
inline char* luaL_prepbuffer(luaL_Buffer* B) { return luaL_prepbuffsize(B, LUAL_BUFFERSIZE); }
inline void luaL_addsize(luaL_Buffer* B, size_t n) { B->n += n; }
inline void luaL_addchar(luaL_Buffer* B, char c) {
  if (B->n >= B->size) luaL_prepbuffsize(B, 1);
  B->b[B->n++] = c;
}
void luaL_addlstring(luaL_Buffer* B, const char* s, size_t l);
void luaL_addstring(luaL_Buffer* B, const char* s);
void luaL_addvalue(luaL_Buffer* B);  // adds the value on top, popped
void luaL_pushresult(luaL_Buffer* B);
void luaL_pushresultsize(luaL_Buffer* B, size_t sz);
char* luaL_buffinitsize(lua_State* L, luaL_Buffer* B, size_t sz);
