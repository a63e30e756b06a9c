// Table functions with the console's semantics: add, deli, del and count
// charge the cycle budget for the elements they move or compare; pack and
// unpack for the values they copy.
#include "script/api/auxlib.h"
#include "script/console_services.h"
#include "script/lib/lib_base.h"

namespace {

// Charges the state's host for n elements.
void spend_cpu(lua_State* L, int n) { lua_gethost(L)->spend_cpu(L, n); }

// Closes the gap at pos: t[pos..n-1] = t[pos+1..n], t[n] = nil.
void close_gap(lua_State* L, int pos, int n) {
  if (n > pos) lua_rawmove(L, 1, pos + 1, pos, n - pos);
  lua_pushnil(L);
  lua_rawseti(L, 1, n);
}

// The length of the table in slot 1, "__len" included.
int length(lua_State* L) {
  int n = lua_tablelen(L, 1);
  return n >= 0 ? n : luaL_len(L, 1);
}

// tinsert past a plain append: with a position, or into a table with
// "__len" (apart, so that an append saves no registers for it).
[[gnu::noinline]] int insert_at(lua_State* L, int top) {
  if (top != 2 && lua_type(L, 1) != LUA_TTABLE) return 0;
  int n = length(L);
  if (top == 1) return 0;
  if (top == 2) {
    lua_pushvalue(L, 2);
    lua_rawseti(L, 1, n + 1);
    return 1;
  }
  int pos = lua_tointeger(L, 3);  // not a number: 0
  lua_settop(L, 2);
  luaL_argcheck(L, pos >= 1 && pos <= n + 1, 3, "position out of bounds");
  if (n + 1 > pos) lua_rawmove(L, 1, pos, pos + 1, n + 1 - pos);
  spend_cpu(L, n + 1 - pos);
  lua_pushvalue(L, 2);
  lua_rawseti(L, 1, pos);
  lua_pushvalue(L, 2);
  return 1;
}

}  // namespace

int tinsert(lua_State* L) {
  int top = lua_gettop(L);
  if (top == 2) {
    int appended = lua_rawappend(L, 1, 2);
    if (appended != 0) return appended > 0 ? 1 : 0;  // the value, left on top
  }
  return insert_at(L, top);
}

int tremove(lua_State* L) {
  if (lua_type(L, 1) != LUA_TTABLE) return 0;
  int n = length(L);
  int pos = lua_gettop(L) == 1 ? n : lua_tointeger(L, 2);
  if (pos < 1 || pos > n) return 0;
  lua_rawgeti(L, 1, pos);  // the result
  spend_cpu(L, n - pos);
  close_gap(L, pos, n);
  return 1;
}

int tdel(lua_State* L) {
  if (lua_gettop(L) < 2 || lua_type(L, 1) != LUA_TTABLE) return 0;
  int n = length(L);
  if (n <= 0) {
    spend_cpu(L, n);
    return 0;
  }
  // Without an "__eq" that could take part, a raw scan finds the same one.
  int found = lua_rawfind(L, 1, 2, n);
  if (found > 0) {
    lua_rawgeti(L, 1, found);  // the result
    spend_cpu(L, n);
    close_gap(L, found, n);
    return 1;
  }
  if (found == 0) {
    spend_cpu(L, n);
    return 0;
  }
  for (int i = 1; i <= n; i++) {
    lua_rawgeti(L, 1, i);
    if (lua_compare(L, -1, 2, LUA_OPEQ)) {  // the element stays on top as the result
      spend_cpu(L, n);
      close_gap(L, i, n);
      return 1;
    }
    lua_pop(L, 1);
  }
  spend_cpu(L, n);
  return 0;
}

int tcount(lua_State* L) {
  if (lua_type(L, 1) != LUA_TTABLE) return 0;
  int n = length(L);
  if (lua_gettop(L) == 1) {
    spend_cpu(L, 0);
    lua_pushinteger(L, n);
    return 1;
  }
  if (n <= 0) {
    spend_cpu(L, 0);
    lua_pushinteger(L, 0);
    return 1;
  }
  int count = 0;
  for (int i = 1; i <= n; i++) {
    lua_rawgeti(L, 1, i);
    if (lua_compare(L, -1, 2, LUA_OPEQ)) count++;
    lua_pop(L, 1);
  }
  spend_cpu(L, n);
  lua_pushinteger(L, count);
  return 1;
}

int pack(lua_State* L) {
  int n = lua_gettop(L);
  lua_createtable(L, n, 1);
  lua_insert(L, 1);
  for (int i = n; i >= 1; i--) lua_rawseti(L, 1, i);
  lua_pushinteger(L, n);
  lua_setfield(L, 1, "n");
  spend_cpu(L, 2 * n);
  return 1;
}

int unpack(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  int i = luaL_optinteger(L, 2, 1);
  int e = lua_isnoneornil(L, 3) ? luaL_len(L, 1) : luaL_checkinteger(L, 3);
  if (i > e) return 0;
  int n = e - i + 1;
  if (n <= 0 || !lua_checkstack(L, n)) luaL_error(L, "too many results to unpack");
  for (int k = i; k <= e; k++) lua_rawgeti(L, 1, k);
  spend_cpu(L, 2 * n);
  return n;
}
