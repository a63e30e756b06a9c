// Interpreter states and threads: creation, call frames and closing.
#include "script/vm/state.h"

#include <cstring>
#include <ctime>
#include <new>

#include "script/compiler/lex.h"
#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/func.h"
#include "script/vm/stack.h"
#include "script/vm/unwind.h"

namespace {

// The main thread and the global state share one block.
struct LG {
  lua_State l;
  global_State g;
};

LG* fromstate(lua_State* L) { return reinterpret_cast<LG*>(L); }

const lua_Number version_number = 502 << 16;

// The hash seed mixes the time, the address of a local and the state's address.
uint32_t makeseed(lua_State* L) {
  char buff[3 * sizeof(size_t)];
  uint32_t h = static_cast<uint32_t>(std::time(nullptr));
  size_t p = 0;
  size_t local_address = reinterpret_cast<size_t>(&h);
  size_t state_address = reinterpret_cast<size_t>(L);
  size_t function_address = reinterpret_cast<size_t>(&lua_newstate);
  std::memcpy(buff + p, &local_address, sizeof(size_t));
  p += sizeof(size_t);
  std::memcpy(buff + p, &state_address, sizeof(size_t));
  p += sizeof(size_t);
  std::memcpy(buff + p, &function_address, sizeof(size_t));
  p += sizeof(size_t);
  return luaS_hash(buff, p, h);
}

void stack_init(lua_State* L1, lua_State* L) {
  L1->stack = luaM_newvector<TValue>(L, BASIC_STACK_SIZE);
  L1->stacksize = BASIC_STACK_SIZE;
  for (int i = 0; i < BASIC_STACK_SIZE; i++) setnilvalue(L1->stack + i);
  L1->top = L1->stack;
  L1->stack_last = L1->stack + L1->stacksize - EXTRA_STACK;
  CallInfo* ci = &L1->base_ci;
  ci->next = ci->previous = nullptr;
  ci->callstatus = 0;
  ci->nresults = 0;
  ci->extra = 0;
  ci->func = L1->top;
  setnilvalue(L1->top++);  // the base frame's function slot
  ci->top = L1->top + LUA_MINSTACK;
  L1->ci = ci;
}

void freestack(lua_State* L) {
  if (L->stack == nullptr) return;
  L->ci = &L->base_ci;
  luaE_freeCI(L);
  luaM_freearray(L, L->stack, static_cast<size_t>(L->stacksize));
}

void init_registry(lua_State* L, global_State* g) {
  Table* registry = luaH_new(L);
  sethvalue(&g->l_registry, registry);
  luaH_resize(L, registry, LUA_RIDX_LAST, 0);
  TValue v;
  setthvalue(&v, L);
  luaH_setint(L, registry, LUA_RIDX_MAINTHREAD, &v);
  sethvalue(&v, luaH_new(L));
  luaH_setint(L, registry, LUA_RIDX_GLOBALS, &v);
}

void f_luaopen(lua_State* L, void*) {
  global_State* g = G(L);
  stack_init(L, L);
  init_registry(L, g);
  luaS_resize(L, MINSTRTABSIZE);
  luaT_init(L);
  luaX_init(L);
  g->memerrmsg = luaS_newliteral(L, "not enough memory");
  luaC_fix(g->memerrmsg);
  g->gcrunning = 1;
  g->version = lua_version(nullptr);
}

void preinit_state(lua_State* L, global_State* g) {
  L->l_G = g;
  L->stack = nullptr;
  L->ci = nullptr;
  L->stacksize = 0;
  L->errorJmp = nullptr;
  L->nCcalls = 0;
  L->hook = nullptr;
  L->hookmask = 0;
  L->basehookcount = 0;
  L->allowhook = 1;
  L->hookcount = 0;
  L->openupval = nullptr;
  L->openlevel = nullptr;
  L->gclist = nullptr;
  L->nny = 1;
  L->status = LUA_OK;
  L->errfunc = 0;
  L->oldpc = nullptr;
  L->nargs = 0;
  L->loop_resume = LoopResume{};
}

void close_state(lua_State* L) {
  global_State* g = G(L);
  if (L->stack != nullptr) luaF_close(L, L->stack);
  luaC_freeallobjects(L);
  luaS_freetexts(g);
  luaM_freearray(L, g->strt.hash, static_cast<size_t>(g->strt.size));
  luaZ_freebuffer(L, &g->buff);
  freestack(L);
  g->frealloc(g->ud, fromstate(L), sizeof(LG), 0);
}

}  // namespace

