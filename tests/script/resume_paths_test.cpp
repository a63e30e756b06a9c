// Coroutines resumed from script code by the library's resume function,
// which the instruction loop runs in place, and by a function that only
// calls it, which takes the general call of a native function: the same
// results, messages, statuses and cycle charges.
#include <string>

#include "tests/script/lib_fixture.h"

namespace {

// The library's resume and yield functions under other addresses.
int wrapped_resume(lua_State* L) { return luaB_coresume(L); }
int wrapped_yield(lua_State* L) { return luaB_yield(L); }

// Each program reports through put, which adds the count and the texts of
// its arguments to the string s that the program returns.
const char* const kPrelude =
    "local s = '' "
    "local function put(...) local n = select('#', ...) s = s .. n .. ':' "
    "for i = 1, n do s = s .. ' ' .. tostring((select(i, ...))) end s = s .. '; ' end ";

struct ResumeCase {
  const char* what;
  const char* src;
  const char* expected;
};

const ResumeCase kResumeCases[] = {
    {"values both ways",
     "local co = cocreate(function(a, b) local c, d = yield(a + b, a * b) local t = {yield(c)} return #t, d end) "
     "put(coresume(co, 2, 3)) put(coresume(co, 4, 5)) put(coresume(co, 6, 7, 8)) put(coresume(co))",
     "3: true 5 6; 2: true 4; 3: true 3 5; 2: false corolib: cannot resume dead coroutine; "},
    {"results wanted in every number",
     "local co = cocreate(function() while true do yield(1, 2, 3) end end) "
     "local a = coresume(co) local b, c = coresume(co) coresume(co) local t = {coresume(co)} "
     "put(a, b, c, #t, t[4]) local one = cocreate(function() yield(7) end) local p, q, r = coresume(one) "
     "put(p, q, r)",
     "5: true true 1 4 3; 3: true 7 nil; "},
    {"many values",
     "local co = cocreate(function(...) return select('#', ...), yield(...) end) "
     "put(select('#', coresume(co, unpack({}, 1, 250)))) put(coresume(co, 1, 2))",
     "1: 251; 4: true 250 1 2; "},
    {"an error inside",
     "local co = cocreate(function(x) local y = yield(x) error('bad ' .. y, 0) end) "
     "put(coresume(co, 1)) put(coresume(co, 2)) put(costatus(co)) put(coresume(co))",
     "2: true 1; 2: false bad 2; 1: dead; 2: false cannot resume dead coroutine; "},
    {"a yield across a protected call",
     "local co = cocreate(function() local ok, e = pcall(function() local v = yield(1) error(v, 0) end) "
     "yield(ok, e) return 'end' end) "
     "put(coresume(co)) put(coresume(co, 'oops')) put(coresume(co)) put(costatus(co))",
     "2: true 1; 3: true false oops; 2: true end; 1: dead; "},
    {"yields inside a protected call, each resume finishing it",
     "local co = cocreate(function() local ok, v = pcall(function() local a = yield(1) "
     "local b = yield(a .. '+') return b end) return ok, v end) "
     "put(coresume(co)) put(coresume(co, 'x')) put(coresume(co, 'y')) put(coresume(co))",
     "2: true 1; 2: true x+; 3: true true y; 2: false corolib: cannot resume dead coroutine; "},
    {"yields from a metamethod, an iterator and a tail call",
     "local mt = {__index = function(t, k) return yield(k) end} "
     "local co = cocreate(function() local a = setmetatable({}, mt).foo local s = 0 "
     "for v in function() return yield('it') end do s = s + v if s > 3 then break end end "
     "return yield(a .. s) end) "
     "put(coresume(co)) put(coresume(co, 'A')) put(coresume(co, 2)) put(coresume(co, 5)) put(coresume(co, 'end')) "
     "put(coresume(co))",
     "2: true foo; 2: true it; 2: true it; 2: true A7; 2: true end; 2: false corolib: cannot resume dead coroutine; "},
    {"statuses, and resuming a running coroutine",
     "local co co = cocreate(function() put(costatus(co)) put(coresume(co)) yield() end) "
     "put(costatus(co)) put(coresume(co)) put(costatus(co)) put(coresume(co)) put(costatus(co))",
     "1: suspended; 1: running; 2: false cannot resume non-suspended coroutine; 1: true; 1: suspended; "
     "1: true; 1: dead; "},
    {"nested coroutines",
     "local inner = cocreate(function(a) while true do a = yield(a * 2) end end) "
     "local outer = cocreate(function() for i = 1, 3 do local _, v = coresume(inner, i) "
     "local _, w = coresume(inner, v) yield(w + 100) end return costatus(inner) end) "
     "for i = 1, 5 do put(coresume(outer)) end",
     "2: true 104; 2: true 108; 2: true 112; 2: true suspended; 2: false corolib: cannot resume dead coroutine; "},
    {"many values into a suspended coroutine",
     "local co = cocreate(function() local t = {yield()} return #t, t[250] end) "
     "coresume(co) put(coresume(co, unpack({[250] = 'z'}, 1, 250)))",
     "3: true 250 z; "},
    {"switches from ever deeper frames, some with many values, each making a table",
     "local co = cocreate(function(...) local n = select('#', ...) "
     "while true do n = select('#', yield(n, {})) end end) "
     "local function deep(d, k) if d == 0 then local _, n = coresume(co, unpack({}, 1, k)) return n end "
     "local n = deep(d - 1, k) return n end "
     "local sum = 0 for d = 1, 150, 7 do sum = sum + deep(d, d % 3 == 0 and 60 or 1) end put(sum, costatus(co))",
     "2: 435 suspended; "},
    {"an error in the resume's own arguments", "put(pcall(coresume)) put(pcall(coresume, {}))",
     "2: false bad argument #1 to 'coresume' (coroutine expected); "
     "2: false bad argument #1 to 'coresume' (coroutine expected); "},
};

class ResumePathTest : public LibTest {
 protected:
  // Runs c with the globals "coresume" and "yield" set to resume and
  // yield, from a fresh cycle count: its result and the cycles it charged.
  std::string run_case(const ResumeCase& c, lua_CFunction resume, lua_CFunction yield, int32_t* cycles) {
    set_global_function("coresume", resume);
    set_global_function("yield", yield);
    reset_counters();
    int status = run(std::string(kPrelude) + c.src + " return s");
    *cycles = lua_get_cpu_cycles(L);
    return status == LUA_OK ? text_of(-1) : "error: " + top_text(L);
  }
};

// The library's functions switch in place where they can; a yield through
// the wrapper suspends as a native function's yield does, which a resume
// must then finish the general way.
TEST_F(ResumePathTest, InPlaceAndGeneralResumesGiveTheSameResultsAndCharges) {
  const struct {
    const char* what;
    lua_CFunction resume, yield;
  } kPaths[] = {{"library resume and yield", luaB_coresume, luaB_yield},
                {"wrapped resume", wrapped_resume, luaB_yield},
                {"wrapped yield", luaB_coresume, wrapped_yield},
                {"both wrapped", wrapped_resume, wrapped_yield}};
  for (const ResumeCase& c : kResumeCases) {
    int32_t first_cycles = 0;
    for (const auto& path : kPaths) {
      int32_t cycles = 0;
      EXPECT_EQ(run_case(c, path.resume, path.yield, &cycles), c.expected) << c.what << ", " << path.what;
      if (&path == kPaths) first_cycles = cycles;
      EXPECT_EQ(cycles, first_cycles) << c.what << ", " << path.what;
    }
  }
}

}  // namespace
