// Tables: a randomised model test against std::map, and the corners of the
// array part, number hashing, traversal and the border.
#include <map>
#include <random>
#include <set>

#include "script/value/number.h"
#include "tests/script/runtime_fixture.h"

namespace {

constexpr lua_Number ONE = 0x10000;

class TableTest : public RuntimeTest {};

// Key universe: integer keys in and past the array range, zero, negatives,
// fractions, the extremes, and strings.
TValue model_key(lua_State* L, std::mt19937& rng, std::vector<TString*>& strings) {
  TValue k;
  switch (rng() % 6) {
    case 0: setnvalue(&k, tovo_int2num(static_cast<int>(rng() % 64) + 1)); break;
    case 1: setnvalue(&k, tovo_int2num(static_cast<int>(rng() % 65536) - 32768)); break;
    case 2: setnvalue(&k, static_cast<lua_Number>(rng() % 0x100000) - 0x80000); break;  // fractions
    case 3: setnvalue(&k, (rng() & 1) ? INT32_MIN : 0x7fffffff); break;
    default: {
      if (strings.empty() || rng() % 4 == 0) {
        std::string s = "k" + std::to_string(rng() % 200);
        if (rng() % 8 == 0) s += std::string(41, 'L');  // long strings too
        strings.push_back(luaS_newlstr(L, s.data(), s.size()));
        TValue v;
        setsvalue(&v, strings.back());
        setobj(L->top, &v);
        incr_top(L);  // anchored
      }
      setsvalue(&k, strings[rng() % strings.size()]);
    }
  }
  return k;
}

// Model key: tag and raw value, with strings by contents.
std::string model_name(const TValue& k) {
  if (ttisnumber(&k)) return "n" + std::to_string(nvalue(&k));
  return "s" + std::string(svalue(&k), tsvalue(&k)->len);
}

TEST_F(TableTest, RandomisedAgainstMap) {
  std::mt19937 rng(1234);
  int status = run_protected(L, [&] {
    Table* t = push_table();
    std::vector<TString*> strings;
    std::map<std::string, lua_Number> model;
    for (int step = 0; step < 20000; step++) {
      TValue k = model_key(L, rng, strings);
      std::string name = model_name(k);
      int action = static_cast<int>(rng() % 10);
      if (action < 6) {  // insert or overwrite
        lua_Number v = static_cast<lua_Number>(rng());
        set(t, k, num(v));
        model[name] = v;
      } else if (action < 9) {  // delete
        TValue* cell = const_cast<TValue*>(luaH_get(t, &k));
        if (cell != luaO_nilobject()) setnilvalue(cell);
        model.erase(name);
      } else {  // lookup
        const TValue* got = luaH_get(t, &k);
        auto it = model.find(name);
        if (it == model.end()) {
          ASSERT_TRUE(ttisnil(got)) << name;
        } else {
          ASSERT_TRUE(ttisnumber(got)) << name;
          ASSERT_EQ(nvalue(got), it->second) << name;
        }
      }
      if (step % 997 == 0) luaC_fullgc(L, 0);
      if (step % 500 != 0) continue;
      // traversal: every key once, with its value
      std::set<std::string> seen;
      TValue nil;
      setnilvalue(&nil);
      StkId key = push(&nil);
      push(&nil);
      while (luaH_next(L, t, key)) {
        std::string n = model_name(*key);
        ASSERT_TRUE(seen.insert(n).second) << "twice: " << n;
        auto it = model.find(n);
        ASSERT_NE(it, model.end()) << n;
        ASSERT_EQ(nvalue(key + 1), it->second);
      }
      ASSERT_EQ(seen.size(), model.size());
      L->top -= 2;
      // the border
      int b = luaH_getn(t);
      ASSERT_GE(b, 0);
      if (b > 0) {
        ASSERT_FALSE(ttisnil(luaH_getint(t, b)));
      }
      if (b < TOVO_MAXINTKEY) {
        ASSERT_TRUE(ttisnil(luaH_getint(t, b + 1)));
      }
    }
  });
  ASSERT_EQ(status, LUA_OK) << top_text(L);
}

TEST_F(TableTest, WhichKeysGoToTheArrayPart) {
  run_protected(L, [&] {
    Table* t = push_table();
    for (int i = 1; i <= 8; i++) setint(t, i, i * ONE);
    EXPECT_EQ(t->sizearray, 8);
    set(t, num(ONE + ONE / 2), num(1));  // 1.5
    set(t, num(0), num(2));
    set(t, num(-ONE), num(3));
    EXPECT_EQ(t->sizearray, 8);
    EXPECT_EQ(nvalue(luaH_getint(t, 0)), 2);
    EXPECT_EQ(nvalue(luaH_getint(t, -1)), 3);
    EXPECT_EQ(nvalue(getnum(t, ONE + ONE / 2)), 1);
    // removing most integer keys and adding others never shrinks the array part
    for (int i = 2; i <= 8; i++) setnilvalue(const_cast<TValue*>(luaH_getint(t, i)));
    for (int i = 0; i < 50; i++) set(t, num(tovo_int2num(-100 - i)), num(i));
    EXPECT_EQ(t->sizearray, 8);
  });
}

TEST_F(TableTest, ArrayGrowthGivesTheSizesOfTheCensus) {
  // Tables of every array size to 40 (to 12 with every pattern of holes),
  // with and without a hash part, asked about the next index and other
  // keys: wherever the short road is taken, its array size is the census's,
  // with no hash part; and it is taken for every full array without nodes.
  run_protected(L, [&] {
    auto check = [&](Table* t, const TValue& k, bool full) {
      int grown = -1;
      bool taken = luaH_arraygrowth(t, &k, &grown);
      int na = -1, nh = -1;
      luaH_rehashsizes(t, &k, &na, &nh);
      if (taken) {
        EXPECT_EQ(grown, na) << "array " << t->sizearray;
        EXPECT_EQ(nh, 0) << "array " << t->sizearray;
      }
      bool next = ttisnumber(&k) && nvalue(&k) == tovo_int2num(t->sizearray + 1);
      EXPECT_EQ(taken, full && next && luaH_isdummy(t->node)) << "array " << t->sizearray;
    };
    for (int size = 0; size <= 40; size++) {
      uint32_t patterns = size <= 12 ? 1u << size : 4;
      for (uint32_t holes = 0; holes < patterns; holes++) {
        for (int hashed = 0; hashed < 2; hashed++) {
          Table* t = push_table();
          luaH_resize(L, t, size, 0);
          for (int i = 0; i < size; i++) {
            uint32_t hole = size <= 12 ? (holes >> i) & 1 : (holes == 1 && i == size / 2) || (holes == 2 && i == 0);
            if (!hole) setnvalue(&t->array[i], tovo_int2num(i + 1));
          }
          bool full = true;
          for (int i = 0; i < size; i++) full = full && !ttisnil(&t->array[i]);
          if (hashed) set(t, num(tovo_int2num(-3)), num(1));
          for (int key : {size + 1, size, size + 2, 0, -1, 2 * size + 1}) check(t, num(tovo_int2num(key)), full);
          check(t, num(tovo_int2num(size + 1) + 1), full);  // a fraction just past the next index
          L->top--;
        }
      }
    }
    // the array part's ceiling: 32767 slots and no index past them
    Table* t = push_table();
    for (int i = 1; i <= MAXASIZE; i++) setint(t, i, i * ONE);
    EXPECT_EQ(t->sizearray, MAXASIZE);
    EXPECT_TRUE(luaH_isdummy(t->node));
    EXPECT_EQ(luaH_getn(t), MAXASIZE);
    L->top--;
  });
}

TEST_F(TableTest, AppendedArraysGrowInPowersOfTwo) {
  // Appending one index after another, as add and t[#t+1] do: the array
  // part doubles, no node is made, and the border follows.
  run_protected(L, [&] {
    Table* t = push_table();
    for (int n = 1; n <= 1100; n++) {
      setint(t, n, n * ONE);
      int want = 1;
      while (want < n) want *= 2;
      ASSERT_EQ(t->sizearray, want) << n;
      ASSERT_TRUE(luaH_isdummy(t->node)) << n;
      ASSERT_EQ(luaH_getn(t), n);
    }
    // with a hole the census decides: 8 keys in 1..16 are not more than
    // half, so the array part stays and index 9 takes a node
    Table* u = push_table();
    for (int n = 1; n <= 8; n++) setint(u, n, n * ONE);
    setnilvalue(&u->array[2]);
    setint(u, 9, 9 * ONE);
    EXPECT_EQ(u->sizearray, 8);
    EXPECT_EQ(sizenode(u), 1);
    EXPECT_FALSE(luaH_isdummy(u->node));
    EXPECT_EQ(nvalue(luaH_getint(u, 9)), 9 * ONE);
    L->top -= 2;
  });
}

// The border of an array part whose last slot is empty is the one a plain
// binary search between 0 and the array size finds, holes or not: the
// length a cart sees with holes depends on exactly which border that is.
TEST_F(TableTest, ArrayBorderIsTheBinarySearchs) {
  auto searched = [](const Table* t) {
    unsigned i = 0, u = static_cast<unsigned>(t->sizearray);
    while (u - i > 1) {
      unsigned m = (i + u) / 2;
      if (ttisnil(&t->array[m - 1])) u = m;
      else i = m;
    }
    return static_cast<int>(i);
  };
  std::mt19937 rng(77);
  run_protected(L, [&] {
    for (int size : {1, 2, 3, 4, 5, 7, 8, 12, 16, 31, 32, 64, 100, 128, 1024}) {
      for (int round = 0; round < 200; round++) {
        Table* t = push_table();
        luaH_resize(L, t, size, 0);
        // Mostly a run from 1 with scattered holes and strays past it.
        int run = static_cast<int>(rng() % static_cast<unsigned>(size));
        for (int k = 1; k <= size; k++) {
          bool present = k <= run ? rng() % 8 != 0 : rng() % 8 == 0;
          if (present) setint(t, k, k * ONE);
        }
        setnilvalue(&t->array[size - 1]);
        ASSERT_EQ(luaH_getn(t), searched(t)) << "size " << size << " round " << round;
        L->top--;
      }
    }
  });
}

TEST_F(TableTest, NumberMainPositions) {
  run_protected(L, [&] {
    Table* t = push_table();
    luaH_resize(L, t, 0, 16);
    TValue k = num(INT32_MIN);
    EXPECT_EQ(luaH_mainposition(t, &k), gnode(t, 0));
    k = num(30 * ONE);
    EXPECT_EQ(luaH_mainposition(t, &k), gnode(t, (30 * ONE) % 15));
    k = num(-30 * ONE);
    EXPECT_EQ(luaH_mainposition(t, &k), gnode(t, (30 * ONE) % 15));
    // whole numbers spread over the nodes although their low 16 bits are 0
    std::set<Node*> used;
    for (int i = 0; i < 16; i++) {
      k = num(tovo_int2num(100 + i));
      used.insert(luaH_mainposition(t, &k));
    }
    EXPECT_GE(used.size(), 12u);
  });
}

TEST_F(TableTest, FullIntegerRangeStaysInsideTheKeySpace) {
  int status = run_protected(L, [&] {
    Table* t = push_table();
    for (int i = 1; i <= TOVO_MAXINTKEY; i++) setint(t, i, tovo_int2num(i));
    EXPECT_EQ(t->sizearray, MAXASIZE);  // never a slot for index 32768
    EXPECT_EQ(luaH_getn(t), TOVO_MAXINTKEY);
    // index 32768 is the number key -32768, in the hash part
    setint(t, 32768, 5);
    EXPECT_EQ(nvalue(getnum(t, INT32_MIN)), 5);
    EXPECT_EQ(luaH_getn(t), TOVO_MAXINTKEY);
    // traversal gives every key once and ends normally
    TValue nil;
    setnilvalue(&nil);
    StkId key = push(&nil);
    push(&nil);
    int count = 0;
    while (luaH_next(L, t, key)) count++;
    EXPECT_EQ(count, TOVO_MAXINTKEY + 1);
  });
  EXPECT_EQ(status, LUA_OK) << top_text(L);
}

TEST_F(TableTest, BorderWithHashPartOnly) {
  run_protected(L, [&] {
    Table* t = push_table();
    EXPECT_EQ(luaH_getn(t), 0);
    set(t, num(-ONE), num(1));  // hash part only, t[1] absent
    EXPECT_EQ(luaH_getn(t), 0);
    for (int i = 1; i <= 5; i++) set(t, num(tovo_int2num(i)), num(i));
    int b = luaH_getn(t);
    EXPECT_EQ(b, 5);
    // t[0] and t[-32768] present with everything else on the doubling path: ends
    set(t, num(0), num(1));
    set(t, num(INT32_MIN), num(1));
    for (int i = 1; i <= TOVO_MAXINTKEY; i *= 2) set(t, num(tovo_int2num(i)), num(1));
    b = luaH_getn(t);
    EXPECT_FALSE(ttisnil(luaH_getint(t, b)));
    EXPECT_TRUE(b == TOVO_MAXINTKEY || ttisnil(luaH_getint(t, b + 1)));
  });
}

TEST_F(TableTest, Errors) {
  Table* t = nullptr;
  run_protected(L, [&] { t = push_table(); });
  TValue nil;
  setnilvalue(&nil);
  EXPECT_EQ(run_protected(L, [&] { luaH_set(L, t, &nil); }), LUA_ERRRUN);
  EXPECT_EQ(top_text(L), "table index is nil");
  EXPECT_EQ(run_protected(L,
                          [&] {
                            TValue k = num(77);
                            StkId key = push(&k);
                            push(&k);
                            luaH_next(L, t, key);
                          }),
            LUA_ERRRUN);
  EXPECT_EQ(top_text(L), "invalid key to 'next'");
}

TEST_F(TableTest, NextSkipsDeadKeysAndAcceptsThem) {
  run_protected(L, [&] {
    Table* t = push_table();
    TString* a = luaS_newlstr(L, std::string(50, 'a').c_str(), 50);  // long string key, unanchored
    set(t, str(a), num(1));
    set(t, num(ONE), num(2));
    // start a traversal at the string key, then drop it and collect
    TValue nil;
    setnilvalue(&nil);
    StkId key = push(&nil);
    push(&nil);
    bool found = false;
    while (luaH_next(L, t, key)) {
      if (ttisstring(key)) {
        found = true;
        break;
      }
    }
    ASSERT_TRUE(found);
    setnilvalue(const_cast<TValue*>(luaH_get(t, key)));
    ptrdiff_t at = savestack(L, key);
    luaC_fullgc(L, 0);          // the key is still on the stack, so it lives, but its entry is dead
    key = restorestack(L, at);  // the collector may have shrunk the stack
    int rest = 0;
    while (luaH_next(L, t, key)) rest++;
    EXPECT_LE(rest, 1);
  });
}

}  // namespace
