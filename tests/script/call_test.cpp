// Calls: script functions, light natives, native closures, fast natives
// (arguments in place, one raw result, no frame), "__call", the native
// nesting limit, stack overflow, protected calls and message handlers.
#include <string>

#include "script/compiler/undump.h"
#include "tests/script/string_chunk.h"
#include "tests/script/vm_fixture.h"

namespace {

class CallTest : public VmTest {};

int32_t seen_nargs = -1;
bool ran_in_script_frame = false;

// Sums its arguments (strings converted) and counts them.
int fast_sum(lua_State* L) {
  seen_nargs = L->nargs;
  ran_in_script_frame = isLua(L->ci);
  lua_Number s = 0;
  for (int i = 1; i <= L->nargs; i++) s += lua_tonumber_from_tvalue(L->top - L->nargs - 1 + i);
  return s;
}

int native_count(lua_State* L) {
  seen_nargs = L->nargs;
  lua_pushinteger(L, lua_gettop(L));
  return 1;
}

int upvalue_reader(lua_State* L) {
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_pushvalue(L, lua_upvalueindex(2));
  return 2;
}

TEST_F(CallTest, FastNativeFunctionsReadArgumentsInPlaceAndGiveOneResult) {
  lua_pushcclosure(L, fast_sum, TOVO_FAST_CFUNCTION);
  EXPECT_EQ(lua_type(L, -1), LUA_TFUNCTION);
  EXPECT_EQ(rttype(L->top - 1), 0x36);
  lua_setglobal(L, "f");
  struct Case {
    const char* src;
    int nres;
    lua_Number r1;
    int type2;  // type of the second result, LUA_TNONE when absent
    int32_t nargs;
  };
  const Case cases[] = {
      {"return f(1, 2, 3)", LUA_MULTRET, I(6), LUA_TNONE, 3},
      {"local a, b = f(1, 2, 3) return a, b", LUA_MULTRET, I(6), LUA_TNIL, 3},
      {"local t = {f(1, 2, 3)} return #t", LUA_MULTRET, I(1), LUA_TNONE, 3},
      {"return f()", LUA_MULTRET, 0, LUA_TNONE, 0},
      {"return f('2', 3.5)", LUA_MULTRET, I(5) + 0x8000, LUA_TNONE, 2},
      {"return f({}, 'x', 4)", LUA_MULTRET, I(4), LUA_TNONE, 3},
      {"local t = {f(1, f(2, 3))} return t[1]", LUA_MULTRET, I(6), LUA_TNONE, 2},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(c.src, c.nres), LUA_OK) << c.src << ": " << top_text(L);
    EXPECT_EQ(lua_tonumber(L, 1), c.r1) << c.src;
    EXPECT_EQ(lua_type(L, 2), c.type2) << c.src;
    EXPECT_EQ(seen_nargs, c.nargs) << c.src;
    EXPECT_TRUE(ran_in_script_frame) << c.src;  // no frame of its own
  }
}

TEST_F(CallTest, FastNativeFunctionsCalledFromNativeCodeGiveTheWantedResults) {
  lua_settop(L, 0);
  for (int wanted : {0, 1, 2, 3}) {
    lua_pushcclosure(L, fast_sum, TOVO_FAST_CFUNCTION);
    lua_pushinteger(L, 4);
    lua_pushinteger(L, 5);
    lua_call(L, 2, wanted);
    ASSERT_EQ(lua_gettop(L), wanted);
    if (wanted > 0) {
      EXPECT_EQ(lua_tonumber(L, 1), I(9));
    }
    for (int i = 2; i <= wanted; i++) EXPECT_EQ(lua_type(L, i), LUA_TNIL);
    lua_settop(L, 0);
  }
  lua_pushcclosure(L, fast_sum, TOVO_FAST_CFUNCTION);
  lua_call(L, 0, LUA_MULTRET);
  EXPECT_EQ(lua_gettop(L), 1);
  EXPECT_EQ(seen_nargs, 0);
}

