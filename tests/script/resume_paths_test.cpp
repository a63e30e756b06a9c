// Coroutines resumed from script code by the library's resume function,
// which the instruction loop runs in place, and by a function that only
// calls it, which takes the general call of a native function: the same
// results, messages, statuses and cycle charges.
#include <string>

#include "tests/script/lib_fixture.h"

namespace {

// The library's resume function under another address.
int wrapped_resume(lua_State* L) { return luaB_coresume(L); }

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
    {"an error in the resume's own arguments", "put(pcall(coresume)) put(pcall(coresume, {}))",
     "2: false bad argument #1 to 'coresume' (coroutine expected); "
     "2: false bad argument #1 to 'coresume' (coroutine expected); "},
};

class ResumePathTest : public LibTest {
 protected:
  // Runs c with the global "coresume" set to resume, from a fresh cycle
  // count: its result and the cycles it charged.
  std::string run_case(const ResumeCase& c, lua_CFunction resume, int32_t* cycles) {
    set_global_function("coresume", resume);
    reset_counters();
    int status = run(std::string(kPrelude) + c.src + " return s");
    *cycles = lua_get_cpu_cycles(L);
    return status == LUA_OK ? text_of(-1) : "error: " + top_text(L);
  }
};

TEST_F(ResumePathTest, InPlaceAndGeneralResumesGiveTheSameResultsAndCharges) {
  for (const ResumeCase& c : kResumeCases) {
    int32_t library_cycles = 0, plain_cycles = 0;
    std::string library = run_case(c, luaB_coresume, &library_cycles);
    std::string plain = run_case(c, wrapped_resume, &plain_cycles);
    EXPECT_EQ(library, c.expected) << c.what;
    EXPECT_EQ(plain, c.expected) << c.what;
    EXPECT_EQ(plain_cycles, library_cycles) << c.what;
  }
}

}  // namespace
