// The checks of loaded code: what the compiler makes passes them, chunks
// whose code breaks a rule of the instruction loop are refused as
// "corrupted", and any chunk that passes runs without harm.
#include <dirent.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "script/compiler/undump.h"
#include "script/value/number.h"
#include "tests/script/compile_util.h"
#include "tests/script/vm_asm.h"
#include "tests/script/vm_fixture.h"

namespace {

const char* const CORRUPTED = "chunk: corrupted precompiled chunk";

// Offset of the main function's first instruction in a chunk.
constexpr size_t FIRST_INSTRUCTION = LUAC_HEADERSIZE + 4 + 4 + 3 + 4;

// Programs that between them use most opcodes: constructors with open calls,
// varargs, both kinds of loop, closures, joins, tests and method calls.
const char* const programs[] = {
    "local function f(...) return ... end local t = {f(1, 2, 3)} local u = {n = #t, f(...)} return #t, u.n",
    "local s = 0 for i = 1, 10, 2 do s = s + i end for i = 3, 1, -1 do s = s - i end return s",
    "local t = {a = 1, b = 2} local n = 0 for k, v in next, t do n = n + v end return n",
    "local fs = {} for i = 1, 3 do fs[i] = function() return i end end local x = 0 "
    "do local y = 5 fs[4] = function() y = y + 1 return y end end return fs[1]() + fs[3]() + fs[4]()",
    "local a, b = 'x', 2 local s = a .. b .. a if a == 'x' and b < 3 or b >= 9 then s = s .. '!' end "
    "while #s < 8 do s = s .. '.' end repeat s = s .. '?' until #s > 9 return s, not a, -b",
    "local o = {v = 3} function o:get(k) return self.v + k end local t = setmetatable and {} or {} "
    "return o:get(1), select and 1 or 2, #{...}",
    "local function g(n, ...) if n <= 0 then return ... end return g(n - 1, n, ...) end return g(3)",
    "local x = 0x10 return @x, %x, $x, ~x, x & 3 | 4 ^^ 5 << 1 >> 1 >>> 1 <<> 2 >>< 2, x \\ 3, x % 3, x ^ 2",
};

// Every file of tests/scripts whose name ends in ".lua", with its text.
std::vector<std::pair<std::string, std::string>> corpus_files() {
  std::vector<std::pair<std::string, std::string>> out;
  std::string dir = std::string(TOVO_TEST_SOURCE_DIR) + "/tests/scripts";
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return out;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".lua") != 0) continue;
    std::ifstream in(dir + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    out.emplace_back(name, text.str());
  }
  closedir(d);
  return out;
}

class VerifyTest : public VmTest {
 protected:
  // The dump of text's main function (strip: no debug information).
  std::string dump_of(const std::string& text, bool strip = false) {
    EXPECT_EQ(compile_text(L, text), LUA_OK) << top_text(L);
    std::string bytes = dump_proto(L, top_proto(L), strip);
    L->top--;
    return bytes;
  }
  std::string dump_of(const AsmProto& a) {
    asm_push(L, a);
    std::string bytes = dump_proto(L, top_proto(L), false);
    L->top--;
    return bytes;
  }
  // The loader's message for bytes, or "" when they load.
  std::string load_message(const std::string& bytes) {
    int status = load_binary(L, bytes);
    std::string out = status == LUA_OK ? "" : top_text(L);
    L->top--;
    return out;
  }
};

TEST_F(VerifyTest, CompiledProgramsPass) {
  std::vector<std::pair<std::string, std::string>> all = corpus_files();
  ASSERT_GT(all.size(), 10u);
  for (const char* p : programs) all.emplace_back(p, p);
  // Constructors whose sizes are large for their code: runs of nils share
  // an instruction.
  std::string nils = "return {", keys = "return {";
  for (int i = 0; i < 260; i++) nils += "nil, ";
  for (int i = 0; i < 130; i++) keys += "k" + std::to_string(i) + " = 1, ";
  all.emplace_back("nils", nils + "}");
  all.emplace_back("keys", keys + "}");
  for (const auto& [name, text] : all) {
    if (compile_text(L, text, "=corpus") != LUA_OK) {  // programs that test compile errors
      L->top--;
      continue;
    }
    for (bool strip : {false, true}) {
      std::string bytes = dump_proto(L, top_proto(L), strip);
      EXPECT_EQ(load_message(bytes), "") << name;
    }
    L->top--;
  }
}

