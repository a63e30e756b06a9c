// The cycle budget: charges per opcode, suspension before the instruction
// that finds the budget spent and resumption at that instruction,
// superyields, slices adding up, refunds, the coresume flag, runtime errors
// for suspensions inside non-yieldable calls, and saturating counters.
#include <iterator>
#include <string>
#include <vector>

#include "script/api/api_access.h"
#include "script/lib/lib_base.h"
#include "script/lualib.h"
#include "script/vm/cpu_budget.h"
#include "tests/script/vm_asm.h"
#include "tests/script/vm_fixture.h"

namespace {

class CpuTest : public VmTest {
 protected:
  void SetUp() override {
    VmTest::SetUp();
    co = lua_newthread(L);  // anchored on L's stack
  }
  // The loop "n = 0; while true do n = n + 1 end" with each instruction on
  // its own line: LOADK (line 1), ADD (line 2), JMP back (line 3).
  static AsmProto counting_loop() {
    AsmProto a;
    a.code = {ABx(OP_LOADK, 0, 0), ABC(OP_ADD, 0, 0, K(1)), AsBx(OP_JMP, 0, -2)};
    a.lines = {1, 2, 3};
    a.k = {Ki(0), Ki(1)};
    return a;
  }
  // n and the line of the instruction the suspended thread runs next.
  std::pair<int, int> counter_and_line() {
    lua_Debug ar;
    EXPECT_EQ(lua_getstack(co, 0, &ar), 1);
    lua_getinfo(co, "l", &ar);
    EXPECT_STREQ(lua_getlocal(co, &ar, 1), "(*temporary)");
    int n = lua_tointeger(co, -1);
    lua_pop(co, 1);
    return {n, ar.currentline};
  }
  lua_State* co = nullptr;
};

TEST_F(CpuTest, OpcodeCosts) {
  for (int op = 0; op < NUM_OPCODES; op++) {
    bool cheap = op == OP_MOVE || op == OP_LOADK || op == OP_ADD || op == OP_SUB || op == OP_KXBAND || op == OP_KXBOR ||
                 op == OP_KXBXOR || op == OP_KXSHL || op == OP_KXSHR || op == OP_KXLSHR || op == OP_KXROTL ||
                 op == OP_KXROTR || op == OP_KXBNOT || op == OP_PEEK || op == OP_PEEK2 || op == OP_PEEK4 ||
                 op == OP_UNM;
    EXPECT_EQ(tovo_opcode_cost(op), cheap ? 1 : 2) << luaP_opnames[op];
  }
  // LOADK, ADD with a constant, MUL, RETURN: 1 + 1 + 2 + 2 whatever the operands.
  load("local a = 1 local b = a + 2 local c = b * 'x'");
  lua_reset_cpu_cycles(L, 0);
  EXPECT_NE(lua_pcall(L, 0, 0, 0), LUA_OK);  // the multiply fails after its charge
  EXPECT_EQ(lua_get_cpu_cycles(L), 1 + 1 + 2);
}

TEST_F(CpuTest, SuspendsBeforeTheInstructionThatFindsTheBudgetSpentAndRunsItFirst) {
  lua_set_cpu_cycles_slice_max(L, 10);
  asm_push(co, counting_loop());
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);
  // LOADK 1, then ADD+JMP at 3 a pass: the ADD at count 10 still runs, the
  // JMP at 11 does not.
  EXPECT_EQ(lua_cpu(L).cpu_cycles_slice, 11);
  EXPECT_EQ(lua_gettop(co), 0);
  EXPECT_EQ(counter_and_line(), std::make_pair(4, 3));
  EXPECT_EQ(lua_get_cpu_superyielded_coresume(L), 1);

  lua_cpu_prepare_for_slice(L);
  lua_cpu_prepare_for_resume(L, 0);
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);
  // The JMP ran first, then three more passes.
  EXPECT_EQ(counter_and_line(), std::make_pair(7, 2));
  EXPECT_EQ(lua_get_cpu_cycles(L), 11 + 11);
}

