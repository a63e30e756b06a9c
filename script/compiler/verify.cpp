// Checks of loaded code, in three passes over each function:
//  1. each instruction on its own: the opcode, its operands against the
//     function's sizes (registers, constants, upvalues, nested functions),
//     and the places control goes to next, which must lie inside the code;
//  2. values of a variable count: an instruction that leaves them on the
//     stack (a call wanting all results, a tail call, "...") must be followed
//     at once by one that takes them all (a call, return or list store
//     taking all values up to the top), and nothing may jump to the latter;
//  3. only in a function that stores list items: the register a list store
//     writes to must hold a table made by the function on every path to it.
// The instruction loop then needs no check of its own.
#include "script/compiler/verify.h"

#include <climits>
#include <cstdint>

#include "script/lua.h"
#include "script/vm/opcodes.h"

namespace {

// A set of registers (0..255).
struct Regs {
  uint64_t w[4];
};

bool has(const Regs& s, int r) { return ((s.w[r >> 6] >> (r & 63)) & 1) != 0; }

// Registers lo..hi (both included), cut at 255.
Regs span(int lo, int hi) {
  Regs m{};
  if (hi > MAXARG_A) hi = MAXARG_A;
  for (int wi = 0; wi < 4; wi++) {
    int first = lo > wi * 64 ? lo : wi * 64;
    int last = hi < wi * 64 + 63 ? hi : wi * 64 + 63;
    if (first > last) continue;
    int n = last - first + 1;
    uint64_t bits = n == 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
    m.w[wi] = bits << (first - wi * 64);
  }
  return m;
}

Regs operator|(const Regs& a, const Regs& b) {
  return {{a.w[0] | b.w[0], a.w[1] | b.w[1], a.w[2] | b.w[2], a.w[3] | b.w[3]}};
}
Regs operator&(const Regs& a, const Regs& b) {
  return {{a.w[0] & b.w[0], a.w[1] & b.w[1], a.w[2] & b.w[2], a.w[3] & b.w[3]}};
}
Regs without(const Regs& a, const Regs& b) {
  return {{a.w[0] & ~b.w[0], a.w[1] & ~b.w[1], a.w[2] & ~b.w[2], a.w[3] & ~b.w[3]}};
}
bool operator==(const Regs& a, const Regs& b) {
  return a.w[0] == b.w[0] && a.w[1] == b.w[1] && a.w[2] == b.w[2] && a.w[3] == b.w[3];
}

// The largest list-store batch: its last index, plus a whole stack of
// values, stays within an int.
constexpr int MAX_BATCH = (INT_MAX - 2 * LUAI_MAXSTACK) / LFIELDS_PER_FLUSH;

struct Fn {
  const Proto* p;
  int n;      // instructions
  int stack;  // registers
};

OpCode op_at(const Fn& f, int pc) { return GET_OPCODE(f.p->code[pc]); }
bool inside(const Fn& f, int pc) { return pc >= 0 && pc < f.n; }
bool reg(const Fn& f, int r) { return r < f.stack; }
// count registers from first on (none at all is fine anywhere up to the top).
bool regs(const Fn& f, int first, int count) { return count >= 0 && first + count <= f.stack; }
bool rk(const Fn& f, int x) { return ISK(x) ? INDEXK(x) < f.p->sizek : x < f.stack; }
bool upval(const Fn& f, int u) { return u < f.p->sizeupvalues; }
bool next_is(const Fn& f, int pc, OpCode o) { return inside(f, pc + 1) && op_at(f, pc + 1) == o; }

// A table size in the floating-byte form, at most limit.
bool table_size(int x, int64_t limit) {
  int e = (x >> 3) & 0x1f;
  return (e == 0 ? x : static_cast<int64_t>((x & 7) + 8) << (e - 1)) <= limit;
}

// The sizes a constructor in a function of n instructions may ask for: each
// hash item takes an instruction of its own, and list items at least one
// for every batch (runs of nils share one); the form rounds up by less than
// an eighth.
int64_t most_list_items(const Fn& f) { return int64_t{LFIELDS_PER_FLUSH} * f.n + 8; }
int64_t most_hash_items(const Fn& f) { return int64_t{2} * f.n + 8; }

bool operands(const Fn& f, int pc) {
  Instruction i = f.p->code[pc];
  int op = GET_OPCODE(i);
  int a = GETARG_A(i), b = GETARG_B(i), c = GETARG_C(i);
  if (op >= OP_ADD && op < OP_UNM) return reg(f, a) && rk(f, b) && rk(f, c);  // unary ones too read C
  switch (op) {
    case OP_MOVE:
    case OP_UNM:
    case OP_NOT:
    case OP_LEN: return reg(f, a) && reg(f, b);
    case OP_LOADK: return reg(f, a) && GETARG_Bx(i) < f.p->sizek;
    case OP_LOADKX: return reg(f, a) && next_is(f, pc, OP_EXTRAARG) && GETARG_Ax(f.p->code[pc + 1]) < f.p->sizek;
    case OP_LOADBOOL: return reg(f, a);
    case OP_LOADNIL: return regs(f, a, b + 1);
    case OP_GETUPVAL: return reg(f, a) && upval(f, b);
    case OP_GETTABUP: return reg(f, a) && upval(f, b) && rk(f, c);
    case OP_GETTABLE: return reg(f, a) && reg(f, b) && rk(f, c);
    case OP_SETTABUP: return upval(f, a) && rk(f, b) && rk(f, c);
    case OP_SETUPVAL: return reg(f, a) && upval(f, b);
    case OP_SETTABLE: return reg(f, a) && rk(f, b) && rk(f, c);
    case OP_NEWTABLE: return reg(f, a) && table_size(b, most_list_items(f)) && table_size(c, most_hash_items(f));
    case OP_SELF: return regs(f, a, 2) && reg(f, b) && rk(f, c);
    case OP_CONCAT: return reg(f, a) && b < c && reg(f, c);
    case OP_JMP: return a == 0 || reg(f, a - 1);
    case OP_EQ:
    case OP_LT:
    case OP_LE: return rk(f, b) && rk(f, c) && next_is(f, pc, OP_JMP);
    case OP_TEST: return reg(f, a) && next_is(f, pc, OP_JMP);
    case OP_TESTSET: return reg(f, a) && reg(f, b) && next_is(f, pc, OP_JMP);
    case OP_CALL: return reg(f, a) && (b == 0 || regs(f, a, b)) && (c == 0 || regs(f, a, c - 1));
    case OP_TAILCALL: return reg(f, a) && (b == 0 || regs(f, a, b));
    case OP_RETURN: return b == 0 ? reg(f, a) : regs(f, a, b - 1);
    case OP_FORPREP: {  // jumps to its loop instruction
      int t = pc + 1 + GETARG_sBx(i);
      return regs(f, a, 4) && inside(f, t) && op_at(f, t) == OP_FORLOOP && GETARG_A(f.p->code[t]) == a;
    }
    case OP_FORLOOP: {  // jumps back to the first instruction after its preparation
      int t = pc + 1 + GETARG_sBx(i);
      return regs(f, a, 4) && inside(f, t - 1) && op_at(f, t - 1) == OP_FORPREP && GETARG_A(f.p->code[t - 1]) == a;
    }
    case OP_TFORCALL: return regs(f, a, 6) && regs(f, a + 3, c);
    case OP_TFORLOOP: return regs(f, a, 2);
    case OP_SETLIST: {
      int batch = c;
      if (c == 0) {
        if (!next_is(f, pc, OP_EXTRAARG)) return false;
        batch = GETARG_Ax(f.p->code[pc + 1]);
      }
      return reg(f, a) && (b == 0 || regs(f, a + 1, b)) && batch >= 1 && batch <= MAX_BATCH;
    }
    case OP_CLOSURE: return reg(f, a) && GETARG_Bx(i) < f.p->sizep;
    case OP_VARARG: return b == 0 ? reg(f, a) : regs(f, a, b - 1);
    case OP_EXTRAARG: return true;  // run on its own, it does nothing
    default: return false;          // no such opcode
  }
}

// The places control may go to after the instruction at pc (at most two);
// a place other than pc + 1 is a jump target.
int successors(const Fn& f, int pc, int* next) {
  Instruction i = f.p->code[pc];
  switch (GET_OPCODE(i)) {
    case OP_RETURN: return 0;
    case OP_JMP:
    case OP_FORPREP: next[0] = pc + 1 + GETARG_sBx(i); return 1;
    case OP_FORLOOP:
    case OP_TFORLOOP:
      next[0] = pc + 1;
      next[1] = pc + 1 + GETARG_sBx(i);
      return 2;
    case OP_EQ:
    case OP_LT:
    case OP_LE:
    case OP_TEST:
    case OP_TESTSET:  // the jump that follows, or past it
      next[0] = pc + 1;
      next[1] = pc + 2;
      return 2;
    case OP_LOADBOOL: next[0] = pc + (GETARG_C(i) != 0 ? 2 : 1); return 1;
    case OP_LOADKX: next[0] = pc + 2; return 1;
    case OP_SETLIST: next[0] = pc + (GETARG_C(i) == 0 ? 2 : 1); return 1;
    default: next[0] = pc + 1; return 1;
  }
}

// Leaves all values up to the stack's top, for the next instruction.
bool leaves_values(Instruction i) {
  OpCode op = GET_OPCODE(i);
  return (op == OP_CALL && GETARG_C(i) == 0) || op == OP_TAILCALL || (op == OP_VARARG && GETARG_B(i) == 0);
}

// Takes all values up to the stack's top.
bool takes_values(Instruction i) {
  OpCode op = GET_OPCODE(i);
  return (op == OP_CALL || op == OP_TAILCALL || op == OP_RETURN || op == OP_SETLIST) && GETARG_B(i) == 0;
}

constexpr uint8_t TARGET = 1;   // something jumps here
constexpr uint8_t REACHED = 2;  // the path search came here
constexpr uint8_t QUEUED = 4;   // waiting to be looked at again

bool control_and_values(const Fn& f, uint8_t* flags) {
  for (int pc = 0; pc < f.n; pc++) flags[pc] = 0;
  for (int pc = 0; pc < f.n; pc++) {
    if (!operands(f, pc)) return false;
    int next[2];
    int count = successors(f, pc, next);
    for (int s = 0; s < count; s++) {
      if (!inside(f, next[s])) return false;
      if (next[s] != pc + 1) flags[next[s]] |= TARGET;
    }
  }
  for (int pc = 0; pc < f.n; pc++) {
    Instruction i = f.p->code[pc];
    if (leaves_values(i) && !(inside(f, pc + 1) && takes_values(f.p->code[pc + 1]))) return false;
    if (takes_values(i)) {
      if (pc == 0 || (flags[pc] & TARGET) != 0 || !leaves_values(f.p->code[pc - 1])) return false;
      // The values begin at or above the first one taken.
      int from = GETARG_A(f.p->code[pc - 1]);
      int first = GETARG_A(i) + (GET_OPCODE(i) == OP_RETURN ? 0 : 1);
      if (from < first) return false;
    }
  }
  return true;
}

// What the path search knows before an instruction: the registers that
// surely hold a table the function made, and those that a closure may still
// reach (code outside the function may change them whenever it runs).
struct Known {
  Regs tables;
  Regs captured;
};

// The registers the instruction at pc may change, the calls it makes
// included: a call's frame lies above its function's register.
Regs changed(const Fn& f, int pc) {
  Instruction i = f.p->code[pc];
  OpCode op = GET_OPCODE(i);
  int a = GETARG_A(i), b = GETARG_B(i);
  switch (op) {
    case OP_LOADNIL: return span(a, a + b);
    case OP_SELF: return span(a, a + 1);
    case OP_CONCAT: return span(b, MAXARG_A) | span(a, a);  // "__concat" runs above the joined values
    case OP_CALL:
    case OP_TAILCALL: return span(a, MAXARG_A);
    case OP_TFORCALL: return span(a + 3, MAXARG_A);
    case OP_VARARG: return b == 0 ? span(a, MAXARG_A) : span(a, a + b - 2);
    case OP_FORLOOP:
    case OP_FORPREP: return span(a, a + 3);
    case OP_SETTABUP:
    case OP_SETUPVAL:
    case OP_SETTABLE:
    case OP_JMP:
    case OP_EQ:
    case OP_LT:
    case OP_LE:
    case OP_TEST:
    case OP_RETURN:
    case OP_SETLIST:
    case OP_EXTRAARG: return Regs{};
    default: return span(a, a);  // every other opcode sets register A only
  }
}

Known after(const Fn& f, int pc, const Known& in) {
  Instruction i = f.p->code[pc];
  Known out{without(in.tables, changed(f, pc)), in.captured};
  switch (GET_OPCODE(i)) {
    case OP_CLOSURE: {
      const Proto* child = f.p->p[GETARG_Bx(i)];
      for (int u = 0; u < child->sizeupvalues; u++) {
        if (child->upvalues[u].instack)
          out.captured = out.captured | span(child->upvalues[u].idx, child->upvalues[u].idx);
      }
      break;
    }
    case OP_JMP:
      if (GETARG_A(i) > 0) out.captured = without(out.captured, span(GETARG_A(i) - 1, MAXARG_A));
      break;
    case OP_NEWTABLE: out.tables = out.tables | span(GETARG_A(i), GETARG_A(i)); break;
    default: break;
  }
  out.tables = without(out.tables, out.captured);
  return out;
}

bool list_stores_have_tables(lua_State* L, Mbuffer* scratch, const Fn& f) {
  bool any = false;
  for (int pc = 0; pc < f.n && !any; pc++) any = op_at(f, pc) == OP_SETLIST;
  if (!any) return true;
  size_t n = static_cast<size_t>(f.n);
  char* room = luaZ_openspace(L, scratch, n * (sizeof(Known) + sizeof(int32_t) + 1));
  Known* state = reinterpret_cast<Known*>(room);
  int32_t* queue = reinterpret_cast<int32_t*>(room + n * sizeof(Known));
  uint8_t* flags = reinterpret_cast<uint8_t*>(room + n * (sizeof(Known) + sizeof(int32_t)));
  for (size_t pc = 0; pc < n; pc++) flags[pc] = 0;
  state[0] = Known{};
  flags[0] = REACHED | QUEUED;
  queue[0] = 0;
  int queued = 1;
  while (queued > 0) {
    int pc = queue[--queued];
    flags[pc] &= static_cast<uint8_t>(~QUEUED);
    if (op_at(f, pc) == OP_SETLIST && !has(state[pc].tables, GETARG_A(f.p->code[pc]))) return false;
    Known out = after(f, pc, state[pc]);
    int next[2];
    int count = successors(f, pc, next);
    for (int s = 0; s < count; s++) {
      int t = next[s];
      if ((flags[t] & REACHED) == 0) {
        state[t] = out;
        flags[t] |= REACHED;
      } else {
        Known merged{state[t].tables & out.tables, state[t].captured | out.captured};
        if (merged.tables == state[t].tables && merged.captured == state[t].captured) continue;
        state[t] = merged;
      }
      if ((flags[t] & QUEUED) == 0) {
        flags[t] |= QUEUED;
        queue[queued++] = t;
      }
    }
  }
  return true;
}

}  // namespace

bool luaU_verify(lua_State* L, Mbuffer* scratch, const Proto* p) {
  Fn f{p, p->sizecode, p->maxstacksize};
  if (f.n < 1 || p->numparams > p->maxstacksize) return false;
  uint8_t* flags = reinterpret_cast<uint8_t*>(luaZ_openspace(L, scratch, static_cast<size_t>(f.n)));
  if (!control_and_values(f, flags) || !list_stores_have_tables(L, scratch, f)) return false;
  for (int j = 0; j < p->sizep; j++) {
    const Proto* child = p->p[j];
    for (int u = 0; u < child->sizeupvalues; u++) {
      const Upvaldesc& d = child->upvalues[u];
      if (d.instack ? d.idx >= f.stack : d.idx >= p->sizeupvalues) return false;
    }
    if (!luaU_verify(L, scratch, child)) return false;
  }
  return true;
}