// One instruction of a compiled main function patched in the dump.
struct Patch {
  const char* what;
  const char* text;
  OpCode find;  // the first instruction with this opcode is patched
  std::function<Instruction(Instruction)> change;
};

TEST_F(VerifyTest, PatchedCompiledChunksAreRefused) {
  const Patch patches[] = {
      {"constant index far out of range", "return 'a', 'b'", OP_LOADK,
       [](Instruction i) {
         SETARG_Bx(i, 200000);
         return i;
       }},
      {"constant index one past the end", "return 'a', 'b'", OP_LOADK,
       [](Instruction i) {
         SETARG_Bx(i, 2);
         return i;
       }},
      {"register beyond the stack", "local a = 1 return a", OP_LOADK,
       [](Instruction i) {
         SETARG_A(i, 200);
         return i;
       }},
      {"constant operand out of range", "local a = ... return a + 1", OP_ADD,
       [](Instruction i) {
         SETARG_C(i, RKASK(9));
         return i;
       }},
      {"jump out of the code", "local x = 0 while x < 3 do x = x + 1 end return x", OP_JMP,
       [](Instruction i) {
         SETARG_sBx(i, 1000);
         return i;
       }},
      {"jump before the code", "local x = 0 while x < 3 do x = x + 1 end return x", OP_JMP,
       [](Instruction i) {
         SETARG_sBx(i, -1000);
         return i;
       }},
      {"upvalue index out of range", "return print", OP_GETTABUP,
       [](Instruction i) {
         SETARG_B(i, 5);
         return i;
       }},
      {"opcode beyond the instruction set", "return 1", OP_LOADK,
       [](Instruction i) {
         SET_OPCODE(i, static_cast<OpCode>(NUM_OPCODES));
         return i;
       }},
      {"largest opcode field", "return 1", OP_LOADK,
       [](Instruction i) {
         SET_OPCODE(i, static_cast<OpCode>(63));
         return i;
       }},
      {"nested function out of range", "return function() end", OP_CLOSURE,
       [](Instruction i) {
         SETARG_Bx(i, 1);
         return i;
       }},
      {"loop preparation aimed past its loop", "local s = 0 for i = 1, 3 do s = s + i end return s", OP_FORPREP,
       [](Instruction i) {
         SETARG_sBx(i, GETARG_sBx(i) + 1);
         return i;
       }},
      {"list store into a number", "return {1, 2}", OP_NEWTABLE,
       [](Instruction i) { return CREATE_ABx(OP_LOADK, GETARG_A(i), 0); }},
      {"results beyond the stack", "return 1", OP_RETURN,
       [](Instruction i) {
         SETARG_B(i, 200);
         return i;
       }},
  };
  for (const Patch& p : patches) {
    std::string bytes = dump_of(p.text);
    ASSERT_EQ(compile_text(L, p.text), LUA_OK);
    const Proto* f = top_proto(L);
    int pc = 0;
    while (pc < f->sizecode && GET_OPCODE(luaP_original(f->code[pc])) != p.find) pc++;
    ASSERT_LT(pc, f->sizecode) << p.what;
    Instruction patched = p.change(luaP_original(f->code[pc]));
    L->top--;
    ASSERT_EQ(load_message(bytes), "") << p.what;  // unpatched, it loads
    for (int b = 0; b < 4; b++) bytes[FIRST_INSTRUCTION + 4 * pc + b] = static_cast<char>(patched >> (8 * b));
    EXPECT_EQ(load_message(bytes), CORRUPTED) << p.what;
  }
  std::string whole = dump_of("return 'a', 'b'");
  EXPECT_EQ(load_message(whole.substr(0, whole.size() - 1)), "chunk: truncated precompiled chunk");
}

