// Engine streams over stdio files and memory blocks: the line reader, reads,
// writes, seeks, binary values, formatted output and whole files.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/io/file.h"
#include "engine/io/file_copy.h"
#include "engine/io/stream_values.h"
#include "engine/tracked_mem.h"
#include "tests/support/disk_full.h"

namespace {

namespace fs = std::filesystem;

// A temporary folder, removed with everything in it.
class StreamFiles : public testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "tovo_stream_XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write_file(const std::string& name, const std::string& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

std::vector<std::string> read_lines(tarq_file* f, int limit) {
  std::vector<std::string> lines;
  std::vector<char> buf(static_cast<size_t>(limit) + 8, '#');
  while (tarq_fgets_sensitive(buf.data(), limit, f)) {
    lines.push_back(buf.data());
    if (lines.size() > 100) break;  // a reader that never ends
  }
  EXPECT_EQ(buf[0], 0) << "a refused read leaves an empty text";
  EXPECT_EQ(buf[static_cast<size_t>(limit)], '#') << "the limit was passed";
  return lines;
}

using lines = std::vector<std::string>;

struct line_case {
  const char* name;
  std::string bytes;
  int limit;
  lines memory;  // what a memory stream gives
  lines stdio;   // what a stdio file gives: its end shows only after a failed read
};

// clang-format off
const line_case line_cases[] = {
    {"mixed ends", "a\r\nb\rc\n\nd", 256, {"a", "b", "c", "", "d"}, {"a", "b", "c", "", "d"}},
    {"ends in CR", "x\r", 256, {"x"}, {"x"}},
    {"ends in LF", "line\n", 256, {"line"}, {"line", ""}},
    {"ends in CR LF", "line\r\n", 256, {"line"}, {"line", ""}},
    {"empty", "", 256, {}, {""}},
    {"only ends", "\r\n\n\r", 256, {"", "", ""}, {"", "", ""}},
    {"CR then text", "a\rb", 256, {"a", "b"}, {"a", "b"}},
    {"byte 255 first is an empty line", "\xff" "ab\n\xff", 256, {"", "ab", ""}, {"", "ab", "", ""}},
    {"byte 255 inside is text", "a\xff" "b\n", 256, {"a\xff" "b"}, {"a\xff" "b", ""}},
    {"byte 255 after CR", "a\r\xff" "b", 256, {"a", "", "b"}, {"a", "", "b"}},
    {"long line continues", "abcdefg\nh", 4, {"abc", "def", "g", "h"}, {"abc", "def", "g", "h"}},
    {"limit two", "ab\n", 2, {"a", "b", ""}, {"a", "b", "", ""}},
};
// clang-format on

TEST_F(StreamFiles, LineReaderTableOnMemoryAndStdio) {
  for (const line_case& c : line_cases) {
    SCOPED_TRACE(c.name);
    tarq_file* m = tarq_fopen_memory(c.bytes.data(), static_cast<int32_t>(c.bytes.size()));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(read_lines(m, c.limit), c.memory) << "memory";
    tarq_fclose(m);

    tarq_file* s = tarq_fopen(write_file("lines.txt", c.bytes).c_str(), "rb");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->kind, TARQ_FILE_STDIO);
    EXPECT_EQ(read_lines(s, c.limit), c.stdio) << "stdio";
    tarq_fclose(s);
  }
}

TEST_F(StreamFiles, LineReaderRefusesWhatCannotHoldALine) {
  char buf[4] = "zz";
  tarq_file* m = tarq_fopen_memory("abc\n", 4);
  EXPECT_EQ(tarq_fgets_sensitive(buf, 1, m), nullptr);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[1], 'z');
  EXPECT_EQ(m->pos, 0);
  EXPECT_EQ(tarq_fgets_sensitive(buf, 0, m), nullptr);
  EXPECT_EQ(tarq_fgets(buf, 0, m), nullptr);
  tarq_fclose(m);
  buf[0] = 'q';
  EXPECT_EQ(tarq_fgets_sensitive(buf, 4, nullptr), nullptr);
  EXPECT_EQ(buf[0], 0);
}

