// Instruction forms the compiler rarely or never emits, assembled by hand:
// LOADKX, SETLIST with its batch in EXTRAARG, EXTRAARG and unknown opcodes
// reached as instructions, and jumps that close upvalues.
#include "tests/script/vm_asm.h"
#include "tests/script/vm_fixture.h"

namespace {

class VmAsmTest : public VmTest {
 protected:
  // Runs the prototype protected and returns the cycles it was charged.
  int32_t run_asm(const AsmProto& a, int nresults = 1) {
    lua_settop(L, 0);
    asm_push(L, a);
    lua_reset_cpu_cycles(L, 0);
    EXPECT_EQ(lua_pcall(L, 0, nresults, 0), LUA_OK) << top_text(L);
    return lua_get_cpu_cycles(L);
  }
};

TEST_F(VmAsmTest, LoadkxTakesItsIndexFromTheExtraArgument) {
  AsmProto a;
  a.code = {ABx(OP_LOADKX, 0, 0), Ax(OP_EXTRAARG, 1), ABC(OP_RETURN, 0, 2, 0)};
  a.k = {Ki(1), Ki(22)};
  EXPECT_EQ(run_asm(a), 2 + 2);  // the extra argument is not an instruction of its own
  EXPECT_EQ(lua_tonumber(L, -1), I(22));
}

TEST_F(VmAsmTest, SetlistWithTheBatchInTheExtraArgument) {
  AsmProto a;
  a.code = {ABC(OP_NEWTABLE, 0, 0, 0), ABx(OP_LOADK, 1, 0),          ABx(OP_LOADK, 2, 1),    ABC(OP_SETLIST, 0, 2, 0),
            Ax(OP_EXTRAARG, 3),        ABC(OP_GETTABLE, 3, 0, K(2)), ABC(OP_RETURN, 3, 2, 0)};
  a.k = {Ki(5), Ki(6), Ki(102)};  // batch 3 starts at index 101
  run_asm(a);
  EXPECT_EQ(lua_tonumber(L, -1), I(6));
}

TEST_F(VmAsmTest, ExtraargAndUnknownOpcodesOnlyCharge) {
  AsmProto a;
  a.code = {Ax(OP_EXTRAARG, 7), ABC(static_cast<OpCode>(60), 0, 0, 0), ABC(OP_RETURN, 0, 1, 0)};
  EXPECT_EQ(run_asm(a, 0), 2 + 2 + 2);
}

TEST_F(VmAsmTest, LoadnilLoadboolAndTestset) {
  AsmProto a;
  a.code = {ABx(OP_LOADK, 0, 0),       ABx(OP_LOADK, 1, 0),       ABC(OP_LOADNIL, 0, 1, 0),
            ABC(OP_LOADBOOL, 2, 1, 1), ABC(OP_LOADBOOL, 2, 0, 0), ABC(OP_TESTSET, 3, 2, 1),
            AsBx(OP_JMP, 0, 1),        ABx(OP_LOADK, 3, 1),       ABC(OP_RETURN, 0, 5, 0)};
  a.k = {Ki(1), Ki(9)};
  run_asm(a, 4);
  EXPECT_EQ(lua_type(L, 1), LUA_TNIL);  // LOADNIL cleared registers 0 and 1
  EXPECT_EQ(lua_type(L, 2), LUA_TNIL);
  EXPECT_TRUE(lua_toboolean(L, 3));  // the second LOADBOOL was skipped
  EXPECT_TRUE(lua_toboolean(L, 4));  // TESTSET copied the true value and jumped over LOADK
}

TEST_F(VmAsmTest, AJumpClosesUpvalues) {
  AsmProto inner;
  inner.code = {ABC(OP_GETUPVAL, 0, 0, 0), ABC(OP_RETURN, 0, 2, 0)};
  inner.upvalues = {{true, 0, "x"}};
  for (int close : {1, 0}) {
    AsmProto a;
    a.code = {ABx(OP_LOADK, 0, 0),   ABx(OP_CLOSURE, 1, 0), AsBx(OP_JMP, close, 0), ABx(OP_LOADK, 0, 1),
              ABC(OP_MOVE, 2, 1, 0), ABC(OP_CALL, 2, 1, 2), ABC(OP_RETURN, 2, 2, 0)};
    a.k = {Ki(10), Ki(20)};
    a.protos = {inner};
    run_asm(a);
    // Closed by the jump, the upvalue keeps 10; still open, it sees 20.
    EXPECT_EQ(lua_tonumber(L, -1), close ? I(10) : I(20));
  }
}

TEST_F(VmAsmTest, ClosuresWithTheSameUpvaluesAreReused) {
  AsmProto inner;
  inner.code = {ABC(OP_RETURN, 0, 1, 0)};
  inner.upvalues = {{true, 0, "x"}};
  AsmProto a;
  a.code = {ABx(OP_CLOSURE, 1, 0),     ABx(OP_CLOSURE, 2, 0),     ABC(OP_EQ, 1, 1, 2),    AsBx(OP_JMP, 0, 1),
            ABC(OP_LOADBOOL, 3, 0, 1), ABC(OP_LOADBOOL, 3, 1, 0), ABC(OP_RETURN, 3, 2, 0)};
  a.protos = {inner};
  run_asm(a);
  EXPECT_TRUE(lua_toboolean(L, -1));
}

}  // namespace
