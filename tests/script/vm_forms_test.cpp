// The loop forms: instructions whose operand kinds are known when a
// prototype is readied run as forms without operand decoding. They must
// give what the general opcodes give for every value (metamethods and
// errors included), be chosen exactly where their operands allow, and stay
// invisible: chunk dumps, listings and the debug interface see the opcodes
// as compiled.
#include <string>
#include <vector>

#include "script/compiler/undump.h"
#include "script/debug/dblib.h"
#include "script/lualib.h"
#include "script/vm/opcodes.h"
#include "tests/script/compile_util.h"
#include "tests/script/lib_fixture.h"

namespace {

class VmFormsTest : public LibTest {
 protected:
  void SetUp() override {
    LibTest::SetUp();
    luaL_openalllibs(L);
  }
  // The main function of text, compiled and readied; left on the stack.
  const Proto* compiled(const std::string& text) {
    EXPECT_EQ(compile_text(L, text), LUA_OK) << top_text(L);
    return top_proto(L);
  }
};

// Values of every kind, with a table whose metamethods report the event and
// the operands in their order, and one without metamethods; the last is nil.
const char* const VALUES =
    "local function show(v) return type(v) == 'table' and 't' or tostring(v) end "
    "local mt = {} "
    "for _, e in ipairs({'add', 'sub', 'mul', 'div', 'mod', 'lt', 'le'}) do "
    "  mt['__' .. e] = function(a, b) return e .. ':' .. show(a) .. ',' .. show(b) end "
    "end "
    "local values = {7, -3, 0.5, -0.25, 32767, -32768, 0, 2, '12', '0x10', 'abc', true, false, "
    "  setmetatable({}, mt), {}, nil} "
    "local n = 16 "
    "local function agree(f, g, what) "
    "  for i = 1, n do "
    "    local ok1, r1 = pcall(f, values[i]) "
    "    local ok2, r2 = pcall(g, values[i]) "
    "    if ok1 ~= ok2 or (ok1 and r1 ~= r2) then "
    "      error(what .. ' differs for value ' .. i .. ': ' .. tostring(r1) .. ' / ' .. tostring(r2)) "
    "    end "
    "  end "
    "end ";

// Each operator with a constant on either side gives what it gives with the
// constant in a register, for every value: numbers (whole, fractional,
// negative, at the ends of the range), convertible and other strings,
// booleans, tables with and without metamethods, and nil.
TEST_F(VmFormsTest, ConstantOperandsAgreeWithRegisterOperands) {
  const char* ops[] = {"+", "-", "*", "/", "%", "==", "~=", "<", "<=", ">", ">="};
  const char* constants[] = {"2", "-3", "0.5", "-0.25", "0", "32767", "-32768", "'7'", "'abc'", "true", "nil"};
  for (const char* op : ops) {
    for (const char* k : constants) {
      std::string kk = k;
      std::string o = op;
      std::string src = std::string(VALUES) + "agree(function(x) return x " + o + " " + kk +
                        " end, function(x) local c = " + kk + " return x " + o + " c end, 'right') " +
                        "agree(function(x) return " + kk + " " + o + " x end, function(x) local c = " + kk +
                        " return c " + o + " x end, 'left') " + "agree(function(x) if x " + o + " " + kk +
                        " then return 1 end return 2 end, " + "function(x) local c = " + kk + " if x " + o +
                        " c then return 1 end return 2 end, 'test')";
      EXPECT_EQ(error_of(src), "") << "x " << op << " " << k;
    }
  }
}

// Reads, writes and method calls with a constant string key give what they
// give with the key in a register: on plain tables, through "__index" tables
// and functions, into "__newindex" tables and functions, and on values that
// cannot be indexed.
TEST_F(VmFormsTest, ConstantKeysAgreeWithRegisterKeys) {
  const char* keys[] = {"'name'", "'__index'", "'a_key_longer_than_a_short_string_can_be_kept'"};
  for (const char* key : keys) {
    std::string k = key;
    std::string method = k.substr(1, k.size() - 2);
    std::string src =
        std::string(VALUES) +
        "local log = {} "
        "local base = {name = function(s, a) return 'base', a end} "
        "local chained = setmetatable({}, {__index = setmetatable({}, {__index = base})}) "
        "local called = setmetatable({}, {__index = function(t, key) return 'index:' .. key end, "
        "  __newindex = function(t, key, v) log[#log + 1] = key .. '=' .. tostring(v) end}) "
        "local into = {} "
        "local redirected = setmetatable({}, {__newindex = into}) "
        "values = {{name = 1, __index = 2}, {}, chained, called, redirected, 'str', 5, nil} n = 8 "
        "agree(function(t) return t[" +
        k + "] end, function(t) local c = " + k + " return t[c] end, 'read') " +
        "agree(function(t) local r, a = t:" + method + "(9) return tostring(r) .. tostring(a) end, " +
        "function(t) local c = " + k + " local r, a = t[c](t, 9) return tostring(r) .. tostring(a) end, 'method') " +
        "local function store(t) t[" + k + "] = 'v' local r = rawget(t, " + k + ") or rawget(into, " + k +
        ") or log[#log] "
        "  rawset(into, " +
        k + ", nil) log[#log] = nil if type(t) == 'table' then rawset(t, " + k +
        ", nil) end return r end "
        "local function store_r(t) local c = " +
        k +
        " t[c] = 'v' local r = rawget(t, c) or rawget(into, c) or log[#log] "
        "  rawset(into, c, nil) log[#log] = nil if type(t) == 'table' then rawset(t, c, nil) end return r end "
        "agree(store, store_r, 'write')";
    EXPECT_EQ(error_of(src), "") << key;
  }
}

// A constructor's new keys are made as any store makes them: the table
// holds the same keys in the same traversal order as one filled through
// register keys, and a nil store still makes its key.
TEST_F(VmFormsTest, NewConstantKeysAreMadeAsAnyStoreMakesThem) {
  std::string names, values, fields, register_fields;
  for (int n = 0; n < 23; n++) {
    std::string key = "k" + std::to_string(n * 7 % 23);
    names += std::string(n > 0 ? ", " : "") + "s" + std::to_string(n);
    values += std::string(n > 0 ? ", " : "") + "'" + key + "'";
    fields += key + " = " + std::to_string(n) + ", ";
    register_fields += "[s" + std::to_string(n) + "] = " + std::to_string(n) + ", ";
  }
  // Both constructors size the table alike; one stores through constant
  // keys, the other through keys in registers.
  std::string src = "local " + names + " = " + values + " local a = {" + fields + "} local b = {" + register_fields +
                    "} "
                    "local ka, kb = next(a), next(b) "
                    "while ka ~= nil do "
                    "  assert(ka == kb and a[ka] == b[kb], tostring(ka) .. ' / ' .. tostring(kb)) "
                    "  ka, kb = next(a, ka), next(b, kb) "
                    "end "
                    "assert(kb == nil) "
                    "local c local t = {} t.gone = nil assert(next(t) == nil) t.kept = 1 t.gone = nil "
                    "local u = {} c = 'gone' u[c] = nil u.kept = 1 c = 'gone' u[c] = nil "
                    "assert(next(t) == next(u) and next(t, next(t)) == next(u, next(u)))";
  EXPECT_EQ(error_of(src), "");
}

// The loop runs a form exactly where the operands allow one: a register and
// a number constant for arithmetic and order, a register and any constant for
// equality, a short-string constant key for reads, writes and method calls.
TEST_F(VmFormsTest, FormsAreChosenByTheirOperands) {
  struct Case {
    const char* body;
    int op;  // the opcode or form that the loop runs for the operation
  };
  const Case cases[] = {
      {"return x + 1", OPF_ADDK},
      {"return x - 0.5", OPF_SUBK},
      {"return x * -2", OPF_MULK},
      {"return x / 3", OPF_DIVK},
      {"return x % 4", OPF_MODK},
      {"return 1 + x", OP_ADD},
      {"return x + '1'", OP_ADD},
      {"return x + y", OP_ADD},
      {"return x ^ 2", OP_POW},
      {"return x == 'a'", OPF_EQK},
      {"return nil == x", OPF_EQK},
      {"return x ~= true", OPF_EQK},
      {"return x == y", OP_EQ},
      {"return x < 2", OPF_LTK},
      {"return x > 2", OPF_LTK},
      {"return x <= -1", OPF_LEK},
      {"return x >= 0.5", OPF_LEK},
      {"return x < 'a'", OP_LT},
      {"return x <= y", OP_LE},
      {"return x.key", OPF_GETTABLEK},
      {"return x[1]", OP_GETTABLE},
      {"return x[y]", OP_GETTABLE},
      {"return x.a_key_longer_than_a_short_string_can_be_kept", OP_GETTABLE},
      {"x.key = y", OPF_SETTABLEK},
      {"x.key = 1", OPF_SETTABLEK},
      {"x[1] = y", OP_SETTABLE},
      {"return x:key()", OPF_SELFK},
  };
  for (const Case& c : cases) {
    const Proto* main = compiled(std::string("return function(x, y) ") + c.body + " end");
    ASSERT_EQ(main->sizep, 1);
    const Proto* f = main->p[0];
    OpCode made = luaP_baseop(c.op);
    int found = -1;
    for (int pc = 0; pc < f->sizecode; pc++) {
      if (GET_OPCODE(luaP_original(f->code[pc])) == made) found = GET_OPCODE(f->code[pc]);
    }
    EXPECT_EQ(found, c.op) << c.body;
    L->top--;
  }
}

// A dump shows the code as compiled: loading it back (the loader refuses
// any number outside the instruction set) and dumping again gives the same
// bytes, each instruction word is the form's original, and the listing
// names the original opcodes.
TEST_F(VmFormsTest, DumpsAndListingsShowTheCompiledOpcodes) {
  const std::string text =
      "local x, t = ... local a = x + 1 local b = x - 2 local c = x * 3 local d = x / 4 local e = x % 5 "
      "if x == 'k' or x < 6 or x <= 7 then t.f = t.g end return t:h(a, b, c, d, e)";
  const Proto* p = compiled(text);
  std::string once = dump_proto(L, p, false);
  int forms = 0;
  for (int pc = 0; pc < p->sizecode; pc++) {
    if (GET_OPCODE(p->code[pc]) >= NUM_OPCODES) forms++;
  }
  EXPECT_EQ(forms, 11);  // every operation above runs as a form
  // The code words follow the header and the function's fixed fields.
  const size_t first = LUAC_HEADERSIZE + 4 + 4 + 3 + 4;
  ASSERT_GE(once.size(), first + 4 * static_cast<size_t>(p->sizecode));
  for (int pc = 0; pc < p->sizecode; pc++) {
    Instruction word = 0;
    for (int b = 3; b >= 0; b--) word = (word << 8) | static_cast<uint8_t>(once[first + 4 * pc + b]);
    EXPECT_EQ(word, luaP_original(p->code[pc])) << "pc " << pc;
    EXPECT_LT(GET_OPCODE(word), NUM_OPCODES) << "pc " << pc;
  }
  std::string text_listing = listing(p);
  for (const char* name : {"ADD", "SUB", "MUL", "DIV", "MOD", "EQ", "LT", "LE", "GETTABLE", "SETTABLE", "SELF"}) {
    EXPECT_NE(text_listing.find(std::string("\n") + name + " "), std::string::npos) << name;
  }
  L->top--;
  ASSERT_EQ(load_binary(L, once), LUA_OK) << top_text(L);
  EXPECT_EQ(dump_proto(L, top_proto(L), false), once);
  L->top--;
  // The same from script code, through string dumps of a running function.
  EXPECT_EQ(error_of("local f = function(x, t) return x + 1, t.k, x == 2 end "
                     "local s = string.dump(f) local g = load(s, 'b', 'b') "
                     "assert(string.dump(g) == s and g(1, {k = 3}) == 2) return g"),
            "");
}

// Errors and tracebacks name what the compiled opcodes name: the field, the
// local and the method behind an operand, and the metamethod a form called.
TEST_F(VmFormsTest, ErrorsAndTracebacksNameTheCompiledOperations) {
  const std::pair<const char*, const char*> errors[] = {
      {"local t = {} return t.a.b", "attempt to index field 'a' (a nil value)"},
      {"local t = {} t.a.b = 1", "attempt to index field 'a' (a nil value)"},
      {"local t = {} t:m()", "attempt to call method 'm' (a nil value)"},
      {"local t = {} return t.a + 1", "attempt to perform arithmetic on field 'a' (a nil value)"},
      {"local x return x % 2", "attempt to perform arithmetic on local 'x' (a nil value)"},
      {"local t = {} return t.a < 1", "attempt to compare nil with number"},
      {"local t = {} return 1 <= t", "attempt to compare number with table"},
  };
  for (const auto& e : errors) EXPECT_EQ(error_of(e.first), e.second) << e.first;

  set_global_function("traceback", db_traceback);
  const std::pair<const char*, const char*> traces[] = {
      {"__add", "local r = t + 1"},    {"__sub", "local r = t - 1"},       {"__mul", "local r = t * 1"},
      {"__div", "local r = t / 1"},    {"__mod", "local r = t % 1"},       {"__lt", "local r = t < 1"},
      {"__le", "local r = 1 <= t"},    {"__index", "local r = t.missing"}, {"__index", "t:missing()"},
      {"__newindex", "t.missing = 1"},
  };
  for (const auto& c : traces) {
    std::string src = std::string(
                          "local msg local function mm() msg = traceback('', 1) return function() end end "
                          "local t = setmetatable({}, {") +
                      c.first + " = mm}) " + c.second + " return msg";
    ASSERT_EQ(run(src, 1), LUA_OK) << top_text(L);
    EXPECT_NE(text_of(-1).find(std::string("in function '") + c.first + "'"), std::string::npos) << c.second << "\n"
                                                                                                 << text_of(-1);
  }
}

// A metamethod that a form called and that yields finishes the form when
// the coroutine is resumed: the result lands in the form's register and a
// comparison takes its jump.
TEST_F(VmFormsTest, AYieldInAMetamethodFinishesTheForm) {
  const char* src =
      "local mt = {} "
      "mt.__add = function(a, b) yield('add') return 10 end "
      "mt.__mod = function(a, b) yield('mod') return 20 end "
      "mt.__lt = function(a, b) yield('lt') return true end "
      "mt.__le = function(a, b) yield('le') return false end "
      "mt.__index = function(t, k) yield('index') if k == 'meth' then return function(s, x) return x + 1 end end "
      "  return k .. '!' end "
      "mt.__newindex = function(t, k, v) yield('newindex') rawset(t, k, v * 2) end "
      "local co = cocreate(function() "
      "  local t = setmetatable({}, mt) local r = {} "
      "  r[1] = t + 1 r[2] = t % 3 "
      "  if t < 2 then r[3] = 'lt' else r[3] = 'not lt' end "
      "  if 1 <= t then r[4] = 'le' else r[4] = 'not le' end "
      "  r[5] = t.key t.v = 4 r[6] = rawget(t, 'v') r[7] = t:meth(5) "
      "  return r[1] .. ' ' .. r[2] .. ' ' .. r[3] .. ' ' .. r[4] .. ' ' .. r[5] .. ' ' .. r[6] .. ' ' .. r[7] "
      "end) "
      "local seen = '' "
      "while true do "
      "  local ok, v = coresume(co) assert(ok, v) "
      "  if costatus(co) == 'dead' then return seen .. '| ' .. v end "
      "  seen = seen .. v .. ' ' "
      "end";
  ASSERT_EQ(run(src, 1), LUA_OK) << top_text(L);
  EXPECT_EQ(text_of(-1), "add mod lt le index newindex index | 10 20 lt not le key! 8 6");
}

}  // namespace
