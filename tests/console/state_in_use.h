#pragma once
// An interpreter state made the console's state in use (L0()) for the life of
// the record, for tests of machine code that charges cycles to that state
// with no state of its own at hand.
#include "console/run/run_state.h"
#include "script/lua.h"
#include "tests/support/counting_alloc.h"

struct StateInUse {
  counting_alloc alloc;
  lua_State* L = lua_newstate(counting_alloc_fn, &alloc);
  lua_State* saved = L0();

  StateInUse() { L0() = L; }
  ~StateInUse() {
    L0() = saved;
    lua_close(L);
  }
  StateInUse(const StateInUse&) = delete;
  StateInUse& operator=(const StateInUse&) = delete;
};
