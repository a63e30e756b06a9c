// The native interface: integers at the boundary, the none value, fast
// native functions, raw table access and traversal, metatables, comparison
// and arithmetic, userdata, upvalues, dumping, the stack limit and lua_gc.
#include <cstring>
#include <string>

#include "script/api/api_access.h"
#include "script/value/number.h"
#include "script/value/table.h"
#include "tests/script/lib_fixture.h"
#include "tests/script/string_chunk.h"

namespace {

class ApiTest : public LibTest {};

// Every key from -4 to 44 of the table at idx with its value, and the
// table's part sizes.
std::string table_picture(lua_State* L, int idx) {
  std::string out;
  for (int k = -4; k <= 44; k++) {
    lua_rawgeti(L, idx, k);
    if (!lua_isnil(L, -1)) out += std::to_string(k) + "=" + std::to_string(lua_tointeger(L, -1)) + " ";
    lua_pop(L, 1);
  }
  const Table* t = static_cast<const Table*>(lua_topointer(L, idx));
  return out + "| " + std::to_string(t->sizearray) + " " + std::to_string(1 << t->lsizenode);
}

TEST_F(ApiTest, RawMoveIsRawGetAndSetOneByOne) {
  // Tables with their elements in the array part, in nodes or both, with
  // holes, moved up and down by overlapping and apart ranges: the same
  // table as the one-by-one moves make, sizes of the parts included.
  const char* layouts[] = {
      "local t = {} for i = 1, 20 do t[i] = i end return t",
      "local t = {} for i = 20, 1, -1 do t[i] = i end return t",
      "local t = {1, 2, nil, 4, 5, nil, nil, 8} t[9] = 9 t[12] = 12 return t",
      "local t = {} for i = 1, 16 do t[i] = i end t[0] = 100 t[-2] = 102 t[17] = 17 return t",
      "return {}",
  };
  const int moves[][3] = {{2, 1, 5},  {1, 2, 5},  {1, 4, 10}, {4, 1, 10}, {15, 16, 6}, {16, 15, 6},
                          {1, 25, 8}, {25, 1, 8}, {0, 1, 3},  {1, -1, 4}, {3, 3, 4},   {5, 6, 0}};
  for (const char* layout : layouts) {
    for (const auto& m : moves) {
      SCOPED_TRACE(std::string(layout) + " from " + std::to_string(m[0]) + " to " + std::to_string(m[1]) + " count " +
                   std::to_string(m[2]));
      std::string make = std::string("local function make() ") + layout + " end return make(), make()";
      ASSERT_EQ(run(make), LUA_OK);
      lua_rawmove(L, 1, m[0], m[1], m[2]);
      bool up = m[1] > m[0];
      for (int k = 0; k < m[2]; k++) {
        int i = up ? m[2] - 1 - k : k;
        lua_rawgeti(L, 2, m[0] + i);
        lua_rawseti(L, 2, m[1] + i);
      }
      EXPECT_EQ(table_picture(L, 1), table_picture(L, 2));
      lua_settop(L, 0);
    }
  }
}

TEST_F(ApiTest, IntegersCrossTheBoundaryAsFloors) {
  struct Case {
    lua_Number value;
    int expected;
  } cases[] = {
      {-32768, -1},                                  // -0.5
      {static_cast<lua_Number>(0x7FFFFD70), 32767},  // 32767.99
      {I(5), 5},
      {I(-1) - 1, -2},  // just below -1
      {0, 0},
  };
  for (const Case& c : cases) {
    lua_pushnumber(L, c.value);
    int ok = 0;
    EXPECT_EQ(lua_tointegerx(L, -1, &ok), c.expected) << c.value;
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(static_cast<int>(lua_tounsignedx(L, -1, nullptr)), c.expected);
    lua_pop(L, 1);
  }
  int ok = 0;
  lua_pushstring(L, "12.5");
  EXPECT_EQ(lua_tointegerx(L, -1, &ok), 12);
  EXPECT_EQ(ok, 1);
  lua_pushstring(L, "letters");
  EXPECT_EQ(lua_tointegerx(L, -1, &ok), 0);
  EXPECT_EQ(ok, 0);
  EXPECT_FALSE(lua_isnumber(L, -1));
  EXPECT_TRUE(lua_isnumber(L, -2));
  lua_pushboolean(L, 1);
  EXPECT_EQ(lua_tonumberx(L, -1, &ok), 0);
  EXPECT_EQ(ok, 0);

  lua_pushinteger(L, 65536);
  EXPECT_EQ(lua_tonumber(L, -1), 0);
  lua_pushinteger(L, 32768);
  EXPECT_EQ(lua_tonumber(L, -1), I(-32768));
  lua_pushunsigned(L, 3);
  EXPECT_EQ(lua_tonumber(L, -1), I(3));
}

TEST_F(ApiTest, IndicesAboveTheTopAreNone) {
  lua_pushnil(L);
  EXPECT_EQ(lua_type(L, 1), LUA_TNIL);
  EXPECT_EQ(lua_type(L, 2), LUA_TNONE);
  EXPECT_STREQ(lua_typename(L, lua_type(L, 2)), "no value");
  EXPECT_EQ(lua_type(L, lua_upvalueindex(1)), LUA_TNONE);  // no closure running
  EXPECT_TRUE(lua_isnone(L, 5));
  EXPECT_TRUE(lua_isnoneornil(L, 1));
  EXPECT_EQ(lua_touserdata(L, 5), nullptr);
  EXPECT_EQ(lua_tocfunction(L, 5), nullptr);
  EXPECT_EQ(lua_rawequal(L, 1, 5), 0);
  EXPECT_EQ(lua_compare(L, 1, 5, LUA_OPEQ), 0);
  EXPECT_EQ(lua_pushstring(L, nullptr), nullptr);
  EXPECT_EQ(lua_type(L, -1), LUA_TNIL);
}

TEST_F(ApiTest, NumbersReadAsTextBecomeStringsInTheirSlot) {
  lua_pushnumber(L, I(3) + 32768);
  size_t len = 0;
  EXPECT_STREQ(lua_tolstring(L, -1, &len), "3.5");
  EXPECT_EQ(len, 3u);
  EXPECT_EQ(lua_type(L, -1), LUA_TSTRING);
  EXPECT_TRUE(lua_isstring(L, -1));
  lua_newtable(L);
  EXPECT_EQ(lua_tolstring(L, -1, &len), nullptr);
  EXPECT_EQ(len, 0u);
  EXPECT_FALSE(lua_isstring(L, -1));
}

// Returns (10 + the type of its first upvalue) as a whole number.
int upvalue_type(lua_State* L) { return I(10 + lua_type(L, lua_upvalueindex(1))); }

TEST_F(ApiTest, FastNativeFunctionsAreFunctionsWithoutUpvalues) {
  lua_pushcclosure(L, upvalue_type, TOVO_FAST_CFUNCTION);
  EXPECT_EQ(lua_type(L, -1), LUA_TFUNCTION);
  EXPECT_STREQ(lua_typename(L, lua_type(L, -1)), "function");
  EXPECT_TRUE(lua_iscfunction(L, -1));
  EXPECT_EQ(lua_tocfunction(L, -1), upvalue_type);
  EXPECT_EQ(lua_topointer(L, -1), reinterpret_cast<const void*>(upvalue_type));
  EXPECT_EQ(lua_getupvalue(L, -1, 1), nullptr);
  lua_setglobal(L, "f");
  EXPECT_EQ(number_of("return f()"), I(9));  // none

  lua_pushnumber(L, 1);
  lua_pushcclosure(L, upvalue_type, 1);
  EXPECT_TRUE(lua_iscfunction(L, -1));
  EXPECT_EQ(lua_tocfunction(L, -1), upvalue_type);
  EXPECT_STREQ(lua_getupvalue(L, -1, 1), "");
  EXPECT_EQ(lua_tonumber(L, -1), 1);
}

TEST_F(ApiTest, RawIntegerKeysWrapAndZeroGoesToTheHashPart) {
  lua_createtable(L, 4, 0);
  int t = lua_gettop(L);
  lua_pushstring(L, "zero");
  lua_rawseti(L, t, 0);
  lua_pushstring(L, "wrapped");
  lua_rawseti(L, t, 32768);
  lua_pushstring(L, "one");
  lua_rawseti(L, t, 1);
  Table* h = hvalue(L->top - 1);
  EXPECT_EQ(h->sizearray, 4);
  const TValue* zero = getnum(h, 0);
  ASSERT_TRUE(ttisstring(zero));
  EXPECT_STREQ(svalue(zero), "zero");
  const TValue* wrapped = getnum(h, I(-32768));
  ASSERT_TRUE(ttisstring(wrapped));
  EXPECT_STREQ(svalue(wrapped), "wrapped");
  EXPECT_TRUE(ttisstring(&h->array[0]));
  lua_rawgeti(L, t, -32768);
  EXPECT_EQ(text_of(-1), "wrapped");
  EXPECT_EQ(lua_rawlen(L, t), 1u);

  lua_pushstring(L, "k");
  lua_pushnumber(L, I(7));
  lua_rawset(L, t);
  lua_pushstring(L, "k");
  lua_rawget(L, t);
  EXPECT_EQ(lua_tonumber(L, -1), I(7));
  int key = 0;
  lua_pushnumber(L, 5);
  lua_rawsetp(L, t, &key);
  lua_rawgetp(L, t, &key);
  EXPECT_EQ(lua_tonumber(L, -1), 5);

  lua_pushnil(L);
  lua_pushnumber(L, 1);
  EXPECT_NE(run_protected(L, [&] { lua_rawset(L, t); }), LUA_OK);
  EXPECT_EQ(top_text(L), "table index is nil");
}

TEST_F(ApiTest, NextGivesArrayKeysAsWholeNumbersThenTheHashPart) {
  ASSERT_EQ(run("return {10, 20, x = 30}", 1), LUA_OK);
  int sum_keys = 0, sum_values = 0, steps = 0;
  lua_pushnil(L);
  while (lua_next(L, 1)) {
    if (lua_type(L, -2) == LUA_TNUMBER) sum_keys += lua_tointeger(L, -2);
    sum_values += lua_tointeger(L, -1);
    steps++;
    lua_pop(L, 1);
  }
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(sum_keys, 3);
  EXPECT_EQ(sum_values, 60);
  EXPECT_EQ(lua_gettop(L), 1);  // the key was popped at the end

  lua_pushstring(L, "absent");
  EXPECT_NE(run_protected(L, [&] { lua_next(L, 1); }), LUA_OK);
  EXPECT_EQ(top_text(L), "invalid key to 'next'");
}

TEST_F(ApiTest, TableAccessWithMetamethodsAndLength) {
  ASSERT_EQ(run("return setmetatable({}, {__index = function(t, k) return k * 2 end,"
                " __newindex = function(t, k, v) rawset(t, k, v + 1) end, __len = function() return 42 end})",
                1),
            LUA_OK)
      << top_text(L);
  lua_pushnumber(L, I(21));
  lua_gettable(L, 1);
  EXPECT_EQ(lua_tonumber(L, -1), I(42));
  lua_pop(L, 1);
  lua_pushnumber(L, I(1));
  lua_pushnumber(L, I(5));
  lua_settable(L, 1);
  EXPECT_EQ(lua_gettop(L), 1);
  lua_rawgeti(L, 1, 1);
  EXPECT_EQ(lua_tonumber(L, -1), I(6));
  lua_pop(L, 1);
  lua_len(L, 1);
  EXPECT_EQ(lua_tonumber(L, -1), I(42));
  EXPECT_EQ(lua_rawlen(L, 1), 1u);
}

TEST_F(ApiTest, MetatablesOfTablesUserdataAndBasicTypes) {
  lua_newtable(L);  // 1: the table
  lua_newtable(L);  // 2: a metatable
  lua_pushvalue(L, 2);
  lua_setmetatable(L, 1);
  ASSERT_EQ(lua_getmetatable(L, 1), 1);
  EXPECT_TRUE(lua_rawequal(L, -1, 2));
  lua_pop(L, 1);
  lua_pushnumber(L, 1);
  EXPECT_EQ(lua_getmetatable(L, -1), 0);
  EXPECT_EQ(lua_getmetatable(L, 9), 0);  // none
  lua_pop(L, 1);

  void* p = lua_newuserdata(L, 24);  // 3
  ASSERT_NE(p, nullptr);
  std::memset(p, 0xAB, 24);
  EXPECT_EQ(lua_type(L, 3), LUA_TUSERDATA);
  EXPECT_EQ(lua_touserdata(L, 3), p);
  EXPECT_EQ(lua_topointer(L, 3), p);
  EXPECT_EQ(lua_rawlen(L, 3), 24u);
  EXPECT_TRUE(lua_isuserdata(L, 3));
  lua_pushvalue(L, 2);
  lua_setmetatable(L, 3);
  ASSERT_EQ(lua_getmetatable(L, 3), 1);
  EXPECT_TRUE(lua_rawequal(L, -1, 2));
  lua_pop(L, 1);
  lua_getuservalue(L, 3);
  EXPECT_TRUE(lua_isnil(L, -1));
  lua_pop(L, 1);
  lua_pushvalue(L, 1);
  lua_setuservalue(L, 3);
  lua_getuservalue(L, 3);
  EXPECT_TRUE(lua_rawequal(L, -1, 1));
  lua_pop(L, 1);
  lua_gc(L, LUA_GCCOLLECT, 0);  // the block and its links survive
  EXPECT_EQ(static_cast<unsigned char*>(lua_touserdata(L, 3))[23], 0xAB);

  int x = 0;
  lua_pushlightuserdata(L, &x);
  EXPECT_EQ(lua_type(L, -1), LUA_TLIGHTUSERDATA);
  EXPECT_EQ(lua_touserdata(L, -1), &x);
  EXPECT_EQ(lua_rawlen(L, -1), 0u);
}

TEST_F(ApiTest, CompareAndArithmeticUseMetamethods) {
  ASSERT_EQ(run("local mt = {__eq = function() return true end, __lt = function() return true end,"
                " __add = function(a, b) return 99 end, __unm = function() return -7 end,"
                " __shl = function() return 5 end}"
                " return setmetatable({}, mt), setmetatable({}, mt), 3, '4'",
                4),
            LUA_OK)
      << top_text(L);
  EXPECT_TRUE(lua_compare(L, 1, 2, LUA_OPEQ));
  EXPECT_FALSE(lua_rawequal(L, 1, 2));
  EXPECT_TRUE(lua_compare(L, 1, 2, LUA_OPLT));
  EXPECT_TRUE(lua_compare(L, 3, 3, LUA_OPLE));
  EXPECT_FALSE(lua_compare(L, 3, 4, LUA_OPEQ));  // a number never equals a string

  struct Case {
    int a, b, op;
    lua_Number expected;
  } cases[] = {
      {3, 4, LUA_OPADD, I(3) + I(4)},  // the string converts
      {3, 3, LUA_OPMUL, I(9)},        {3, 4, LUA_OPSUB, I(-1)}, {3, 3, LUA_OPSHL, I(24)}, {3, 3, LUA_OPIDIV, I(1)},
      {3, 3, LUA_OPBXOR, 0},          {1, 3, LUA_OPADD, I(99)}, {1, 3, LUA_OPSHL, I(5)},
  };
  for (const Case& c : cases) {
    lua_pushvalue(L, c.a);
    lua_pushvalue(L, c.b);
    int top = lua_gettop(L);
    ASSERT_EQ(run_protected(L, [&] { lua_arith(L, c.op); }), LUA_OK) << top_text(L);
    EXPECT_EQ(lua_gettop(L), top - 1);
    EXPECT_EQ(lua_tonumber(L, -1), c.expected) << c.op;
    lua_pop(L, 1);
  }
  lua_pushnumber(L, I(5));
  lua_arith(L, LUA_OPUNM);  // one operand
  EXPECT_EQ(lua_tonumber(L, -1), I(-5));
  lua_pop(L, 1);
  lua_pushvalue(L, 1);
  ASSERT_EQ(run_protected(L, [&] { lua_arith(L, LUA_OPUNM); }), LUA_OK);
  EXPECT_EQ(lua_tonumber(L, -1), I(-7));
}

TEST_F(ApiTest, ReplaceCopyAndUpvaluesOfScriptFunctions) {
  ASSERT_EQ(run("local a, b = 1, 2 return function() return a + b end", 1), LUA_OK);
  EXPECT_STREQ(lua_getupvalue(L, 1, 1), "a");
  EXPECT_EQ(lua_tonumber(L, -1), I(1));
  lua_pop(L, 1);
  lua_pushnumber(L, I(40));
  EXPECT_STREQ(lua_setupvalue(L, 1, 1), "a");
  EXPECT_EQ(lua_getupvalue(L, 1, 3), nullptr);
  EXPECT_NE(lua_upvalueid(L, 1, 1), lua_upvalueid(L, 1, 2));
  lua_pushvalue(L, 1);
  lua_call(L, 0, 1);
  EXPECT_EQ(lua_tonumber(L, -1), I(42));
  lua_pop(L, 1);
  lua_upvaluejoin(L, 1, 1, 1, 2);  // a is now b
  EXPECT_EQ(lua_upvalueid(L, 1, 1), lua_upvalueid(L, 1, 2));
  lua_pushvalue(L, 1);
  lua_call(L, 0, 1);
  EXPECT_EQ(lua_tonumber(L, -1), I(4));

  lua_settop(L, 0);
  lua_pushnumber(L, 1);
  lua_pushnumber(L, 2);
  lua_pushnumber(L, 3);
  lua_replace(L, 1);
  EXPECT_EQ(lua_gettop(L), 2);
  EXPECT_EQ(lua_tonumber(L, 1), 3);
  lua_copy(L, 2, 1);
  EXPECT_EQ(lua_tonumber(L, 1), 2);
}

int collect_writer(lua_State*, const void* p, size_t size, void* ud) {
  static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
  return 0;
}

TEST_F(ApiTest, DumpWritesScriptFunctionsOnly) {
  std::string out;
  lua_pushnumber(L, 1);
  EXPECT_EQ(lua_dump(L, collect_writer, &out), 1);
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(run("return function(x) return x * 2 end", 1), LUA_OK);
  EXPECT_EQ(lua_dump(L, collect_writer, &out), 0);
  ASSERT_GT(out.size(), 18u);
  EXPECT_EQ(out.substr(0, 4), "\x1bLua");
  ASSERT_EQ(load_string(L, out, "=dumped", "b"), LUA_OK) << top_text(L);
  lua_pushnumber(L, I(21));
  lua_call(L, 1, 1);
  EXPECT_EQ(lua_tonumber(L, -1), I(42));
}

TEST_F(ApiTest, RegistryHoldsTheGlobals) {
  lua_pushnumber(L, I(5));
  lua_setglobal(L, "g");
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  lua_getfield(L, -1, "g");
  EXPECT_EQ(lua_tonumber(L, -1), I(5));
  lua_pop(L, 1);
  lua_pushstring(L, "g");
  lua_gettable(L, -2);
  EXPECT_EQ(lua_tonumber(L, -1), I(5));
  lua_pop(L, 1);
  lua_pushstring(L, "h");
  lua_pushnumber(L, I(6));
  lua_settable(L, -3);
  EXPECT_EQ(number_of("return h"), I(6));
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_MAINTHREAD);
  EXPECT_EQ(lua_tothread(L, -1), L);
}

