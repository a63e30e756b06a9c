#pragma once
// The budget check of the instruction loop: the cost of each opcode, and
// what happens once the slice's count has passed its budget.
#include <cstdint>

#include "script/vm/cpu.h"
#include "script/vm/opcodes.h"
#include "script/vm/state.h"

// Cycles charged for an opcode: 1 for moves, constant loads, addition,
// subtraction, the bitwise operators, the peeks and negation; 2 for all
// others.
constexpr int32_t tovo_opcode_cost(int op) {
  return (op == OP_MOVE || op == OP_LOADK || op == OP_ADD || op == OP_SUB || (op >= OP_KXBAND && op <= OP_KXBNOT) ||
          (op >= OP_PEEK && op <= OP_UNM))
             ? 1
             : 2;
}

// True once the slice of L's state is over or a superyield is pending.
inline bool tovo_budget_over(lua_State* L) {
  const lua_cpu_counters& c = G(L)->cpu;
  return (c.cpu_cycles_slice | c.cpu_superyield) > c.cpu_cycles_slice_max;
}

// The instruction loop adds the costs to a 64-bit count without saturating
// and stores it back held at INT32_MAX, which gives the same value as adding
// each cost to the 32-bit counter with saturation (the count only grows
// between two stores, from a 32-bit value by a few cycles at a time).
inline int32_t tovo_held_slice(int64_t slice) { return slice > INT32_MAX ? INT32_MAX : static_cast<int32_t>(slice); }

// Called before an instruction when the budget is spent: suspends the running
// thread so that the instruction runs first when it is resumed. Where the
// thread cannot yield (a script function under a native call that does not
// allow it, such as a "__tostring" called by tostring or a sort comparator)
// the suspension is a runtime error raised at that instruction: "attempt to
// yield from outside a coroutine" on the state's main thread, "attempt to
// yield across a C-call boundary" on any other. Waiting for a point where
// the thread can yield would let a function that never returns keep the host
// from ever getting control back. Returns only where no native call stands
// between the innermost resume and the frame, the thread being that
// resume's: the loop then ends the resume by returning, as after a yield of a
// native function; elsewhere the suspension is thrown to the resume.
void luaV_budget_suspend(lua_State* L, CallInfo* ci);

// b - a (wrapping); offered beside the counters.
int distance(int a, int b);