TEST_F(StreamFiles, FgetsKeepsTheNewlineOnlyOnStdio) {
  char buf[64];
  tarq_file* s = tarq_fopen(write_file("a.txt", "one\r\ntwo").c_str(), "r");
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(tarq_fgets(buf, sizeof buf, s), "one\r\n");
  EXPECT_STREQ(tarq_fgets(buf, sizeof buf, s), "two");
  EXPECT_EQ(tarq_fgets(buf, sizeof buf, s), nullptr);
  tarq_fclose(s);

  tarq_file* m = tarq_fopen_memory("one\r\ntwo", 8);
  EXPECT_STREQ(tarq_fgets(buf, sizeof buf, m), "one");
  EXPECT_STREQ(tarq_fgets(buf, sizeof buf, m), "two");
  EXPECT_EQ(tarq_fgets(buf, sizeof buf, m), nullptr);
  tarq_fclose(m);
}

TEST(MemoryStream, ReadsCountBytesAndStopAtTheEnd) {
  const char text[] = "0123456789";
  tarq_file* f = tarq_fopen_memory(text, 10);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->capacity, 0);
  char out[16] = {};
  EXPECT_EQ(tarq_fread(out, 2, 3, f), 6u);  // bytes, not items
  EXPECT_EQ(std::string(out, 6), "012345");
  EXPECT_FALSE(tarq_feof(f));
  EXPECT_EQ(tarq_fread(out, 4, 4, f), 4u);
  EXPECT_EQ(std::string(out, 4), "6789");
  EXPECT_TRUE(tarq_feof(f));
  EXPECT_EQ(tarq_fread(out, 1, 1, f), 0u);
  EXPECT_EQ(tarq_fgetc(f), 0);
  EXPECT_EQ(f->pos, 10);
  EXPECT_EQ(tarq_fread(out, SIZE_MAX, 2, f), 0u);
  tarq_fclose(f);
  EXPECT_EQ(tarq_fopen_memory(nullptr, 5), nullptr);
  EXPECT_EQ(tarq_fopen_memory(text, -1), nullptr);
}

TEST(MemoryStream, OwnedWritesGrowBorrowedWritesStopAtTheEnd) {
  tarq_file* b = tarq_create_buffer(0);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tarq_fwrite("abcdef", 2, 3, b), 6u);
  EXPECT_EQ(b->capacity, 12);
  EXPECT_EQ(tarq_fseek(b, -4, SEEK_CUR), 0);
  EXPECT_EQ(tarq_fwrite("XY", 1, 2, b), 2u);
  EXPECT_EQ(b->size, 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b->data), 6), "abXYef");
  EXPECT_EQ(tarq_fwrite("x", SIZE_MAX, 2, b), 0u);  // refused, nothing written
  EXPECT_EQ(b->size, 6);
  tarq_fclose(b);

  char block[6] = "hello";
  tarq_file* f = tarq_fopen_memory(block, 5);
  ASSERT_NE(f, nullptr);
  f->pos = 3;
  EXPECT_EQ(tarq_fwrite("LOOO", 1, 4, f), 2u);
  EXPECT_STREQ(block, "helLO");
  EXPECT_EQ(f->size, 5);
  EXPECT_EQ(tarq_fwrite("!", 1, 1, f), 0u);
  EXPECT_STREQ(block, "helLO");
  tarq_fclose(f);
}

