// Replacing files whole: what a write that fails (a full disk) leaves, and
// links planted where a writer puts its files, for the replacement helper
// and each engine writer that uses it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/png.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/io/file_copy.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "tests/support/disk_full.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::disk_full;
using tovo_test::temp_dir;

const std::string OLD_BYTES = "the user's own bytes, kept until a whole new file stands";

std::string read(const std::string& path) {
  std::string text;
  return tovo_test::read_file(path, &text) ? text : "<missing>";
}

bool is_link(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Bytes that do not compress, so that every writer below writes more than
// the limits of the table (a kilobyte at most).
std::string noise(size_t n) {
  std::string s(n, 0);
  uint32_t x = 12345;
  for (char& c : s) {
    x = x * 1103515245u + 12345u;
    c = (char)(x >> 24);
  }
  return s;
}

tarq_bitmap* noisy_bitmap() {
  tarq_bitmap* b = tarq_create_bitmap(64, 64, 32);
  std::string bytes = noise(64 * 64 * 4);
  memcpy(b->pixels, bytes.data(), bytes.size());
  return b;
}

// One engine writer: writes the file `name` of the folder, and says whether
// it reported success; `prepare` (when given) makes what it reads first.
struct engine_writer {
  const char* what;
  const char* name;
  bool (*write)(const temp_dir& dir);
  void (*prepare)(const temp_dir& dir) = nullptr;
};

bool write_block(const temp_dir& dir) {
  std::string bytes = noise(65536);
  return tarq_replace_file(dir.file("block.bin").c_str(), bytes.data(), bytes.size()) == 0;
}

bool write_stream(const temp_dir& dir) {
  char temp[TARQ_PATH_MAX];
  std::string path = dir.file("stream.bin");
  tarq_file* f = tarq_open_replacement(path.c_str(), temp);
  if (!f) return false;
  std::string bytes = noise(1000);
  for (int i = 0; i < 64; i++) tarq_fwrite(bytes.data(), 1, bytes.size(), f);  // unchecked: the stream keeps the error
  return tarq_commit_replacement(f, temp, path.c_str(), true) == 0;
}

bool write_png(const temp_dir& dir) {
  tarq_bitmap* b = noisy_bitmap();
  bool ok = tarq_save_png(dir.file("picture.png").c_str(), b) == 0;
  tarq_destroy_bitmap(b);
  return ok;
}

bool write_config(const temp_dir& dir) {
  tarq_config_default();
  snprintf(cconfig.home_path, sizeof cconfig.home_path, "%s", dir.path.c_str());
  tarq_config_keep_as_read();
  return tarq_config_save() == TARQ_CONFIG_SAVED;
}

bool write_pod(const temp_dir& dir) {
  tarq_pod* pod = tarq_create_pod(4);
  cpod_add_item(pod, TARQ_ITEM_BITMAP, noisy_bitmap());
  bool ok = tarq_save_pod(dir.file("data.pod").c_str(), pod) == 0;
  tarq_destroy_pod(pod);
  return ok;
}

void make_source(const temp_dir& dir) { ASSERT_TRUE(tovo_test::write_file(dir.file("source.bin"), noise(70000))); }

bool write_copy(const temp_dir& dir) {
  return tarq_copy_file(dir.file("source.bin").c_str(), dir.file("copy.bin").c_str()) == 0;
}

const engine_writer WRITERS[] = {
    {"a block", "block.bin", write_block},       {"a stream", "stream.bin", write_stream},
    {"a PNG picture", "picture.png", write_png}, {"config.txt", "config.txt", write_config},
    {"a pod file", "data.pod", write_pod},       {"a copy", "copy.bin", write_copy, make_source},
};

struct EngineWriters : ::testing::Test {
  void TearDown() override { tarq_config_default(); }
};

TEST_F(EngineWriters, AFailedWriteKeepsTheOldFileAndSaysSo) {
  // Limits at which the first write fails, and at which a write fails on the way.
  for (rlim_t limit : {rlim_t{0}, rlim_t{200}, rlim_t{1000}}) {
    for (const engine_writer& w : WRITERS) {
      temp_dir dir;
      std::string path = dir.file(w.name);
      ASSERT_TRUE(tovo_test::write_file(path, OLD_BYTES));
      if (w.prepare) w.prepare(dir);
      bool reported;
      {
        disk_full full(limit);
        reported = w.write(dir);
      }
      EXPECT_FALSE(reported) << w.what << " at " << limit << " bytes";
      EXPECT_EQ(read(path), OLD_BYTES) << w.what << " at " << limit << " bytes";
      EXPECT_FALSE(tovo_test::file_exists(path + ".tmp")) << w.what;
    }
  }
  // With room on the disk each of them replaces the file.
  for (const engine_writer& w : WRITERS) {
    temp_dir dir;
    std::string path = dir.file(w.name);
    ASSERT_TRUE(tovo_test::write_file(path, OLD_BYTES));
    if (w.prepare) w.prepare(dir);
    EXPECT_TRUE(w.write(dir)) << w.what;
    EXPECT_NE(read(path), OLD_BYTES) << w.what;
    EXPECT_FALSE(tovo_test::file_exists(path + ".tmp")) << w.what;
  }
}

TEST_F(EngineWriters, LinksPlantedAtTheirNamesAreReplacedNotFollowed) {
  for (const char* planted : {".tmp", ""}) {  // at the temporary name, at the file's own name
    for (const engine_writer& w : WRITERS) {
      temp_dir dir;
      std::string path = dir.file(w.name);
      std::string victim = dir.file("victim");
      ASSERT_TRUE(tovo_test::write_file(victim, OLD_BYTES));
      ASSERT_EQ(symlink(victim.c_str(), (path + planted).c_str()), 0);
      if (w.prepare) w.prepare(dir);
      EXPECT_TRUE(w.write(dir)) << w.what << " link at " << planted;
      EXPECT_EQ(read(victim), OLD_BYTES) << w.what << " link at " << planted;
      EXPECT_FALSE(is_link(path)) << w.what;
      EXPECT_NE(read(path), OLD_BYTES) << w.what;
      EXPECT_FALSE(tovo_test::file_exists(path + ".tmp") || is_link(path + ".tmp")) << w.what;
    }
  }
}

TEST(Replacement, RefusalsLeaveNothingBehind) {
  temp_dir dir;
  std::string path = dir.file("kept.txt");
  ASSERT_TRUE(tovo_test::write_file(path, OLD_BYTES));
  char temp[TARQ_PATH_MAX];

  // The caller's own write failed.
  tarq_file* f = tarq_open_replacement(path.c_str(), temp);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::string(temp), path + ".tmp");
  tarq_fwrite("new", 1, 3, f);
  EXPECT_EQ(tarq_commit_replacement(f, temp, path.c_str(), false), 1);
  EXPECT_EQ(read(path), OLD_BYTES);
  EXPECT_FALSE(tovo_test::file_exists(path + ".tmp"));

  // A folder stands at the temporary name.
  ASSERT_EQ(mkdir((path + ".tmp").c_str(), 0755), 0);
  EXPECT_EQ(tarq_open_replacement(path.c_str(), temp), nullptr);
  EXPECT_EQ(tarq_replace_file(path.c_str(), "new", 3), 1);
  EXPECT_EQ(read(path), OLD_BYTES);
  rmdir((path + ".tmp").c_str());

  // A name whose temporary name does not fit a path, and no name.
  std::string longest = dir.path + "/" + std::string(TARQ_PATH_MAX - dir.path.size() - 4, 'n');
  EXPECT_EQ(tarq_open_replacement(longest.c_str(), temp), nullptr);
  EXPECT_EQ(temp[0], 0);
  EXPECT_EQ(tarq_open_replacement("", temp), nullptr);
  EXPECT_EQ(tarq_commit_replacement(nullptr, temp, path.c_str(), true), 1);

  // A folder where the file should be: not replaced.
  std::string folder = dir.file("folder");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  EXPECT_EQ(tarq_replace_file(folder.c_str(), "new", 3), 1);
  EXPECT_TRUE(tovo_test::is_directory(folder));
  EXPECT_FALSE(tovo_test::file_exists(folder + ".tmp"));

  // An empty block makes an empty file.
  EXPECT_EQ(tarq_replace_file(path.c_str(), nullptr, 0), 0);
  EXPECT_EQ(read(path), "");
}

}  // namespace
