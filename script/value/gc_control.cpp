// lua_gc: how native code drives the collector.
#include "script/value/gc.h"

int lua_gc(lua_State* L, int what, int data) {
  global_State* g = G(L);
  int res = 0;
  switch (what) {
    case LUA_GCSTOP: g->gcrunning = 0; break;
    case LUA_GCRESTART:
      luaE_setdebt(g, 0);
      g->gcrunning = 1;
      break;
    case LUA_GCCOLLECT: luaC_fullgc(L, 0); break;
    case LUA_GCCOUNT: res = static_cast<int>(gettotalbytes(g) >> 10); break;
    case LUA_GCCOUNTB: res = static_cast<int>(gettotalbytes(g) & 0x3ff); break;
    case LUA_GCSTEP:
      if (isgenerational(g)) {
        res = g->GCestimate == 0;  // the next step is a major collection
        luaC_forcestep(L);
      } else {
        ptrdiff_t debt = static_cast<ptrdiff_t>(data) * 1024 - GCSTEPSIZE;
        if (g->gcrunning) debt += g->GCdebt;
        luaE_setdebt(g, debt);
        luaC_forcestep(L);
        res = g->gcstate == GCSpause;
      }
      break;
    case LUA_GCSETPAUSE:
      res = g->gcpause;
      g->gcpause = data;
      break;
    case LUA_GCSETSTEPMUL:
      res = g->gcstepmul;
      g->gcstepmul = data;
      break;
    case LUA_GCSETMAJORINC:
      res = g->gcmajorinc;
      g->gcmajorinc = data;
      break;
    case LUA_GCISRUNNING: res = g->gcrunning; break;
    case LUA_GCGEN: luaC_changemode(L, KGC_GEN); break;
    case LUA_GCINC: luaC_changemode(L, KGC_NORMAL); break;
    default: res = -1;
  }
  return res;
}