// Small functions that load, each the ground for faults of one kind.
AsmProto constant_base() {
  AsmProto a;
  a.maxstack = 2;
  a.k = {Ki(1)};
  a.code = {ABx(OP_LOADK, 0, 0), ABC(OP_RETURN, 0, 2, 0)};
  return a;
}

AsmProto test_base() {  // if 1 == 1 then r0 = 1 end return r0
  AsmProto a = constant_base();
  a.code = {ABC(OP_EQ, 0, K(0), K(0)), AsBx(OP_JMP, 0, 1), ABx(OP_LOADK, 0, 0), ABC(OP_RETURN, 0, 2, 0)};
  return a;
}

AsmProto list_base() {  // return {f()}
  AsmProto a;
  a.maxstack = 3;
  a.k = {Ks("f")};
  a.code = {ABC(OP_NEWTABLE, 0, 0, 0), ABC(OP_GETTABUP, 1, 0, K(0)), ABC(OP_CALL, 1, 1, 0), ABC(OP_SETLIST, 0, 0, 1),
            ABC(OP_RETURN, 0, 2, 0)};
  return a;
}

AsmProto list_closure_base() {  // return {g()} where g sets register 2 of this function
  AsmProto child;
  child.maxstack = 2;
  child.k = {Ki(5)};
  child.upvalues = {{true, 2, "x"}};
  child.code = {ABx(OP_LOADK, 0, 0), ABC(OP_SETUPVAL, 0, 0, 0), ABC(OP_RETURN, 0, 1, 0)};
  AsmProto a;
  a.maxstack = 3;
  a.protos = {child};
  a.code = {ABC(OP_NEWTABLE, 0, 0, 0), ABx(OP_CLOSURE, 1, 0), ABC(OP_CALL, 1, 1, 0), ABC(OP_SETLIST, 0, 0, 1),
            ABC(OP_RETURN, 0, 2, 0)};
  return a;
}

AsmProto loop_base() {  // for i = 1, 1 do local x = i end
  AsmProto a;
  a.maxstack = 5;
  a.k = {Ki(1)};
  a.code = {ABx(OP_LOADK, 0, 0),   ABx(OP_LOADK, 1, 0),     ABx(OP_LOADK, 2, 0),    AsBx(OP_FORPREP, 0, 1),
            ABC(OP_MOVE, 4, 3, 0), AsBx(OP_FORLOOP, 0, -2), ABC(OP_RETURN, 0, 1, 0)};
  return a;
}

AsmProto closure_base() {  // local x = 1 return function() return x end
  AsmProto child;
  child.maxstack = 2;
  child.upvalues = {{true, 1, "x"}};
  child.code = {ABC(OP_GETUPVAL, 0, 0, 0), ABC(OP_RETURN, 0, 2, 0)};
  AsmProto a = constant_base();
  a.protos = {child};
  a.code = {ABx(OP_LOADK, 1, 0), ABx(OP_CLOSURE, 0, 0), ABC(OP_RETURN, 0, 2, 0)};
  return a;
}

AsmProto vararg_base() {  // f(...)
  AsmProto a;
  a.vararg = true;
  a.maxstack = 3;
  a.k = {Ks("f")};
  a.code = {ABC(OP_GETTABUP, 0, 0, K(0)), ABC(OP_VARARG, 1, 0, 0), ABC(OP_CALL, 0, 0, 1), ABC(OP_RETURN, 0, 1, 0)};
  return a;
}

struct Fault {
  const char* what;
  AsmProto (*base)();
  std::function<void(AsmProto&)> change;
};