// Returns close exactly the upvalues that need it: a function that makes
// closures closes them whether it returns itself, is reached by a tail call
// from one that makes none, or tail calls one that makes none; the values
// the closures keep survive the reuse of the stack slots.
TEST_F(CallTest, ReturnsCloseTheUpvaluesOfFunctionsThatMakeClosures) {
  const char* cases[] = {
      "local function maker(n) local function get() return n end return get end "
      "local function plain(x) return maker(x) end "
      "local g1, g2 = maker(4), plain(5) "
      "local function clobber(a, b, c, d) return a + b + c + d end clobber(1, 2, 3, 4) "
      "return g1() * 10 + g2()",
      "local function plain(f) return f end "
      "local function maker(n) local f = function() return n end return plain(f) end "
      "local g = maker(7) local function clobber(a, b, c) return a end clobber(1, 2, 3) "
      "return g() * 10 + maker(8)()",
      "local function plain(x) return x end "
      "local function maker(n) local f = function() return n end local r = plain(n + 1) return f, r end "
      "local g, r = maker(2) local function clobber(a, b, c) return a end clobber(9, 9, 9) "
      "return g() * 10 + r",
  };
  const lua_Number expected[] = {I(45), I(78), I(23)};
  // Calls nested deeper first, so that the cases' calls find frame records
  // made already (the quick call needs one).
  const std::string warm = "local function warm(n) if n > 0 then warm(n - 1) end return 0 end warm(8) ";
  for (int c = 0; c < 3; c++) {
    lua_settop(L, 0);
    load(warm + cases[c]);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), LUA_OK) << top_text(L);
    EXPECT_EQ(lua_tonumber(L, -1), expected[c]) << cases[c];
  }
}

// The frame records past the running frame that a thread has made so far.
int spare_records(lua_State* T) {
  int n = 0;
  for (CallInfo* ci = T->ci->next; ci != nullptr; ci = ci->next) n++;
  return n;
}

// A full collection frees the frame records past the running frame; calls
// that then go deeper make one record a level, and (the stack being large
// enough already) allocate nothing else, whether they pass their arguments
// exactly or counted by the previous call.
TEST_F(CallTest, CallsPastTheFrameRecordsMakeOneRecordALevel) {
  const char* makers[] = {
      "local function down(n) if n > 0 then return 1 + down(n - 1) end return 0 end return down",
      "local function id(...) return ... end "
      "local function down(n) if n > 0 then return 1 + down(id(n - 1)) end return 0 end return down",
  };
  const int depth = 40;
  for (const char* maker : makers) {
    ASSERT_EQ(run(maker, 1), LUA_OK) << top_text(L);
    lua_pushinteger(L, depth);
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_gc(L, LUA_GCSTOP, 0);
    ASSERT_EQ(spare_records(L), 0) << maker;
    ASSERT_TRUE(lua_checkstack(L, 4 * LUAI_MAXCCALLS)) << maker;
    int stacksize = L->stacksize;
    size_t before = gettotalbytes(G(L));
    ASSERT_EQ(lua_pcall(L, 1, 1, 0), LUA_OK) << top_text(L);
    EXPECT_EQ(lua_tonumber(L, -1), I(depth)) << maker;
    int made = spare_records(L);
    EXPECT_GT(made, depth) << maker;
    EXPECT_EQ(L->stacksize, stacksize) << maker;
    EXPECT_EQ(gettotalbytes(G(L)) - before, static_cast<size_t>(made) * sizeof(CallInfo)) << maker;
    lua_gc(L, LUA_GCRESTART, 0);
  }
}

TEST_F(CallTest, NativeFunctionsAndClosures) {
  set_global_function("count", native_count);
  ASSERT_EQ(run("return count(1, 'a')", 1), LUA_OK);
  EXPECT_EQ(lua_tonumber(L, -1), I(2));
  EXPECT_EQ(seen_nargs, 2);
  EXPECT_EQ(L->nargs, 2);

  lua_pushinteger(L, 7);
  lua_pushstring(L, "u");
  lua_pushcclosure(L, upvalue_reader, 2);
  lua_setglobal(L, "g");
  ASSERT_EQ(run("local a, b = g() return b .. a", 1), LUA_OK) << top_text(L);
  EXPECT_EQ(text_of(-1), "u7");
  // Inside light and fast natives the upvalue indices are "none".
  lua_pushcclosure(L, upvalue_reader, 0);
  lua_setglobal(L, "h");
  ASSERT_EQ(run("local a, b = h() return a == nil and b == nil", 1), LUA_OK);
  EXPECT_TRUE(lua_toboolean(L, -1));
}