// A relative seek may pass the end; one before the start, or beyond what the
// position can hold, is refused and leaves the position.
TEST(MemoryStream, RelativeSeeksMayPassTheEndButNotTheStart) {
  const struct {
    long offset;
    int whence;
    int result;
    int32_t pos;
  } cases[] = {{3, SEEK_CUR, 0, 8},
               {5, SEEK_CUR, 0, 10},
               {6, SEEK_CUR, 0, 11},
               {-5, SEEK_CUR, 0, 0},
               {-6, SEEK_CUR, -1, 5},
               {INT32_MAX - 5, SEEK_CUR, 0, INT32_MAX},
               {INT32_MAX - 4, SEEK_CUR, -1, 5},
               {LONG_MAX, SEEK_CUR, -1, 5},
               {LONG_MIN, SEEK_CUR, -1, 5},
               {2, SEEK_SET, 0, 5},
               {10, SEEK_END, 0, 5}};
  char block[10] = {};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset << " whence " << c.whence);
    tarq_file* f = tarq_fopen_memory(block, 10);
    f->pos = 5;
    EXPECT_EQ(tarq_fseek(f, c.offset, c.whence), c.result);
    EXPECT_EQ(f->pos, c.pos);
    tarq_fclose(f);
  }
}

// An owned buffer written after a seek past its end: the gap reads as zeros,
// even where the block held other bytes before it was cleared.
TEST(MemoryStream, AGapWrittenPastTheEndOfAnOwnedBufferIsZero) {
  tarq_file* b = tarq_create_buffer(16);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tarq_fwrite("secret!!", 1, 8, b), 8u);
  b = tarq_clear_buffer(b);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tarq_fwrite("ab", 1, 2, b), 2u);
  ASSERT_EQ(tarq_fseek(b, 4, SEEK_CUR), 0);
  EXPECT_EQ(tarq_fwrite("z", 1, 1, b), 1u);
  EXPECT_EQ(b->size, 7);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b->data), 7), std::string("ab\0\0\0\0z", 7));
  tarq_fclose(b);
}

TEST(MemoryStream, PastTheEndNothingIsReadOrWrittenInABorrowedBlock) {
  // A block of exactly its size, so that ASan sees any access past it.
  std::vector<char> block{'a', 'b', 'c', 'd'};
  tarq_file* f = tarq_fopen_memory(block.data(), 4);
  ASSERT_EQ(tarq_fseek(f, 6, SEEK_CUR), 0);
  EXPECT_TRUE(tarq_feof(f));
  char out[8] = {};
  EXPECT_EQ(tarq_fread(out, 1, 4, f), 0u);
  EXPECT_EQ(tarq_fgetc(f), 0);
  EXPECT_EQ(tarq_fgets(out, 8, f), nullptr);
  EXPECT_EQ(tarq_fgets_sensitive(out, 8, f), nullptr);
  EXPECT_EQ(tarq_fread_uint32(f), 0u);
  EXPECT_EQ(tarq_fwrite("xy", 1, 2, f), 0u);
  EXPECT_EQ(f->pos, 6);
  EXPECT_EQ(f->size, 4);
  EXPECT_EQ(std::string(block.data(), 4), "abcd");
  ASSERT_EQ(tarq_fseek(f, -4, SEEK_CUR), 0);  // back inside, the bytes are there again
  EXPECT_EQ(tarq_fread(out, 1, 4, f), 2u);
  EXPECT_EQ(std::string(out, 2), "cd");
  tarq_fclose(f);
}

TEST(MemoryStream, OtherKindsDoNothing) {
  char block[4] = "abc";
  tarq_file* f = tarq_fopen_memory(block, 3);
  f->kind = 7;
  char out[4] = {};
  EXPECT_EQ(tarq_fread(out, 1, 3, f), 0u);
  EXPECT_EQ(tarq_fwrite("x", 1, 1, f), 0u);
  EXPECT_EQ(tarq_fgetc(f), 0);
  EXPECT_EQ(tarq_fgets(out, 4, f), nullptr);
  EXPECT_EQ(tarq_fgets_sensitive(out, 4, f), nullptr);
  EXPECT_EQ(tarq_fread_uint32(f), 0u);
  EXPECT_EQ(tarq_feof(f), 0);
  EXPECT_EQ(tarq_fseek(f, 1, SEEK_CUR), 0);
  EXPECT_STREQ(block, "abc");
  tarq_fclose(f);
}

