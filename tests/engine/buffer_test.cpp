// Memory buffers: owned memory streams that grow by doubling.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/tracked_mem.h"

namespace {

TEST(MemoryBuffer, CreationTable) {
  const struct { int32_t asked, capacity; } cases[] = {{-5, 4}, {0, 4}, {1, 4}, {4, 4}, {100, 100}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    tarq_file* b = tarq_create_buffer(c.asked);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->kind, TARQ_FILE_MEMORY);
    EXPECT_EQ(b->vdisk, 0);
    EXPECT_EQ(b->capacity, c.capacity);
    EXPECT_EQ(b->size, 0);
    EXPECT_EQ(b->pos, 0);
    for (int i = 0; i < c.capacity; i++) EXPECT_EQ(b->data[i], 0);
    tarq_destroy_buffer(b);
  }
  EXPECT_EQ(tarq_create_buffer(static_cast<int32_t>(TARQ_MEM_LIMIT) + 1), nullptr);
}

TEST(MemoryBuffer, GrowsToTwiceTheNeedWithZeroedNewBytes) {
  tarq_file* b = tarq_create_buffer(1);
  ASSERT_NE(b, nullptr);
  for (uint8_t i = 1; i <= 5; i++) {
    uint8_t* at = cbuffer_add_uint8(b, i);
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at, b->data + i - 1);
    EXPECT_EQ(*at, i);
  }
  EXPECT_EQ(b->capacity, 10);
  EXPECT_EQ(b->size, 5);
  EXPECT_EQ(b->pos, 5);
  for (int i = 5; i < 10; i++) EXPECT_EQ(b->data[i], 0);

  EXPECT_EQ(tarq_allocate_buffer_size(b, 10), 0);  // already enough
  EXPECT_EQ(b->capacity, 10);
  EXPECT_EQ(tarq_allocate_buffer_size(b, 11), 0);
  EXPECT_EQ(b->capacity, 22);
  for (int i = 5; i < 22; i++) EXPECT_EQ(b->data[i], 0);
  EXPECT_EQ(memcmp(b->data, "\1\2\3\4\5", 5), 0);

  EXPECT_NE(tarq_allocate_buffer_size(b, static_cast<int32_t>(TARQ_MEM_LIMIT) + 1), 0);
  EXPECT_EQ(b->capacity, 22);
  tarq_destroy_buffer(b);
}

TEST(MemoryBuffer, ClearKeepsCapacityAndBytes) {
  tarq_file* b = tarq_create_buffer(0);
  ASSERT_NE(b, nullptr);
  cbuffer_add_string(b, "hello");
  int32_t capacity = b->capacity;
  EXPECT_EQ(tarq_clear_buffer(b), b);
  EXPECT_EQ(b->size, 0);
  EXPECT_EQ(b->pos, 0);
  cbuffer_add_uint8(b, 'j');
  EXPECT_EQ(b->capacity, capacity);
  EXPECT_EQ(b->size, 1);
  EXPECT_STREQ(reinterpret_cast<char*>(b->data), "jello");
  EXPECT_EQ(tarq_clear_buffer(nullptr), nullptr);
  tarq_destroy_buffer(b);
}

TEST(MemoryBuffer, AppendersReturnTheCopyAndTheReaderStopsAtTheEnd) {
  tarq_file* b = tarq_create_buffer(2);
  ASSERT_NE(b, nullptr);
  uint8_t* s = cbuffer_add_string(b, "tovo");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s, b->data);
  uint8_t* d = cbuffer_add_data(b, "xyz", 3);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d, b->data + 5);
  EXPECT_EQ(b->size, 8);
  EXPECT_EQ(memcmp(b->data, "tovo\0xyz", 8), 0);
  EXPECT_NE(cbuffer_add_data(b, nullptr, 2), nullptr);  // null data writes zero bytes
  EXPECT_EQ(b->size, 10);
  EXPECT_EQ(cbuffer_add_data(b, "x", -1), nullptr);

  b->pos = 8;
  EXPECT_EQ(cbuffer_get_uint8(b), 0);
  EXPECT_EQ(cbuffer_get_uint8(b), 0);
  EXPECT_EQ(b->pos, 10);
  EXPECT_EQ(cbuffer_get_uint8(b), 0);  // at the end: no read, no move
  EXPECT_EQ(b->pos, 10);
  b->pos = 5;
  EXPECT_EQ(cbuffer_get_uint8(b), 'x');
  EXPECT_EQ(b->pos, 6);
  tarq_destroy_buffer(b);
}

TEST(MemoryBuffer, ManySingleByteAppendsKeepEveryByte) {
  tarq_file* b = tarq_create_buffer(0);
  ASSERT_NE(b, nullptr);
  for (int i = 0; i < 100000; i++) ASSERT_NE(cbuffer_add_uint8(b, static_cast<uint8_t>(i * 7)), nullptr);
  EXPECT_EQ(b->size, 100000);
  EXPECT_LE(b->capacity, 2 * 100000);
  bool same = true;
  for (int i = 0; i < 100000; i++) same = same && b->data[i] == static_cast<uint8_t>(i * 7);
  EXPECT_TRUE(same);
  tarq_destroy_buffer(b);
}

// A borrowed block is never grown and never written past its end.
TEST(MemoryBuffer, BorrowedBlocksNeverGrowNorOverrun) {
  struct {
    uint8_t block[4];
    uint8_t guard[4];
  } mem = {{1, 2, 3, 4}, {9, 9, 9, 9}};
  tarq_file* f = tarq_fopen_memory(mem.block, 4);
  ASSERT_NE(f, nullptr);
  EXPECT_NE(tarq_allocate_buffer_size(f, 8), 0);
  EXPECT_EQ(f->data, mem.block);
  f->pos = 3;
  EXPECT_NE(cbuffer_add_uint8(f, 7), nullptr);
  EXPECT_EQ(cbuffer_add_uint8(f, 8), nullptr);
  f->pos = 2;
  EXPECT_EQ(cbuffer_add_data(f, "abc", 3), nullptr);  // only 2 bytes fit
  EXPECT_EQ(memcmp(mem.block, "\1\2ab", 4), 0);
  EXPECT_EQ(memcmp(mem.guard, "\x9\x9\x9\x9", 4), 0);
  EXPECT_EQ(f->size, 4);
  tarq_fclose(f);  // the block is not ours: only the record goes
  EXPECT_EQ(mem.block[0], 1);
}

}  // namespace
