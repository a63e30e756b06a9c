#pragma once
// The instruction set of the virtual machine and its 32-bit encoding.
//
//   bits  0-5   opcode
//   bits  6-13  A  (8 bits)
//   bits 14-22  C  (9 bits)
//   bits 23-31  B  (9 bits)
//   bits 14-31  Bx (18 bits, unsigned); sBx = Bx - MAXARG_sBx
//   bits  6-31  Ax (26 bits)
//
// A B or C operand marked as register-or-constant (OpArgK) is a constant
// index when bit 8 is set (the index is the low 8 bits), else a register.
#include <cstdint>

#include "script/value/object.h"

enum OpMode { iABC, iABx, iAsBx, iAx };

constexpr int SIZE_OP = 6;
constexpr int SIZE_A = 8;
constexpr int SIZE_C = 9;
constexpr int SIZE_B = 9;
constexpr int SIZE_Bx = SIZE_C + SIZE_B;
constexpr int SIZE_Ax = SIZE_C + SIZE_B + SIZE_A;

constexpr int POS_OP = 0;
constexpr int POS_A = POS_OP + SIZE_OP;
constexpr int POS_C = POS_A + SIZE_A;
constexpr int POS_B = POS_C + SIZE_C;
constexpr int POS_Bx = POS_C;
constexpr int POS_Ax = POS_A;

constexpr int MAXARG_A = (1 << SIZE_A) - 1;
constexpr int MAXARG_B = (1 << SIZE_B) - 1;
constexpr int MAXARG_C = (1 << SIZE_C) - 1;
constexpr int MAXARG_Bx = (1 << SIZE_Bx) - 1;  // 262143
constexpr int MAXARG_sBx = MAXARG_Bx >> 1;     // 131071
constexpr int MAXARG_Ax = (1 << SIZE_Ax) - 1;  // 67108863

// Mask of n one-bits starting at bit p.
constexpr uint32_t op_mask1(int n, int p) { return (~((~uint32_t{0}) << n)) << p; }

enum OpCode {
  OP_MOVE,      // A B      R(A) := R(B)
  OP_LOADK,     // A Bx     R(A) := Kst(Bx)
  OP_LOADKX,    // A        R(A) := Kst(extra arg)
  OP_LOADBOOL,  // A B C    R(A) := (bool)B; if (C) pc++
  OP_LOADNIL,   // A B      R(A), ..., R(A+B) := nil
  OP_GETUPVAL,  // A B      R(A) := UpValue[B]
  OP_GETTABUP,  // A B C    R(A) := UpValue[B][RK(C)]
  OP_GETTABLE,  // A B C    R(A) := R(B)[RK(C)]
  OP_SETTABUP,  // A B C    UpValue[A][RK(B)] := RK(C)
  OP_SETUPVAL,  // A B      UpValue[B] := R(A)
  OP_SETTABLE,  // A B C    R(A)[RK(B)] := RK(C)
  OP_NEWTABLE,  // A B C    R(A) := {} (array size B, hash size C as floating bytes)
  OP_SELF,      // A B C    R(A+1) := R(B); R(A) := R(B)[RK(C)]
  OP_ADD,       // A B C    R(A) := RK(B) + RK(C)      (arithmetic code 0)
  OP_SUB,       //          -                          1
  OP_MUL,       //          *                          2
  OP_DIV,       //          /                          3
  OP_MOD,       //          %                          4
  OP_POW,       //          ^                          5
  OP_KXBAND,    //          &                          6
  OP_KXBOR,     //          |                          7
  OP_KXBXOR,    //          ^^                         8
  OP_KXSHL,     //          <<                         9
  OP_KXSHR,     //          >>  (arithmetic)           10
  OP_KXLSHR,    //          >>> (logical)              11
  OP_KXROTL,    //          <<>                        12
  OP_KXROTR,    //          >><                        13
  OP_KXBNOT,    // A B C    R(A) := ~RK(B)  (C = constant 0)   14
  OP_IDIV,      // A B C    R(A) := RK(B) \ RK(C)      15
  OP_PEEK,      // A B C    R(A) := @RK(B)  (C = constant 0)   16
  OP_PEEK2,     // A B C    R(A) := %RK(B)  (C = constant 0)   17
  OP_PEEK4,     // A B C    R(A) := $RK(B)  (C = constant 0)   18
  OP_UNM,       // A B      R(A) := -R(B)                      19
  OP_NOT,       // A B      R(A) := not R(B)
  OP_LEN,       // A B      R(A) := length of R(B)
  OP_CONCAT,    // A B C    R(A) := R(B) .. ... .. R(C)
  OP_JMP,       // A sBx    pc += sBx; if (A) close upvalues >= R(A - 1)
  OP_EQ,        // A B C    if ((RK(B) == RK(C)) ~= A) then pc++
  OP_LT,        // A B C    if ((RK(B) <  RK(C)) ~= A) then pc++
  OP_LE,        // A B C    if ((RK(B) <= RK(C)) ~= A) then pc++
  OP_TEST,      // A C      if not (R(A) <=> C) then pc++
  OP_TESTSET,   // A B C    if (R(B) <=> C) then R(A) := R(B) else pc++
  OP_CALL,      // A B C    R(A), ..., R(A+C-2) := R(A)(R(A+1), ..., R(A+B-1))
  OP_TAILCALL,  // A B C    return R(A)(R(A+1), ..., R(A+B-1))
  OP_RETURN,    // A B      return R(A), ..., R(A+B-2)
  OP_FORLOOP,   // A sBx    R(A) += R(A+2); if in range { pc += sBx; R(A+3) := R(A) }
  OP_FORPREP,   // A sBx    R(A) -= R(A+2); pc += sBx
  OP_TFORCALL,  // A C      R(A+3), ..., R(A+2+C) := R(A)(R(A+1), R(A+2))
  OP_TFORLOOP,  // A sBx    if R(A+1) ~= nil then { R(A) := R(A+1); pc += sBx }
  OP_SETLIST,   // A B C    R(A)[(C-1)*FPF+i] := R(A+i), 1 <= i <= B
  OP_CLOSURE,   // A Bx     R(A) := closure(KPROTO[Bx])
  OP_VARARG,    // A B      R(A), R(A+1), ..., R(A+B-2) = vararg
  OP_EXTRAARG,  // Ax       extra (larger) argument for the previous opcode
  NUM_OPCODES
};

