// Strings: the hash, interning of short strings, long strings, the string
// table's growth and shrinking, and userdata.
#include <set>
#include <vector>

#include "script/value/number.h"
#include "script/vm/tm.h"
#include "script/vm/vm.h"
#include "tests/script/runtime_fixture.h"

namespace {

class StringTest : public RuntimeTest {};

// The hash as the runtime defines it, written out separately: a short
// string's from words put together byte by byte, a long string's from
// every (length / 32 + 1)th byte, last first.
uint64_t model_word(uint64_t h, uint64_t w) {
  unsigned __int128 p = static_cast<unsigned __int128>(h ^ w) * 0x9e3779b97f4a7c15u;
  return static_cast<uint64_t>(p) ^ static_cast<uint64_t>(p >> 64);
}

// The little-endian word of n bytes of s from at.
uint64_t model_bytes(const std::string& s, size_t at, size_t n) {
  uint64_t w = 0;
  for (size_t i = 0; i < n; i++) w |= static_cast<uint64_t>(static_cast<uint8_t>(s[at + i])) << (8 * i);
  return w;
}

uint32_t model_hash(const std::string& s, uint32_t seed) {
  size_t l = s.size();
  if (l > LUAI_MAXSHORTLEN) {
    uint32_t h = seed ^ static_cast<uint32_t>(l);
    size_t step = (l >> 5) + 1;
    for (size_t at = l; at >= step; at -= step) h = h ^ ((h << 5) + (h >> 2) + static_cast<uint8_t>(s[at - 1]));
    return h;
  }
  uint64_t h = (static_cast<uint64_t>(seed) << 32) ^ l;
  if (l >= 8) {
    size_t at = 0;
    for (; at + 8 < l; at += 8) h = model_word(h, model_bytes(s, at, 8));
    h = model_word(h, model_bytes(s, l - 8, 8));
  } else if (l >= 4) {
    h = model_word(h, model_bytes(s, 0, 4) | model_bytes(s, l - 4, 4) << 32);
  } else if (l > 0) {
    h = model_word(h, model_bytes(s, 0, 1) | model_bytes(s, l / 2, 1) << 8 | model_bytes(s, l - 1, 1) << 16);
  } else {
    h = model_word(h, 0);
  }
  return static_cast<uint32_t>(h);
}

TEST(StringHash, MatchesTheDefinition) {
  for (const std::string& s : {std::string(), std::string("a"), std::string("hello world"), std::string(31, 'x'),
                               std::string(32, 'y'), std::string(100, '\xff'), std::string("\x80\x01\x7f")}) {
    for (uint32_t seed : {0u, 1u, 0xdeadbeefu}) EXPECT_EQ(luaS_hash(s.data(), s.size(), seed), model_hash(s, seed));
  }
}

TEST(StringHash, MatchesTheDefinitionAtEveryLength) {
  std::string s;
  for (int l = 0; l <= 70; l++) {
    EXPECT_EQ(luaS_hash(s.data(), s.size(), 0x9e3779b9u), model_hash(s, 0x9e3779b9u)) << "length " << l;
    s += static_cast<char>(l * 37 + 11);
  }
}

TEST(StringHash, SpreadsFamiliesOfShortStringsOverTheBuckets) {
  // 1024 strings of one family into 1024 buckets picked by the low bits, as
  // the string table and tables pick them: a hash that left low bits alike
  // (from bytes it mixes in too weakly) would crowd them into few buckets.
  // Random picks fill about 63% of them.
  const std::vector<std::string (*)(int)> families = {
      [](int i) { return std::to_string(i); },
      [](int i) { return "item" + std::to_string(i) + ";"; },
      [](int i) { return std::string(1, static_cast<char>(i)) + std::string(1, static_cast<char>(i >> 8)); },
      [](int i) { return std::string(30, 'x') + std::to_string(i); },
      [](int i) { return std::to_string(i) + std::string(30, 'x'); },
      [](int i) { return std::string(i % 40 + 1, static_cast<char>('a' + i / 40)); },
  };
  for (size_t f = 0; f < families.size(); f++) {
    for (uint32_t seed : {0u, 0x9e3779b9u}) {
      std::set<uint32_t> buckets;
      for (int i = 0; i < 1024; i++) {
        std::string s = families[f](i);
        buckets.insert(luaS_hash(s.data(), s.size(), seed) & 1023u);
      }
      EXPECT_GT(buckets.size(), 560u) << "family " << f << " seed " << seed;
    }
  }
}

TEST_F(StringTest, InterningTellsApartStringsThatDifferInOneByte) {
  // Every short length, and a change at every position: the first and last
  // bytes, and those inside or across the words compared.
  run_protected(L, [&] {
    for (size_t l = 1; l <= LUAI_MAXSHORTLEN; l++) {
      std::string base(l, 'm');
      for (size_t i = 0; i < l; i++) base[i] = static_cast<char>('a' + (i * 7) % 26);
      TString* kept = push_string(base);
      for (size_t at = 0; at < l; at++) {
        std::string other = base;
        other[at] = static_cast<char>(other[at] ^ 0x40);
        TString* o = push_string(other);
        EXPECT_NE(o, kept) << "length " << l << " byte " << at;
        EXPECT_EQ(push_string(other), o) << "length " << l << " byte " << at;
        L->top -= 2;
      }
      EXPECT_EQ(push_string(base), kept) << "length " << l;
      L->top -= 2;
    }
  });
}

TEST_F(StringTest, NumberByteAndTypeTextsAreTheInternedStringsThroughCollections) {
  // Numbers, bytes and type names turned into text again and again while the collector
  // runs, in steps and in full, with no one holding the texts: each time the
  // text is right and is the string the table holds for it (a text kept
  // past its collection would be read after it was freed).
  run_protected(L, [&] {
    const lua_Number numbers[] = {0, 1 << 16, 3 << 16, -(7 << 16), 0x8000, 0x7fffffff, INT32_MIN, 0x10001, 99 << 16};
    for (int round = 0; round < 400; round++) {
      for (lua_Number n : numbers) {
        lua_Number v = static_cast<lua_Number>(static_cast<uint32_t>(n) + static_cast<uint32_t>(round % 7) * 0x10000u);
        char want[TOVO_NUMBER_TEXT];
        int len = tovo_fixed_to_string(want, v);
        TString* got = luaV_numbertext(L, v);
        ASSERT_EQ(std::string(getstr(got), got->len), std::string(want, static_cast<size_t>(len)));
        ASSERT_EQ(luaS_newlstr(L, want, static_cast<size_t>(len)), got);
      }
      for (int b : {0, 0x61, 0x7f, 0x80, 0xff}) {
        char c = static_cast<char>(b + round % 3);
        TString* got = luaS_newbyte(L, c);
        ASSERT_EQ(got->len, 1u);
        ASSERT_EQ(getstr(got)[0], c);
        ASSERT_EQ(luaS_newshrstr(L, &c, 1), got);
        ASSERT_EQ(luaS_newlstr(L, &c, 1), got);
      }
      for (int type = LUA_TNONE; type < LUA_NUMTAGS; type++) {
        TString* got = luaS_typename(L, type);
        ASSERT_EQ(got, luaS_new(L, ttypename(type))) << type;
      }
      // garbage between the conversions, so that the steps get work
      for (int i = 0; i < 20; i++) luaS_new(L, ("g" + std::to_string(round * 20 + i)).c_str());
      if (round % 50 == 49) luaC_fullgc(L, 0);
      else luaC_forcestep(L);
    }
  });
}

TEST_F(StringTest, ANumberTextMadeAgainAfterItsStringWasFreedIsRightAndInterned) {
  // A number's text is kept with its hash after the collector frees its
  // string; made again from there it must be the number's text and the
  // string the table finds for those bytes (a wrong hash would put it in
  // another bucket). Numbers that share a slot take turns, so that a kept
  // text is never taken for another number's.
  struct Case {
    lua_Number first, second;  // sharing a slot
  } cases[] = {
      {5 << 16, (5 + LUAS_NUMBER_SLOTS) << 16},
      {0, LUAS_NUMBER_SLOTS << 16},
      {-(3 << 16), -(3 << 16) + (LUAS_NUMBER_SLOTS << 16)},
      {0x8000, 0x8000 + (LUAS_NUMBER_SLOTS << 16)},
      {12345 << 16, (12345 + LUAS_NUMBER_SLOTS) << 16},
  };
  run_protected(L, [&] {
    for (const Case& c : cases) {
      for (lua_Number n : {c.first, c.first, c.second, c.first, c.second, c.second}) {
        char want[TOVO_NUMBER_TEXT];
        int len = tovo_fixed_to_string(want, n);
        TString* got = luaV_numbertext(L, n);
        ASSERT_EQ(std::string(getstr(got), got->len), std::string(want, static_cast<size_t>(len))) << n;
        ASSERT_EQ(luaS_newlstr(L, want, static_cast<size_t>(len)), got) << n;
        luaC_fullgc(L, 0);  // no one holds the text: its string is freed
      }
    }
  });
}

TEST_F(StringTest, AJoinMadeAgainIsTheInternedStringOfItsBytesThroughCollections) {
  // Short strings and numbers joined again and again while the collector
  // frees the operands and results no one holds: each join must have the
  // bytes of its operands and be the string the table holds for them, and
  // a full collection forgets every join kept (one kept past the collection
  // of its strings would be given for another pair whose strings took their
  // blocks, or be a freed string).
  struct Case {
    const char* first;
    const char* second;  // null: the number below
    lua_Number number;
  } cases[] = {
      {"p", nullptr, 3 << 16}, {"p", nullptr, 1 << 16}, {"q", nullptr, 3 << 16}, {"ab", "cd", 0},
      {"cd", "ab", 0},         {"ab", "ce", 0},         {"x", "yz", 0},          {"xy", "z", 0},
  };
  run_protected(L, [&] {
    for (int round = 0; round < 60; round++) {
      for (const Case& c : cases) {
        std::string first = c.first + std::to_string(round % 3);
        TString* a = push_string(first);
        std::string want = first;
        TString* b;
        if (c.second != nullptr) {
          b = push_string(c.second);
          want += c.second;
        } else {
          lua_Number n = c.number + static_cast<lua_Number>(round % 2 << 16);
          b = luaV_numbertext(L, n);
          want.append(getstr(b), b->len);
          TValue v = num(n);
          push(&v);
        }
        luaV_concat(L, 2);
        TString* got = tsvalue(L->top - 1);  // the join replaces both operands
        ASSERT_EQ(std::string(getstr(got), got->len), want) << round;
        ASSERT_EQ(luaS_newlstr(L, want.data(), want.size()), got) << round;
        ASSERT_EQ(luaS_keptjoin(G(L), a, b), got) << round;
        L->top--;
        if (round % 4 == 3) {
          TValue operands[] = {str(a), str(b)};
          for (const TValue& v : operands) push(&v);
          luaC_fullgc(L, 0);
          ASSERT_EQ(luaS_keptjoin(G(L), a, b), nullptr) << round;
          L->top -= 2;
        } else {
          luaC_forcestep(L);
        }
      }
    }
  });
}

TEST_F(StringTest, NumberTextsBelongToTheirState) {
  // Two states turn the same numbers into text in turn, and one closes: the
  // other's texts are its own strings each time.
  counting_alloc other_alloc;
  lua_State* M = lua_newstate(counting_alloc_fn, &other_alloc);
  ASSERT_NE(M, nullptr);
  for (int round = 0; round < 3; round++) {
    for (lua_State* S : {L, M, L}) {
      ASSERT_EQ(run_protected(S,
                              [&] {
                                TString* t = luaV_numbertext(S, 12 << 16);
                                EXPECT_EQ(luaS_new(S, "12"), t);
                              }),
                LUA_OK);
    }
  }
  lua_close(M);
  run_protected(L, [&] { EXPECT_EQ(luaV_numbertext(L, 12 << 16), luaS_new(L, "12")); });
}

TEST_F(StringTest, ShortStringsAreInternedLongOnesNot) {
  run_protected(L, [&] {
    std::string s40(40, 'q'), s41(41, 'q');
    TString* a = push_string(s40);
    TString* b = push_string(s40);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->tt, LUA_TSHRSTR);
    TString* c = push_string(s41);
    TString* d = push_string(s41);
    EXPECT_NE(c, d);
    EXPECT_EQ(c->tt, LUA_TLNGSTR);
    EXPECT_TRUE(luaS_eqstr(c, d));
    EXPECT_EQ(c->hash, G(L)->seed);  // until used as a key
    EXPECT_EQ(push_string(""), push_string(""));
    EXPECT_EQ(push_string("")->len, 0u);
    TString* z = push_string(std::string("a\0b", 3));
    EXPECT_EQ(z->len, 3u);
    EXPECT_NE(z, push_string("a"));
    EXPECT_EQ(getstr(z)[3], 0);
  });
}

