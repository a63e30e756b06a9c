// The tracked allocator: header, zero fill, freed pattern, limits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/config.h"
#include "engine/tracked_mem.h"

namespace {

uint32_t word_before(const void* p, int back) {
  uint32_t w;
  memcpy(&w, static_cast<const uint8_t*>(p) - back, 4);
  return w;
}
uint32_t magic_of(const void* p) { return word_before(p, 8); }
uint32_t size_of(const void* p) { return word_before(p, 4); }

bool all_zero(const void* p, size_t n) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n; i++)
    if (b[i]) return false;
  return true;
}

struct block_case {
  size_t request;
  bool slack;  // tarq_malloc (request + 16) or tarq_calloc (exact)
};

TEST(TrackedAllocator, BlocksCarryHeaderAreZeroedAndAligned) {
  const block_case cases[] = {{0, true}, {1, true}, {15, true}, {100, true}, {1, false}, {16, false}, {1000, false}};
  for (const block_case& c : cases) {
    SCOPED_TRACE(testing::Message() << "request " << c.request << (c.slack ? " malloc" : " calloc"));
    void* p = c.slack ? tarq_malloc(c.request) : tarq_calloc(c.request);
    ASSERT_NE(p, nullptr);
    size_t usable = c.request + (c.slack ? 16 : 0);
    EXPECT_EQ(magic_of(p), TARQ_MEM_MAGIC);
    EXPECT_EQ(size_of(p), usable);
    EXPECT_TRUE(all_zero(p, usable));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % TARQ_MEM_HEADER, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u);
    tarq_free(p);
  }
}

TEST(TrackedAllocator, RefusesRequestsPastTheLimitOrOverflowingTheSize) {
  const size_t big[] = {TARQ_MEM_LIMIT - 15, TARQ_MEM_LIMIT + size_t{1},
                        0xFFFFFFF0u,         0xFFFFFFF8u,
                        0xFFFFFFFFu,         SIZE_MAX - 15,
                        SIZE_MAX - 7,        SIZE_MAX};
  for (size_t n : big) {
    SCOPED_TRACE(n);
    EXPECT_EQ(tarq_malloc(n), nullptr);
    EXPECT_EQ(tarq_realloc(nullptr, n), nullptr);
  }
  EXPECT_EQ(tarq_calloc(0), nullptr);
  EXPECT_EQ(tarq_calloc(TARQ_MEM_LIMIT + size_t{1}), nullptr);
  EXPECT_EQ(tarq_calloc(SIZE_MAX), nullptr);
}

TEST(TrackedAllocator, ReallocKeepsContentsAndRecordsTheExactSize) {
  uint8_t* p = static_cast<uint8_t*>(tarq_realloc(nullptr, 8));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(size_of(p), 24u);  // as tarq_malloc
  memcpy(p, "abcdefgh", 8);
  p = static_cast<uint8_t*>(tarq_realloc(p, 5000));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(magic_of(p), TARQ_MEM_MAGIC);
  EXPECT_EQ(size_of(p), 5000u);
  EXPECT_EQ(memcmp(p, "abcdefgh", 8), 0);
  p = static_cast<uint8_t*>(tarq_realloc(p, 3));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(size_of(p), 3u);
  EXPECT_EQ(memcmp(p, "abc", 3), 0);

  // A refused resize leaves the old block as it was.
  EXPECT_EQ(tarq_realloc(p, TARQ_MEM_LIMIT + size_t{1}), nullptr);
  EXPECT_EQ(tarq_realloc(p, SIZE_MAX), nullptr);
  EXPECT_EQ(magic_of(p), TARQ_MEM_MAGIC);
  EXPECT_EQ(memcmp(p, "abc", 3), 0);
  tarq_free(p);
}

TEST(TrackedAllocator, FreeingOverwritesWholeWordsAndMarksTheHeader) {
  uint8_t* p = static_cast<uint8_t*>(tarq_calloc(10));
  ASSERT_NE(p, nullptr);
  memset(p, 0x11, 10);
  void* base = tarq_mem_scrub(p);
  EXPECT_EQ(base, p - TARQ_MEM_HEADER);
  EXPECT_EQ(word_before(p + 4, 4), TARQ_MEM_FREED_FILL);
  EXPECT_EQ(word_before(p + 8, 4), TARQ_MEM_FREED_FILL);
  EXPECT_EQ(p[8], 0x11);  // the 2-byte remainder is left alone
  EXPECT_EQ(p[9], 0x11);
  EXPECT_EQ(magic_of(p), TARQ_MEM_FREED_MAGIC);
  EXPECT_EQ(size_of(p), TARQ_MEM_FREED_SIZE);
  free(base);
}

// What a release build's tarq_free does before the system free: the header
// is marked, the data left as it was (overwriting it is for debug builds).
TEST(TrackedAllocator, ReleasingMarksTheHeaderAndLeavesTheData) {
  uint8_t* p = static_cast<uint8_t*>(tarq_calloc(10));
  ASSERT_NE(p, nullptr);
  memset(p, 0x11, 10);
  void* base = tarq_mem_release(p);
  EXPECT_EQ(base, p - TARQ_MEM_HEADER);
  for (int i = 0; i < 10; i++) EXPECT_EQ(p[i], 0x11) << i;
  EXPECT_EQ(magic_of(p), TARQ_MEM_FREED_MAGIC);
  EXPECT_EQ(size_of(p), TARQ_MEM_FREED_SIZE);
  free(base);
}

TEST(TrackedAllocator, ABlockWithoutTheMagicIsReportedAndLeftAlone) {
  alignas(16) uint8_t fake[32] = {};
  const uint32_t magic = 0x12345678, size = 0x40;
  memcpy(fake + 8, &magic, 4);
  memcpy(fake + 12, &size, 4);
  memset(fake + 16, 0x5A, 16);
  testing::internal::CaptureStdout();
  tarq_free(fake + 16);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "tarq_free fail 12345678 40\n");
  for (void* (*release)(void*) : {tarq_mem_release, tarq_mem_scrub}) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(release(fake + 16), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "tarq_free fail 12345678 40\n");
  }
  testing::internal::CaptureStdout();
  EXPECT_EQ(tarq_realloc(fake + 16, 64), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "tarq_realloc fail 12345678 40\n");
  EXPECT_EQ(magic_of(fake + 16), magic);
  for (int i = 16; i < 32; i++) EXPECT_EQ(fake[i], 0x5A);
}

TEST(TrackedAllocator, DeferredDeallocKeepsFreedBlocks) {
  uint8_t* p = static_cast<uint8_t*>(tarq_malloc(4));
  ASSERT_NE(p, nullptr);
  memcpy(p, "keep", 4);
  cconfig.deferred_dealloc = 1;
  tarq_free(p);
  cconfig.deferred_dealloc = 0;
  EXPECT_EQ(magic_of(p), TARQ_MEM_MAGIC);
  EXPECT_EQ(memcmp(p, "keep", 4), 0);
  tarq_free(p);
}

TEST(TrackedAllocator, FreeingNullAndSettingBytes) {
  tarq_free(nullptr);
  uint8_t* p = static_cast<uint8_t*>(tarq_calloc(6));
  ASSERT_NE(p, nullptr);
  tarq_memset(p, 0x1FF, 4);  // the byte is taken modulo 256
  EXPECT_EQ(memcmp(p, "\xff\xff\xff\xff\0\0", 6), 0);
  tarq_memset(nullptr, 1, 0);
  tarq_free(p);
}

}  // namespace
