// Opcode names and modes.
#include "script/vm/opcodes.h"

const char* const luaP_opnames[NUM_OPCODES + 1] = {
    "MOVE",     "LOADK",    "LOADKX",   "LOADBOOL", "LOADNIL", "GETUPVAL", "GETTABUP", "GETTABLE", "SETTABUP",
    "SETUPVAL", "SETTABLE", "NEWTABLE", "SELF",     "ADD",     "SUB",      "MUL",      "DIV",      "MOD",
    "POW",      "KXBAND",   "KXBOR",    "KXBXOR",   "KXSHL",   "KXSHR",    "KXLSHR",   "KXROTL",   "KXROTR",
    "KXBNOT",   "IDIV",     "PEEK",     "PEEK2",    "PEEK4",   "UNM",      "NOT",      "LEN",      "CONCAT",
    "JMP",      "EQ",       "LT",       "LE",       "TEST",    "TESTSET",  "CALL",     "TAILCALL", "RETURN",
    "FORLOOP",  "FORPREP",  "TFORCALL", "TFORLOOP", "SETLIST", "CLOSURE",  "VARARG",   "EXTRAARG", nullptr};

const uint8_t luaP_formbase[NUM_LOOP_FORMS] = {OP_ADD, OP_SUB, OP_MUL,      OP_DIV,      OP_MOD, OP_EQ,
                                               OP_LT,  OP_LE,  OP_GETTABLE, OP_SETTABLE, OP_SELF};

namespace {
constexpr uint8_t opmode(int t, int a, OpArgMask b, OpArgMask c, OpMode m) {
  return static_cast<uint8_t>((t << 7) | (a << 6) | (b << 4) | (c << 2) | m);
}
constexpr uint8_t ARITH = opmode(0, 1, OpArgK, OpArgK, iABC);
constexpr uint8_t UNARY = opmode(0, 1, OpArgR, OpArgN, iABC);
}  // namespace

const uint8_t luaP_opmodes[NUM_OPCODES] = {
    opmode(0, 1, OpArgR, OpArgN, iABC),   // MOVE
    opmode(0, 1, OpArgK, OpArgN, iABx),   // LOADK
    opmode(0, 1, OpArgN, OpArgN, iABx),   // LOADKX
    opmode(0, 1, OpArgU, OpArgU, iABC),   // LOADBOOL
    opmode(0, 1, OpArgU, OpArgN, iABC),   // LOADNIL
    opmode(0, 1, OpArgU, OpArgN, iABC),   // GETUPVAL
    opmode(0, 1, OpArgU, OpArgK, iABC),   // GETTABUP
    opmode(0, 1, OpArgR, OpArgK, iABC),   // GETTABLE
    opmode(0, 0, OpArgK, OpArgK, iABC),   // SETTABUP
    opmode(0, 0, OpArgU, OpArgN, iABC),   // SETUPVAL
    opmode(0, 0, OpArgK, OpArgK, iABC),   // SETTABLE
    opmode(0, 1, OpArgU, OpArgU, iABC),   // NEWTABLE
    opmode(0, 1, OpArgR, OpArgK, iABC),   // SELF
    ARITH,                                // ADD
    ARITH,                                // SUB
    ARITH,                                // MUL
    ARITH,                                // DIV
    ARITH,                                // MOD
    ARITH,                                // POW
    ARITH,                                // KXBAND
    ARITH,                                // KXBOR
    ARITH,                                // KXBXOR
    ARITH,                                // KXSHL
    ARITH,                                // KXSHR
    ARITH,                                // KXLSHR
    ARITH,                                // KXROTL
    ARITH,                                // KXROTR
    UNARY,                                // KXBNOT
    ARITH,                                // IDIV
    UNARY,                                // PEEK
    UNARY,                                // PEEK2
    UNARY,                                // PEEK4
    UNARY,                                // UNM
    UNARY,                                // NOT
    UNARY,                                // LEN
    opmode(0, 1, OpArgR, OpArgR, iABC),   // CONCAT
    opmode(0, 0, OpArgR, OpArgN, iAsBx),  // JMP
    opmode(1, 0, OpArgK, OpArgK, iABC),   // EQ
    opmode(1, 0, OpArgK, OpArgK, iABC),   // LT
    opmode(1, 0, OpArgK, OpArgK, iABC),   // LE
    opmode(1, 0, OpArgN, OpArgU, iABC),   // TEST
    opmode(1, 1, OpArgR, OpArgU, iABC),   // TESTSET
    opmode(0, 1, OpArgU, OpArgU, iABC),   // CALL
    opmode(0, 1, OpArgU, OpArgU, iABC),   // TAILCALL
    opmode(0, 0, OpArgU, OpArgN, iABC),   // RETURN
    opmode(0, 1, OpArgR, OpArgN, iAsBx),  // FORLOOP
    opmode(0, 1, OpArgR, OpArgN, iAsBx),  // FORPREP
    opmode(0, 0, OpArgN, OpArgU, iABC),   // TFORCALL
    opmode(0, 1, OpArgR, OpArgN, iAsBx),  // TFORLOOP
    opmode(0, 0, OpArgU, OpArgU, iABC),   // SETLIST
    opmode(0, 1, OpArgU, OpArgN, iABx),   // CLOSURE
    opmode(0, 1, OpArgU, OpArgN, iABC),   // VARARG
    opmode(0, 0, OpArgU, OpArgU, iAx),    // EXTRAARG
};
