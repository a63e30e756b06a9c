// The console allocator: accounting by object kind at the charge the runtime
// gives, blocks made while compiling, the soft limit that asks for a
// super-yield, the hard limit, the host memory cap, alignment and refusals;
// and the same driven through an interpreter state.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "console/machine/alloc.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/script_host.h"
#include "script/api/api.h"
#include "script/api/api_access.h"
#include "script/value/lua_mem.h"
#include "script/vm/cpu.h"
#include "script/vm/state.h"
#include "tests/script/string_chunk.h"
#include "tests/support/counting_alloc.h"

namespace {

class AllocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clear();
    asked = lua_newstate(counting_alloc_fn, &asked_alloc);
    ASSERT_NE(asked, nullptr);
  }
  void TearDown() override {
    if (asked) lua_close(asked);
    clear();
  }
  static void clear() { std::memset(&pstate(), 0, sizeof pstate()); }
  // The state that blocks made by make are for (on an allocator of its own,
  // so that it counts nothing here): the limits ask it to super-yield.
  static inline counting_alloc asked_alloc;
  static inline lua_State* asked = nullptr;
  static bool superyield_asked() { return lua_cpu(asked).cpu_superyield != 0; }
  static void* make(size_t tag, size_t size) { return tovo_lua_alloc(asked, nullptr, tag, size); }
  // A request as the runtime makes it: host size and charge.
  static void* request(void* block, size_t old_size, size_t size, size_t charge) {
    return luaM_callhook(tovo_lua_alloc, nullptr, block, old_size, size, charge);
  }
  static void release(void* block) { EXPECT_EQ(tovo_lua_alloc(nullptr, block, 0, 0), nullptr); }
};

TEST_F(AllocTest, CountsByObjectKind) {
  // Plain memory, booleans, numbers, short strings, tables and script
  // closures count their size; userdata, threads, prototypes and upvalues a
  // fixed 32; light userdata, long strings (20), native closures (38) and
  // every tag above nothing.
  struct Case {
    size_t tag;
    int32_t counted;
  } cases[] = {{0, 100}, {1, 100}, {3, 100}, {4, 100}, {5, 100}, {6, 100}, {7, 32}, {8, 32},
               {9, 32},  {10, 32}, {19, 32}, {2, 0},   {20, 0},  {38, 0},  {54, 0}};
  for (const Case& c : cases) {
    void* block = make(c.tag, 100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(pstate().script_memory, c.counted) << "tag " << c.tag;
    EXPECT_GE(pstate().host_memory, 100) << "tag " << c.tag;  // long strings take host memory all the same
    release(block);
    EXPECT_EQ(pstate().script_memory, 0) << "tag " << c.tag;
    EXPECT_EQ(pstate().host_memory, 0) << "tag " << c.tag;
  }
}

TEST_F(AllocTest, CountsTheChargeTheRuntimeGivesNotTheHostSize) {
  // A table record of 72 host bytes charged 32, grown to an array of 100
  // host values (1600 bytes) charged 800; a long string counts nothing
  // whatever its charge; a fixed-charge kind stays 32.
  void* table = request(nullptr, 5, 72, 32);
  EXPECT_EQ(pstate().script_memory, 32);
  void* array = request(nullptr, 0, 1600, 800);
  EXPECT_EQ(pstate().script_memory, 832);
  array = request(array, 1600, 3200, 1600);
  EXPECT_EQ(pstate().script_memory, 1632);
  void* text = request(nullptr, 20, 5000, 4985);
  void* thread = request(nullptr, 8, 400, 116);
  EXPECT_EQ(pstate().script_memory, 1664);
  int64_t host = pstate().host_memory;
  EXPECT_GE(host, 72 + 3200 + 5000 + 400);
  for (void* block : {table, array, text, thread}) release(block);
  EXPECT_EQ(pstate().script_memory, 0);
  EXPECT_EQ(pstate().host_memory, 0);
  EXPECT_EQ(lua_alloc_charge(), LUA_NO_CHARGE);  // the charge lasts for its request only
}

TEST_F(AllocTest, ResizeCountsTheNewSizeUnlessUncounted) {
  void* counted = make(5, 64);
  counted = tovo_lua_alloc(nullptr, counted, 64, 1000);
  EXPECT_EQ(pstate().script_memory, 1000);
  counted = tovo_lua_alloc(nullptr, counted, 1000, 10);
  EXPECT_EQ(pstate().script_memory, 10);

  pstate().compiling = 1;
  void* quiet = make(0, 50);  // plain memory while compiling: the program charge covers it
  EXPECT_EQ(pstate().script_memory, 10);
  pstate().compiling = 0;
  quiet = tovo_lua_alloc(nullptr, quiet, 50, 5000);
  quiet = tovo_lua_alloc(nullptr, quiet, 5000, 7000);
  EXPECT_EQ(pstate().script_memory, 10);
  void* fixed = make(8, 500);
  fixed = tovo_lua_alloc(nullptr, fixed, 500, 800);  // a resize counts its size
  EXPECT_EQ(pstate().script_memory, 810);
  release(quiet);
  release(fixed);
  release(counted);
  EXPECT_EQ(pstate().script_memory, 0);
  EXPECT_EQ(tovo_lua_alloc(nullptr, nullptr, 5, 0), nullptr);  // freeing null
  EXPECT_EQ(pstate().script_memory, 0);
}

TEST_F(AllocTest, BlocksAreAlignedAndKeepTheirBytes) {
  // Small blocks come from the pool's size classes, large ones from the
  // engine: growing inside a class, into the next class, out to the engine
  // and shrinking back keep the bytes and count the size asked for.
  char* block = static_cast<char*>(make(4, 13));
  std::memcpy(block, "hello, world", 13);
  for (size_t size : {14, 20, 100, 300, 700, 2000, 4096, 600, 60, 13}) {
    block = static_cast<char*>(tovo_lua_alloc(nullptr, block, 13, size));
    ASSERT_NE(block, nullptr) << size;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u) << size;
    EXPECT_STREQ(block, "hello, world") << size;
    EXPECT_EQ(pstate().script_memory, static_cast<int32_t>(size));
  }
  release(block);
  EXPECT_EQ(pstate().script_memory, 0);
}