TEST_F(StringTest, TableGrowsAndShrinksAndDeadStringsAreRevived) {
  run_protected(L, [&] {
    int size0 = G(L)->strt.size;
    for (int i = 0; i < 2000; i++) luaS_new(L, ("s" + std::to_string(i)).c_str());
    EXPECT_GE(G(L)->strt.size, 2048);
    EXPECT_GT(G(L)->strt.size, size0);
    // every string still findable after the resizes
    TString* again = luaS_new(L, "s1234");
    EXPECT_EQ(again, luaS_new(L, "s1234"));
    luaC_fullgc(L, 0);
    luaC_fullgc(L, 0);
    EXPECT_LT(G(L)->strt.size, 2048);  // halved at the end of a cycle
    EXPECT_LT(G(L)->strt.nuse, 200u);
  });
}

TEST_F(StringTest, InterningDuringTheStringSweep) {
  run_protected(L, [&] {
    for (int i = 0; i < 3000; i++) luaS_new(L, ("dead" + std::to_string(i)).c_str());
    // run the collector up to the string sweep, then intern dead strings again
    luaC_runtilstate(L, 1 << GCSsweepstring);
    std::set<TString*> revived;
    for (int i = 0; i < 3000; i += 3) {
      TString* s = push_string("dead" + std::to_string(i));
      revived.insert(s);
    }
    luaC_fullgc(L, 0);
    for (int i = 0; i < 3000; i += 3) EXPECT_EQ(revived.count(luaS_new(L, ("dead" + std::to_string(i)).c_str())), 1u);
  });
}