// Gives as many results as its first argument says: 11, 12, ... (a string
// pushed below them, so that the results are not the frame's only values).
int give_n(lua_State* L) {
  int n = static_cast<int>(lua_tointeger(L, 1));
  lua_pushstring(L, "below");
  for (int i = 1; i <= n; i++) lua_pushinteger(L, 10 + i);
  return n;
}

// A native call's results land in the function's slot, cut or filled with nil
// to the wanted count, the first of them first, whether the call wants none,
// one, two or all of them and from a light native or a native closure; the
// caller's registers beside the call stay as they were.
TEST_F(CallTest, NativeCallsGiveTheWantedResultsFromTheFirst) {
  set_global_function("give", give_n);
  lua_pushcclosure(L, give_n, 0);
  lua_setglobal(L, "light");
  lua_pushinteger(L, 0);
  lua_pushcclosure(L, give_n, 1);
  lua_setglobal(L, "closure");
  struct Case {
    const char* src;  // $ stands for the function's name, s(v) names nil
    const char* expected;
  };
  const Case cases[] = {
      {"local a, b = 1, 2 $(3) return a .. ',' .. b", "1,2"},
      {"local a = 1 local x = $(0) local b = 2 return a .. ',' .. s(x) .. ',' .. b", "1,nil,2"},
      {"local x = $(1) return x", "11"},
      {"local x = $(3) return x", "11"},
      {"local x, y = $(0) return s(x) .. s(y)", "nilnil"},
      {"local x, y = $(1) return x .. s(y)", "11nil"},
      {"local x, y = $(3) return x .. y", "1112"},
      {"local t = {$(3)} return #t .. ':' .. t[1] .. t[3]", "3:1113"},
      {"local t = {$(0)} return #t", "0"},
      {"return ($(2)) + $(1) .. ''", "22"},
      {"local s = 0 for i = 0, 4 do local x = $(i) s = s + (x or 100) end return s", "144"},
  };
  for (const char* name : {"give", "light", "closure"}) {
    for (const auto& c : cases) {
      std::string src = std::string("local function s(v) if v == nil then return 'nil' end return v end ") + c.src;
      for (size_t at; (at = src.find('$')) != std::string::npos;) src.replace(at, 1, name);
      ASSERT_EQ(run(src, 1), LUA_OK) << src << ": " << top_text(L);
      EXPECT_EQ(text_of(-1), c.expected) << src;
    }
  }
  // From native code, wanting none or one.
  for (int n : {0, 1, 3}) {
    for (int wanted : {0, 1}) {
      lua_settop(L, 0);
      lua_pushinteger(L, 7);
      lua_getglobal(L, "light");
      lua_pushinteger(L, n);
      lua_call(L, 1, wanted);
      ASSERT_EQ(lua_gettop(L), 1 + wanted) << n << " " << wanted;
      EXPECT_EQ(lua_tointeger(L, 1), 7);
      if (wanted == 1) {
        if (n == 0) {
          EXPECT_EQ(lua_type(L, 2), LUA_TNIL);
        } else {
          EXPECT_EQ(lua_tointeger(L, 2), 11);
        }
      }
    }
  }
}

int call_with_self(lua_State* L) {
  lua_pushinteger(L, lua_gettop(L));
  lua_pushboolean(L, lua_type(L, 1) == LUA_TTABLE);
  return 2;
}

TEST_F(CallTest, CallMetamethod) {
  lua_newtable(L);
  lua_newtable(L);
  lua_pushcfunction(L, call_with_self);
  lua_setfield(L, -2, "__call");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "t");
  ASSERT_EQ(run("return t(5, 6)", LUA_MULTRET), LUA_OK) << top_text(L);
  EXPECT_EQ(lua_tonumber(L, 1), I(3));  // the table comes first
  EXPECT_TRUE(lua_toboolean(L, 2));

  // A "__call" that is itself a table is not followed.
  lua_newtable(L);
  lua_newtable(L);
  lua_newtable(L);
  lua_setfield(L, -2, "__call");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "u");
  EXPECT_EQ(error_of("u()"), "attempt to call global 'u' (a table value)");
  EXPECT_EQ(error_of("local x = u x()"), "attempt to call local 'x' (a table value)");
  EXPECT_EQ(error_of("local x = {u} x[1]()"), "attempt to call field '?' (a table value)");
  lua_settop(L, 0);
  lua_getglobal(L, "u");
  EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
  EXPECT_EQ(text_of(-1), "attempt to call a table value");
}