// Writes every member of the binary family, then checks the bytes.
void write_binary(tarq_file* f) {
  tarq_fwrite_uint8(0xA1, f);
  tarq_fwrite_int8(-2, f);
  tarq_fwrite_uint16(0xB2C3, f);
  tarq_fwrite_int16(-3, f);
  tarq_fwrite_uint32(0xD4E5F607, f);
  tarq_fwrite_int32(-4, f);
  tarq_fwrite_float(1.5f, f);
  const int32_t i32[2] = {1, -1};
  tarq_fwrite_int32s(i32, 2, f);
  const int16_t i16[2] = {0x0102, -2};
  tarq_fwrite_int16s(i16, 2, f);
}

const uint8_t binary_bytes[] = {0xA1, 0xFE, 0xC3, 0xB2, 0xFD, 0xFF, 0x07, 0xF6, 0xE5, 0xD4,
                                0xFC, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x3F, 1,    0,
                                0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0xFE, 0xFF};

void check_binary(tarq_file* f) {
  EXPECT_EQ(tarq_fread_uint8(f), 0xA1);
  EXPECT_EQ(tarq_fread_int8(f), -2);
  EXPECT_EQ(tarq_fread_uint16(f), 0xB2C3);
  EXPECT_EQ(tarq_fread_int16(f), -3);
  EXPECT_EQ(tarq_fread_uint32(f), 0xD4E5F607u);
  EXPECT_EQ(tarq_fread_int32(f), -4);
  EXPECT_EQ(tarq_fread_float(f), 1.5f);
  int32_t i32[2] = {};
  tarq_fread_int32s(i32, 2, f);
  EXPECT_EQ(i32[0], 1);
  EXPECT_EQ(i32[1], -1);
  int16_t i16[2] = {};
  tarq_fread_int16s(i16, 2, f);
  EXPECT_EQ(i16[0], 0x0102);
  EXPECT_EQ(i16[1], -2);
}

TEST_F(StreamFiles, BinaryValuesAreLittleEndianOnBothKinds) {
  tarq_file* b = tarq_create_buffer(0);
  write_binary(b);
  ASSERT_EQ(b->size, static_cast<int32_t>(sizeof binary_bytes));
  EXPECT_EQ(memcmp(b->data, binary_bytes, sizeof binary_bytes), 0);
  tarq_file* m = tarq_fopen_memory(b->data, b->size);
  check_binary(m);
  EXPECT_TRUE(tarq_feof(m));
  tarq_fclose(m);
  tarq_fclose(b);

  std::string path = (dir_ / "values.bin").string();
  tarq_file* w = tarq_fopen(path.c_str(), "wb");
  ASSERT_NE(w, nullptr);
  write_binary(w);
  tarq_fclose(w);
  EXPECT_EQ(read_file(path), std::string(reinterpret_cast<const char*>(binary_bytes), sizeof binary_bytes));
  tarq_file* r = tarq_fopen(path.c_str(), "rb");
  ASSERT_NE(r, nullptr);
  check_binary(r);
  EXPECT_EQ(tarq_fread_uint8(r), 0);
  tarq_fclose(r);
}

TEST(MemoryStream, ShortValueReadsKeepHighBytesZero) {
  const uint8_t bytes[] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  tarq_file* f = tarq_fopen_memory(bytes, 6);
  EXPECT_EQ(tarq_fread_uint32(f), 0x44332211u);
  EXPECT_EQ(tarq_fread_uint32(f), 0x6655u);
  EXPECT_TRUE(tarq_feof(f));
  EXPECT_EQ(tarq_fread_uint32(f), 0u);
  EXPECT_EQ(tarq_fread_int16(f), 0);
  EXPECT_EQ(f->pos, 6);
  tarq_fclose(f);
  const uint8_t one[] = {0xFF};
  f = tarq_fopen_memory(one, 1);
  EXPECT_EQ(tarq_fread_int16(f), 0xFF);  // no sign from the missing byte
  tarq_fclose(f);
}