TEST_F(StringTest, GrowingTheTableDuringTheStringSweepFinishesTheSweepFirst) {
  run_protected(L, [&] {
    Table* keep = push_table();
    for (int i = 0; i < 500; i++) {
      TValue v;
      setsvalue(&v, luaS_new(L, ("kept" + std::to_string(i)).c_str()));
      luaH_setint(L, keep, i + 1, &v);
      luaS_new(L, ("garbage" + std::to_string(i)).c_str());
    }
    luaC_runtilstate(L, 1 << GCSsweepstring);
    ASSERT_EQ(G(L)->gcstate, GCSsweepstring);
    int size = G(L)->strt.size;
    for (int i = 0; static_cast<int>(G(L)->strt.nuse) <= size + 1; i++)
      luaS_new(L, ("new" + std::to_string(i)).c_str());
    EXPECT_GT(G(L)->strt.size, size);
    EXPECT_NE(G(L)->gcstate, GCSsweepstring);
    luaC_fullgc(L, 0);
    for (int i = 0; i < 500; i++) {
      const TValue* v = luaH_getint(keep, i + 1);
      ASSERT_TRUE(ttisstring(v));
      EXPECT_EQ(tsvalue(v), luaS_new(L, ("kept" + std::to_string(i)).c_str()));
    }
  });
}