TEST_F(CpuTest, ResumingWithTheBudgetSpentRunsOneInstruction) {
  lua_set_cpu_cycles_slice_max(L, 10);
  asm_push(co, counting_loop());
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);
  ASSERT_EQ(counter_and_line(), std::make_pair(4, 3));
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);  // the JMP only
  EXPECT_EQ(counter_and_line(), std::make_pair(4, 2));
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);  // the ADD only
  EXPECT_EQ(counter_and_line(), std::make_pair(5, 3));
}

TEST_F(CpuTest, AFreshBudgetAfterASuspensionKeepsCountingNormally) {
  // Resumed with a fresh budget, the frame must not carry its mark into the
  // next suspension (which would run one instruction too many).
  lua_set_cpu_cycles_slice_max(L, 10);
  asm_push(co, counting_loop());
  for (int slice = 0; slice < 4; slice++) {
    lua_cpu_prepare_for_slice(L);
    ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);
    EXPECT_LE(lua_cpu(L).cpu_cycles_slice, 12);
  }
  // Slices end before the JMP, the ADD, the ADD and the ADD: 11, 11, 12, 12.
  EXPECT_EQ(lua_get_cpu_cycles(L), 11 + 11 + 12 + 12);
}

int test_setmetatable(lua_State* L) {
  lua_settop(L, 2);
  lua_setmetatable(L, 1);
  return 1;
}

// Appends the count so far to the string its upvalue points to.
int record_count(lua_State* L) {
  auto* seen = static_cast<std::string*>(lua_touserdata(L, lua_upvalueindex(1)));
  *seen += (seen->empty() ? "" : ",") + std::to_string(lua_get_cpu_cycles(L));
  return 0;
}

// What a native function called by an instruction (through a metamethod or
// a call) sees of the count, and the count when an instruction raises an
// error, hold that instruction's charge; a frame's return, with or without
// open upvalues, and the calls in between leave the total the sum of the
// charges.
TEST_F(CpuTest, CallsOutOfAnInstructionSeeItsCharge) {
  struct Case {
    const char* src;
    const char* seen;  // the counts record_count saw
    int total;
  } cases[] = {
      {"local t = setmetatable({}, {__index = record}) local a = t.x", "14", 16},
      {"local t, k = setmetatable({}, {__index = record}), 'x' local a = t[k]", "15", 17},
      {"local t = setmetatable({}, {__newindex = record}) t.x = 1", "14", 16},
      {"local t, k = setmetatable({}, {__newindex = record}), 'x' t[k] = 1", "15", 17},
      {"setmetatable(_ENV, {__index = record}) local a = absent", "14", 16},
      {"setmetatable(_ENV, {__newindex = record}) absent = 1", "14", 16},
      {"local t = setmetatable({}, {__index = record}) t:m()", "14", 16},
      {"local mt = {__lt = record, __le = record, __eq = record} local t, u = setmetatable({}, mt), setmetatable({}, "
       "mt) if t < u then end if t <= u then end if t == u then end",
       "30,32,34", 36},
      {"local t = setmetatable({}, {__add = record, __sub = record}) local a = t + 1 local b = t - t", "17,18", 20},
      {"local t = setmetatable({}, {__call = record}) t() t(1, 2)", "15,20", 22},
      {"local n local a = n.x", "", 4},
      {"local n = 'a' if n < 1 then end", "", 3},
      {"local n = {} local a = n - 1", "", 3},
      {"local n local a = n()", "", 5},
      {"local function f(v) local g = function() return v end return v end record() f(1) record() f(2) record()",
       "6,18,30", 32},
      {"local function f(n) if n == 0 then return 0 end return f(n - 1) + 1 end record() f(40) record()", "6,419", 421},
  };
  std::string seen;
  set_global_function("setmetatable", test_setmetatable);
  lua_pushlightuserdata(L, &seen);
  set_global_function("record", record_count, 1);
  for (const Case& c : cases) {
    seen.clear();
    load(c.src);
    lua_reset_cpu_cycles(L, 0);
    lua_pcall(L, 0, 0, 0);
    int total = lua_get_cpu_cycles(L);
    lua_settop(L, 0);
    EXPECT_EQ(seen, c.seen) << c.src;
    EXPECT_EQ(total, c.total) << c.src;
  }
}

int request_superyield(lua_State* L) { return lua_cpu_superyield(L, 0); }

