#pragma once
// A fixture for runtime tests that drive objects through the internal API:
// a state on a counting allocator with the stand-in console as its host,
// protected execution, and stack anchors.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "script/value/gc.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/stack.h"
#include "script/vm/state.h"
#include "script/vm/unwind.h"
#include "tests/script/console_double.h"
#include "tests/support/counting_alloc.h"

// Runs f behind a protected-call boundary; returns the status.
inline int run_protected(lua_State* L, const std::function<void()>& f) {
  auto call = [](lua_State*, void* ud) { (*static_cast<const std::function<void()>*>(ud))(); };
  return luaD_rawrunprotected(L, call, const_cast<std::function<void()>*>(&f));
}

// Text of the value on top of the stack (a string), for error checks.
inline std::string top_text(lua_State* L) {
  const TValue* o = L->top - 1;
  return ttisstring(o) ? std::string(svalue(o), tsvalue(o)->len) : std::string("<not a string>");
}

class RuntimeTest : public ::testing::Test {
 protected:
  // The host the state is given: the stand-in console unless a fixture
  // names another (the default is only named, and so only linked, where it
  // is used).
  explicit RuntimeTest(const lua_Host* state_host = &tovo_test::console_host) : host(state_host) {}

  void SetUp() override {
    L = lua_newstate(counting_alloc_fn, &alloc);
    ASSERT_NE(L, nullptr);
    lua_sethost(L, host);
  }
  void TearDown() override {
    if (L != nullptr) lua_close(L);
    EXPECT_EQ(alloc.in_use, 0u);
    EXPECT_EQ(alloc.blocks, 0u);
    EXPECT_EQ(alloc.size_mismatches, 0u);
  }
  // Anchors a value on the stack (a collector root) and returns its slot.
  StkId push(const TValue* v) {
    setobj(L->top, v);
    incr_top(L);
    return L->top - 1;
  }
  Table* push_table() {
    TValue v;
    sethvalue(&v, luaH_new(L));
    return hvalue(push(&v));
  }
  TString* push_string(const std::string& s) {
    TValue v;
    setsvalue(&v, luaS_newlstr(L, s.data(), s.size()));
    return tsvalue(push(&v));
  }
  static TValue num(lua_Number n) {
    TValue v;
    setnvalue(&v, n);
    return v;
  }
  static TValue str(TString* s) {
    TValue v;
    setsvalue(&v, s);
    return v;
  }
  void setint(Table* t, int n, lua_Number v) {
    TValue x = num(v);
    luaH_setint(L, t, n, &x);
  }
  const TValue* getnum(Table* t, lua_Number k) {
    TValue x = num(k);
    return luaH_get(t, &x);
  }
  // A raw store, as lua_rawset does it (the metamethod cache is cleared).
  void set(Table* t, const TValue& k, const TValue& v) {
    t->flags = 0;
    TValue* cell = luaH_set(L, t, &k);
    setobj(cell, &v);
    luaC_barrierback(L, t, &v);
  }

  counting_alloc alloc;
  lua_State* L = nullptr;
  const lua_Host* host;
};
