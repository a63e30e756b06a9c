// Open upvalues: a thread's open level (the slot of its highest open upvalue,
// which a return tests alone) must follow every change to its list of open
// upvalues: a new one, a close, the collector freeing a dead one, and the
// stack moving when it grows. A stale level makes a return skip a close or
// compare against a freed stack.
#include <string>

#include "tests/script/lib_fixture.h"

namespace {

class OpenUpvalueTest : public LibTest {
 protected:
  void SetUp() override {
    LibTest::SetUp();
    set_global_function("check", check_open_level);
  }
  // Raises an error when the calling thread's open level is not the slot of
  // the first upvalue on its list (or null with the list empty).
  static int check_open_level(lua_State* L) {
    const TValue* expected = L->openupval != nullptr ? static_cast<const UpVal*>(L->openupval)->v : nullptr;
    if (L->openlevel != expected) luaL_error(L, "stale open level");
    return 0;
  }
};

struct Case {
  const char* what;
  const char* src;
  lua_Number expected;
};

TEST_F(OpenUpvalueTest, LevelFollowsTheListAndUpvaluesKeepTheirValues) {
  const Case cases[] = {
      {"closures made at several depths, closed by returns",
       "local fs = {} "
       "local function nest(d) local x = d * 10 if d > 0 then nest(d - 1) end "
       "  fs[#fs + 1] = function() return x end check() end "
       "nest(5) check() local s = 0 for i = 1, #fs do s = s + fs[i]() end return s",
       I(150)},
      {"a function that makes closures returns past an open upvalue of its caller",
       "local a = 1 local get = function() return a end "
       "local function mk(v) local f = function() return v end check() return f end "
       "local g = mk(4) check() a = 2 return get() + g()",
       I(6)},
      {"the stack grows while upvalues are open, and writes reach the moved slot",
       "local x = 7 local bump = function() x = x + 1 end "
       "local function deep(n) if n == 0 then check() bump() return x end return deep(n - 1) + 0 end "
       "local r = deep(3000) check() bump() return r + x",
       I(8 + 9)},
      {"upvalues opened deep in a grown stack close on the way back",
       "local fs = {} "
       "local function deep(n) local v = n if n % 500 == 0 then fs[#fs + 1] = function() return v end end "
       "  if n > 0 then deep(n - 1) end check() end "
       "deep(3000) check() local s = 0 for i = 1, #fs do s = s + fs[i]() end return s",
       I(0 + 500 + 1000 + 1500 + 2000 + 2500 + 3000)},
      {"the collector frees an open upvalue that nothing holds",
       "local keep = 3 local held = function() return keep end "
       "local function f() local a = 1 local g = function() return a end g = nil "
       "  collectgarbage() collectgarbage() check() return a end "
       "local r = f() collectgarbage() check() return r + held()",
       I(4)},
      {"a coroutine's own open upvalues, across a yield and a grown stack",
       "local co = cocreate(function(n) local v = n local get = function() return v end "
       "  yield(get) check() "
       "  local function deep(k) if k == 0 then check() v = v + 1 return get() end return deep(k - 1) + 0 end "
       "  return deep(2000) end) "
       "local _, get = coresume(co, 5) check() local _, r = coresume(co) check() return get() + r",
       I(12)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(error_of(std::string("result = (function() ") + c.src + " end)()"), "") << c.what;
    lua_getglobal(L, "result");
    EXPECT_EQ(lua_tonumber(L, -1), c.expected) << c.what;
  }
}

}  // namespace