TEST_F(AllocTest, FreedBlocksServeTheNextOfTheirClass) {
  // A freed block, small or of a medium class (the arrays of a growing
  // table), is the next one made of its class, whatever size in the class
  // is asked for; host memory counts the class while the block is held.
  struct Case {
    size_t first, next;  // sizes in the same class
    int64_t host;        // the class, header included
  } cases[] = {{40, 48, 64}, {600, 620, 640}, {1000, 970, 1024}, {4000, 4010, 4032}};
  for (const Case& c : cases) {
    void* block = make(5, c.first);
    ASSERT_NE(block, nullptr) << c.first;
    EXPECT_EQ(pstate().host_memory, c.host) << c.first;
    release(block);
    EXPECT_EQ(pstate().host_memory, 0) << c.first;
    void* again = make(5, c.next);
    EXPECT_EQ(again, block) << c.first;
    EXPECT_EQ(pstate().script_memory, static_cast<int32_t>(c.next)) << c.first;
    // a table's array grows in place inside its class
    EXPECT_EQ(tovo_lua_alloc(nullptr, again, c.next, c.host - 16), again) << c.first;
    release(again);
  }
}

TEST_F(AllocTest, SoftLimitAsksForASuperyield) {
  pstate().code_overhead = 0x204000;
  void* block = make(5, 64);
  EXPECT_EQ(pstate().slice_escape, 0);  // at the limit, not above it
  pstate().code_overhead = 0x204000 - 63;
  void* more = make(5, 64);  // 64 + overhead passes the limit on the next request
  void* third = make(5, 64);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(pstate().slice_escape, 1);
  EXPECT_TRUE(superyield_asked());
  EXPECT_EQ(pstate().alloc_error, 0);
  release(block);
  release(more);
  release(third);
}

TEST_F(AllocTest, ASmallBlockFromItsListStillAsksPastALimit) {
  // A small block whose class has a freed block at hand asks for a
  // super-yield all the same past the soft limit or near the host memory
  // limit.
  struct Case {
    const char* what;
    int32_t code_overhead;
    int64_t host_before;
  } cases[] = {{"past the soft limit", 0x204001, 0}, {"at the host limit", 0, TOVO_HOST_MEMORY_LIMIT - 10}};
  for (const Case& c : cases) {
    release(make(5, 40));  // one freed block of the class
    clear();
    lua_cpu(asked).cpu_superyield = 0;
    pstate().code_overhead = c.code_overhead;
    pstate().host_memory = c.host_before;
    void* block = make(5, 40);
    ASSERT_NE(block, nullptr) << c.what;
    EXPECT_EQ(pstate().slice_escape, 1) << c.what;
    EXPECT_TRUE(superyield_asked()) << c.what;
    EXPECT_EQ(pstate().script_memory, 40) << c.what;
    release(block);
    EXPECT_EQ(pstate().host_memory, c.host_before) << c.what;
  }
}