TEST_F(CpuTest, SuperyieldSuspendsAtTheNextInstructionWithTheCountAtZero) {
  lua_pushcclosure(L, request_superyield, TOVO_FAST_CFUNCTION);
  lua_setglobal(L, "flip");
  AsmProto a;
  a.code = {ABx(OP_LOADK, 0, 0), ABC(OP_GETTABUP, 1, 0, K(2)), ABC(OP_CALL, 1, 1, 1), ABC(OP_ADD, 0, 0, K(1)),
            ABC(OP_RETURN, 0, 2, 0)};
  a.lines = {1, 2, 2, 3, 4};
  a.k = {Ki(0), Ki(1), Ks("flip")};
  asm_push(co, a);
  lua_set_cpu_cycles_slice_max(L, 139810);
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);
  EXPECT_EQ(counter_and_line(), std::make_pair(0, 3));
  EXPECT_LT(lua_cpu(L).cpu_cycles_slice, 10);
  lua_cpu_prepare_for_resume(L, 0);
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_OK);
  EXPECT_EQ(lua_tonumber(co, -1), I(1));
}

TEST_F(CpuTest, SlicesAddUpWithinAFrame) {
  lua_add_cpu_cycles(L, 100);
  lua_cpu_prepare_for_slice(L);
  lua_add_cpu_cycles(L, 50);
  EXPECT_EQ(lua_get_cpu_cycles(L), 150);
  EXPECT_EQ(lua_reset_cpu_cycles(L, 7), 7);
  EXPECT_EQ(lua_get_cpu_cycles(L), 0);
}

TEST_F(CpuTest, ARefundMasksASuperyieldUntilTheCountIsNonNegative) {
  lua_add_cpu_cycles(L, -10);
  lua_set_cpu_cycles_slice_max(L, 139810);
  lua_cpu_superyield(L, 0);
  asm_push(co, counting_loop());
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);
  // -10: LOADK, then three passes bring the count to 0 before an ADD.
  EXPECT_EQ(lua_cpu(L).cpu_cycles_slice, 0);
  EXPECT_EQ(counter_and_line(), std::make_pair(3, 2));
}

TEST_F(CpuTest, TheCoresumeFlagStaysSetUntilCleared) {
  lua_set_cpu_superyielded_coresume(L, 0);
  lua_set_cpu_cycles_slice_max(L, 10);
  asm_push(co, counting_loop());
  ASSERT_EQ(lua_resume(co, nullptr, 0), LUA_YIELD);
  EXPECT_EQ(lua_get_cpu_superyielded_coresume(L), 1);
  lua_set_cpu_cycles_slice_max(L, INT32_MAX);
  EXPECT_EQ(number_of("local s = 0 for i = 1, 10 do s = s + i end return s"), I(55));
  EXPECT_EQ(lua_get_cpu_superyielded_coresume(L), 1);
  lua_set_cpu_superyielded_coresume(L, 0);
  EXPECT_EQ(lua_get_cpu_superyielded_coresume(L), 0);
  lua_cpu_superyield(L, 0);  // a request sets it too
  EXPECT_EQ(lua_get_cpu_superyielded_coresume(L), 1);
}

TEST_F(CpuTest, ValuesPassedToABudgetSuspendedThreadAreDropped) {
  // Suspended before every instruction, also between a call with open
  // results and the constructor that takes them from the stack top.
  load("local function g() return 1, 2, 3 end local t = {g()} return #t", co);
  lua_set_cpu_cycles_slice_max(L, 0);
  int status, resumes = 0;
  do {
    lua_cpu_prepare_for_slice(L);
    int nargs = 0;
    if (resumes > 0) {
      lua_pushinteger(co, 100);
      lua_pushinteger(co, 200);
      nargs = 2;
    }
    status = lua_resume(co, L, nargs);
    resumes++;
  } while (status == LUA_YIELD && resumes < 1000);
  ASSERT_EQ(status, LUA_OK) << top_text(co);
  EXPECT_EQ(lua_tonumber(co, -1), I(3));
}

