// Binary chunks: dump and load round trips, header checks, truncation at
// every length and corrupt input.
#include <string>

#include "script/compiler/undump.h"
#include "tests/script/compile_util.h"
#include "tests/script/runtime_fixture.h"
#include "tests/script/vm_fixture.h"

namespace {

const char* const corpus[] = {
    "return 1",
    "local a, b = 1.5, 'text' return a .. b",
    "local t = {1, 2, x = 3, [4] = {5}} local function it(t, i) i = i + 1 if t[i] then return i, t[i] end end "
    "for k, v in it, t, 0 do t[k] = v end return #t",
    "local function f(n, ...) if n <= 1 then return 1 end return n * f(n - 1), ... end return f(5)",
    "local x = 0 local function inc() x = x + 1 return function() return x end end return inc()()",
    "local a = @0x5f00 + %0x10 + $0x20 + ~1 return a & 1 | 2 ^^ 3 << 1 >> 1 >>> 1 <<> 2 >>< 2 \\ 2",
    "local x = 3 while true do x = x - 1 if x < 0 then break end goto skip ::skip:: end "
    "repeat local q = nil until q == nil return x",
    "local s = '\\0\\1\\2' .. [[\nlong]] return s, true, false, nil, 0, -0.25",
};

// Structural equality of two prototypes, debug information included.
void expect_same(const Proto* a, const Proto* b, bool strip) {
  ASSERT_EQ(a->sizecode, b->sizecode);
  for (int i = 0; i < a->sizecode; i++) EXPECT_EQ(a->code[i], b->code[i]) << "pc " << i;
  ASSERT_EQ(a->sizek, b->sizek);
  for (int i = 0; i < a->sizek; i++) {
    EXPECT_EQ(ttype(&a->k[i]), ttype(&b->k[i]));
    EXPECT_TRUE(luaO_rawequalObj(&a->k[i], &b->k[i])) << constant_text(&a->k[i]);
  }
  EXPECT_EQ(a->numparams, b->numparams);
  EXPECT_EQ(a->is_vararg, b->is_vararg);
  EXPECT_EQ(a->maxstacksize, b->maxstacksize);
  EXPECT_EQ(a->linedefined, b->linedefined);
  EXPECT_EQ(a->lastlinedefined, b->lastlinedefined);
  ASSERT_EQ(a->sizeupvalues, b->sizeupvalues);
  for (int i = 0; i < a->sizeupvalues; i++) {
    EXPECT_EQ(a->upvalues[i].instack, b->upvalues[i].instack);
    EXPECT_EQ(a->upvalues[i].idx, b->upvalues[i].idx);
    if (strip) EXPECT_EQ(b->upvalues[i].name, nullptr);
    else EXPECT_TRUE(luaS_eqstr(a->upvalues[i].name, b->upvalues[i].name));
  }
  if (strip) {
    EXPECT_EQ(b->source, nullptr);
    EXPECT_EQ(b->sizelineinfo, 0);
    EXPECT_EQ(b->sizelocvars, 0);
  } else {
    EXPECT_TRUE(luaS_eqstr(a->source, b->source));
    ASSERT_EQ(a->sizelineinfo, b->sizelineinfo);
    for (int i = 0; i < a->sizelineinfo; i++) EXPECT_EQ(a->lineinfo[i], b->lineinfo[i]);
    ASSERT_EQ(a->sizelocvars, b->sizelocvars);
    for (int i = 0; i < a->sizelocvars; i++) {
      EXPECT_TRUE(luaS_eqstr(a->locvars[i].varname, b->locvars[i].varname));
      EXPECT_EQ(a->locvars[i].startpc, b->locvars[i].startpc);
      EXPECT_EQ(a->locvars[i].endpc, b->locvars[i].endpc);
    }
  }
  ASSERT_EQ(a->sizep, b->sizep);
  for (int i = 0; i < a->sizep; i++) expect_same(a->p[i], b->p[i], strip);
}

class ChunkTest : public RuntimeTest {
 protected:
  // Compiles text and leaves its closure on the stack; returns its dump.
  std::string compiled_dump(const char* text, bool strip) {
    EXPECT_EQ(compile_text(L, text), LUA_OK) << top_text(L);
    return dump_proto(L, top_proto(L), strip);
  }
  std::string load_error(const std::string& bytes) {
    EXPECT_EQ(load_binary(L, bytes), LUA_ERRSYNTAX);
    std::string out = top_text(L);
    L->top--;
    return out;
  }
};

TEST_F(ChunkTest, HeaderBytes) {
  uint8_t h[LUAC_HEADERSIZE];
  luaU_header(h);
  const uint8_t expected[LUAC_HEADERSIZE] = {0x1b, 'L', 'u', 'a',  0x52, 0,    1,    4,    4,
                                             4,    4,   1,   0x19, 0x93, 0x0d, 0x0a, 0x1a, 0x0a};
  for (int i = 0; i < LUAC_HEADERSIZE; i++) EXPECT_EQ(h[i], expected[i]) << i;
}

TEST_F(ChunkTest, RoundTripsTheCorpus) {
  for (bool strip : {false, true}) {
    for (const char* text : corpus) {
      std::string bytes = compiled_dump(text, strip);
      ASSERT_EQ(load_binary(L, bytes), LUA_OK) << top_text(L);
      expect_same(getproto(L->top - 2), top_proto(L), strip);
      EXPECT_EQ(dump_proto(L, top_proto(L), strip), bytes) << text;  // the load dumps to the same bytes
      L->top -= 2;
    }
  }
}

TEST_F(ChunkTest, NumbersAreFourRawBytes) {
  std::string bytes = compiled_dump("return -0.25", true);
  L->top--;
  // 0xFFFFC000 little endian, after a type byte 3.
  EXPECT_NE(bytes.find(std::string("\x03\x00\xc0\xff\xff", 5)), std::string::npos);
}

TEST_F(ChunkTest, HeaderMismatches) {
  std::string good = compiled_dump("return 1", false);
  L->top--;
  struct Case {
    int offset;
    char value;
    const char* message;
  } cases[] = {
      {1, 'X', "chunk: not a precompiled chunk"},
      {4, 0x51, "chunk: version mismatch in precompiled chunk"},
      {5, 1, "chunk: version mismatch in precompiled chunk"},
      {10, 8, "chunk: incompatible precompiled chunk"},  // 8-byte numbers
      {11, 0, "chunk: incompatible precompiled chunk"},  // floating-point numbers
      {6, 0, "chunk: incompatible precompiled chunk"},   // big endian
      {13, 0, "chunk: corrupted precompiled chunk"},
  };
  for (const auto& c : cases) {
    std::string bytes = good;
    bytes[c.offset] = c.value;
    EXPECT_EQ(load_error(bytes), c.message) << c.offset;
  }
  EXPECT_EQ(load_error(std::string("\x1bXY", 3)), "chunk: truncated precompiled chunk");
}

TEST_F(ChunkTest, NamesInMessages) {
  const std::string bytes("\x1bLuq", 4);
  struct Case {
    const char* name;
    const char* message;
  } cases[] = {
      {"@file.lua", "file.lua: truncated precompiled chunk"},
      {"=stdin", "stdin: truncated precompiled chunk"},
      {"\x1bLua", "binary string: truncated precompiled chunk"},
      {"plain", "plain: truncated precompiled chunk"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(load_binary(L, bytes, c.name), LUA_ERRSYNTAX);
    EXPECT_EQ(top_text(L), c.message);
    L->top--;
  }
}

TEST_F(ChunkTest, TruncatedAtEveryLength) {
  for (const char* text : corpus) {
    std::string bytes = compiled_dump(text, false);
    L->top--;
    for (size_t n = 1; n < bytes.size(); n++)
      ASSERT_EQ(load_error(bytes.substr(0, n)), "chunk: truncated precompiled chunk") << text << " at " << n;
  }
}

// Offset of the first constant's type byte of a main function.
size_t first_constant_offset(const Proto* p) { return LUAC_HEADERSIZE + 4 + 4 + 3 + 4 + 4 * p->sizecode + 4; }

TEST_F(ChunkTest, CorruptInput) {
  std::string bytes = compiled_dump("return 'a'", false);
  size_t k = first_constant_offset(top_proto(L));
  L->top--;
  ASSERT_EQ(bytes[k], LUA_TSTRING);

  std::string unknown = bytes;
  unknown[k] = 9;
  EXPECT_EQ(load_error(unknown), "chunk: corrupted precompiled chunk");

  std::string no_string = bytes;  // a string constant without a string
  no_string.replace(k + 1, 4, std::string(4, '\0'));
  EXPECT_EQ(load_error(no_string), "chunk: corrupted precompiled chunk");

  std::string negative = bytes;  // a negative count
  negative.replace(LUAC_HEADERSIZE + 11, 4, "\xff\xff\xff\xff");
  EXPECT_EQ(load_error(negative), "chunk: corrupted precompiled chunk");

  std::string huge = bytes;  // a count far beyond the input: truncated, no giant allocation
  huge.replace(LUAC_HEADERSIZE + 11, 4, "\xff\xff\xff\x7f");
  EXPECT_EQ(load_error(huge), "chunk: truncated precompiled chunk");
  EXPECT_LT(alloc.peak, 1u << 20);

  std::string long_string = bytes;  // a string length far beyond the input
  long_string.replace(k + 1, 4, "\xff\xff\xff\xff");
  EXPECT_EQ(load_error(long_string), "chunk: truncated precompiled chunk");
  EXPECT_LT(alloc.peak, 1u << 20);

  // Every byte set to each of a few values: an error or a load, never a crash.
  for (size_t i = 1; i < bytes.size(); i++) {
    for (char v : {'\0', '\x01', '\x7f', '\xff'}) {
      std::string b = bytes;
      b[i] = v;
      int status = load_binary(L, b);
      EXPECT_TRUE(status == LUA_OK || status == LUA_ERRSYNTAX) << i;
      L->top--;
    }
  }
}

TEST_F(ChunkTest, StringLengthsOneAndZero) {
  std::string bytes = compiled_dump("return ''", true);
  L->top--;
  ASSERT_EQ(load_binary(L, bytes), LUA_OK) << top_text(L);
  const Proto* p = top_proto(L);
  ASSERT_EQ(p->sizek, 1);
  ASSERT_TRUE(ttisstring(&p->k[0]));
  EXPECT_EQ(tsvalue(&p->k[0])->len, 0u);  // length field 1: the empty string
  EXPECT_EQ(p->source, nullptr);          // length field 0: no string
  L->top--;
}

TEST_F(ChunkTest, UpvalueNamesBeyondTheUpvaluesAreCorrupt) {
  std::string bytes = compiled_dump("return 1", false);
  L->top--;
  // The chunk ends with the upvalue names: one name, "_ENV" (4 + 5 bytes).
  size_t count = bytes.size() - 9 - 4;
  ASSERT_EQ(bytes.substr(count, 4), std::string("\x01\0\0\0", 4));
  bytes[count] = 2;
  EXPECT_EQ(load_error(bytes + std::string("\x02\0\0\0x\0", 6)), "chunk: corrupted precompiled chunk");
}

// A loaded chunk behaves as the compiled one: same results, in order.
class ChunkRunTest : public VmTest {
 protected:
  // Runs the closure on top with fresh upvalues (the first the globals) and
  // returns its results as text.
  std::string results_of_top() {
    LClosure* cl = clLvalue(L->top - 1);
    for (int i = 0; i < cl->nupvalues; i++) {
      cl->upvals[i] = luaF_newupval(L);
      luaC_objbarrier(L, cl, cl->upvals[i]);
    }
    setobj(cl->upvals[0]->v, luaH_getint(registry_table(L), LUA_RIDX_GLOBALS));
    int base = lua_gettop(L) - 1;
    EXPECT_EQ(lua_pcall(L, 0, LUA_MULTRET, 0), LUA_OK) << top_text(L);
    std::string out;
    for (int i = base + 1; i <= lua_gettop(L); i++) {
      if (lua_type(L, i) == LUA_TNUMBER || lua_type(L, i) == LUA_TSTRING) out += text_of(i);
      else out += lua_typename(L, lua_type(L, i));
      out += ";";
    }
    lua_settop(L, base);
    return out;
  }
};

TEST_F(ChunkRunTest, LoadedFunctionsBehaveAsCompiled) {
  for (bool strip : {false, true}) {
    for (const char* text : corpus) {
      lua_settop(L, 0);
      ASSERT_EQ(compile_text(L, text), LUA_OK) << top_text(L);
      std::string bytes = dump_proto(L, top_proto(L), strip);
      std::string compiled = results_of_top();
      ASSERT_EQ(load_binary(L, bytes), LUA_OK) << top_text(L);
      EXPECT_EQ(results_of_top(), compiled) << text;
      EXPECT_NE(compiled, "") << text;
    }
  }
}

}  // namespace
