// Table reads and writes from instructions: the quick paths for array slots
// and short-string keys must agree with the raw lookup for every kind of key,
// defer to "__index" / "__newindex" exactly when the general path would, and
// keep the collector's barrier on stores.
#include "tests/script/lib_fixture.h"

namespace {

class TableAccessTest : public LibTest {};

// Every key kind, stored by instructions and read raw, then stored raw and
// read by instructions, in a small table, a table whose array part is full
// (1..32767) and a table with a metatable that has neither event.
TEST_F(TableAccessTest, InstructionAndRawAccessAgreeForEveryKeyKind) {
  const char* tables[] = {
      "local t = {10, 20, 30}",
      "local t = {} for i = 1, 32767 do t[i] = i end",
      "local t = setmetatable({10, 20, 30}, {}) local _ = t.nothing",
  };
  const char* keys[] = {"1",      "3",     "4",         "0",
                        "-1",     "0.5",   "1.5",       "-0.5",
                        "2.0001", "32767", "-32768",    "32767.5",
                        "32766",  "'x'",   "'__index'", "'long-key-long-key-long-key-long-key-long-key-long-key'",
                        "true"};
  for (const char* setup : tables) {
    for (const char* key : keys) {
      std::string src = std::string(setup) + " local k = " + key +
                        " "
                        "local before = rawget(t, k) "
                        "t[k] = 'a' assert(rawget(t, k) == 'a', 'store') "
                        "rawset(t, k, 'b') assert(t[k] == 'b', 'load') "
                        "t[k] = nil assert(rawget(t, k) == nil and t[k] == nil, 'clear') "
                        "t[k] = before assert(rawget(t, k) == before, 'restore') "
                        "if k == 1 then assert(t[1] == t[1.0] and t[0.99998] == nil, 'fraction') end";
      EXPECT_EQ(error_of(src), "") << setup << " key " << key;
    }
  }
  // Constant keys in the instructions themselves (not registers).
  EXPECT_EQ(error_of("local t = {} t[32767] = 1 t[-32768] = 2 t[0.5] = 3 t[-1] = 4 t.f = 5 "
                     "assert(t[32767] == 1 and t[-32768] == 2 and t[0.5] == 3 and t[-1] == 4 and t.f == 5) "
                     "assert(rawget(t, 32767) == 1 and rawget(t, -32768) == 2 and rawget(t, 0.5) == 3) "
                     "assert(rawget(t, -1) == 4 and rawget(t, 'f') == 5 and t[1] == nil)"),
            "");
}

// Absent keys, and nil values in present slots, reach the metamethods; keys
// with values never do.
TEST_F(TableAccessTest, MissesReachTheMetamethodsAndHitsDoNot) {
  EXPECT_EQ(error_of("local log = {} "
                     "local mt = {__index = function(t, k) log[#log + 1] = k return 'm' end, "
                     "            __newindex = function(t, k, v) log[#log + 1] = v end} "
                     "local t = setmetatable({1, nil, 3, x = 1}, mt) "
                     "t.y = nil "  // a hash slot whose value is nil
                     "assert(t[1] == 1 and t.x == 1) "
                     "assert(t[2] == 'm' and t[4] == 'm' and t.y == 'm' and t.z == 'm' and t[0.5] == 'm') "
                     "assert(#log == 5 and log[1] == 2 and log[3] == 'y' and log[5] == 0.5) "
                     "t[2] = 'n2' t[4] = 'n4' t.y = 'ny' t.z = 'nz' "
                     "assert(rawget(t, 2) == nil and rawget(t, 4) == nil and rawget(t, 'z') == nil) "
                     "assert(log[6] == 'n2' and log[9] == 'nz') "
                     "t[1] = 'h1' t.x = 'hx' "
                     "assert(rawget(t, 1) == 'h1' and rawget(t, 'x') == 'hx' and #log == 9)"),
            "");
  // An "__index" table, a method through it, and a chain of two.
  EXPECT_EQ(error_of("local base = {10, 20, name = 'b'} function base:get(i) return self[i] end "
                     "local mid = setmetatable({}, {__index = base}) "
                     "local t = setmetatable({5}, {__index = mid}) "
                     "assert(t[1] == 5 and t[2] == 20 and t.name == 'b' and t:get(2) == 20 and t:get(1) == 5)"),
            "");
  // Chains longer than the quick path follows, ending in a value, a function,
  // a missing event and a table that is not there any more.
  EXPECT_EQ(error_of("local function chain(n, last) "
                     "  local t = last for i = 1, n do t = setmetatable({}, {__index = t}) end return t end "
                     "for n = 1, 20 do "
                     "  local t = chain(n, {7, deep = 'd'}) "
                     "  assert(t[1] == 7 and t.deep == 'd' and t[2] == nil and t.other == nil, n) "
                     "  local f = chain(n, setmetatable({}, {__index = function(_, k) return k end})) "
                     "  assert(f[3] == 3 and f.q == 'q', n) "
                     "end "
                     "local t = chain(3, {}) getmetatable(t).__index = nil "
                     "assert(t.x == nil) getmetatable(t).__index = {x = 1} assert(t.x == 1)"),
            "");
  EXPECT_EQ(error_of("local t = setmetatable({}, {__index = setmetatable({}, {__index = 5})}) return t.x"),
            "attempt to index a number value");
}

// The metatable's cache of absent events is dropped by any store into it,
// also a store into a slot that is already there.
TEST_F(TableAccessTest, StoresIntoAMetatableDropItsCache) {
  EXPECT_EQ(error_of("local mt = {__index = false, __newindex = false} "
                     "mt.__index = nil mt.__newindex = nil "  // the slots stay, with nil values
                     "local t = setmetatable({1}, mt) "
                     "assert(t[2] == nil and t.k == nil) t[3] = 3 rawset(t, 3, nil) "  // absence cached
                     "mt.__index = function() return 'late' end "
                     "local seen mt.__newindex = function(_, k, v) seen = v end "
                     "assert(t[2] == 'late' and t.k == 'late') "
                     "t[3] = 'w' assert(seen == 'w' and rawget(t, 3) == nil)"),
            "");
}

// A metatable remembers where its "__index" key lies; the value read through
// it follows every change: in place, after new keys move or replace the
// metatable's nodes (also integer keys stored raw, which no instruction
// sees), after the key is cleared and another key takes its node, and after
// a weak metatable loses the value to the collector.
TEST_F(TableAccessTest, AMetatablesIndexFollowsEveryChange) {
  EXPECT_EQ(error_of("local mt = {__index = {x = 1}} local t = setmetatable({}, mt) "
                     "assert(t.x == 1) mt.__index = {x = 2} assert(t.x == 2) local x = 2 "
                     "for i = 1, 100 do "
                     "  mt['k' .. i] = i assert(t.x == x, i) "
                     "  rawset(mt, 1000 + i, i) assert(t.x == x, i) "
                     "  if i % 10 == 0 then x = i mt.__index = {x = i} assert(t.x == i, i) end "
                     "end "
                     "for i = 1, 100 do mt['k' .. i] = nil end "
                     "mt.__index = nil assert(t.x == nil) "
                     "for i = 1, 40 do mt['n' .. i] = i assert(t.x == nil and t.n1 == nil, i) end "
                     "mt.__index = function(_, k) return k end assert(t.x == 'x') "
                     "mt.__index = {x = 'last'} assert(t.x == 'last')"),
            "");
  EXPECT_EQ(error_of("local mt = setmetatable({}, {__mode = 'v'}) mt.__index = {x = 1} "
                     "local t = setmetatable({}, mt) assert(t.x == 1) "
                     "collectgarbage() collectgarbage() assert(rawget(mt, '__index') == nil and t.x == nil) "
                     "mt.__index = {x = 3} assert(t.x == 3)"),
            "");
}

// Fresh values stored into old tables while the collector runs in small
// steps stay reachable, through array slots and short-string keys alike.
TEST_F(TableAccessTest, StoresKeepTheCollectorBarrier) {
  EXPECT_EQ(error_of("local t = {} for i = 1, 64 do t[i] = false end t.a = false t.b = false "
                     "local keep = setmetatable({}, {__index = {}}) keep.v = false "
                     "collectgarbage() "
                     "for round = 1, 300 do "
                     "  for i = 1, 64 do t[i] = {round, i} end "
                     "  t.a = {round} t.b = 'r' .. round keep.v = {round} "
                     "  collectgarbage('step', 1) "
                     "end "
                     "collectgarbage() "
                     "for i = 1, 64 do assert(t[i][1] == 300 and t[i][2] == i) end "
                     "assert(t.a[1] == 300 and t.b == 'r300' and keep.v[1] == 300)"),
            "");
}

// A new constant key made by an instruction in a table the collector has
// already marked (black): when the key or its value is unmarked (white), the
// table must leave black, whichever way the key is made: its free main
// position, a free node after a collision, or a rehash.
TEST_F(TableAccessTest, NewKeysInMarkedTablesKeepTheCollectorBarrier) {
  struct Case {
    const char* what;
    int nodes;            // the table's hash size (0: no nodes)
    const char* old_key;  // a key the table has before it is marked
    const char* key;      // the new key; "fresh" ones are made after the marking
    const char* value;    // the new key's value
    bool white;           // whether the key or the value is unmarked
  };
  const Case cases[] = {
      {"free main position, fresh key and value", 64, "", "fresh_a", "{}", true},
      {"free main position, old key, fresh value", 64, "old_a", "old_a_2", "{}", true},
      {"free main position, fresh key, a number", 64, "", "fresh_b", "1", true},
      {"free main position, old key, a number", 64, "old_b", "old_b_2", "1", false},
      {"one node free of two", 2, "x", "fresh_c", "{}", true},
      {"no free node", 1, "x", "fresh_d", "{}", true},
      {"no nodes", 0, "", "fresh_e", "{}", true},
  };
  lua_settop(L, 0);
  lua_createtable(L, 1000, 0);  // index 1: ballast, so that marking takes many steps
  for (int i = 1; i <= 1000; i++) {
    lua_createtable(L, 4, 0);
    lua_rawseti(L, 1, i);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lua_settop(L, 1);
    lua_createtable(L, 0, c.nodes);  // index 2: the table
    if (*c.old_key != '\0') {
      lua_pushboolean(L, 1);
      lua_setfield(L, 2, c.old_key);
      lua_pushstring(L, (std::string(c.old_key) + "_2").c_str());  // the old key to come, anchored
    }
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_gc(L, LUA_GCSTOP, 0);
    Table* t = hvalue(L->ci->func + 2);
    for (int steps = 0; steps < 10000 && !(keepinvariant(G(L)) && isblack(t)); steps++) lua_gc(L, LUA_GCSTEP, 0);
    ASSERT_TRUE(keepinvariant(G(L)) && isblack(t));
    load(std::string("local t = ... t.") + c.key + " = " + c.value);
    lua_pushvalue(L, 2);
    ASSERT_EQ(lua_pcall(L, 1, 0, 0), LUA_OK) << top_text(L);
    lua_getfield(L, 2, c.key);
    ASSERT_FALSE(lua_isnil(L, -1));
    EXPECT_EQ(isblack(t), !c.white);
    lua_gc(L, LUA_GCRESTART, 0);
  }
}

}  // namespace