// Script functions that native functions call without allowing yields. In
// each, line 2 loops far past any of the budgets below while the global
// "long" is true, and does nothing more otherwise.
struct NonYieldableCall {
  const char* what;
  const char* src;
};
const NonYieldableCall kNonYieldableCalls[] = {
    {"tostring of a table with __tostring",
     "local t = setmetatable({}, {__tostring = function()\nif long then for i = 1, 30000 do end end\n"
     "return 'shown' end})\nreturn tostring(t)"},
    {"pairs of a table with __pairs",
     "local t = setmetatable({}, {__pairs = function(t)\nif long then for i = 1, 30000 do end end\n"
     "return next, {5, 6}, nil end})\nlocal s = 0 for k, v in pairs(t) do s = s + v end return s"},
    {"table.sort with a comparator",
     "local t = {3, 1, 2}\ntable.sort(t, function(a, b) if long then for i = 1, 30000 do end end\n"
     "return a > b end)\nreturn t[1] * 100 + t[2] * 10 + t[3]"},
    {"string.gsub with a function",
     "return (string.gsub('ab', '%w', function(c)\nif long then for i = 1, 30000 do end end\n"
     "return c .. c end))"},
};

class NonYieldableBudgetTest : public CpuTest {
 protected:
  void SetUp() override {
    CpuTest::SetUp();
    luaL_openalllibs(L);
    lua_settop(L, 0);
  }
  // Runs src on T as the console runs a program: a resume per slice, each
  // with a fresh budget. The final status; *slices counts the resumes.
  int run_in_slices(lua_State* T, const char* src, int budget, int* slices) {
    load(src, T);
    lua_set_cpu_cycles_slice_max(L, budget);
    int status;
    *slices = 0;
    do {
      lua_cpu_prepare_for_slice(L);
      lua_cpu_prepare_for_resume(L, 0);
      status = lua_resume(T, nullptr, 0);
      ++*slices;
    } while (status == LUA_YIELD && *slices < 100000);
    return status;
  }
};

// A budget that runs out inside a script function that a native function
// called is a runtime error at the instruction that was about to run: the
// suspension is never put off until the function returns (one that never
// returns would otherwise keep the host from ever getting control back).
TEST_F(NonYieldableBudgetTest, ABudgetSpentInsideIsARuntimeErrorAtOnce) {
  for (const NonYieldableCall& c : kNonYieldableCalls) {
    for (bool main_thread : {true, false}) {
      for (int budget : {0, 1, 3, 50}) {
        SCOPED_TRACE(std::string(c.what) + (main_thread ? " on the main thread" : " on another thread") +
                     " with a budget of " + std::to_string(budget));
        lua_set_cpu_cycles_slice_max(L, INT32_MAX);
        lua_pushboolean(L, 1);
        lua_setglobal(L, "long");
        lua_State* T = main_thread ? L : lua_newthread(L);
        tovo_set_runtime_line(L, 0);
        int slices = 0;
        ASSERT_EQ(run_in_slices(T, c.src, budget, &slices), LUA_ERRRUN) << top_text(T);
        EXPECT_EQ(top_text(T), main_thread ? "attempt to yield from outside a coroutine"
                                           : "attempt to yield across a C-call boundary");
        EXPECT_EQ(tovo_runtime_line(L), 2);
        // The error comes in the slice that reached the loop: the few
        // instructions before it take at most one slice each.
        EXPECT_LT(slices, 40);
        if (main_thread) lua_reset_call_state_tovo(L);
        lua_settop(L, 0);
      }
    }
  }
}

// Calls that return before the budget runs out give their results as
// before, on either thread; only a call in which the budget runs out fails,
// however short the call: with a budget of 0 even the cheap forms find it
// spent inside.
TEST_F(NonYieldableBudgetTest, CallsThatReturnWithinTheBudgetAreUnchanged) {
  const char* const expected[] = {"shown", "11", "321", "aabb"};
  for (size_t i = 0; i < std::size(kNonYieldableCalls); i++) {
    const NonYieldableCall& c = kNonYieldableCalls[i];
    for (bool main_thread : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (main_thread ? " on the main thread" : " on another thread"));
      lua_State* T = main_thread ? L : lua_newthread(L);
      int slices = 0;
      ASSERT_EQ(run_in_slices(T, c.src, 1000, &slices), LUA_OK) << top_text(T);
      EXPECT_EQ(text_of_thread(T, -1), expected[i]);
      EXPECT_EQ(slices, 1);
      lua_settop(T, 0);
      ASSERT_EQ(run_in_slices(T, c.src, 0, &slices), LUA_ERRRUN);
      EXPECT_EQ(tovo_runtime_line(L), 2) << top_text(T);
      if (main_thread) lua_reset_call_state_tovo(L);
      lua_settop(L, 0);
    }
  }
}

