// Coroutines: resume and yield with values, statuses and the stock
// messages, continuations of native frames, errors delivered to yieldable
// protected calls, and threads left suspended when a state closes.
#include "tests/script/vm_fixture.h"

namespace {

class CoroutineTest : public VmTest {
 protected:
  void SetUp() override {
    VmTest::SetUp();
    co = lua_newthread(L);
    lua_setglobal(L, "co");  // anchored as a global
  }
  lua_State* co = nullptr;
};

// Yields its arguments.
int yield_args(lua_State* L) { return lua_yield(L, lua_gettop(L)); }

TEST_F(CoroutineTest, YieldAndResumePassValues) {
  set_global_function("yield", yield_args);
  load("local a, b = yield(1, 2) return a * b, 'done'", co);
  ASSERT_EQ(lua_resume(co, L, 0), LUA_YIELD);
  ASSERT_EQ(lua_gettop(co), 2);
  EXPECT_EQ(lua_tonumber(co, 1), I(1));
  EXPECT_EQ(lua_tonumber(co, 2), I(2));
  EXPECT_EQ(lua_status(co), LUA_YIELD);
  lua_settop(co, 0);
  lua_pushinteger(co, 6);
  lua_pushinteger(co, 7);
  ASSERT_EQ(lua_resume(co, L, 2), LUA_OK) << top_text(co);
  ASSERT_EQ(lua_gettop(co), 2);
  EXPECT_EQ(lua_tonumber(co, 1), I(42));
  EXPECT_EQ(text_of_thread(co, 2), "done");
  EXPECT_EQ(lua_status(co), LUA_OK);
}

int resume_co(lua_State* L) {
  lua_State* T = lua_tothread(L, 1);
  int status = lua_resume(T, L, 0);
  lua_pushinteger(L, status);
  if (T == L) {
    lua_insert(L, -2);  // the message is already here
  } else {
    lua_xmove(T, L, 1);
  }
  return 2;
}

int call_yield_plain(lua_State* L) {
  lua_pushcfunction(L, yield_args);
  lua_call(L, 0, 0);  // no continuation: not yieldable
  return 0;
}

TEST_F(CoroutineTest, StatusesAndMessages) {
  set_global_function("yield", yield_args);
  set_global_function("resume", resume_co);
  set_global_function("plain", call_yield_plain);
  struct Case {
    const char* src;
    bool on_main;  // run with lua_pcall on the main thread, else resume co
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"yield()", true, LUA_ERRRUN, "attempt to yield from outside a coroutine"},
      {"plain()", false, LUA_ERRRUN, "attempt to yield across a C-call boundary"},
      {"local s, m = resume(co) error_value = m return s", false, LUA_OK, nullptr},
      {"local x = nil .. 1", false, LUA_ERRRUN, "attempt to concatenate a nil value"},
  };
  for (const auto& c : cases) {
    if (c.on_main) {
      lua_settop(L, 0);
      load(c.src);
      EXPECT_EQ(lua_pcall(L, 0, 0, 0), c.status) << c.src;
      if (c.message != nullptr) {
        EXPECT_EQ(top_text(L), c.message) << c.src;
      }
      continue;
    }
    lua_State* T = lua_newthread(L);
    if (std::string(c.src).find("resume(co)") != std::string::npos) {
      lua_pushvalue(L, -1);
      lua_setglobal(L, "co");  // the coroutine resumes itself
    }
    load(c.src, T);
    EXPECT_EQ(lua_resume(T, L, 0), c.status) << c.src;
    if (c.message != nullptr) {
      EXPECT_EQ(top_text(T), c.message) << c.src;
      EXPECT_EQ(lua_status(T), c.status) << c.src;  // dead
      EXPECT_EQ(lua_resume(T, L, 0), LUA_ERRRUN);
      EXPECT_EQ(top_text(T), "cannot resume dead coroutine");
    }
    lua_pop(L, 1);
  }
  lua_getglobal(L, "error_value");
  EXPECT_EQ(top_text(L), "cannot resume non-suspended coroutine");
}

int continuation(lua_State* L) {
  int ctx = 0;
  int status = lua_getctx(L, &ctx);
  lua_pushinteger(L, status);
  lua_pushinteger(L, ctx);
  return lua_gettop(L);
}

int call_with_continuation(lua_State* L) {
  lua_getglobal(L, "body");
  lua_callk(L, 0, 1, 77, continuation);
  return continuation(L);
}

int pcall_with_continuation(lua_State* L) {
  lua_getglobal(L, "body");
  int status = lua_pcallk(L, 0, 1, 0, 88, continuation);
  lua_pushinteger(L, status);
  return 1;
}

TEST_F(CoroutineTest, NativeFramesContinueAfterAYield) {
  set_global_function("yield", yield_args);
  set_global_function("callk", call_with_continuation);
  load("function body() yield(5) return 'r' end");
  ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_OK);
  load("return callk()", co);
  ASSERT_EQ(lua_resume(co, L, 0), LUA_YIELD);
  EXPECT_EQ(lua_tonumber(co, -1), I(5));
  lua_settop(co, 0);
  ASSERT_EQ(lua_resume(co, L, 0), LUA_OK) << top_text(co);
  // The continuation saw the yield status and its context.
  ASSERT_EQ(lua_gettop(co), 3);
  EXPECT_EQ(text_of_thread(co, 1), "r");
  EXPECT_EQ(lua_tointeger(co, 2), LUA_YIELD);
  EXPECT_EQ(lua_tointeger(co, 3), 77);
}