TEST_F(VerifyTest, AssembledFaultsAreRefused) {
  for (auto base : {constant_base, test_base, list_base, list_closure_base, loop_base, closure_base, vararg_base}) {
    ASSERT_EQ(load_message(dump_of(base())), "");
  }
  const Fault faults[] = {
      {"no code", constant_base, [](AsmProto& a) { a.code.clear(); }},
      {"runs off the end", constant_base, [](AsmProto& a) { a.code.pop_back(); }},
      {"skips past the end", constant_base, [](AsmProto& a) { a.code[0] = ABC(OP_LOADBOOL, 0, 1, 1); }},
      {"more parameters than registers", constant_base, [](AsmProto& a) { a.nparams = 3; }},
      {"register operand beyond the stack", constant_base, [](AsmProto& a) { a.code[0] = ABC(OP_ADD, 0, 5, K(0)); }},
      {"unused operand of a peek out of range", constant_base,
       [](AsmProto& a) { a.code[0] = ABC(OP_PEEK, 0, K(0), K(7)); }},
      {"join of a single value", constant_base, [](AsmProto& a) { a.code[0] = ABC(OP_CONCAT, 0, 1, 1); }},
      {"upvalue store out of range", constant_base, [](AsmProto& a) { a.code[0] = ABC(OP_SETUPVAL, 0, 3, 0); }},
      {"constant load without its extra word", constant_base, [](AsmProto& a) { a.code[0] = ABx(OP_LOADKX, 0, 0); }},
      {"extra word names no constant", constant_base,
       [](AsmProto& a) {
         a.code = {ABx(OP_LOADKX, 0, 0), Ax(OP_EXTRAARG, 1), ABC(OP_RETURN, 0, 2, 0)};
       }},
      {"generic loop call beyond the stack", constant_base, [](AsmProto& a) { a.code[0] = ABC(OP_TFORCALL, 0, 0, 1); }},
      {"test without its jump", test_base, [](AsmProto& a) { a.code[1] = ABx(OP_LOADK, 0, 0); }},
      {"jump past the end", test_base, [](AsmProto& a) { a.code[1] = AsBx(OP_JMP, 0, 5); }},
      {"upvalues closed from beyond the stack", test_base, [](AsmProto& a) { a.code[1] = AsBx(OP_JMP, 9, 1); }},
      {"table size beyond an int", list_base, [](AsmProto& a) { a.code[0] = ABC(OP_NEWTABLE, 0, 0x1ff, 0); }},
      {"table larger than the function could fill", list_base,
       [](AsmProto& a) { a.code[0] = ABC(OP_NEWTABLE, 0, luaO_int2fb(1000), 0); }},
      {"hash part larger than the function could fill", list_base,
       [](AsmProto& a) { a.code[0] = ABC(OP_NEWTABLE, 0, 0, luaO_int2fb(100)); }},
      {"list store into a string", list_base, [](AsmProto& a) { a.code[0] = ABx(OP_LOADK, 0, 0); }},
      {"list store into a table that a jump passes by", list_base,
       [](AsmProto& a) {
         a.code.insert(a.code.begin(), ABC(OP_LOADBOOL, 0, 0, 1));  // skips the table
       }},
      {"list store into a table a closure can change", list_closure_base,
       [](AsmProto& a) { a.protos[0].upvalues[0].idx = 0; }},
      {"list batch zero", list_base,
       [](AsmProto& a) {
         a.code[3] = ABC(OP_SETLIST, 0, 0, 0);
         a.code.insert(a.code.begin() + 4, Ax(OP_EXTRAARG, 0));
       }},
      {"all values taken, none left", vararg_base, [](AsmProto& a) { a.code[1] = ABC(OP_VARARG, 1, 2, 0); }},
      {"values left, none taken", vararg_base, [](AsmProto& a) { a.code[2] = ABC(OP_CALL, 0, 2, 1); }},
      {"values begin below the arguments", vararg_base, [](AsmProto& a) { a.code[1] = ABC(OP_VARARG, 0, 0, 0); }},
      {"jump onto the call that takes the values", vararg_base,
       [](AsmProto& a) { a.code.insert(a.code.begin() + 1, AsBx(OP_JMP, 0, 1)); }},
      {"loop preparation not aimed at its loop", loop_base, [](AsmProto& a) { a.code[3] = AsBx(OP_FORPREP, 0, 0); }},
      {"loop aimed back elsewhere", loop_base, [](AsmProto& a) { a.code[5] = AsBx(OP_FORLOOP, 0, -3); }},
      {"loop registers beyond the stack", loop_base,
       [](AsmProto& a) {
         a.code[3] = AsBx(OP_FORPREP, 2, 1);
         a.code[5] = AsBx(OP_FORLOOP, 2, -2);
       }},
      {"captured register beyond the parent's stack", closure_base,
       [](AsmProto& a) { a.protos[0].upvalues[0].idx = 2; }},
      {"captured upvalue beyond the parent's upvalues", closure_base,
       [](AsmProto& a) {
         a.protos[0].upvalues[0] = {false, 1, "x"};
       }},
      {"fault inside a nested function", closure_base,
       [](AsmProto& a) { a.protos[0].code[0] = ABC(OP_GETUPVAL, 0, 1, 0); }},
  };
  for (const Fault& f : faults) {
    AsmProto a = f.base();
    f.change(a);
    EXPECT_EQ(load_message(dump_of(a)), CORRUPTED) << f.what;
  }
}

