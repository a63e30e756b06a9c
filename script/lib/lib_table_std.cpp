// The table library for scripts written for stock Lua: insert, remove,
// concat and sort with the stock semantics (insert takes the position before
// the value, unlike the console's add), and the console's pack and unpack.
#include "script/api/auxlib.h"
#include "script/lib/lib_base.h"
#include "script/lualib.h"
#include "script/value/number.h"

namespace {

void add_element(lua_State* L, luaL_Buffer* b, int i) {
  lua_rawgeti(L, 1, i);
  if (!lua_isstring(L, -1))
    luaL_error(L, "invalid value (%s) at index %d in table for 'concat'", lua_typename(L, lua_type(L, -1)),
               tovo_int2num(i));
  luaL_addvalue(b);
}

// Sorting sees the table at slot 1 and the order function (or nil) at slot 2.
bool less_than(lua_State* L, int a, int b) {
  if (lua_isnil(L, 2)) return lua_compare(L, a, b, LUA_OPLT) != 0;
  lua_pushvalue(L, 2);
  lua_pushvalue(L, a - (a < 0 ? 1 : 0));
  lua_pushvalue(L, b - (b < 0 ? 2 : 0));
  lua_call(L, 2, 1);
  bool r = lua_toboolean(L, -1) != 0;
  lua_pop(L, 1);
  return r;
}

// t[i] = the value on top, popped.
void store(lua_State* L, int i) { lua_rawseti(L, 1, i); }

// Swaps t[i] and t[j], whose values are on top (t[i] below t[j]).
void swap_pushed(lua_State* L, int i, int j) {
  store(L, i);
  store(L, j);
}

[[noreturn]] void bad_order(lua_State* L) { luaL_error(L, "invalid order function for sorting"); }

// Quicksort of t[lo..hi]: the median of three as pivot, the smaller part
// sorted by recursion and the larger in the loop.
void sort_range(lua_State* L, int lo, int hi) {
  while (lo < hi) {
    lua_rawgeti(L, 1, lo);
    lua_rawgeti(L, 1, hi);
    if (less_than(L, -1, -2)) {
      swap_pushed(L, lo, hi);
    } else {
      lua_pop(L, 2);
    }
    if (hi - lo == 1) return;
    int mid = lo + (hi - lo) / 2;
    lua_rawgeti(L, 1, mid);
    lua_rawgeti(L, 1, lo);
    if (less_than(L, -2, -1)) {
      swap_pushed(L, mid, lo);
    } else {
      lua_pop(L, 1);
      lua_rawgeti(L, 1, hi);
      if (less_than(L, -1, -2)) {
        swap_pushed(L, mid, hi);
      } else {
        lua_pop(L, 2);
      }
    }
    if (hi - lo == 2) return;
    // The pivot goes to hi-1; a copy of it stays on the stack.
    lua_rawgeti(L, 1, mid);
    lua_pushvalue(L, -1);
    lua_rawgeti(L, 1, hi - 1);
    swap_pushed(L, mid, hi - 1);
    int i = lo, j = hi - 1;
    for (;;) {
      for (;;) {  // t[lo] <= pivot <= t[hi] stop both scans in bounds
        lua_rawgeti(L, 1, ++i);
        if (!less_than(L, -1, -2)) break;
        if (i >= hi) bad_order(L);
        lua_pop(L, 1);
      }
      for (;;) {
        lua_rawgeti(L, 1, --j);
        if (!less_than(L, -3, -1)) break;
        if (j <= lo) bad_order(L);
        lua_pop(L, 1);
      }
      if (j < i) {
        lua_pop(L, 3);  // t[i], t[j] and the pivot
        break;
      }
      swap_pushed(L, i, j);
    }
    lua_rawgeti(L, 1, hi - 1);
    lua_rawgeti(L, 1, i);
    swap_pushed(L, hi - 1, i);
    if (i - lo < hi - i) {
      sort_range(L, lo, i - 1);
      lo = i + 1;
    } else {
      sort_range(L, i + 1, hi);
      hi = i - 1;
    }
  }
}

int table_length(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  return luaL_len(L, 1);
}

int tab_insert(lua_State* L) {
  int free_slot = table_length(L) + 1;
  int pos = free_slot;
  switch (lua_gettop(L)) {
    case 2: break;
    case 3:
      pos = luaL_checkinteger(L, 2);
      luaL_argcheck(L, pos >= 1 && pos <= free_slot, 2, "position out of bounds");
      for (int i = free_slot; i > pos; i--) {
        lua_rawgeti(L, 1, i - 1);
        store(L, i);
      }
      break;
    default: luaL_error(L, "wrong number of arguments to 'insert'");
  }
  store(L, pos);
  return 0;
}

// Removes t[pos] (default the last) and closes the gap; pos may also be
// one past the end, or the length of an empty table.
int tab_remove(lua_State* L) {
  int size = table_length(L);
  int pos = luaL_optinteger(L, 2, size);
  if (pos != size) luaL_argcheck(L, pos >= 1 && pos <= size + 1, 1, "position out of bounds");
  lua_rawgeti(L, 1, pos);
  for (; pos < size; pos++) {
    lua_rawgeti(L, 1, pos + 1);
    store(L, pos);
  }
  lua_pushnil(L);
  store(L, pos);
  return 1;
}

int tab_concat(lua_State* L) {
  size_t lsep = 0;
  const char* sep = luaL_optlstring(L, 2, "", &lsep);
  luaL_checktype(L, 1, LUA_TTABLE);
  int i = luaL_optinteger(L, 3, 1);
  int last = lua_isnoneornil(L, 4) ? luaL_len(L, 1) : luaL_checkinteger(L, 4);
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  for (; i < last; i++) {
    add_element(L, &b, i);
    luaL_addlstring(&b, sep, lsep);
  }
  if (i == last) add_element(L, &b, i);
  luaL_pushresult(&b);
  return 1;
}

int tab_sort(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  int n = luaL_len(L, 1);
  if (!lua_isnoneornil(L, 2)) luaL_checktype(L, 2, LUA_TFUNCTION);
  lua_settop(L, 2);
  sort_range(L, 1, n);
  return 0;
}

const luaL_Reg tab_funcs[] = {
    {"concat", tab_concat}, {"insert", tab_insert}, {"pack", pack},     {"unpack", unpack},
    {"remove", tab_remove}, {"sort", tab_sort},     {nullptr, nullptr},
};

}  // namespace

int luaopen_table(lua_State* L) {
  lua_newtable(L);
  luaL_setfuncs(L, tab_funcs, 0);
  return 1;
}