// A superyield requested by a native function that a non-yieldable call ran
// (as the console's flip() or stop() request one) is refused the same way.
TEST_F(NonYieldableBudgetTest, ASuperyieldRequestedInsideIsARuntimeError) {
  lua_pushcclosure(L, request_superyield, TOVO_FAST_CFUNCTION);
  lua_setglobal(L, "flip");
  int slices = 0;
  ASSERT_EQ(run_in_slices(co,
                          "local t = setmetatable({}, {__tostring = function()\nflip()\nreturn 'x' end})\n"
                          "return tostring(t)",
                          139810, &slices),
            LUA_ERRRUN);
  EXPECT_EQ(top_text(co), "attempt to yield across a C-call boundary");
  EXPECT_EQ(tovo_runtime_line(L), 3);
}

// Each state keeps its own budget, counters, superyield and error lines,
// shared by its threads: what runs in one state leaves another's as they
// were, and a new state starts with its own defaults.
TEST_F(CpuTest, EachStateKeepsItsOwnCountersAndLines) {
  counting_alloc other_alloc;
  lua_State* S = lua_newstate(counting_alloc_fn, &other_alloc);
  ASSERT_NE(S, nullptr);
  lua_sethost(S, &tovo_test::console_host);
  EXPECT_EQ(lua_cpu(S).cpu_cycles_slice_max, 139810);
  EXPECT_EQ(tovo_runtime_line(S), 0);
  EXPECT_EQ(tovo_last_line_number(S), -1);

  // S: a budget of 10, 5 cycles charged, a superyield pending, lines of its own.
  lua_set_cpu_cycles_slice_max(S, 10);
  lua_add_cpu_cycles(S, 5);
  lua_cpu_superyield(S);
  tovo_set_runtime_line(S, 99);
  ASSERT_EQ(load_string(S, "x = 1\n\n\n\ny = = 2", "=other", "t"), LUA_ERRSYNTAX);
  ASSERT_EQ(tovo_last_line_number(S), 5);
  const lua_cpu_counters before = lua_cpu(S);

  // L: runs a loop on an unlimited budget (S's pending superyield does not
  // stop it), raises a runtime error on a thread and fails a compile.
  EXPECT_EQ(number_of("local n = 0\nfor i = 1, 100 do n = n + i end\nreturn n"), I(5050));
  EXPECT_GT(lua_get_cpu_cycles(L), 100);
  lua_State* C = lua_newthread(L);  // anchored on L's stack
  load("local t = nil\nreturn t.x", C);
  EXPECT_EQ(lua_resume(C, nullptr, 0), LUA_ERRRUN);
  EXPECT_EQ(tovo_runtime_line(L), 2);
  EXPECT_EQ(load_string(L, "a = 1\nb = = 2", "=test", "t"), LUA_ERRSYNTAX);
  EXPECT_EQ(tovo_last_line_number(L), 2);
  lua_cpu_superyield(L);

  const lua_cpu_counters& after = lua_cpu(S);
  EXPECT_EQ(after.cpu_cycles_slice, before.cpu_cycles_slice);
  EXPECT_EQ(after.cpu_cycles_frame, before.cpu_cycles_frame);
  EXPECT_EQ(after.cpu_cycles_slice_max, 10);
  EXPECT_EQ(after.cpu_superyield, TOVO_SUPERYIELD_REQUEST);
  EXPECT_EQ(after.cpu_superyielded_coresume, 1);
  EXPECT_EQ(tovo_runtime_line(S), 99);
  EXPECT_EQ(tovo_last_line_number(S), 5);

  // S's own budget suspends its program; L's pending superyield is not S's.
  lua_cpu_prepare_for_resume(S, 0);
  lua_State* T = lua_newthread(S);
  ASSERT_EQ(load_string(T, "n = 0 while true do n = n + 1 end", "=other", "t"), LUA_OK);
  lua_reset_cpu_cycles(S, 0);
  EXPECT_EQ(lua_resume(T, nullptr, 0), LUA_YIELD);
  EXPECT_GT(lua_get_cpu_cycles(S), 10);
  EXPECT_LT(lua_get_cpu_cycles(S), 20);
  EXPECT_EQ(lua_cpu(L).cpu_superyield, TOVO_SUPERYIELD_REQUEST);
  lua_close(S);
}

