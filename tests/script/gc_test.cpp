// The collector: reachability, incremental steps with barriers, forward
// barriers at every step of a cycle, weak tables, "__gc" never called, the
// stopped collector and pacing.
#include "script/api/api.h"
#include "script/api/api_index.h"
#include "script/api/auxlib.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/vm/func.h"
#include "tests/script/runtime_fixture.h"

namespace {

class GcTest : public RuntimeTest {
 protected:
  Table* with_mode(Table* t, const char* mode) {
    Table* mt = luaH_new(L);
    t->metatable = mt;
    set(mt, str(luaS_new(L, "__mode")), str(luaS_new(L, mode)));
    return mt;
  }
};

TEST_F(GcTest, UnreachableObjectsAreFreedReachableKept) {
  run_protected(L, [&] {
    size_t base = alloc.in_use;
    Table* keep = push_table();
    for (int i = 0; i < 100; i++) {
      Table* t = luaH_new(L);
      TValue v;
      sethvalue(&v, t);
      if (i % 2 == 0) luaH_setint(L, keep, i / 2 + 1, &v);
      luaS_new(L, ("garbage" + std::to_string(i)).c_str());
    }
    luaC_fullgc(L, 0);
    size_t after = alloc.in_use;
    EXPECT_GT(after, base);
    for (int i = 1; i <= 50; i++) EXPECT_TRUE(ttistable(luaH_getint(keep, i)));
    L->top--;
    luaC_fullgc(L, 0);
    EXPECT_LT(alloc.in_use, after);
  });
}

TEST_F(GcTest, IncrementalStepsWithBarriersKeepNewObjects) {
  run_protected(L, [&] {
    Table* root = push_table();
    for (int i = 0; i < 300; i++) setint(root, i + 1, i);
    // Interleave single steps with stores of fresh objects into old ones.
    for (int round = 0; round < 400; round++) {
      lua_gc(L, LUA_GCSTEP, 0);
      Table* fresh = luaH_new(L);
      TValue fv;
      sethvalue(&fv, fresh);
      TValue s;
      setsvalue(&s, luaS_new(L, ("v" + std::to_string(round)).c_str()));
      TValue* cell = luaH_set(L, fresh, &s);
      setnvalue(cell, round);
      TValue key = num(tovo_int2num(1000 + round));
      TValue* slot = luaH_set(L, root, &key);
      setobj(slot, &fv);
      luaC_barrierback(L, root, &fv);
    }
    luaC_fullgc(L, 0);
    for (int round = 0; round < 400; round++) {
      const TValue* t = getnum(root, tovo_int2num(1000 + round));
      ASSERT_TRUE(ttistable(t)) << round;
      TString* k = luaS_new(L, ("v" + std::to_string(round)).c_str());
      ASSERT_EQ(nvalue(luaH_getstr(hvalue(t), k)), round);
    }
  });
}

// Ways to store a table into an object the collector may already have
// marked, where the store's barrier must mark the table (forward barriers).
struct ForwardStore {
  const char* what;
  void (*make)(lua_State* L);              // pushes a new owner
  void (*store)(lua_State* L, int owner);  // stores the table on top (popped)
  void (*fetch)(lua_State* L, int owner);  // pushes what the owner holds
  GCObject* (*object)(lua_State* L, int owner);
};

void make_setter(lua_State* L) {
  // A closure whose upvalue is closed once the chunk has returned.
  ASSERT_EQ(luaL_loadstring(L, "local v return function(x) v = x end"), LUA_OK);
  lua_call(L, 0, 1);
}
GCObject* the_upvalue(lua_State* L, int owner) { return clLvalue(luaA_index2addr(L, owner))->upvals[0]; }
GCObject* the_object(lua_State* L, int owner) { return gcvalue(luaA_index2addr(L, owner)); }
void get_upvalue(lua_State* L, int owner) { lua_getupvalue(L, owner, 1); }

const ForwardStore kForwardStores[] = {
    {"a closed upvalue set by the script", make_setter,
     [](lua_State* L, int owner) {
       lua_pushvalue(L, owner);
       lua_insert(L, -2);
       lua_call(L, 1, 0);
     },
     get_upvalue, the_upvalue},
    {"a closed upvalue set through the native interface", make_setter,
     [](lua_State* L, int owner) { lua_setupvalue(L, owner, 1); }, get_upvalue, the_upvalue},
    {"a userdata's user value", [](lua_State* L) { lua_newuserdata(L, 16); },
     [](lua_State* L, int owner) { lua_setuservalue(L, owner); },
     [](lua_State* L, int owner) { lua_getuservalue(L, owner); }, the_object},
    {"a userdata's metatable", [](lua_State* L) { lua_newuserdata(L, 16); },
     [](lua_State* L, int owner) { lua_setmetatable(L, owner); },
     [](lua_State* L, int owner) {
       if (!lua_getmetatable(L, owner)) lua_pushnil(L);
     },
     the_object},
};

// One store of a fresh table per collector step, through two whole cycles,
// each into one of N owners in turn. While the collector marks, no marked
// (black) owner may be left pointing to an unmarked (white) table; and the
// last table stored into each owner, reachable through it alone, must
// outlive the cycles. Each kind of store gets a state of its own.
TEST(GcBarriers, ForwardBarriersAtEveryStepOfACycle) {
  constexpr int N = 64;
  for (const ForwardStore& kind : kForwardStores) {
    SCOPED_TRACE(kind.what);
    counting_alloc a;
    lua_State* L = lua_newstate(counting_alloc_fn, &a);
    ASSERT_NE(L, nullptr);
    lua_createtable(L, N, 0);  // the owners, at index 1
    for (int i = 1; i <= N; i++) {
      kind.make(L);
      lua_rawseti(L, 1, i);
    }
    lua_createtable(L, 1000, 0);  // ballast, so that marking takes many steps
    for (int i = 1; i <= 1000; i++) {
      lua_createtable(L, 4, 0);
      lua_rawseti(L, -2, i);
    }
    lua_rawseti(L, 1, N + 1);
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_gc(L, LUA_GCSTOP, 0);  // only the steps below do collector work
    int steps = 0, cycles = 0;
    bool white_behind_black = false;
    while (cycles < 2 && steps < 100000 && !white_behind_black) {
      int k = steps % N + 1;
      steps++;
      lua_rawgeti(L, 1, k);
      int owner = lua_gettop(L);
      lua_createtable(L, 1, 0);
      lua_pushinteger(L, k);
      lua_rawseti(L, -2, 1);
      kind.store(L, owner);
      kind.fetch(L, owner);
      ASSERT_TRUE(lua_istable(L, -1));
      white_behind_black = keepinvariant(G(L)) && isblack(kind.object(L, owner)) && iswhite(gcvalue(L->top - 1));
      lua_settop(L, 1);
      if (lua_gc(L, LUA_GCSTEP, 0)) cycles++;
    }
    if (white_behind_black) {  // the table may be freed already: look no further
      ADD_FAILURE() << "a marked owner points to an unmarked table after the store of step " << steps;
    } else {
      EXPECT_GT(steps, 2 * N);
      for (int k = 1; k <= N; k++) {
        lua_rawgeti(L, 1, k);
        kind.fetch(L, lua_gettop(L));
        ASSERT_TRUE(lua_istable(L, -1)) << k;
        lua_rawgeti(L, -1, 1);
        EXPECT_EQ(lua_tointeger(L, -1), k);
        lua_settop(L, 1);
      }
    }
    lua_close(L);
  }
}

TEST_F(GcTest, WeakTables) {
  run_protected(L, [&] {
    Table* wk = push_table();
    with_mode(wk, "k");
    Table* wv = push_table();
    with_mode(wv, "v");
    Table* kept = push_table();
    Table* gone = luaH_new(L);
    TValue kv, gv;
    sethvalue(&kv, kept);
    sethvalue(&gv, gone);
    set(wk, kv, num(1));
    set(wk, gv, num(2));
    set(wk, str(luaS_new(L, "strings stay")), gv);  // string keys are values: kept, and so the value
    set(wv, num(tovo_int2num(1)), kv);
    set(wv, num(tovo_int2num(2)), gv);
    set(wv, num(tovo_int2num(3)), str(luaS_new(L, "strings stay")));
    // "gone" is reachable only as a strong value of the weak-key table
    luaC_fullgc(L, 0);
    EXPECT_EQ(nvalue(luaH_get(wk, &kv)), 1);
    EXPECT_EQ(nvalue(luaH_get(wk, &gv)), 2);  // kept alive through the string-keyed entry
    EXPECT_TRUE(ttistable(luaH_getint(wv, 1)));
    EXPECT_TRUE(ttistable(luaH_getint(wv, 2)));
    EXPECT_TRUE(ttisstring(luaH_getint(wv, 3)));
  });
}

TEST_F(GcTest, WeakKeysAndValuesAreCleared) {
  run_protected(L, [&] {
    Table* wk = push_table();
    with_mode(wk, "k");
    Table* wv = push_table();
    with_mode(wv, "v");
    Table* wkv = push_table();
    with_mode(wkv, "kv");
    for (int i = 0; i < 10; i++) {
      TValue t;
      sethvalue(&t, luaH_new(L));
      set(wk, t, num(i));
      set(wv, num(tovo_int2num(i + 1)), t);
      set(wkv, t, t);
    }
    // an ephemeron: the value refers to its own key, and nothing else does
    luaC_fullgc(L, 0);
    TValue nil;
    setnilvalue(&nil);
    for (Table* t : {wk, wv, wkv}) {
      StkId key = push(&nil);
      push(&nil);
      EXPECT_EQ(luaH_next(L, t, key), 0);
      L->top -= 2;
    }
  });
}

TEST_F(GcTest, GcMetamethodNeverRunsAndObjectGoesAfterTwoCollections) {
  run_protected(L, [&] {
    static int calls = 0;
    Table* mt = push_table();
    TValue f;
    setfvalue(&f, [](lua_State*) { return ++calls, 0; });
    set(mt, str(luaS_new(L, "__gc")), f);
    size_t before = alloc.in_use;
    Table* t = luaH_new(L);
    for (int i = 1; i <= 1000; i++) setint(t, i, i);
    t->metatable = mt;
    luaC_checkfinalizer(L, t, mt);
    EXPECT_EQ(G(L)->finobj, static_cast<GCObject*>(t));
    size_t with_table = alloc.in_use;
    luaC_fullgc(L, 0);
    EXPECT_GE(alloc.in_use, with_table - 1024);  // kept for this cycle
    luaC_fullgc(L, 0);
    EXPECT_LE(alloc.in_use, before + 1024);  // gone
    EXPECT_EQ(calls, 0);
  });
}

TEST_F(GcTest, StoppedCollectorNeverSteps) {
  lua_gc(L, LUA_GCSTOP, 0);
  EXPECT_EQ(lua_gc(L, LUA_GCISRUNNING, 0), 0);
  run_protected(L, [&] {
    for (int i = 0; i < 2000; i++) {
      luaH_new(L);
      luaC_checkGC(L);
    }
  });
  EXPECT_EQ(G(L)->gcstate, GCSpause);
  EXPECT_LE(G(L)->GCdebt, 0 + static_cast<ptrdiff_t>(sizeof(Table)) * 1);
  lua_gc(L, LUA_GCRESTART, 0);
  EXPECT_EQ(G(L)->GCdebt, 0);
  EXPECT_EQ(lua_gc(L, LUA_GCISRUNNING, 0), 1);
}

TEST_F(GcTest, ControlOptions) {
  EXPECT_EQ(lua_gc(L, LUA_GCSETPAUSE, 100), 200);
  EXPECT_EQ(lua_gc(L, LUA_GCSETSTEPMUL, 300), 200);
  EXPECT_EQ(lua_gc(L, LUA_GCSETSTEPMUL, 200), 300);
  EXPECT_EQ(lua_gc(L, LUA_GCSETMAJORINC, 150), 200);
  EXPECT_EQ(lua_gc(L, 99, 0), -1);
  int kb = lua_gc(L, LUA_GCCOUNT, 0), b = lua_gc(L, LUA_GCCOUNTB, 0);
  EXPECT_EQ(static_cast<size_t>(kb) * 1024 + static_cast<size_t>(b), gettotalbytes(G(L)));
  EXPECT_EQ(gettotalbytes(G(L)), alloc.in_use);
  // steps of 200 KiB finish a small heap's cycle
  int finished = 0;
  for (int i = 0; i < 10 && !finished; i++) finished = lua_gc(L, LUA_GCSTEP, 200);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(lua_gc(L, LUA_GCCOLLECT, 0), 0);
  EXPECT_EQ(G(L)->gcstate, GCSpause);
}

TEST_F(GcTest, GenerationalModeAndBack) {
  run_protected(L, [&] {
    Table* root = push_table();
    lua_gc(L, LUA_GCGEN, 0);
    EXPECT_EQ(G(L)->gckind, KGC_GEN);
    for (int i = 0; i < 2000; i++) {
      TValue t;
      sethvalue(&t, luaH_new(L));
      if (i % 10 == 0) {
        TValue key = num(tovo_int2num(i / 10 + 1));
        TValue* cell = luaH_set(L, root, &key);
        setobj(cell, &t);
        luaC_barrierback(L, root, &t);
      }
      luaC_checkGC(L);
    }
    lua_gc(L, LUA_GCSTEP, 0);
    lua_gc(L, LUA_GCINC, 0);
    EXPECT_EQ(G(L)->gckind, KGC_NORMAL);
    luaC_fullgc(L, 0);
    for (int i = 1; i <= 200; i++) ASSERT_TRUE(ttistable(luaH_getint(root, i))) << i;
  });
}

TEST_F(GcTest, PacingSetsTheThresholdFromThePause) {
  lua_gc(L, LUA_GCSETPAUSE, 100);
  luaC_fullgc(L, 0);
  // with pause 100 the threshold is the bytes in use (rounded down to 100s)
  EXPECT_GE(G(L)->GCdebt, 0);
  EXPECT_LT(G(L)->GCdebt, 100);
  lua_gc(L, LUA_GCSETPAUSE, 200);
  luaC_fullgc(L, 0);
  EXPECT_NEAR(static_cast<double>(-G(L)->GCdebt), static_cast<double>(gettotalbytes(G(L))),
              static_cast<double>(gettotalbytes(G(L))) * 0.02 + 200);
}

TEST_F(GcTest, LargerStepMultiplierFinishesACycleInFewerSteps) {
  auto steps_for_cycle = [&](int stepmul) {
    lua_gc(L, LUA_GCSETSTEPMUL, stepmul);
    luaC_fullgc(L, 0);
    lua_gc(L, LUA_GCSTOP, 0);  // each step then pays for exactly its own 8 KiB
    int steps = 0;
    do {
      lua_gc(L, LUA_GCSTEP, 8);
      steps++;
    } while (G(L)->gcstate != GCSpause && steps < 100000);
    lua_gc(L, LUA_GCRESTART, 0);
    return steps;
  };
  run_protected(L, [&] {
    Table* root = push_table();
    for (int i = 1; i <= 3000; i++) {
      TValue v;
      sethvalue(&v, luaH_new(L));
      luaH_setint(L, root, i, &v);
    }
    int slow = steps_for_cycle(40), fast = steps_for_cycle(400);
    EXPECT_GT(slow, fast);
    EXPECT_GT(fast, 1);
  });
}

TEST(GcClose, ClosingFreesEverythingIncludingThreadsAndFinalizerObjects) {
  counting_alloc a;
  lua_State* L = lua_newstate(counting_alloc_fn, &a);
  ASSERT_NE(L, nullptr);
  run_protected(L, [&] {
    Table* reg = registry_table(L);
    for (int i = 0; i < 5; i++) {
      lua_State* th = lua_newthread(L);
      TValue v;
      setthvalue(&v, th);
      luaH_setint(L, reg, 100 + i, &v);
      L->top--;
      TValue s;
      setsvalue(&s, luaS_new(L, "x"));
      setobj(th->top++, &s);
      luaF_findupval(th, th->top - 1);  // an open upvalue left behind
    }
    Table* mt = luaH_new(L);
    TValue f;
    setfvalue(&f, [](lua_State*) { return 0; });
    TValue name;
    setsvalue(&name, luaS_new(L, "__gc"));
    setobj(luaH_set(L, mt, &name), &f);
    Table* t = luaH_new(L);
    t->metatable = mt;
    luaC_checkfinalizer(L, t, mt);
    TValue tv;
    sethvalue(&tv, t);
    luaH_setint(L, reg, 200, &tv);
  });
  lua_close(L);
  EXPECT_EQ(a.in_use, 0u);
  EXPECT_EQ(a.blocks, 0u);
  EXPECT_EQ(a.size_mismatches, 0u);
}

}  // namespace
