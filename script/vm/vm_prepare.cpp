// Readying a prototype for the instruction loop once its code is complete.
#include "script/vm/vm.h"

#include "script/vm/opcodes.h"

namespace {

// The constant an RK operand names, or null for a register (or a constant
// index past the table, which only hand-made code could hold).
const TValue* constant_of(const Proto* p, int rk) {
  if (!ISK(rk) || INDEXK(rk) >= p->sizek) return nullptr;
  return &p->k[INDEXK(rk)];
}

bool is_number(const TValue* k) { return k != nullptr && ttisnumber(k); }
bool is_short_string(const TValue* k) { return k != nullptr && ttisshrstring(k); }

// The loop form that runs in place of op (one of ADD to MOD) with a register
// B and a number constant C.
OpCode arith_form(OpCode op) {
  switch (op) {
    case OP_ADD: return static_cast<OpCode>(OPF_ADDK);
    case OP_SUB: return static_cast<OpCode>(OPF_SUBK);
    case OP_MUL: return static_cast<OpCode>(OPF_MULK);
    case OP_DIV: return static_cast<OpCode>(OPF_DIVK);
    default: return static_cast<OpCode>(OPF_MODK);
  }
}

// The instruction the loop runs for i: a loop form where the operands allow
// one, else i itself. A number the instruction set lacks (which only
// hand-made code holds) becomes EXTRAARG, which the loop also only charges.
Instruction loop_instruction(const Proto* p, Instruction i) {
  OpCode op = GET_OPCODE(i);
  int b = GETARG_B(i);
  int c = GETARG_C(i);
  int form = op;
  switch (op) {
    case OP_ADD:
    case OP_SUB:
    case OP_MUL:
    case OP_DIV:
    case OP_MOD:
      if (!ISK(b) && is_number(constant_of(p, c))) form = arith_form(op);
      break;
    case OP_EQ:
      if (ISK(b) != ISK(c) && (constant_of(p, b) != nullptr || constant_of(p, c) != nullptr)) form = OPF_EQK;
      break;
    case OP_LT:
    case OP_LE:
      if (ISK(b) != ISK(c) && (is_number(constant_of(p, b)) || is_number(constant_of(p, c)))) {
        form = op == OP_LT ? OPF_LTK : OPF_LEK;
      }
      break;
    case OP_GETTABLE:
      if (is_short_string(constant_of(p, c))) form = OPF_GETTABLEK;
      break;
    case OP_SETTABLE:
      if (is_short_string(constant_of(p, b))) form = OPF_SETTABLEK;
      break;
    case OP_SELF:
      if (is_short_string(constant_of(p, c))) form = OPF_SELFK;
      break;
    default:
      if (op >= NUM_OPCODES) form = OP_EXTRAARG;
      break;
  }
  SET_OPCODE(i, static_cast<OpCode>(form));
  return i;
}

}  // namespace

void luaV_prepare(Proto* p) {
  p->callargs = p->is_vararg ? PROTO_NO_CALLARGS : static_cast<uint16_t>(p->numparams + 1);
  p->callroom = p->is_vararg ? 0 : static_cast<uint16_t>((p->callargs + p->maxstacksize) * sizeof(TValue));
  for (int pc = 0; pc < p->sizecode; pc++) p->code[pc] = loop_instruction(p, p->code[pc]);
}