static_assert(NUM_OPCODES == 53);
static_assert(OP_UNM - OP_ADD == 19 && OP_IDIV - OP_ADD == 15);

// Forms the instruction loop runs in place of an opcode whose operand kinds
// are known when the prototype is readied (luaV_prepare rewrites them in the
// code array, above the instruction set's numbers): each does what its
// opcode does, with no register-or-constant decoding on its usual path.
// Whatever shows code (chunk dumps, the debug interface, listings) reads it
// through luaP_original, which gives back the opcode the form stands for.
enum LoopForm {
  OPF_ADDK = NUM_OPCODES,  // ADD  with B a register, C a number constant
  OPF_SUBK,                // SUB  likewise
  OPF_MULK,                // MUL  likewise
  OPF_DIVK,                // DIV  likewise
  OPF_MODK,                // MOD  likewise
  OPF_EQK,                 // EQ   with one operand a register, the other a constant
  OPF_LTK,                 // LT   with one operand a register, the other a number constant
  OPF_LEK,                 // LE   likewise
  OPF_GETTABLEK,           // GETTABLE with C a short-string constant
  OPF_SETTABLEK,           // SETTABLE with B a short-string constant
  OPF_SELFK,               // SELF with C a short-string constant
  NUM_LOOP_OPCODES
};
static_assert(NUM_LOOP_OPCODES == 64, "every opcode number is taken");
constexpr int NUM_LOOP_FORMS = static_cast<int>(NUM_LOOP_OPCODES) - static_cast<int>(NUM_OPCODES);

// ---- field access ----
inline OpCode GET_OPCODE(Instruction i) { return static_cast<OpCode>((i >> POS_OP) & op_mask1(SIZE_OP, 0)); }
inline int GETARG_A(Instruction i) { return static_cast<int>((i >> POS_A) & op_mask1(SIZE_A, 0)); }
inline int GETARG_B(Instruction i) { return static_cast<int>((i >> POS_B) & op_mask1(SIZE_B, 0)); }
inline int GETARG_C(Instruction i) { return static_cast<int>((i >> POS_C) & op_mask1(SIZE_C, 0)); }
inline int GETARG_Bx(Instruction i) { return static_cast<int>((i >> POS_Bx) & op_mask1(SIZE_Bx, 0)); }
inline int GETARG_Ax(Instruction i) { return static_cast<int>((i >> POS_Ax) & op_mask1(SIZE_Ax, 0)); }
inline int GETARG_sBx(Instruction i) { return GETARG_Bx(i) - MAXARG_sBx; }