// The strings of each bucket of the string table, first to last.
std::vector<std::vector<GCObject*>> buckets_of(const global_State* g) {
  std::vector<std::vector<GCObject*>> chains(static_cast<size_t>(g->strt.size));
  for (int b = 0; b < g->strt.size; b++) {
    for (GCObject* o = g->strt.hash[b]; o != nullptr; o = o->next) chains[static_cast<size_t>(b)].push_back(o);
  }
  return chains;
}

// The string table as the collector relies on it: the count is the number
// of strings chained, each string in the bucket of its hash, and (when the
// state has its bucket bits) a bucket's bit set exactly when it holds a
// chain.
void expect_table_consistent(const global_State* g, const std::string& where) {
  uint32_t strings = 0;
  const uint64_t* filled = luaS_filled(g);
  for (int b = 0; b < g->strt.size; b++) {
    for (GCObject* o = g->strt.hash[b]; o != nullptr; o = o->next) {
      strings++;
      ASSERT_EQ(static_cast<int>(static_cast<TString*>(o)->hash & static_cast<uint32_t>(g->strt.size - 1)), b) << where;
    }
    if (filled != nullptr) {
      bool bit = (filled[b >> 6] >> (b & 63) & 1) != 0;
      ASSERT_EQ(bit, g->strt.hash[b] != nullptr) << where << ": bucket " << b;
    }
  }
  ASSERT_EQ(strings, g->strt.nuse) << where;
}

struct SweepCase {
  const char* name;
  bool without_helpers;  // the state's string helpers freed: no bucket bits
  bool generational;
  bool intern_in_sweep;  // strings made again while the table is swept
  int garbage;           // new strings made between two steps
};

