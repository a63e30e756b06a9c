// Suspending a script frame when the cycle budget is spent.
#include "script/vm/cpu_budget.h"

#include "script/api/api.h"
#include "script/vm/do_coswitch.h"
#include "script/vm/unwind.h"

void luaV_budget_suspend(lua_State* L, CallInfo* ci) {
  G(L)->cpu.cpu_superyielded_coresume = 1;
  lua_yieldk(L, 0, 0, nullptr);  // raises the yield error where the thread cannot yield
  L->oldpc = ci->u.l.savedpc;
  ci->u.l.savedpc--;  // the instruction runs again when the thread resumes
  ci->callstatus |= CIST_HOOKYIELD;
  ci->func = L->top - 1;
  // With no native call between the innermost resume and this frame, the
  // loop running it is the one that resume runs: its return ends the resume
  // as the thrown yield would.
  const ResumeLevel* level = luaD_resumelevel();
  if (L == level->thread && L->nCcalls == level->ccalls) return;
  luaD_throw(L, LUA_YIELD);
}

int distance(int a, int b) { return static_cast<int>(static_cast<uint32_t>(b) - static_cast<uint32_t>(a)); }