TEST_F(CpuTest, CountersSaturate) {
  lua_add_cpu_cycles(L, INT32_MAX);
  lua_add_cpu_cycles(L, 5);
  EXPECT_EQ(lua_cpu(L).cpu_cycles_slice, INT32_MAX);
  lua_cpu_prepare_for_slice(L);
  lua_add_cpu_cycles(L, INT32_MAX);
  lua_cpu_prepare_for_slice(L);
  EXPECT_EQ(lua_cpu(L).cpu_cycles_frame, INT32_MAX);
  EXPECT_EQ(lua_get_cpu_cycles(L), INT32_MAX);
  lua_reset_cpu_cycles(L, 0);
  lua_add_cpu_cycles(L, INT32_MIN);
  lua_add_cpu_cycles(L, -1);
  EXPECT_EQ(lua_cpu(L).cpu_cycles_slice, INT32_MIN);
  EXPECT_EQ(distance(5, 3), -2);
  EXPECT_EQ(distance(INT32_MIN, INT32_MAX), -1);  // wraps
}

// The instruction charges saturate too, whether the count is stored at a
// call out of the loop or at the return, and a budget of INT32_MAX is never
// spent while one just below it is.
TEST_F(CpuTest, InstructionChargesSaturate) {
  struct Case {
    const char* src;
    int32_t budget;
    int status;
  } cases[] = {
      {"local a = 1 local b = 2 local c = 3", INT32_MAX, LUA_OK},
      {"local a = 1 local t = {} local b = 2 local c = 3", INT32_MAX, LUA_OK},
      {"local a = 1 local b = 2 local c = 3", INT32_MAX - 1, LUA_YIELD},
  };
  for (const Case& c : cases) {
    lua_set_cpu_cycles_slice_max(L, c.budget);
    lua_reset_cpu_cycles(L, 0);
    lua_add_cpu_cycles(L, INT32_MAX - 2);
    load(c.src, co);
    EXPECT_EQ(lua_resume(co, nullptr, 0), c.status) << c.src;
    EXPECT_EQ(lua_cpu(L).cpu_cycles_slice, INT32_MAX) << c.src;
    lua_settop(co, 0);
  }
}