TEST_F(StringTest, EachSweepStepFreesTheDeadStringsOfItsBucketsAndNoOthers) {
  // Step by step through several cycles, with strings made between the
  // steps: a step of the string sweep frees exactly the dead strings of the
  // buckets it passes (memory drops by their sizes), leaves live ones in
  // their order, now white, and touches no later bucket; the table stays
  // consistent, and the kept strings are found again.
  const SweepCase cases[] = {
      {"incremental: the table grows and halves again", false, false, false, 40},
      {"strings made again during the sweep", false, false, true, 40},
      {"strings made faster than swept: the table grows during the sweep", false, false, false, 100},
      {"generational", false, true, true, 40},
      {"without bucket bits", true, false, true, 40},
      {"without bucket bits, generational", true, true, false, 40},
  };
  for (const SweepCase& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    if (c.without_helpers) luaS_freetexts(G(L));
    global_State* g = G(L);
    run_protected(L, [&] {
      Table* keep = push_table();
      int made = 0, swept_steps = 0;
      if (c.generational) luaC_changemode(L, KGC_GEN);
      for (int step = 0; step < 400; step++) {
        for (int i = 0; i < c.garbage; i++, made++) {
          std::string text = "s" + std::to_string(made % (c.intern_in_sweep ? 997 : 1 << 30));
          TString* ts = luaS_new(L, text.c_str());
          if (made % 9 == 0) {
            TValue v = str(ts);
            luaH_setint(L, keep, made / 9 % 50 + 1, &v);
            luaC_barrierback(L, keep, &v);
          }
        }
        expect_table_consistent(g, "before step " + std::to_string(step));
        bool in_sweep = g->gcstate == GCSsweepstring;
        int from = g->sweepstrgc, size = g->strt.size;
        // each bucket's strings as the step should leave them, and the
        // bytes of those it should free
        std::vector<std::vector<GCObject*>> was = buckets_of(g), alive(was.size());
        std::vector<size_t> dead_bytes(was.size());
        for (size_t b = 0; b < was.size(); b++) {
          for (GCObject* o : was[b]) {
            if (isdead(g, o)) dead_bytes[b] += sizestring(static_cast<TString*>(o)->len);
            else alive[b].push_back(o);
          }
        }
        size_t total = gettotalbytes(g);
        luaE_setdebt(g, -100000);  // paid far ahead: the step does one unit of work
        luaC_forcestep(L);
        expect_table_consistent(g, "after step " + std::to_string(step));
        if (!in_sweep || g->gcstate != GCSsweepstring || g->strt.size != size) continue;
        swept_steps++;
        int to = g->sweepstrgc;
        ASSERT_TRUE(to == size || (to - from) % GCSWEEPMAX == 0) << "whole steps of buckets: " << from << ".." << to;
        size_t freed = 0;
        auto now = buckets_of(g);
        for (int b = 0; b < size; b++) {
          size_t i = static_cast<size_t>(b);
          if (b < from || b >= to) {
            ASSERT_EQ(now[i], was[i]) << "bucket " << b << " outside the step";
            continue;
          }
          ASSERT_EQ(now[i], alive[i]) << "bucket " << b;
          for (GCObject* o : now[i]) {
            ASSERT_TRUE(iswhite(o) && !isdead(g, o)) << "bucket " << b;
          }
          freed += dead_bytes[i];
        }
        ASSERT_EQ(gettotalbytes(g), total - freed);
      }
      if (!c.generational) {
        EXPECT_GT(swept_steps, 10);
      }
      for (int i = 1; i <= 50; i++) {
        const TValue* v = luaH_getint(keep, i);
        if (!ttisstring(v)) continue;
        TString* ts = tsvalue(v);
        EXPECT_EQ(luaS_newlstr(L, getstr(ts), ts->len), ts);
      }
    });
  }
}

TEST_F(StringTest, Userdata) {
  run_protected(L, [&] {
    Udata* u = luaS_newudata(L, 100, nullptr);
    TValue v;
    setgcovalue(&v, u);
    push(&v);
    std::memset(getudatamem(u), 0xab, 100);
    luaC_fullgc(L, 0);
    EXPECT_EQ(static_cast<unsigned char*>(getudatamem(u))[99], 0xab);
    EXPECT_EQ(u->len, 100u);
  });
}

}  // namespace
