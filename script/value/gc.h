#pragma once
// The incremental collector: tri-colour marking with two whites, write
// barriers, weak tables and ephemerons, and an optional generational mode.
// Objects whose metatable has "__gc" are kept on a list of their own; the
// "__gc" function is never called.
#include "script/vm/state.h"

// Phases.
constexpr uint8_t GCSpropagate = 0;
constexpr uint8_t GCSatomic = 1;
constexpr uint8_t GCSsweepstring = 2;
constexpr uint8_t GCSsweepudata = 3;
constexpr uint8_t GCSsweep = 4;
constexpr uint8_t GCSpause = 5;

// Bits of the mark byte.
constexpr int WHITE0BIT = 0;
constexpr int WHITE1BIT = 1;
constexpr int BLACKBIT = 2;
constexpr int FINALIZEDBIT = 3;  // found unreachable once (its "__gc" not called)
constexpr int SEPARATED = 4;     // on the finalizer list
constexpr int FIXEDBIT = 5;      // never collected
constexpr int OLDBIT = 6;        // survived a generational collection

constexpr uint8_t bitmask(int b) { return static_cast<uint8_t>(1u << b); }
constexpr uint8_t WHITEBITS = bitmask(WHITE0BIT) | bitmask(WHITE1BIT);

constexpr ptrdiff_t GCSTEPSIZE = 1600;  // a step stops once this much work is paid ahead
constexpr int GCSWEEPMAX = 80;          // objects or buckets swept per single step
constexpr int GCSWEEPCOST = 5;
constexpr int STEPMULADJ = 200;
constexpr int PAUSEADJ = 100;
constexpr int LUAI_GCPAUSE = 200;
constexpr int LUAI_GCMAJOR = 200;
constexpr int LUAI_GCMUL = 200;

inline bool iswhite(const GCObject* o) { return (o->marked & WHITEBITS) != 0; }
inline bool isblack(const GCObject* o) { return (o->marked & bitmask(BLACKBIT)) != 0; }
inline bool isgray(const GCObject* o) { return !isblack(o) && !iswhite(o); }
inline bool isold(const GCObject* o) { return (o->marked & bitmask(OLDBIT)) != 0; }
inline void resetoldbit(GCObject* o) { o->marked &= static_cast<uint8_t>(~bitmask(OLDBIT)); }
inline uint8_t otherwhite(const global_State* g) { return g->currentwhite ^ WHITEBITS; }
inline bool isdeadm(uint8_t ow, uint8_t m) { return ((m ^ WHITEBITS) & ow) == 0; }
inline bool isdead(const global_State* g, const GCObject* o) { return isdeadm(otherwhite(g), o->marked); }
inline void changewhite(GCObject* o) { o->marked ^= WHITEBITS; }
inline void gray2black(GCObject* o) { o->marked |= bitmask(BLACKBIT); }
inline bool valiswhite(const TValue* v) { return iscollectable(v) && iswhite(gcvalue(v)); }
inline uint8_t luaC_white(const global_State* g) { return g->currentwhite & WHITEBITS; }
inline void luaC_fix(GCObject* o) { o->marked |= bitmask(FIXEDBIT); }

inline bool isgenerational(const global_State* g) { return g->gckind == KGC_GEN; }
// While marking (and always in generational mode) no black object may point
// to a white one.
inline bool keepinvariant(const global_State* g) { return isgenerational(g) || g->gcstate <= GCSatomic; }
inline bool issweepphase(const global_State* g) { return g->gcstate >= GCSsweepstring && g->gcstate <= GCSsweep; }

// A new object of kind tt and sz bytes (charge bytes in the 32-bit layout),
// white, linked at the head of list (the list of all objects when list is
// null).
GCObject* luaC_newobj(lua_State* L, int tt, size_t sz, size_t charge, GCObject** list);

// One step of collector work paced by the debt; with the collector stopped
// it only sets the debt to -GCSTEPSIZE.
void luaC_step(lua_State* L);
// One step whether or not the collector runs (lua_gc step).
void luaC_forcestep(lua_State* L);
void luaC_fullgc(lua_State* L, int isemergency);
void luaC_runtilstate(lua_State* L, int statesmask);
void luaC_freeallobjects(lua_State* L);
void luaC_changemode(lua_State* L, int mode);

// Runs a step when the debt is positive. With the stress option every check
// runs a full collection instead (when the collector runs).
inline void luaC_checkGC(lua_State* L) {
#ifdef TOVO_GC_STRESS
  if (G(L)->gcrunning) {
    luaC_fullgc(L, 0);
    return;
  }
#endif
  if (G(L)->GCdebt > 0) luaC_step(L);
}

// True when luaC_checkGC would run the collector now.
inline bool luaC_stepdue(lua_State* L) {
#ifdef TOVO_GC_STRESS
  if (G(L)->gcrunning) return true;
#endif
  return G(L)->GCdebt > 0;
}

// Barriers: keep a black object from pointing to a white one.
void luaC_barrier_(lua_State* L, GCObject* o, GCObject* v);
void luaC_barrierback_(lua_State* L, GCObject* o);
void luaC_barrierproto_(lua_State* L, Proto* p, Closure* c);
void luaC_checkupvalcolor(global_State* g, UpVal* uv);
// A table (or userdata) whose metatable has "__gc" moves to the finalizer list.
void luaC_checkfinalizer(lua_State* L, GCObject* o, Table* mt);

// Forward barrier: o now refers to the value v.
inline void luaC_barrier(lua_State* L, GCObject* o, const TValue* v) {
  if (valiswhite(v) && isblack(o)) luaC_barrier_(L, o, gcvalue(v));
}
inline void luaC_objbarrier(lua_State* L, GCObject* o, GCObject* v) {
  if (iswhite(v) && isblack(o)) luaC_barrier_(L, o, v);
}
// Back barrier for tables: t becomes gray again.
inline void luaC_barrierback(lua_State* L, Table* t, const TValue* v) {
  if (valiswhite(v) && isblack(t)) luaC_barrierback_(L, t);
}
inline void luaC_objbarrierback(lua_State* L, Table* t, GCObject* v) {
  if (iswhite(v) && isblack(t)) luaC_barrierback_(L, t);
}
inline void luaC_barrierproto(lua_State* L, Proto* p, Closure* c) {
  if (isblack(p)) luaC_barrierproto_(L, p, c);
}
