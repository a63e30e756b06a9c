// The small-block pool: blocks of every class aligned and apart, free blocks
// served again to their own class only, and a chunk's rest going to a
// smaller class when a new chunk is taken.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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

}  // namespace
