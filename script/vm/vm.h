#pragma once
// The virtual machine: the instruction loop and the operations it shares
// with the native interface (table access with metamethods, arithmetic,
// comparisons, concatenation, length).
#include "script/value/object.h"
#include "script/vm/tm.h"

// Equality with "__eq" for two tables or two full userdata.
int luaV_equalobj_(lua_State* L, const TValue* t1, const TValue* t2);
inline bool luaV_equalobj(lua_State* L, const TValue* t1, const TValue* t2) {
  return rttype(t1) == rttype(t2) && luaV_equalobj_(L, t1, t2);
}
inline bool luaV_rawequalobj(const TValue* t1, const TValue* t2) { return luaO_rawequalObj(t1, t2); }
int luaV_lessthan(lua_State* L, const TValue* l, const TValue* r);
int luaV_lessequal(lua_State* L, const TValue* l, const TValue* r);

// val = t[key] and t[key] = val, through "__index" / "__newindex" chains.
void luaV_gettable(lua_State* L, const TValue* t, const TValue* key, StkId val);
void luaV_settable(lua_State* L, const TValue* t, const TValue* key, const TValue* val);
// ra = rb op rc for an arithmetic event: numbers and convertible strings
// directly, else the event's metamethod, else the type error.
void luaV_arith(lua_State* L, StkId ra, const TValue* rb, const TValue* rc, TMS op);
// ra = #rb.
void luaV_objlen(lua_State* L, StkId ra, const TValue* rb);
// Joins the total values below the top into one, leaving it at the lowest
// of them; each string copied into a result is charged length / 32 cycles.
void luaV_concat(lua_State* L, int total);

// Calls metamethod f with p1 and p2; with hasres its result goes to p3,
// else p3 is a third argument. Yieldable when called from a script frame.
void luaT_callTM(lua_State* L, const TValue* f, const TValue* p1, const TValue* p2, TValue* p3, int hasres);
// The event's metamethod of p1, else of p2, called with both: 0 when neither
// has one.
int luaT_callbinTM(lua_State* L, const TValue* p1, const TValue* p2, StkId res, TMS event);

// Readies a prototype whose code is complete (compiled or loaded and
// checked) for the instruction loop, once: sets its quick-call field and
// rewrites its instructions into the loop forms that fit their operands
// (luaP_original reads them back as made). Nested prototypes are readied
// apart.
void luaV_prepare(Proto* p);
// Finishes the instruction whose metamethod call a yield interrupted.
void luaV_finishOp(lua_State* L);
// Runs the current script frame (and the script frames it calls) until it
// returns.
void luaV_execute(lua_State* L);