// Native functions whose continuations yield again: the first yields 1 and
// its continuation 2, whose continuation returns 3; the second calls body,
// which yields, and its continuation yields 6, whose continuation returns 7.
int return_3(lua_State* L) {
  lua_pushinteger(L, 3);
  return 1;
}
int return_7(lua_State* L) {
  lua_pushinteger(L, 7);
  return 1;
}
int yield_again(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, 2);
  return lua_yieldk(L, 1, 0, return_3);
}
int yield_twice(lua_State* L) {
  lua_pushinteger(L, 1);
  return lua_yieldk(L, 1, 0, yield_again);
}
int yield_after_call(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, 6);
  return lua_yieldk(L, 1, 0, return_7);
}
int call_then_yield(lua_State* L) {
  lua_getglobal(L, "body");
  lua_callk(L, 0, 0, 0, yield_after_call);
  return yield_after_call(L);
}

TEST_F(CoroutineTest, ContinuationsYieldAgain) {
  set_global_function("yield", yield_args);
  set_global_function("twice", yield_twice);
  set_global_function("after_call", call_then_yield);
  load("function body() yield(5) end");
  ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_OK);
  struct Case {
    const char* src;
    int yields[2];
    int result;
  } cases[] = {{"return twice() + 10", {1, 2}, 13}, {"return after_call() + 20", {5, 6}, 27}};
  for (const Case& c : cases) {
    lua_State* T = lua_newthread(L);
    load(c.src, T);
    for (int y : c.yields) {
      ASSERT_EQ(lua_resume(T, L, 0), LUA_YIELD) << c.src << ": " << top_text(T);
      EXPECT_EQ(lua_tonumber(T, -1), I(y)) << c.src;
      lua_settop(T, 0);
    }
    ASSERT_EQ(lua_resume(T, L, 0), LUA_OK) << c.src << ": " << top_text(T);
    EXPECT_EQ(lua_tonumber(T, -1), I(c.result)) << c.src;
    lua_pop(L, 1);
  }
}

TEST_F(CoroutineTest, AnErrorAfterAYieldReachesTheYieldableProtectedCall) {
  set_global_function("yield", yield_args);
  set_global_function("pcallk", pcall_with_continuation);
  load("function body() yield() error_here() end");
  ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_OK);
  load("return pcallk()", co);
  ASSERT_EQ(lua_resume(co, L, 0), LUA_YIELD);
  ASSERT_EQ(lua_resume(co, L, 0), LUA_OK) << top_text(co);
  ASSERT_EQ(lua_gettop(co), 3);
  EXPECT_EQ(text_of_thread(co, 1), "attempt to call global 'error_here' (a nil value)");
  EXPECT_EQ(lua_tointeger(co, 2), LUA_ERRRUN);
  EXPECT_EQ(lua_tointeger(co, 3), 88);
  // Without a yield first, the error still goes to the continuation.
  load("function body() error_here() end");
  ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_OK);
  lua_State* T = lua_newthread(L);
  load("return pcallk()", T);
  ASSERT_EQ(lua_resume(T, L, 0), LUA_OK);
  ASSERT_EQ(lua_gettop(T), 3);
  EXPECT_EQ(lua_tointeger(T, 2), LUA_ERRRUN);
  EXPECT_EQ(lua_tointeger(T, 3), 88);
}

TEST_F(CoroutineTest, ScriptCallsOfYieldingNativesInsideMetamethods) {
  set_global_function("yield", yield_args);
  // A metamethod that yields from a script instruction resumes into the
  // instruction that called it.
  lua_newtable(L);
  lua_newtable(L);
  load("return function(t, k) yield(k) return k .. '!' end");
  ASSERT_EQ(lua_pcall(L, 0, 1, 0), LUA_OK);
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "t");
  load("local v = t.abc return v .. '?'", co);
  ASSERT_EQ(lua_resume(co, L, 0), LUA_YIELD);
  EXPECT_EQ(text_of_thread(co, -1), "abc");
  lua_settop(co, 0);
  ASSERT_EQ(lua_resume(co, L, 0), LUA_OK) << top_text(co);
  EXPECT_EQ(text_of_thread(co, -1), "abc!?");
}

// Resumes f(depth + 1) in a new thread and returns what it returned, or its
// error message.
int nest(lua_State* L) {
  int depth = lua_tointeger(L, 1);
  lua_State* T = lua_newthread(L);
  lua_getglobal(T, "f");
  lua_pushinteger(T, depth + 1);
  lua_resume(T, L, 1);
  lua_xmove(T, L, 1);
  return 1;
}

TEST_F(CoroutineTest, NestedResumesHitTheNativeCallLimit) {
  set_global_function("nest", nest);
  load("function f(d) if d > 1000 then return 'deep' end return nest(d) end");
  ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_OK);
  ASSERT_EQ(run("return f(0)", 1), LUA_OK) << top_text(L);
  EXPECT_EQ(text_of(-1), "C stack overflow");
}

TEST_F(CoroutineTest, ClosingAStateFreesSuspendedCoroutines) {
  set_global_function("yield", yield_args);
  for (int i = 0; i < 3; i++) {
    lua_State* T = lua_newthread(L);
    lua_pushvalue(L, -1);
    lua_setglobal(L, ("t" + std::to_string(i)).c_str());
    load("local t = {} for i = 1, 10 do t[i] = {} end yield(t) return 1", T);
    ASSERT_EQ(lua_resume(T, L, 0), LUA_YIELD);
    lua_pop(L, 1);
  }
  // TearDown closes the state and checks that every byte came back.
}

}  // namespace