// Loads bytes as a binary chunk and, when they load, runs the function as a
// coroutine for at most budget cycles. The status of the load or the run.
int load_and_run(lua_State* L, const std::string& bytes, int budget) {
  int status = load_string(L, bytes, "=mutant", "b");
  if (status != LUA_OK) {
    lua_settop(L, 0);
    return status;
  }
  lua_State* co = lua_newthread(L);
  lua_insert(L, -2);
  lua_xmove(L, co, 1);
  lua_reset_cpu_cycles(L, 0);
  lua_set_cpu_cycles_slice_max(L, budget);
  status = lua_resume(co, nullptr, 0);
  lua_set_cpu_cycles_slice_max(L, INT32_MAX);
  lua_settop(L, 0);
  return status;
}

TEST_F(VerifyTest, ChangedCodeIsRefusedOrRunsSafely) {
  // Each field of each instruction of each program set to values at and
  // around the limits: whatever loads must run without a fault (the
  // sanitizers watch), ending, yielding at the budget or raising an error.
  alloc.limit = 64u << 20;  // a table sized from a changed operand is refused, not made
  int loaded = 0, refused = 0;
  for (const char* text : programs) {
    std::string bytes = dump_of(text, true);
    ASSERT_EQ(compile_text(L, text), LUA_OK);
    const Proto* f = top_proto(L);
    int n = f->sizecode, stack = f->maxstacksize, nk = f->sizek;
    std::vector<Instruction> code(n);
    for (int pc = 0; pc < n; pc++) code[pc] = luaP_original(f->code[pc]);
    L->top--;
    std::vector<Instruction> variants;
    for (int pc = 0; pc < n; pc++) {
      variants.clear();
      Instruction i = code[pc];
      for (int op = 0; op < 64; op++) {
        Instruction v = i;
        SET_OPCODE(v, static_cast<OpCode>(op));
        variants.push_back(v);
      }
      for (int a : {0, 1, stack - 1, stack, MAXARG_A}) {
        Instruction v = i;
        SETARG_A(v, a);
        variants.push_back(v);
      }
      for (int x : {0, 1, stack - 1, stack, MAXINDEXRK, RKASK(0), RKASK(nk - 1), RKASK(nk), MAXARG_B}) {
        Instruction b = i, c = i;
        SETARG_B(b, x);
        SETARG_C(c, x);
        variants.push_back(b);
        variants.push_back(c);
      }
      for (int s : {-pc - 2, -pc - 1, -1, 0, 1, n - pc - 2, n - pc - 1}) {
        Instruction v = i;
        SETARG_sBx(v, s);
        variants.push_back(v);
      }
      for (Instruction v : variants) {
        std::string b = bytes;
        for (int k = 0; k < 4; k++) b[FIRST_INSTRUCTION + 4 * pc + k] = static_cast<char>(v >> (8 * k));
        int status = load_and_run(L, b, 2000);
        if (status == LUA_ERRSYNTAX) {
          refused++;
          continue;
        }
        loaded++;
        EXPECT_TRUE(status == LUA_OK || status == LUA_YIELD || status == LUA_ERRRUN || status == LUA_ERRMEM)
            << text << " pc " << pc;
      }
    }
  }
  EXPECT_GT(loaded, 100);
  EXPECT_GT(refused, 100);
}

}  // namespace
