// States, threads, stacks, closures and upvalues, and the allocator contract.
#include <functional>
#include <vector>

#include "script/api/api.h"
#include "script/value/lua_mem.h"
#include "script/vm/func.h"
#include "tests/script/runtime_fixture.h"

namespace {

class StateTest : public RuntimeTest {};

TEST(State, OneAllocationForTheStateAndEveryByteReturned) {
  counting_alloc a;
  a.fail_above = 1;  // every request fails
  EXPECT_EQ(lua_newstate(counting_alloc_fn, &a), nullptr);
  EXPECT_EQ(a.in_use, 0u);

  // The first request is the state block, tagged as a thread.
  struct first_request {
    counting_alloc c;
    size_t old_size = 0;
    bool seen = false;
  } probe;
  auto hook = [](void* ud, void* b, size_t o, size_t n) -> void* {
    auto* p = static_cast<first_request*>(ud);
    if (!p->seen) {
      p->seen = true;
      p->old_size = o;
    }
    return counting_alloc_fn(&p->c, b, o, n);
  };
  lua_State* L = lua_newstate(hook, &probe);
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(probe.old_size, static_cast<size_t>(LUA_TTHREAD));
  EXPECT_EQ(L->stacksize, BASIC_STACK_SIZE);
  EXPECT_EQ(L->stack_last - L->stack, BASIC_STACK_SIZE - EXTRA_STACK);
  EXPECT_EQ(G(L)->gcpause, 200);
  EXPECT_EQ(G(L)->gcstepmul, 200);
  int strt = G(L)->strt.size;  // made with 32 buckets, doubled as names are interned
  EXPECT_GE(strt, MINSTRTABSIZE);
  EXPECT_EQ(strt & (strt - 1), 0);
  EXPECT_EQ(lua_gc(L, LUA_GCISRUNNING, 0), 1);
  lua_close(L);
  EXPECT_EQ(probe.c.in_use, 0u);
  EXPECT_EQ(probe.c.size_mismatches, 0u);
}

TEST(State, FailingPartWayThroughOpeningLeavesNothing) {
  for (size_t limit = 200; limit < 20000; limit += 200) {
    counting_alloc a;
    a.limit = limit;
    lua_State* L = lua_newstate(counting_alloc_fn, &a);
    if (L != nullptr) lua_close(L);
    EXPECT_EQ(a.in_use, 0u) << limit;
  }
}

TEST_F(StateTest, RegistryHoldsMainThreadAndGlobals) {
  Table* reg = registry_table(L);
  const TValue* mt = luaH_getint(reg, LUA_RIDX_MAINTHREAD);
  ASSERT_TRUE(ttisthread(mt));
  EXPECT_EQ(thvalue(mt), L);
  EXPECT_TRUE(ttistable(luaH_getint(reg, LUA_RIDX_GLOBALS)));
  // the globals table is registry slot 2, the number key 0x20000
  EXPECT_TRUE(ttistable(getnum(reg, 0x20000)));
  EXPECT_STREQ(getstr(G(L)->memerrmsg), "not enough memory");
}

TEST_F(StateTest, FailedAllocationCollectsOnceThenRaisesMemoryError) {
  // Garbage that a collection can free, then a request that always fails.
  run_protected(L, [&] {
    for (int i = 0; i < 200; i++) luaH_new(L);
  });
  size_t before = alloc.in_use;
  alloc.fail_above = 100000;
  int status = run_protected(L, [&] { luaM_realloc_(L, nullptr, 0, 200000, 200000); });
  EXPECT_EQ(status, LUA_ERRMEM);
  EXPECT_LT(alloc.in_use, before);  // the emergency collection ran
  EXPECT_EQ(alloc.refusals, 2u);    // the request and its one retry
  luaD_seterrorobj(L, status, L->top);
  EXPECT_EQ(top_text(L), "not enough memory");
  L->top--;
  alloc.fail_above = 0;
}

TEST_F(StateTest, ARequestThatSucceedsAfterTheEmergencyCollectionIsCountedOnce) {
  // Each request is refused until the emergency collection frees garbage,
  // then made: the collector's count of the state's bytes must stay the
  // bytes the allocator holds, before, during and after (a growth counted
  // twice, or not at all, would move the collector's pace from then on).
  struct Case {
    const char* what;
    std::function<void(lua_State*, std::vector<void*>&)> request;
  } cases[] = {
      {"new block",
       [](lua_State* S, std::vector<void*>& kept) { kept.push_back(luaM_realloc_(S, nullptr, 0, 3000, 3000)); }},
      {"grown block",
       [](lua_State* S, std::vector<void*>& kept) {
         kept.back() = luaM_realloc_(S, kept.back(), 3000, 6000, 6000);
         kept.push_back(nullptr);  // the grown block is freed with its size below
       }},
      {"new object",
       [](lua_State* S, std::vector<void*>&) {
         sethvalue(S->top, luaH_new(S));
         incr_top(S);
       }},
  };
  std::vector<void*> kept;
  for (const Case& c : cases) {
    run_protected(L, [&] {
      for (int i = 0; i < 200; i++) luaH_new(L);  // garbage for the collection to free
    });
    ASSERT_EQ(gettotalbytes(G(L)), alloc.in_use) << c.what;
    alloc.limit = alloc.in_use + 16;  // too little for the request until garbage is freed
    size_t refusals = alloc.refusals;
    ASSERT_EQ(run_protected(L, [&] { c.request(L, kept); }), LUA_OK) << c.what;
    alloc.limit = 0;
    EXPECT_EQ(alloc.refusals, refusals + 1) << c.what;  // refused once, made after the collection
    EXPECT_EQ(gettotalbytes(G(L)), alloc.in_use) << c.what;
  }
  luaM_realloc_(L, kept[0], 6000, 0, 0);
  L->top--;
  EXPECT_EQ(gettotalbytes(G(L)), alloc.in_use);
}

TEST_F(StateTest, StoppedCollectorGetsNoEmergencyCollection) {
  lua_gc(L, LUA_GCSTOP, 0);
  alloc.fail_above = 100000;
  EXPECT_EQ(run_protected(L, [&] { luaM_realloc_(L, nullptr, 0, 200000, 200000); }), LUA_ERRMEM);
  EXPECT_EQ(alloc.refusals, 1u);
  alloc.fail_above = 0;
}

TEST_F(StateTest, GrowLimitMessage) {
  int* v = nullptr;
  int size = 8;
  run_protected(L, [&] { v = luaM_newvector<int>(L, 8); });
  int status = run_protected(L, [&] { luaM_growvector(L, v, 8, size, 8, "things"); });
  EXPECT_EQ(status, LUA_ERRRUN);
  EXPECT_EQ(top_text(L), "too many things (limit is 8)");
  luaM_freearray(L, v, static_cast<size_t>(size));
}

TEST_F(StateTest, StackGrowsToItsLimitAndShrinks) {
  int status = run_protected(L, [&] {
    luaD_checkstack(L, 5000);
    EXPECT_GE(L->stack_last - L->top, 5000);
    for (int i = 0; i < 3000; i++) {
      TValue v = num(i);
      push(&v);
    }
    EXPECT_EQ(nvalue(L->top - 1), 2999);
    L->top -= 3000;
    int big = L->stacksize;
    luaD_shrinkstack(L);
    EXPECT_LT(L->stacksize, big);
    EXPECT_GE(L->stacksize, static_cast<int>(L->top - L->stack) + 1);
  });
  EXPECT_EQ(status, LUA_OK);
  status = run_protected(L, [&] { luaD_growstack(L, LUAI_MAXSTACK); });
  EXPECT_EQ(status, LUA_ERRRUN);
  EXPECT_EQ(top_text(L), "stack overflow");
  EXPECT_EQ(L->stacksize, ERRORSTACKSIZE);
  // a thread already in overflow gets an error in error handling
  EXPECT_EQ(run_protected(L, [&] { luaD_growstack(L, 1); }), LUA_ERRERR);
  L->top = L->stack + 1;
  luaD_shrinkstack(L);
  EXPECT_LT(L->stacksize, 100);
}

TEST_F(StateTest, ThreadsShareGlobalsAndAreCollected) {
  lua_State* L1 = nullptr;
  run_protected(L, [&] { L1 = lua_newthread(L); });
  ASSERT_NE(L1, nullptr);
  EXPECT_EQ(G(L1), G(L));
  EXPECT_TRUE(ttisthread(L->top - 1));
  run_protected(L1, [&] {
    TValue v;
    setsvalue(&v, luaS_new(L1, "on the other thread"));
    setobj(L1->top++, &v);
  });
  size_t with_thread = alloc.in_use;
  L->top--;  // unanchored: the thread and its stack go
  luaC_fullgc(L, 0);
  EXPECT_LT(alloc.in_use, with_thread);
}

TEST_F(StateTest, CallFramesExtendAndAreFreed) {
  run_protected(L, [&] {
    for (int i = 0; i < 10; i++) next_ci(L);
    L->ci = &L->base_ci;
    luaE_freeCI(L);
    EXPECT_EQ(L->base_ci.next, nullptr);
  });
}

TEST_F(StateTest, UpvaluesOpenShareAndClose) {
  run_protected(L, [&] {
    TValue a = num(11), b = num(22);
    StkId sa = push(&a);
    StkId sb = push(&b);
    UpVal* ua = luaF_findupval(L, sa);
    UpVal* ub = luaF_findupval(L, sb);
    EXPECT_EQ(luaF_findupval(L, sa), ua);  // shared
    EXPECT_NE(ua, ub);
    EXPECT_EQ(L->openupval, static_cast<GCObject*>(ub));  // highest level first
    // a closure keeps them
    LClosure* cl = &luaF_newLclosure(L, 2)->l;
    cl->upvals[0] = ua;
    cl->upvals[1] = ub;
    TValue f;
    setclLvalue(&f, cl);
    push(&f);
    setnvalue(sb, 33);
    EXPECT_EQ(nvalue(ub->v), 33);
    luaF_close(L, sb);  // closes ub only
    EXPECT_EQ(ub->v, &ub->u.value);
    EXPECT_EQ(nvalue(ub->v), 33);
    EXPECT_EQ(ua->v, sa);
    luaF_close(L, sa);
    EXPECT_EQ(L->openupval, nullptr);
    EXPECT_EQ(nvalue(ua->v), 11);
    luaC_fullgc(L, 0);  // both survive through the closure on the stack
    EXPECT_EQ(nvalue(cl->upvals[1]->v), 33);
  });
}

TEST_F(StateTest, PrototypesAndNativeClosuresAreCollected) {
  run_protected(L, [&] {
    Proto* p = luaF_newproto(L);
    TValue pv;
    setgcovalue(&pv, p);
    p->sizecode = 4;
    p->code = luaM_newvector<Instruction>(L, 4);
    p->sizek = 1;
    p->k = luaM_newvector<TValue>(L, 1);
    setsvalue(&p->k[0], luaS_new(L, "constant"));
    p->sizelocvars = 1;
    p->locvars = luaM_newvector<LocVar>(L, 1);
    p->locvars[0] = {luaS_new(L, "x"), 0, 3};
    LClosure* cl = &luaF_newLclosure(L, 0)->l;
    cl->p = p;
    TValue f;
    setclLvalue(&f, cl);
    push(&f);
    CClosure* cc = &luaF_newCclosure(L, 2)->c;
    setsvalue(&cc->upvalue[0], luaS_new(L, "up"));
    setnvalue(&cc->upvalue[1], 5);
    TValue c;
    setclCvalue(&c, cc);
    push(&c);
    luaC_fullgc(L, 0);
    EXPECT_STREQ(svalue(&p->k[0]), "constant");
    EXPECT_STREQ(luaF_getlocalname(p, 1, 1), "x");
    EXPECT_EQ(luaF_getlocalname(p, 1, 3), nullptr);
    EXPECT_STREQ(svalue(&cc->upvalue[0]), "up");
    EXPECT_EQ(ttype(&f), LUA_TLCL);
    EXPECT_EQ(rttype(&f), 0x46);
    EXPECT_EQ(rttype(&c), 0x66);
  });
}

TEST(State, ClosingFreesSuspendedCoroutinesWithoutRunningThem) {
  static int resumed_after_yield = 0;
  counting_alloc a;
  lua_State* L = lua_newstate(counting_alloc_fn, &a);
  ASSERT_NE(L, nullptr);
  for (int i = 0; i < 3; i++) {
    lua_State* co = lua_newthread(L);
    lua_setfield(L, LUA_REGISTRYINDEX, ("co" + std::to_string(i)).c_str());  // keep it reachable
    lua_pushcfunction(co, [](lua_State* T) -> int {
      lua_pushstring(T, "a value held while suspended");
      return lua_yieldk(T, 1, 0, [](lua_State*) -> int {
        resumed_after_yield++;
        return 0;
      });
    });
    ASSERT_EQ(lua_resume(co, L, 0), LUA_YIELD);
  }
  lua_gc(L, LUA_GCCOLLECT, 0);
  lua_close(L);
  EXPECT_EQ(resumed_after_yield, 0);
  EXPECT_EQ(a.in_use, 0u);
  EXPECT_EQ(a.blocks, 0u);
  EXPECT_EQ(a.size_mismatches, 0u);
}

}  // namespace