TEST_F(AllocTest, HardLimitRefusesGrowthOnly) {
  void* block = make(5, 4096);
  pstate().code_overhead = 0x4000000;
  // Headless with exec and no program running, console lines go to standard output.
  run_state().exec = 1;
  run_state().running = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(make(5, 3 << 20), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "host allocation error\n0mb + 3072k\n\n");
  run_state().exec = 0;
  EXPECT_EQ(pstate().alloc_error, 1);
  EXPECT_EQ(tovo_lua_alloc(nullptr, block, 4096, 8192), nullptr);
  EXPECT_EQ(pstate().script_memory, 4096);
  // Shrinking is never refused: the collector shrinks and frees while it runs.
  block = tovo_lua_alloc(nullptr, block, 4096, 16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(pstate().script_memory, 16);
  release(block);
}

TEST_F(AllocTest, HostMemoryCapAsksForACollectionThenRefuses) {
  // Long strings count nothing in script memory: the host memory they take
  // is capped apart. Past the limit the run loop is asked to collect at
  // once; a block that would pass the ceiling is refused.
  const size_t big = TOVO_HOST_MEMORY_LIMIT / 2;
  void* first = make(20, big);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(pstate().slice_escape, 0);
  void* second = make(20, big);  // just past the limit
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(pstate().slice_escape, 1);
  EXPECT_TRUE(superyield_asked());
  EXPECT_EQ(pstate().host_refused, 0);
  EXPECT_EQ(pstate().script_memory, 0);
  EXPECT_EQ(make(20, big * 2), nullptr);  // past the ceiling
  EXPECT_EQ(pstate().host_refused, 1);
  EXPECT_EQ(tovo_lua_alloc(nullptr, second, big, big * 3), nullptr);  // growing past it too
  second = tovo_lua_alloc(nullptr, second, big, 64);                  // a shrink is never refused
  ASSERT_NE(second, nullptr);
  release(first);
  release(second);
  EXPECT_EQ(pstate().host_memory, 0);
}

TEST_F(AllocTest, FailedEngineAllocationLeavesTheBlock) {
  char* block = static_cast<char*>(make(5, 8));
  std::memcpy(block, "kept", 5);
  EXPECT_EQ(tovo_lua_alloc(nullptr, block, 8, 0x3ffffff8), nullptr);  // past the engine's limit
  EXPECT_EQ(tovo_lua_alloc(nullptr, block, 8, SIZE_MAX - 4), nullptr);
  // Sizes that wrap round to a small one, or to none, once a header is added.
  for (size_t near_max : {SIZE_MAX, SIZE_MAX - 8, SIZE_MAX - (alignof(std::max_align_t) - 1)})
    EXPECT_EQ(make(5, near_max), nullptr) << near_max;
  EXPECT_EQ(pstate().script_memory, 8);
  EXPECT_STREQ(block, "kept");
  release(block);
}

// Runs text on a state made with the console allocator.
class AllocRuntimeTest : public AllocTest {
 protected:
  lua_State* L = nullptr;
  void SetUp() override {
    AllocTest::SetUp();
    L = tovo_new_lua_state();
    ASSERT_NE(L, nullptr);
    lua_sethost(L, &tovo_script_host);
    lua_set_cpu_cycles_slice_max(L, INT32_MAX);
  }
  void TearDown() override {
    if (L) lua_close(L);
    EXPECT_EQ(pstate().script_memory, 0);  // every count was given back
    AllocTest::TearDown();
  }
  int load(const std::string& text) { return load_string(L, text, "=test", "t"); }
};

TEST_F(AllocRuntimeTest, StateObjectsAreCounted) {
  int32_t empty = pstate().script_memory;
  EXPECT_GE(empty, 32);
  ASSERT_EQ(load("t = {} for i = 1, 1000 do t[i] = i end s = 'many' .. 'letters'"), LUA_OK);
  ASSERT_EQ(lua_resume(L, nullptr, 0), LUA_OK);
  EXPECT_GT(pstate().script_memory, empty + 1000 * 8);
}

int no_results(lua_State*) { return 0; }

TEST_F(AllocRuntimeTest, ObjectsCountAtTheirThirtyTwoBitSize) {
  lua_gc(L, LUA_GCSTOP, 0);
  const std::string forty(40, 'a'), forty_one(41, 'b');
  const struct {
    const char* what;
    void (*make)(lua_State* L, const std::string& forty, const std::string& forty_one);
    int32_t counted;
  } cases[] = {
      // the table record: header 8, five pointers, array size
      {"empty table", [](lua_State* L, const std::string&, const std::string&) { lua_createtable(L, 0, 0); }, 32},
      // record 32 + 3 array values x 8 + 5 keys in 8 nodes x 20
      {"table of 3 + 5", [](lua_State* L, const std::string&, const std::string&) { lua_createtable(L, 3, 5); },
       32 + 3 * 8 + 8 * 20},
      // header 16 + 40 bytes + the terminating 0
      {"40-byte string",
       [](lua_State* L, const std::string& s, const std::string&) { lua_pushlstring(L, s.data(), s.size()); },
       16 + 40 + 1},
      // long strings count nothing
      {"41-byte string",
       [](lua_State* L, const std::string&, const std::string& s) { lua_pushlstring(L, s.data(), s.size()); }, 0},
      // native closures count nothing
      {"native closure",
       [](lua_State* L, const std::string&, const std::string&) {
         lua_pushnil(L);
         lua_pushnil(L);
         lua_pushcclosure(L, no_results, 2);
       },
       0},
      // userdata: the fixed 32 of its kind
      {"userdata", [](lua_State* L, const std::string&, const std::string&) { lua_newuserdata(L, 1000); }, 32},
      // thread: the fixed 32 of its kind + a 40-slot stack x 8
      {"thread", [](lua_State* L, const std::string&, const std::string&) { lua_newthread(L); }, 32 + 40 * 8},
  };
  for (const auto& c : cases) {
    int32_t before = pstate().script_memory;
    int buckets = G(L)->strt.size;
    c.make(L, forty, forty_one);
    // A new short string may double the string table: 4 bytes a bucket.
    int32_t grown = (G(L)->strt.size - buckets) * 4;
    EXPECT_EQ(pstate().script_memory - before - grown, c.counted) << c.what;
    lua_settop(L, 0);
  }
}

TEST_F(AllocRuntimeTest, CompilingLeavesPlainMemoryToTheProgramCharge) {
  std::string text;
  for (int i = 0; i < 200; i++) text += "local v" + std::to_string(i) + " = " + std::to_string(i) + " + x\n";
  int32_t before = pstate().script_memory;
  pstate().compiling = 1;
  ASSERT_EQ(load(text), LUA_OK);
  pstate().compiling = 0;
  int32_t quiet = pstate().script_memory - before;
  lua_settop(L, 0);
  before = pstate().script_memory;
  ASSERT_EQ(load(text), LUA_OK);
  int32_t counted = pstate().script_memory - before;
  EXPECT_LT(quiet, counted);
  EXPECT_GT(counted - quiet, 200 * 4);  // at least the code words
}

TEST_F(AllocRuntimeTest, OverTheLimitTheProgramYieldsAndCanGoOn) {
  ASSERT_EQ(load("t = {} for i = 1, 200 do t[i] = {i} end done = 1"), LUA_OK);
  lua_set_cpu_cycles_slice_max(L, 279620);  // a frame's budget at 30 frames a second
  pstate().code_overhead = 0x204000;
  ASSERT_EQ(lua_resume(L, nullptr, 0), LUA_YIELD);
  EXPECT_EQ(pstate().slice_escape, 1);
  pstate().code_overhead = 0;
  pstate().slice_escape = 0;
  lua_cpu_prepare_for_resume(L, 0);
  ASSERT_EQ(lua_resume(L, nullptr, 0), LUA_OK);
  EXPECT_EQ(pstate().slice_escape, 0);
  lua_getglobal(L, "done");
  EXPECT_EQ(lua_tointegerx(L, -1, nullptr), 1);
}

}  // namespace
