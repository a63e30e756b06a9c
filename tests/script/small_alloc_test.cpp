// The small-block pool: blocks of every class aligned and apart, free blocks
// served again to their own class only, a chunk's rest going to a smaller
// class when a new chunk is taken, and a chunk that cannot be had leaving
// the pool as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "script/value/small_alloc.h"

namespace {

class SmallPoolTest : public ::testing::Test {
 protected:
  tovo_small_pool pool;
  void TearDown() override { luaM_small_release(&pool); }
};

TEST_F(SmallPoolTest, BlocksOfEverySizeAreAlignedAndKeepTheirBytes) {
  std::vector<unsigned char*> blocks;
  for (size_t size = 1; size <= TOVO_SMALL_MAX; size++) {
    auto* b = static_cast<unsigned char*>(luaM_small_alloc(&pool, size));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % TOVO_SMALL_GRAIN, 0u) << size;
    std::memset(b, static_cast<int>(size & 0xff), size);
    blocks.push_back(b);
  }
  for (size_t size = 1; size <= TOVO_SMALL_MAX; size++) {
    const unsigned char* b = blocks[size - 1];
    for (size_t j = 0; j < size; j++) ASSERT_EQ(b[j], size & 0xff) << "block of " << size << " overwritten";
  }
}

TEST_F(SmallPoolTest, FreeBlocksServeTheirOwnClassOnly) {
  void* a = luaM_small_alloc(&pool, 20);  // class 32
  void* b = luaM_small_alloc(&pool, 20);
  tovo_small_free(&pool, a, 20);
  EXPECT_NE(luaM_small_alloc(&pool, 16), a);  // class 16: not this block
  EXPECT_EQ(luaM_small_alloc(&pool, 32), a);  // any size of the class
  tovo_small_free(&pool, b, 25);
  tovo_small_free(&pool, a, 32);
  EXPECT_EQ(luaM_small_alloc(&pool, 17), a);  // the last one freed first
  EXPECT_EQ(luaM_small_alloc(&pool, 30), b);
}

TEST_F(SmallPoolTest, TheRestOfAFullChunkGoesToASmallerClass) {
  // A 64 KiB chunk holds its link grain and 255 blocks of 256 bytes, and
  // 240 bytes are left over.
  auto* first = static_cast<char*>(luaM_small_alloc(&pool, TOVO_SMALL_MAX));
  for (int n = 1; n < 255; n++) ASSERT_NE(luaM_small_alloc(&pool, TOVO_SMALL_MAX), nullptr);
  void* next_chunk = luaM_small_alloc(&pool, TOVO_SMALL_MAX);
  EXPECT_NE(next_chunk, first + 255 * TOVO_SMALL_MAX);
  EXPECT_EQ(luaM_small_alloc(&pool, 240), first + 255 * TOVO_SMALL_MAX);
}

// A chunk source that refuses the next request when told to, then serves
// again.
bool refuse_next_chunk = false;
void* chunk_once_refused(size_t size) {
  if (refuse_next_chunk) {
    refuse_next_chunk = false;
    return nullptr;
  }
  return std::malloc(size);
}

TEST_F(SmallPoolTest, ARefusedChunkHandsNoBlockOutTwice) {
  pool.chunk_source = chunk_once_refused;
  // Blocks of the first size fill a chunk until its rest is too small for
  // one of the second size; that chunk request is refused, and then blocks
  // of every size are taken.
  struct Case {
    size_t fill, ask;
  } cases[] = {{TOVO_SMALL_MAX, TOVO_SMALL_MAX}, {TOVO_SMALL_MAX, 241}, {48, 64}, {160, 200}, {32, 48}};
  for (const auto& c : cases) {
    luaM_small_release(&pool);
    std::map<char*, size_t> live;  // start -> capacity
    auto take = [&](size_t size) {
      auto* b = static_cast<char*>(luaM_small_alloc(&pool, size));
      if (b != nullptr) live[b] = tovo_small_capacity(size);
      return b;
    };
    ASSERT_NE(take(c.fill), nullptr);
    while (pool.fresh_left >= tovo_small_capacity(c.ask)) ASSERT_NE(take(c.fill), nullptr);
    refuse_next_chunk = true;
    EXPECT_EQ(take(c.ask), nullptr) << c.fill << " " << c.ask;
    for (int round = 0; round < 3; round++) {
      for (size_t size = TOVO_SMALL_GRAIN; size <= TOVO_SMALL_MAX; size += TOVO_SMALL_GRAIN)
        ASSERT_NE(take(size), nullptr);
    }
    // Every block lies apart from the next one.
    char* end = nullptr;
    for (const auto& [start, capacity] : live) {
      EXPECT_GE(start, end) << "blocks overlap (fill " << c.fill << ", ask " << c.ask << ")";
      end = start + capacity;
    }
  }
}

}  // namespace