inline void setarg_(Instruction& i, int v, int pos, int size) {
  i = (i & ~op_mask1(size, pos)) | ((static_cast<uint32_t>(v) << pos) & op_mask1(size, pos));
}
inline void SET_OPCODE(Instruction& i, OpCode o) { setarg_(i, o, POS_OP, SIZE_OP); }
inline void SETARG_A(Instruction& i, int v) { setarg_(i, v, POS_A, SIZE_A); }
inline void SETARG_B(Instruction& i, int v) { setarg_(i, v, POS_B, SIZE_B); }
inline void SETARG_C(Instruction& i, int v) { setarg_(i, v, POS_C, SIZE_C); }
inline void SETARG_Bx(Instruction& i, int v) { setarg_(i, v, POS_Bx, SIZE_Bx); }
inline void SETARG_Ax(Instruction& i, int v) { setarg_(i, v, POS_Ax, SIZE_Ax); }
inline void SETARG_sBx(Instruction& i, int v) { SETARG_Bx(i, v + MAXARG_sBx); }

inline Instruction CREATE_ABC(OpCode o, int a, int b, int c) {
  return (static_cast<uint32_t>(o) << POS_OP) | (static_cast<uint32_t>(a) << POS_A) |
         (static_cast<uint32_t>(b) << POS_B) | (static_cast<uint32_t>(c) << POS_C);
}
inline Instruction CREATE_ABx(OpCode o, int a, int bx) {
  return (static_cast<uint32_t>(o) << POS_OP) | (static_cast<uint32_t>(a) << POS_A) |
         (static_cast<uint32_t>(bx) << POS_Bx);
}
inline Instruction CREATE_Ax(OpCode o, int ax) {
  return (static_cast<uint32_t>(o) << POS_OP) | (static_cast<uint32_t>(ax) << POS_Ax);
}

// ---- register-or-constant operands ----
constexpr int BITRK = 1 << (SIZE_B - 1);  // 256
constexpr int MAXINDEXRK = BITRK - 1;     // 255
inline bool ISK(int x) { return (x & BITRK) != 0; }
inline int INDEXK(int r) { return r & ~BITRK; }
inline int RKASK(int x) { return x | BITRK; }

// Marks "no register" in a jump's A field and elsewhere.
constexpr int NO_REG = MAXARG_A;

// Items a SETLIST stores per batch.
constexpr int LFIELDS_PER_FLUSH = 50;

// ---- opcode modes ----
// Bits: 0-1 format (OpMode), 2-3 C argument, 4-5 B argument,
// 6 sets register A, 7 is a test followed by a jump.
enum OpArgMask {
  OpArgN,  // not used
  OpArgU,  // used as a plain number
  OpArgR,  // a register or a jump offset
  OpArgK   // a register or a constant
};

extern const uint8_t luaP_opmodes[NUM_OPCODES];
extern const char* const luaP_opnames[NUM_OPCODES + 1];  // null-terminated

inline OpMode getOpMode(OpCode m) { return static_cast<OpMode>(luaP_opmodes[m] & 3); }
inline OpArgMask getBMode(OpCode m) { return static_cast<OpArgMask>((luaP_opmodes[m] >> 4) & 3); }
inline OpArgMask getCMode(OpCode m) { return static_cast<OpArgMask>((luaP_opmodes[m] >> 2) & 3); }
inline bool testAMode(OpCode m) { return (luaP_opmodes[m] & (1 << 6)) != 0; }
inline bool testTMode(OpCode m) { return (luaP_opmodes[m] & (1 << 7)) != 0; }

// The opcode that the number op stands for: a loop form's opcode, else op.
extern const uint8_t luaP_formbase[NUM_LOOP_FORMS];
inline OpCode luaP_baseop(int op) {
  return static_cast<OpCode>(op >= NUM_OPCODES ? luaP_formbase[op - NUM_OPCODES] : op);
}
// The instruction as it was made: a loop form turned back into its opcode
// (the operands are those of the original instruction).
inline Instruction luaP_original(Instruction i) {
  OpCode op = GET_OPCODE(i);
  if (op >= NUM_OPCODES) SET_OPCODE(i, luaP_baseop(op));
  return i;
}

// Arithmetic opcodes 13-32 in the order of the arithmetic codes.
inline bool tovo_is_arith_op(OpCode o) { return o >= OP_ADD && o <= OP_UNM; }
// The unary arithmetic opcodes whose C operand the VM reads as RK: the code
// generator puts the constant 0 there.
inline bool tovo_is_unary_rk_op(OpCode o) { return o == OP_KXBNOT || (o >= OP_PEEK && o <= OP_PEEK4); }
