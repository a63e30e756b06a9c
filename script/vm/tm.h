#pragma once
// Metamethod events, in the order the instruction set and the arithmetic
// codes rely on (arithmetic event = luaO_arith code + TM_ADD).
#include "script/value/object.h"

enum TMS {
  TM_INDEX,
  TM_NEWINDEX,
  TM_GC,
  TM_MODE,
  TM_LEN,
  TM_EQ,  // last event cached in a table's flags
  TM_ADD,
  TM_SUB,
  TM_MUL,
  TM_DIV,
  TM_MOD,
  TM_POW,
  TM_BAND,
  TM_BOR,
  TM_BXOR,
  TM_SHL,
  TM_SHR,
  TM_LSHR,
  TM_ROTL,
  TM_ROTR,
  TM_BNOT,
  TM_IDIV,
  TM_PEEK,
  TM_PEEK2,
  TM_PEEK4,
  TM_UNM,
  TM_LT,
  TM_LE,
  TM_CONCAT,
  TM_CALL,
  TM_N
};

struct global_State;

extern const char* const luaT_eventname[TM_N];
extern const char* const luaT_typenames_[LUA_TOTALTAGS];  // indexed by type + 1

inline const char* ttypename(int t) { return luaT_typenames_[t + 1]; }
const char* luaT_objtypename(const TValue* o);

// Interns the event names and fixes them against collection.
void luaT_init(lua_State* L);
// The metamethod of an event in a metatable; for the cached events an absent
// one is remembered in the table's flags.
const TValue* luaT_gettm(Table* events, TMS event, TString* ename);
const TValue* luaT_gettmbyobj(lua_State* L, const TValue* o, TMS event);
// The cached form: null when the metatable is null or the event known absent.
const TValue* luaT_fasttm(lua_State* L, Table* et, TMS e);
