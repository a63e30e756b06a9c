// Tracebacks: the text of a thread's call frames, and the debug library's
// traceback function that the console calls after a runtime error.
#include "script/api/api.h"
#include "script/api/auxlib.h"
#include "script/value/number.h"

namespace {

constexpr int LEVELS1 = 12;  // frames shown before the gap of a long traceback
constexpr int LEVELS2 = 10;  // frames shown after it

int countlevels(lua_State* L) {
  lua_Debug ar;
  int li = 1, le = 1;
  while (lua_getstack(L, le, &ar)) {  // an upper bound
    li = le;
    le *= 2;
  }
  while (li < le) {  // then a binary search
    int m = (li + le) / 2;
    if (lua_getstack(L, m, &ar)) {
      li = m + 1;
    } else {
      le = m;
    }
  }
  return le - 1;
}

// The description of a frame of L1, pushed on L.
void pushfuncname(lua_State* L, lua_State* L1, lua_Debug* ar) {
  if (*ar->namewhat != '\0') {
    lua_pushfstring(L, "function '%s'", ar->name);
  } else if (*ar->what == 'm') {
    lua_pushstring(L, "main chunk");
  } else if (*ar->what == 'C') {  // a native function: by its global name
    lua_getinfo(L1, "f", ar);
    lua_xmove(L1, L, 1);
    if (luaL_globalfuncname(L)) {
      lua_pushfstring(L, "function '%s'", lua_tostring(L, -1));
      lua_remove(L, -2);
    } else {
      lua_pushstring(L, "?");
    }
  } else {
    lua_pushfstring(L, "function <%s:%d>", ar->short_src, tovo_int2num(ar->linedefined));
  }
}

}  // namespace

void luaL_traceback(lua_State* L, lua_State* L1, const char* msg, int level) {
  lua_Debug ar;
  int top = lua_gettop(L);
  int numlevels = countlevels(L1);
  int mark = numlevels > LEVELS1 + LEVELS2 ? LEVELS1 : 0;
  if (msg != nullptr) lua_pushfstring(L, "%s\n", msg);
  lua_pushstring(L, "stack traceback:");
  while (lua_getstack(L1, level++, &ar)) {
    if (level == mark) {  // too many frames: leave out the middle ones
      lua_pushstring(L, "\n\t...");
      level = numlevels - LEVELS2;
    } else {
      lua_getinfo(L1, "Slnt", &ar);
      lua_pushfstring(L, "\n\t%s:", ar.short_src);
      if (ar.currentline > 0) lua_pushfstring(L, "%d:", tovo_int2num(ar.currentline));
      lua_pushstring(L, " in ");
      pushfuncname(L, L1, &ar);
      if (ar.istailcall) lua_pushstring(L, "\n\t(...tail calls...)");
      lua_concat(L, lua_gettop(L) - top);
    }
  }
  lua_concat(L, lua_gettop(L) - top);
}

int db_traceback(lua_State* L) {
  int arg = 0;
  lua_State* L1 = L;
  if (lua_type(L, 1) == LUA_TTHREAD) {
    arg = 1;
    L1 = lua_tothread(L, 1);
  }
  const char* msg = lua_tostring(L, arg + 1);
  if (msg == nullptr && lua_type(L, arg + 1) > LUA_TNIL) {  // not a message: returned as it is
    lua_pushvalue(L, arg + 1);
    return 1;
  }
  int isnum = 0;
  int level = lua_tointegerx(L, arg + 2, &isnum);
  if (!isnum) level = L == L1 ? 1 : 0;
  luaL_traceback(L, L1, msg, level);
  return 1;
}