TEST_F(ApiTest, CheckStackRefusesPastTheLimit) {
  EXPECT_EQ(lua_checkstack(L, 100), 1);
  EXPECT_EQ(lua_checkstack(L, LUAI_MAXSTACK), 0);
  for (int i = 0; i < 100; i++) lua_pushnil(L);  // the room promised
  EXPECT_EQ(lua_gettop(L), 100);
}

TEST_F(ApiTest, GcOptions) {
  EXPECT_EQ(lua_gc(L, LUA_GCISRUNNING, 0), 1);
  lua_gc(L, LUA_GCSTOP, 0);
  EXPECT_EQ(lua_gc(L, LUA_GCISRUNNING, 0), 0);
  lua_gc(L, LUA_GCRESTART, 0);
  EXPECT_EQ(lua_gc(L, LUA_GCISRUNNING, 0), 1);
  EXPECT_EQ(lua_gc(L, LUA_GCSETPAUSE, 100), 200);
  EXPECT_EQ(lua_gc(L, LUA_GCSETPAUSE, 100), 100);
  EXPECT_EQ(lua_gc(L, LUA_GCSETSTEPMUL, 200), 200);
  EXPECT_EQ(lua_gc(L, LUA_GCSETMAJORINC, 50), 200);
  EXPECT_EQ(lua_gc(L, 99, 0), -1);
  int kb = lua_gc(L, LUA_GCCOUNT, 0);
  int b = lua_gc(L, LUA_GCCOUNTB, 0);
  EXPECT_EQ(static_cast<size_t>(kb) * 1024 + static_cast<size_t>(b), alloc.in_use);

  // The console's protocol: restart, a step of 200 KiB of work, stop.
  for (int i = 0; i < 2000; i++) lua_pushfstring(L, "garbage %d", I(i));
  lua_settop(L, 0);
  lua_gc(L, LUA_GCRESTART, 0);
  int reached_pause = 0;
  for (int i = 0; i < 50 && !reached_pause; i++) reached_pause = lua_gc(L, LUA_GCSTEP, 200);
  EXPECT_EQ(reached_pause, 1);
  lua_gc(L, LUA_GCSTOP, 0);
  size_t before = alloc.in_use;
  lua_gc(L, LUA_GCCOLLECT, 0);
  EXPECT_LE(alloc.in_use, before);
  lua_gc(L, LUA_GCGEN, 0);
  EXPECT_EQ(lua_gc(L, LUA_GCSTEP, 0) >= 0, true);
  lua_gc(L, LUA_GCINC, 0);
}

}  // namespace