TEST(MemoryStream, FormattedOutputWritesTheTextWithoutItsNul) {
  tarq_file* b = tarq_create_buffer(0);
  EXPECT_EQ(tarq_fprintf_1d(b, "n=%d;", -42), 0);
  EXPECT_EQ(tarq_fprintf_4x(b, "%02x%02x%02x%02x;", 1, 0xab, 2, 0xcd), 0);
  std::string long_text(3000, 'w');
  EXPECT_EQ(tarq_fprintf_1s(b, "[%s]", long_text.c_str()), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b->data), static_cast<size_t>(b->size)),
            "n=-42;01ab02cd;[" + long_text + "]");
  tarq_clear_buffer(b);
  EXPECT_EQ(tarq_fprintf_1d(b, (std::string(1100, 'p') + "%d").c_str(), 7), 0);
  EXPECT_EQ(b->size, 1023);  // cut at the buffer, never past it
  tarq_fclose(b);
}

TEST_F(StreamFiles, LoadFileReadsTheWholeRealFile) {
  std::string bytes;
  for (int i = 0; i < 200000; i++) bytes.push_back(static_cast<char>(i * 31 + (i >> 8)));
  std::string path = write_file("whole.bin", bytes);
  tarq_file* f = tarq_load_file(path.c_str());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->kind, TARQ_FILE_MEMORY);
  EXPECT_EQ(f->size, 200000);
  EXPECT_EQ(f->pos, 200000);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f->data), 200000), bytes);
  tarq_fclose(f);

  f = tarq_load_file(write_file("empty.bin", "").c_str());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->size, 0);
  tarq_fclose(f);
  EXPECT_EQ(tarq_load_file((dir_ / "missing.bin").c_str()), nullptr);
}

TEST_F(StreamFiles, CopyFileResults) {
  std::string from = write_file("from.txt", std::string(70000, 'c') + "end");
  std::string to = (dir_ / "to.txt").string();
  EXPECT_EQ(tarq_copy_file(from.c_str(), to.c_str()), 0);
  EXPECT_EQ(read_file(to), read_file(from));

  std::string none = (dir_ / "none.txt").string();
  std::string made = (dir_ / "made.txt").string();
  EXPECT_EQ(tarq_copy_file(none.c_str(), made.c_str()), 1);
  EXPECT_FALSE(fs::exists(made));
  EXPECT_EQ(tarq_copy_file(from.c_str(), (dir_ / "no/such/folder.txt").c_str()), 2);
  // A copy that fails on the way (a full disk) leaves the old file.
  std::string old_file = write_file("old.txt", "old bytes");
  {
    tovo_test::disk_full full(100);
    EXPECT_EQ(tarq_copy_file(from.c_str(), old_file.c_str()), 3);
  }
  EXPECT_EQ(read_file(old_file), "old bytes");
  EXPECT_FALSE(fs::exists(old_file + ".tmp"));
}

TEST_F(StreamFiles, WritingNeverFallsBackToTheVirtualDisk) {
  int before = vdisk_files();
  EXPECT_EQ(tarq_fopen((dir_ / "no/such/h2_written.txt").c_str(), "w"), nullptr);
  EXPECT_EQ(tarq_fopen((dir_ / "no/such/h2_written.txt").c_str(), "rb"), nullptr);
  EXPECT_EQ(vdisk_files(), before);
  EXPECT_EQ(tarq_fopen(nullptr, "r"), nullptr);
  EXPECT_EQ(tarq_fclose(nullptr), nullptr);
}

}  // namespace