void luaE_setdebt(global_State* g, ptrdiff_t debt) {
  g->totalbytes = static_cast<size_t>(static_cast<ptrdiff_t>(g->totalbytes) - (debt - g->GCdebt));
  g->GCdebt = debt;
}

CallInfo* luaE_extendCI(lua_State* L) {
  CallInfo* ci = luaM_new<CallInfo>(L);
  L->ci->next = ci;
  ci->previous = L->ci;
  ci->next = nullptr;
  return ci;
}

void luaE_freeCI(lua_State* L) {
  CallInfo* ci = L->ci;
  CallInfo* next = ci->next;
  ci->next = nullptr;
  while ((ci = next) != nullptr) {
    next = ci->next;
    luaM_free(L, ci);
  }
}

void luaE_freethread(lua_State* L, lua_State* L1) {
  luaF_close(L1, L1->stack);
  freestack(L1);
  luaM_free(L, L1);
}

lua_State* lua_newstate(lua_Alloc f, void* ud) {
  void* block = luaM_callhook(f, ud, nullptr, LUA_TTHREAD, sizeof(LG), LAYOUT32_STATE);
  if (block == nullptr) return nullptr;
  LG* lg = new (block) LG;
  lua_State* L = &lg->l;
  global_State* g = &lg->g;
  g->texts = nullptr;
  luaS_newtexts(g);
  L->next = nullptr;
  L->tt = LUA_TTHREAD;
  g->currentwhite = bitmask(WHITE0BIT) | bitmask(FIXEDBIT);
  L->marked = luaC_white(g);
  g->gckind = KGC_NORMAL;
  preinit_state(L, g);
  g->frealloc = f;
  g->ud = ud;
  g->mainthread = L;
  g->seed = makeseed(L);
  g->uvhead.u.l.prev = &g->uvhead;
  g->uvhead.u.l.next = &g->uvhead;
  g->gcrunning = 0;  // no collection while building the state
  g->GCestimate = 0;
  g->GCmemtrav = 0;
  g->strt.size = 0;
  g->strt.nuse = 0;
  g->strt.hash = nullptr;
  setnilvalue(&g->l_registry);
  luaZ_initbuffer(&g->buff);
  g->panic = nullptr;
  g->version = nullptr;
  g->memerrmsg = nullptr;
  g->gcstate = GCSpause;
  g->sweepstrgc = 0;
  g->allgc = nullptr;
  g->finobj = nullptr;
  g->tobefnz = nullptr;
  g->sweepgc = nullptr;
  g->sweepfin = nullptr;
  g->gray = g->grayagain = nullptr;
  g->weak = g->ephemeron = g->allweak = nullptr;
  g->totalbytes = sizeof(LG);
  g->GCdebt = 0;
  g->gcpause = LUAI_GCPAUSE;
  g->gcmajorinc = LUAI_GCMAJOR;
  g->gcstepmul = LUAI_GCMUL;
  for (int i = 0; i < TM_N; i++) g->tmname[i] = nullptr;
  for (int i = 0; i < LUA_NUMTAGS; i++) g->mt[i] = nullptr;
  g->cpu = lua_cpu_counters{0, 0, TOVO_DEFAULT_SLICE_MAX, 0, 0};
  g->runtime_line = 0;
  g->last_line_number = -1;
  lua_sethost(L, nullptr);
  if (luaD_rawrunprotected(L, f_luaopen, nullptr) != LUA_OK) {
    close_state(L);
    return nullptr;
  }
  return L;
}

void lua_close(lua_State* L) { close_state(G(L)->mainthread); }

lua_State* lua_newthread(lua_State* L) {
  luaC_checkGC(L);
  lua_State* L1 = static_cast<lua_State*>(luaC_newobj(L, LUA_TTHREAD, sizeof(lua_State), LAYOUT32_THREAD, nullptr));
  preinit_state(L1, G(L));  // before anything can allocate (and so collect)
  L1->hookmask = L->hookmask;
  L1->basehookcount = L->basehookcount;
  L1->hook = L->hook;
  L1->hookcount = L1->basehookcount;
  setthvalue(L->top, L1);
  incr_top(L);
  stack_init(L1, L);
  return L1;
}

lua_CFunction lua_atpanic(lua_State* L, lua_CFunction panicf) {
  lua_CFunction old = G(L)->panic;
  G(L)->panic = panicf;
  return old;
}

const lua_Number* lua_version(lua_State* L) { return L == nullptr ? &version_number : G(L)->version; }

int tovo_runtime_line(lua_State* L) { return G(L)->runtime_line; }

void tovo_set_runtime_line(lua_State* L, int line) { G(L)->runtime_line = line; }

int tovo_last_line_number(lua_State* L) { return G(L)->last_line_number; }
