// Metamethod event names and lookup, and the type names.
#include "script/vm/tm.h"

#include "script/value/gc.h"
#include "script/value/string.h"
#include "script/value/table.h"

const char* const luaT_typenames_[LUA_TOTALTAGS] = {"no value", "nil",      "boolean",  "userdata", "number", "string",
                                                    "table",    "function", "userdata", "thread",   "proto",  "upval"};

const char* const luaT_eventname[TM_N] = {
    "__index", "__newindex", "__gc",   "__mode",  "__len",   "__eq",  "__add", "__sub",  "__mul",    "__div",
    "__mod",   "__pow",      "__and",  "__or",    "__xor",   "__shl", "__shr", "__lshr", "__rotl",   "__rotr",
    "__not",   "__idiv",     "__peek", "__peek2", "__peek4", "__unm", "__lt",  "__le",   "__concat", "__call"};

const char* luaT_objtypename(const TValue* o) { return ttypename(ttypenv(o)); }

void luaT_init(lua_State* L) {
  for (int i = 0; i < TM_N; i++) {
    G(L)->tmname[i] = luaS_new(L, luaT_eventname[i]);
    luaC_fix(G(L)->tmname[i]);
  }
}

const TValue* luaT_gettm(Table* events, TMS event, TString* ename) {
  const TValue* tm = luaH_getstr(events, ename);
  if (ttisnil(tm)) {
    events->flags |= static_cast<uint8_t>(1u << event);  // remember the absence
    return nullptr;
  }
  return tm;
}

const TValue* luaT_fasttm(lua_State* L, Table* et, TMS e) {
  if (et == nullptr || (et->flags & (1u << e)) != 0) return nullptr;
  return luaT_gettm(et, e, G(L)->tmname[e]);
}

const TValue* luaT_gettmbyobj(lua_State* L, const TValue* o, TMS event) {
  Table* mt;
  switch (ttypenv(o)) {
    case LUA_TTABLE: mt = hvalue(o)->metatable; break;
    case LUA_TUSERDATA: mt = uvalue(o)->metatable; break;
    default: mt = G(L)->mt[ttypenv(o)];
  }
  return mt ? luaH_getstr(mt, G(L)->tmname[event]) : luaO_nilobject();
}