// Programs whose metamethods and calls run long enough to be suspended in
// the middle; each must give the same result under a tiny budget.
const char* const kSuspendedPrograms[] = {
    "local mt = {__rotl = function(a, b) local s = 0 for i = 1, 30 do s = s + 1 end return s + b end} "
    "local t = setmetatable({}, mt) return (t <<> 5) + 1",
    "local mt = {__index = function(t, k) local s = 0 for i = 1, 20 do s = s + i end return s + k end} "
    "local t = setmetatable({}, mt) return t[4] + t[1]",
    "local mt = {__concat = function(a, b) for i = 1, 20 do end return 'm' end} "
    "local t = setmetatable({}, mt) return #('a' .. t .. 'b' .. 'cd')",
    "local mt = {__lt = function(a, b) for i = 1, 20 do end return true end} "
    "local t = setmetatable({}, mt) local n = 0 if t <= 1 then n = 1 else n = 2 end return n",
    "local mt = {__le = function(a, b) for i = 1, 20 do end return false end} "
    "local t = setmetatable({}, mt) local n = 0 if 5 <= t then n = 1 else n = 2 end return n",
    "local mt = {__eq = function(a, b) for i = 1, 20 do end return true end} "
    "local a, b = setmetatable({}, mt), setmetatable({}, mt) return a == b and 3 or 4",
    "local mt = {__len = function(a) for i = 1, 20 do end return 9 end} "
    "local t = setmetatable({}, mt) return #t * 2",
    "local mt = {__newindex = function(t, k, v) for i = 1, 20 do end rawset_(t, k, v * 2) end} "
    "local t = setmetatable({}, mt) t.x = 4 return t.x",
    "local mt = {__call = function(self, a) for i = 1, 20 do end return a + 1 end} "
    "local t = setmetatable({}, mt) local r = t(1) return r + t(2)",
    "local function it(s, c) for i = 1, 10 do end if c < 5 then return c + 1 end end "
    "local n = 0 for v in it, nil, 0 do n = n + v end return n",
    "local function f(n) if n == 0 then return 0 end return f(n - 1) + n end return f(30)",
    "local s = '' for i = 1, 20 do s = s .. i end return #s",
    "local function f(...) return ... end local t = {f(1, 2, f(3, 4, 5))} return #t * 10 + t[5]",
    "local function g(n, acc) if n == 0 then return acc end return g(n - 1, acc + n) end return g(40, 0)",
    "local fs = {} for i = 1, 10 do fs[i] = function() return i end end local s = 0 "
    "for i = 1, 10 do s = s + fs[i]() end return s",
    "local function pair() return 3, 4 end local a, b = pair() local t = {pair(), pair()} return a * b + #t",
    "local n = 0 for i = 10, 1, -1 do for j = i, 10 do n = n + (i << 1) - (j >> 1) end end return n",
    // Suspended inside iterators, which count in the native-call depth: the
    // depth is right again after them.
    "local function nest(n) if n == 0 then return 0 end local r = 0 "
    "for v in function(_, c) if c == nil then return nest(n - 1) + 1 end end do r = v end return r end "
    "local s = 0 for v in function(_, c) for i = 1, 5 do end if c < 6 then return c + 1 end end, nil, 0 do "
    "s = s + v end return s + nest(150)",
    // Coroutines resumed by script code, suspended while they run: their
    // resume gives no values, and resuming them again goes on.
    "local co = cocreate(function(a) for i = 1, 6 do a = yield(a + i) end return a * 2 end) local s = 0 "
    "for i = 1, 7 do local ok, v = coresume(co, i) while v == nil do ok, v = coresume(co) end s = s + v end "
    "return s",
    "local inner = cocreate(function(n) while true do local m = yield(n * 2) n = n + m end end) "
    "local outer = cocreate(function() local t = 0 for i = 1, 4 do local _, v = coresume(inner, i) "
    "while v == nil do _, v = coresume(inner) end t = t + v yield(t) end return -t end) local s = 0 "
    "for i = 1, 5 do local ok, v = coresume(outer) while v == nil do ok, v = coresume(outer) end s = s * 3 + v end "
    "return s",
    "local bad = cocreate(function(x) for i = 1, 3 do x = x + yield(x) end return x.field end) local s = 0 "
    "for i = 1, 5 do local ok, v = coresume(bad, i) while ok and v == nil do ok, v = coresume(bad) end "
    "s = s + (ok and v or 100) end return s",
    // Several values both ways: the yields' results taken into fixed
    // locals, a constructor or dropped, the resumes' results into a
    // constructor or as the last values of a call.
    "local co = cocreate(function(...) local t = {...} while true do "
    "local a, b, c = yield(#t, t[1], t[#t]) t = {yield(a + b + c, c)} end end) "
    "local s = 0 for i = 1, 6 do local r = {coresume(co, i, i * 2, i * 3)} "
    "while r[2] == nil do r = {coresume(co)} end s = s * 2 + #r + r[2] + r[3] end return s",
    "local co = cocreate(function(a) while true do yield(a, a + 1) yield() a = a + 1 end end) "
    "local function f(...) local t = {...} return #t * 10 + (#t > 1 and t[#t] or 0) end "
    "local s = 0 for i = 1, 8 do local v = f(coresume(co, i)) while v == 10 do v = f(coresume(co)) end "
    "s = s + v end return s",
};

int test_rawset(lua_State* L) {
  setobj(luaH_set(L, hvalue(L->ci->func + 1), L->ci->func + 2), L->ci->func + 3);
  return 0;
}