int recurse(lua_State* L) {
  lua_pushcfunction(L, recurse);
  lua_call(L, 0, 0);
  return 0;
}

TEST_F(CallTest, NestingLimitsAndStackOverflow) {
  set_global_function("recurse", recurse);
  EXPECT_EQ(error_of("recurse()"), "C stack overflow");
#ifndef TOVO_GC_STRESS  // a full collection at every call over a million slots takes hours
  EXPECT_EQ(error_of("local function f() return 1 + f() end return f()"), "stack overflow");
#endif
  // The thread is usable again afterwards.
  EXPECT_EQ(number_of("return 2"), I(2));
}

int add_prefix(lua_State* L) {
  lua_pushstring(L, "handled: ");
  lua_pushvalue(L, 1);
  lua_concat(L, 2);
  return 1;
}

TEST_F(CallTest, ProtectedCallsAndMessageHandlers) {
  lua_settop(L, 0);
  lua_pushcfunction(L, add_prefix);
  load("local x = nil return x.y");
  EXPECT_EQ(lua_pcall(L, 0, 0, 1), LUA_ERRRUN);
  EXPECT_EQ(text_of(-1), "handled: attempt to index local 'x' (a nil value)");
  EXPECT_EQ(lua_gettop(L), 2);

  lua_settop(L, 0);
  lua_pushinteger(L, 3);  // not a function
  load("return x.y");
  EXPECT_EQ(lua_pcall(L, 0, 0, 1), LUA_ERRERR);
  EXPECT_EQ(text_of(-1), "error in error handling");

  lua_settop(L, 0);
  lua_pushstring(L, "custom");
  EXPECT_EQ(lua_pcall(L, 0, 0, 0) == LUA_OK, false);  // calling a string
  lua_settop(L, 0);
  lua_pushcfunction(L, [](lua_State* L) -> int {
    lua_pushstring(L, "raised");
    return lua_error(L);
  });
  tovo_set_runtime_line(L, 42);
  EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
  EXPECT_EQ(text_of(-1), "raised");
  EXPECT_EQ(tovo_runtime_line(L), 42);  // lua_error leaves the line alone
}

TEST_F(CallTest, MemoryErrorsGiveTheFixedMessage) {
  load("local t = {} for i = 1, 30000 do t[i] = i end return t");
  alloc.fail_above = 4096;
  EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRMEM);
  EXPECT_EQ(text_of(-1), "not enough memory");
  alloc.fail_above = 0;
}

TEST_F(CallTest, ResetCallStateAfterAFailedCompile) {
  L->status = LUA_ERRSYNTAX;
  lua_reset_call_state_tovo(L);
  EXPECT_EQ(L->status, LUA_OK);
  EXPECT_EQ(L->ci, &L->base_ci);
  EXPECT_EQ(number_of("return 1"), I(1));
}

int write_chunk(lua_State*, const void* p, size_t size, void* ud) {
  static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
  return 0;
}

TEST_F(CallTest, LoadingTextAndBinaryChunks) {
  lua_settop(L, 0);
  ASSERT_EQ(load_string(L, "local a = ... return (a or 1) * 3", "=chunk", nullptr), LUA_OK) << top_text(L);
  std::string binary;
  ASSERT_EQ(luaU_dump(L, getproto(L->top - 1), write_chunk, &binary, 0), 0);
  lua_pushinteger(L, 5);
  ASSERT_EQ(lua_pcall(L, 1, 1, 0), LUA_OK);
  EXPECT_EQ(lua_tonumber(L, -1), I(15));

  ASSERT_EQ(load_string(L, binary, "=bin", "b"), LUA_OK) << top_text(L);
  ASSERT_EQ(lua_pcall(L, 0, 1, 0), LUA_OK);
  EXPECT_EQ(lua_tonumber(L, -1), I(3));

  const struct {
    std::string bytes;
    const char* mode;
    int status;
    const char* message;
  } refused[] = {
      {"return 1", "b", LUA_ERRSYNTAX, "attempt to load a text chunk (mode is 'b')"},
      {binary, "t", LUA_ERRSYNTAX, "attempt to load a binary chunk (mode is 't')"},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(load_string(L, r.bytes, "=x", r.mode), r.status);
    EXPECT_EQ(top_text(L), r.message);
  }
  EXPECT_EQ(load_string(L, "return +", "=x", "bt"), LUA_ERRSYNTAX);
}

}  // namespace
