// The virtual disk: files shared by name, whatever the folder, and the
// fallback of read opens.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/io/file.h"

namespace {

std::string contents(tarq_file* f) {
  return std::string(reinterpret_cast<char*>(f->data), static_cast<size_t>(f->size));
}

TEST(VirtualDisk, FilesAreSharedByNameAcrossFolders) {
  tarq_file* w = tarq_fopen_vdisk("/some/folder/h2_share.kx", "w");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->vdisk, 1);
  EXPECT_STREQ(w->name, "h2_share.kx");
  EXPECT_TRUE(vdisk_file_owned(w));
  EXPECT_EQ(tarq_fwrite("hello", 1, 5, w), 5u);
  EXPECT_EQ(tarq_fclose(w), nullptr);  // stays on the disk

  // No real file of that name: read modes fall back to the virtual disk.
  tarq_file* r = tarq_fopen("/no/such/place/h2_share.kx", "rb");
  ASSERT_EQ(r, w);
  EXPECT_EQ(r->pos, 0);
  EXPECT_EQ(contents(r), "hello");
  tarq_file* r2 = tarq_fopen("h2_share.kx", "r");
  ASSERT_EQ(r2, r);
  char two[3] = {};
  tarq_fread(two, 1, 2, r);
  EXPECT_EQ(tarq_fgetc(r2), 'l');  // one record, one position
  tarq_fclose(r);
  tarq_fclose(r2);

  EXPECT_EQ(tarq_fopen_vdisk("/x/H2_SHARE.kx", "r"), nullptr);  // keys are case-sensitive
  EXPECT_EQ(tarq_fopen_vdisk("/x/h2_share.KX", "r"), nullptr);
  EXPECT_EQ(tarq_fopen_vdisk("/x/h2_share.kx", "a"), nullptr);
  EXPECT_EQ(tarq_fopen_vdisk("/x/h2_absent.kx", "r"), nullptr);
  EXPECT_EQ(tarq_fopen("/no/such/place/h2_share.kx", "w"), nullptr);
  EXPECT_FALSE(vdisk_file_owned(nullptr));
}

TEST(VirtualDisk, WriteModeEmptiesAnExistingFile) {
  tarq_file* f = tarq_fopen_vdisk("a/h2_rewrite.txt", "w");
  ASSERT_NE(f, nullptr);
  tarq_fwrite("a long first text", 1, 17, f);
  int32_t capacity = f->capacity;
  tarq_fclose(f);

  tarq_file* g = tarq_fopen_vdisk("b/h2_rewrite.txt", "wb");
  ASSERT_EQ(g, f);
  EXPECT_EQ(g->size, 0);
  EXPECT_EQ(g->pos, 0);
  EXPECT_EQ(g->capacity, capacity);
  tarq_fwrite("new", 1, 3, g);
  tarq_fclose(g);

  tarq_file* r = tarq_fopen("c/h2_rewrite.txt", "r");
  ASSERT_EQ(r, f);
  char buf[64];
  EXPECT_STREQ(tarq_fgets_sensitive(buf, sizeof buf, r), "new");
  EXPECT_EQ(tarq_fgets_sensitive(buf, sizeof buf, r), nullptr);
  EXPECT_STREQ(reinterpret_cast<char*>(r->data), "new");  // nothing of the old text behind it
  tarq_fclose(r);
}

TEST(VirtualDisk, KeysThatDoNotFitAreRefused) {
  int before = vdisk_files();
  // A 63-character key, new on each run (the disk is never emptied).
  static int run = 0;
  std::string number = std::to_string(1000 + run++ % 1000).substr(1);
  std::string fits = "/d/" + std::string(56, 'k') + number + ".txt";
  std::string too_long = "/d/" + std::string(60, 'k') + ".txt";
  tarq_file* f = tarq_fopen_vdisk(fits.c_str(), "w");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(strlen(f->name), 63u);
  EXPECT_EQ(tarq_fopen_vdisk(too_long.c_str(), "w"), nullptr);
  EXPECT_EQ(tarq_fopen_vdisk(too_long.c_str(), "r"), nullptr);
  EXPECT_EQ(tarq_fopen_vdisk("/d/folder/", "w"), nullptr);
  EXPECT_EQ(tarq_fopen_vdisk((std::string(1100, 'p') + "/h2.txt").c_str(), "w"), nullptr);
  EXPECT_EQ(vdisk_files(), before + 1);
  // The table reads back the new file last, and nothing outside its count.
  EXPECT_EQ(vdisk_file(before), f);
  for (int i : {-1, before + 1, TARQ_VDISK_MAX_FILES}) EXPECT_EQ(vdisk_file(i), nullptr) << i;
}

// Run in a child process: the table is never emptied.
int fill_the_disk() {
  bool ok = true;
  while (vdisk_files() < TARQ_VDISK_MAX_FILES) {
    std::string name = "h2_fill_" + std::to_string(vdisk_files()) + ".bin";
    ok = ok && tarq_fopen_vdisk(name.c_str(), "w") != nullptr;
  }
  tarq_file* first = vdisk_file(0);
  ok = ok && tarq_fopen_vdisk("h2_one_too_many.bin", "w") == nullptr;
  ok = ok && vdisk_files() == TARQ_VDISK_MAX_FILES;
  ok = ok && tarq_fopen_vdisk(first->name, "w") == first;  // existing files still open
  ok = ok && tarq_fopen_vdisk(first->name, "r") == first;
  return ok ? 0 : 1;
}

TEST(VirtualDiskDeathTest, TheTableRefusesFilesPastItsEnd) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(fill_the_disk()), testing::ExitedWithCode(0), "");
}

}  // namespace