TEST_F(CpuTest, InterruptedMetamethodsAndCallsFinishTheirInstructions) {
  lua_pushcfunction(L, test_setmetatable);
  lua_setglobal(L, "setmetatable");
  lua_pushcfunction(L, test_rawset);
  lua_setglobal(L, "rawset_");
  set_global_function("cocreate", luaB_cocreate);
  set_global_function("coresume", luaB_coresume);
  set_global_function("yield", luaB_yield);
  for (const char* src : kSuspendedPrograms) {
    lua_set_cpu_cycles_slice_max(L, INT32_MAX);
    lua_Number expected = number_of(src);
    for (int budget : {0, 1, 3, 7, 50}) {
      lua_State* T = lua_newthread(L);
      load(src, T);
      lua_set_cpu_cycles_slice_max(L, budget);
      int status, slices = 0;
      do {
        lua_cpu_prepare_for_slice(L);
        status = lua_resume(T, nullptr, 0);
        slices++;
      } while (status == LUA_YIELD && slices < 100000);
      ASSERT_EQ(status, LUA_OK) << src << ": " << top_text(T);
      if (budget <= 3) {
        EXPECT_GT(slices, 2) << src;
      }
      EXPECT_EQ(lua_tonumber(T, -1), expected) << src << " with a budget of " << budget;
      lua_pop(L, 1);
    }
  }
}

int wrapped_coresume(lua_State* L) { return luaB_coresume(L); }

// Where each slice of a run ends: the cycles charged so far, the depth of
// the suspended thread's frames and the line its innermost frame runs next.
struct slice_end {
  int32_t cycles;
  int depth;
  int line;
  bool operator==(const slice_end&) const = default;
};

// A thread suspended in its own frames, in a script iterator (which counts in
// the native-call depth, so that the suspension unwinds to the resume), and
// in a coroutine it resumes: each slice must end at the same point whichever
// way the coroutine is resumed, in place or by a native function.
TEST_F(CpuTest, SuspensionsEndEachSliceAtTheSamePointOnEveryPath) {
  const char* src =
      "local co = cocreate(function(a)\n"
      "  for i = 1, 4 do\n"
      "    a = yield(a + i)\n"
      "  end\n"
      "  return a\n"
      "end)\n"
      "local function it(_, c)\n"
      "  if c < 3 then return c + 1 end\n"
      "end\n"
      "local s = 0\n"
      "for v in it, nil, 0 do s = s + v end\n"
      "for i = 1, 5 do\n"
      "  local ok, v = coresume(co, i)\n"
      "  while v == nil do ok, v = coresume(co) end\n"
      "  s = s * 2 + v\n"
      "end\n"
      "return s";
  set_global_function("cocreate", luaB_cocreate);
  set_global_function("yield", luaB_yield);
  lua_set_cpu_cycles_slice_max(L, INT32_MAX);
  set_global_function("coresume", luaB_coresume);
  const lua_Number expected = number_of(src);
  std::vector<slice_end> first;
  for (lua_CFunction resume : {luaB_coresume, wrapped_coresume}) {
    set_global_function("coresume", resume);
    lua_State* T = lua_newthread(L);
    load(src, T);
    lua_reset_cpu_cycles(L, 0);
    lua_set_cpu_cycles_slice_max(L, 2);
    std::vector<slice_end> ends;
    int status;
    do {
      lua_cpu_prepare_for_slice(L);
      status = lua_resume(T, nullptr, 0);
      if (status != LUA_YIELD) break;
      lua_Debug ar;
      int depth = 0;
      while (lua_getstack(T, depth, &ar)) depth++;
      ASSERT_EQ(lua_getstack(T, 0, &ar), 1);
      lua_getinfo(T, "l", &ar);
      ends.push_back({lua_get_cpu_cycles(L), depth, ar.currentline});
    } while (ends.size() < 100000);
    ASSERT_EQ(status, LUA_OK) << top_text(T);
    EXPECT_EQ(lua_tonumber(T, -1), expected);
    if (first.empty()) {
      first = ends;
      EXPECT_GT(first.size(), 50u);
    } else {
      EXPECT_TRUE(ends == first);
    }
    lua_pop(L, 1);
  }
}

}  // namespace
