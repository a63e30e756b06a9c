// The code generator: listings of compiled code (operators, folding,
// constants, jumps, table constructors) and its limits.
#include <cstdio>
#include <string>

#include "script/vm/opcodes.h"
#include "tests/script/compile_util.h"
#include "tests/script/runtime_fixture.h"

namespace {

using namespace std::string_literals;

class CodeTest : public RuntimeTest {
 protected:
  std::string compiled(const std::string& text) {
    int status = compile_text(L, text);
    EXPECT_EQ(status, LUA_OK) << top_text(L);
    std::string out = status == LUA_OK ? listing(top_proto(L)) : top_text(L);
    L->top--;
    return out;
  }
  std::string error_of(const std::string& text) {
    EXPECT_EQ(compile_text(L, text), LUA_ERRSYNTAX);
    std::string out = top_text(L);
    L->top--;
    return out;
  }
};

TEST_F(CodeTest, Listings) {
  struct Case {
    const char* text;
    std::string code;
  } cases[] = {
      // Folding: every binary operator but '/' and '%' by a constant 0.
      {"local x, y, z = 1/0, 1%0, 1\\0", "DIV 0 k1 k0\nMOD 1 k1 k0\nLOADK 2 k2\nRETURN 0 1\n; k: 0 1 32767\n"},
      {"local a, b, c, d = 3 << 2, 0x10 ^^ 1, 2^3, (1 << 4) \\ 3",
       "LOADK 0 k0\nLOADK 1 k1\nLOADK 2 k2\nLOADK 3 k3\nRETURN 0 1\n; k: 12 17 8 5\n"},
      {"local a = 6 & 3 | 8 >> 1 >>> 1 <<> 1 >>< 1 - 0.5 * 2", "LOADK 0 k0\nRETURN 0 1\n; k: 6\n"},
      // Unary: '-' folds a numeral; the new unary operators never fold and
      // read the constant 0 as C.
      {"local x local y, z = -x, -3", "LOADNIL 0 0\nUNM 1 0\nLOADK 2 k0\nRETURN 0 1\n; k: -3\n"},
      {"local w = ~3", "LOADK 0 k0\nKXBNOT 0 0 k1\nRETURN 0 1\n; k: 3 0\n"},
      {"local p, q, r = @0x5f00, %a, $a",
       "LOADK 0 k0\nPEEK 0 0 k1\nGETTABUP 1 0 k2\nPEEK2 1 1 k1\nGETTABUP 2 0 k2\nPEEK4 2 2 k1\nRETURN 0 1\n"
       "; k: 24320 0 'a'\n"},
      {"local a, b local n = #a", "LOADNIL 0 1\nLEN 2 0\nRETURN 0 1\n"},
      // '%' after an operand is modulo; at the start of an operand a peek.
      {"local a, b local c = %a % b", "LOADNIL 0 1\nPEEK2 2 0 k0\nMOD 2 2 1\nRETURN 0 1\n; k: 0\n"},
      {"local a local b = @a * 2", "LOADNIL 0 0\nPEEK 1 0 k0\nMUL 1 1 k1\nRETURN 0 1\n; k: 0 2\n"},
      // Comparisons: '>' exchanges its operands.
      {"local a, b local c = a > b", "LOADNIL 0 1\nLT 1 1 0\nJMP 0 1\nLOADBOOL 2 0 1\nLOADBOOL 2 1 0\nRETURN 0 1\n"},
      {"local a, b local c = a ~= b", "LOADNIL 0 1\nEQ 0 0 1\nJMP 0 1\nLOADBOOL 2 0 1\nLOADBOOL 2 1 0\nRETURN 0 1\n"},
      // LOADNIL merging, CONCAT widening.
      {"local a, b, c", "LOADNIL 0 2\nRETURN 0 1\n"},
      {"x = a .. b .. c",
       "GETTABUP 0 0 k1\nGETTABUP 1 0 k2\nGETTABUP 2 0 k3\nCONCAT 0 0 2\nSETTABUP 0 k0 0\nRETURN 0 1\n"
       "; k: 'x' 'a' 'b' 'c'\n"},
      {"local s = 1 + 2 .. 3", "LOADK 0 k0\nLOADK 1 k0\nCONCAT 0 0 1\nRETURN 0 1\n; k: 3\n"},
      // The new binary operators map to their opcodes.
      {"local a, b local c, d, e = a & b, a \\ b, a <<> b",
       "LOADNIL 0 1\nKXBAND 2 0 1\nIDIV 3 0 1\nKXROTL 4 0 1\nRETURN 0 1\n"},
      {"local a, b local c, d, e, f, g = a | b, a ^^ b, a << b, a >> b, a >>> b",
       "LOADNIL 0 1\nKXBOR 2 0 1\nKXBXOR 3 0 1\nKXSHL 4 0 1\nKXSHR 5 0 1\nKXLSHR 6 0 1\nRETURN 0 1\n"},
      {"local a, b local c = a >>< b", "LOADNIL 0 1\nKXROTR 2 0 1\nRETURN 0 1\n"},
      // Constants are kept once each; the number 0 is keyed by a string of its
      // four zero bytes, so that string takes the key over and a later 0 is
      // a new constant.
      {"local a, b = 'z', 'z'", "LOADK 0 k0\nLOADK 1 k0\nRETURN 0 1\n; k: 'z'\n"},
      {"local a, b, c = 0, '\\0\\0\\0\\0', 0",
       "LOADK 0 k0\nLOADK 1 k1\nLOADK 2 k2\nRETURN 0 1\n; k: 0 '\0\0\0\0' 0\n"s},
      // Numeric for with its default step.
      {"for i = 1, 3 do end", "LOADK 0 k0\nLOADK 1 k1\nLOADK 2 k0\nFORPREP 0 0\nFORLOOP 0 -1\nRETURN 0 1\n; k: 1 3\n"},
      // A call in tail position.
      {"return f(1)", "GETTABUP 0 0 k0\nLOADK 1 k1\nTAILCALL 0 2 0\nRETURN 0 0\nRETURN 0 1\n; k: 'f' 1\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(compiled(c.text), c.code) << c.text;
}

// Distinct numeric constants: i/65536 for i from first on.
std::string fraction_list(int first, int count) {
  std::string out;
  char buf[32];
  for (int i = first; i < first + count; i++) {
    std::snprintf(buf, sizeof buf, "0x%x.%04x,", static_cast<unsigned>(i) >> 16, static_cast<unsigned>(i) & 0xffff);
    out += buf;
  }
  return out;
}

TEST_F(CodeTest, ConstantIndexPast255IsLoadedIntoARegister) {
  // 256 constants first: the constant 0 and 1 then have indices 256 and up.
  std::string text = "local t = {" + fraction_list(2, 256) + "} local a, b local c, d = a + 1, ~b";
  std::string code = compiled(text);
  EXPECT_NE(code.find("LOADNIL 1 1\nLOADK 3 k256\nADD 3 1 3\nLOADK 4 k257\nKXBNOT 4 2 4\n"), std::string::npos);
}

TEST_F(CodeTest, ConstantIndexPast262143UsesAnExtraArgument) {
  std::string text = "local t = {" + fraction_list(1, 262145) + "}";
  ASSERT_EQ(compile_text(L, text), LUA_OK) << top_text(L);
  const Proto* p = top_proto(L);
  ASSERT_EQ(p->sizek, 262145);
  // The last items: LOADK with the highest index that fits, then LOADKX.
  bool loadk_max = false;
  bool loadkx = false;
  for (int pc = 0; pc + 1 < p->sizecode; pc++) {
    Instruction i = p->code[pc];
    if (GET_OPCODE(i) == OP_LOADK && GETARG_Bx(i) == MAXARG_Bx) loadk_max = true;
    if (GET_OPCODE(i) == OP_LOADKX) {
      loadkx = true;
      EXPECT_EQ(GET_OPCODE(p->code[pc + 1]), OP_EXTRAARG);
      EXPECT_EQ(GETARG_Ax(p->code[pc + 1]), 262144);
    }
  }
  EXPECT_TRUE(loadk_max);
  EXPECT_TRUE(loadkx);
  L->top--;
}

TEST_F(CodeTest, SetlistBatches) {
  std::string items;
  for (int i = 0; i < 120; i++) items += "1,";
  std::string code = compiled("local t = {" + items + "f()}");
  size_t b1 = code.find("SETLIST 0 50 1\n");
  size_t b2 = code.find("SETLIST 0 50 2\n");
  size_t b3 = code.find("SETLIST 0 0 3\n");  // open: up to the top
  EXPECT_NE(b1, std::string::npos);
  EXPECT_NE(b2, std::string::npos);
  EXPECT_NE(b3, std::string::npos);
  EXPECT_LT(b1, b2);
  EXPECT_LT(b2, b3);
  EXPECT_EQ(code.find("NEWTABLE 0 39 0\n"), 0u);  // 120 list items as a floating byte

  // Batch 512 no longer fits in C: C = 0 and an extra argument.
  std::string many;
  for (int i = 0; i < 50 * 511 + 1; i++) many += "1,";
  code = compiled("local t = {" + many + "}");
  EXPECT_NE(code.find("SETLIST 0 50 511\n"), std::string::npos);
  EXPECT_NE(code.find("SETLIST 0 1 0\nEXTRAARG 512\n"), std::string::npos);
}

TEST_F(CodeTest, Limits) {
  // 249 registers are fine, a need of 250 fails.
  std::string args;
  for (int i = 0; i < 247; i++) args += "1,";
  EXPECT_EQ(compile_text(L, "f(" + args + "1)"), LUA_OK) << top_text(L);
  L->top--;
  EXPECT_EQ(error_of("f(" + args + "1,1)"), "test:1: function or expression too complex near <eof>");

  // A loop body too long for one jump.
  std::string body;
  for (int i = 0; i < 65536; i++) body += "a=b\n";
  std::string message = error_of("while x do\n" + body + "end");
  EXPECT_NE(message.find("control structure too long"), std::string::npos) << message;
}

}  // namespace
