// Finishing an instruction whose metamethod call was interrupted by a yield:
// the metamethod's result is on top of the stack.
#include "script/vm/opcodes.h"
#include "script/vm/state.h"
#include "script/vm/tm.h"
#include "script/vm/vm.h"

namespace {

const TValue* rk(const CallInfo* ci, int x) { return ISK(x) ? getproto(ci->func)->k + INDEXK(x) : ci->u.l.base + x; }

}  // namespace

void luaV_finishOp(lua_State* L) {
  CallInfo* ci = L->ci;
  StkId base = ci->u.l.base;
  Instruction inst = luaP_original(*(ci->u.l.savedpc - 1));  // the interrupted instruction
  OpCode op = GET_OPCODE(inst);
  if (tovo_is_arith_op(op) || op == OP_LEN || op == OP_GETTABUP || op == OP_GETTABLE || op == OP_SELF) {
    setobj(base + GETARG_A(inst), --L->top);
    return;
  }
  switch (op) {
    case OP_EQ:
    case OP_LT:
    case OP_LE: {
      int res = !l_isfalse(L->top - 1);
      L->top--;
      // "<=" answered by "__lt" with the operands swapped: negate. Neither
      // operand having "__le" is what made the comparison use "__lt".
      if (op == OP_LE && ttisnil(luaT_gettmbyobj(L, rk(ci, GETARG_B(inst)), TM_LE)) &&
          ttisnil(luaT_gettmbyobj(L, rk(ci, GETARG_C(inst)), TM_LE))) {
        res = !res;
      }
      if (res != GETARG_A(inst)) ci->u.l.savedpc++;  // skip the jump
      break;
    }
    case OP_CONCAT: {
      StkId top = L->top - 1;                              // the top when the metamethod was called
      int b = GETARG_B(inst);                              // first value of the join
      int total = static_cast<int>(top - 1 - (base + b));  // values still to join
      setobj(top - 2, top);                                // the metamethod's result in its place
      if (total > 1) {
        L->top = top - 1;
        luaV_concat(L, total);  // may yield again
      }
      setobj(ci->u.l.base + GETARG_A(inst), L->top - 1);
      L->top = ci->top;
      break;
    }
    case OP_TFORCALL: L->top = ci->top; break;
    case OP_CALL:
      if (GETARG_C(inst) - 1 >= 0) L->top = ci->top;  // fixed results
      break;
    default: break;  // SETTABUP, SETTABLE, TAILCALL: nothing left to do
  }
}
