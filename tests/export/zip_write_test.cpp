// The exporter's archives as an archive lister shows them: Unix modes from
// names and folders, hidden entries left out, and a second archive replacing
// the first.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <sstream>
#include <string>

#include "player/export/export_bin.h"
#include "player/export/zip_write.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::temp_dir;

// Entry name -> "permissions version system" as `unzip -Z` lists it.
std::map<std::string, std::string> list_archive(const std::string& zip) {
  temp_dir out;
  std::map<std::string, std::string> entries;
  pid_t pid = tovo_test::start_process({"unzip", "-Z", zip}, {}, out);
  if (pid < 0 || tovo_test::wait_for(pid, 30000) != 0) return entries;
  std::string text;
  tovo_test::read_file(out.file("stdout.txt"), &text);
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string perms, version, system, size, kind, method, date, time, name;
    if (!(fields >> perms >> version >> system >> size >> kind >> method >> date >> time >> name)) continue;
    if (perms.size() != 10) continue;  // the header and total lines
    // clang-format off
    entries[name] = perms + " " + version + " " + system;
    // clang-format on
  }
  return entries;
}

void make_file(const std::string& path, const std::string& text) { ASSERT_TRUE(tovo_test::write_file(path, text)); }

TEST(ExportArchive, ModesFollowNamesAndFolders) {
  if (!tovo_test::on_path("unzip")) GTEST_SKIP() << "unzip is not installed";
  temp_dir dir;
  std::string pkg = dir.file("linux");
  mkdir(pkg.c_str(), 0755);
  mkdir((pkg + "/docs").c_str(), 0755);
  make_file(pkg + "/data.pod", "pod");
  make_file(pkg + "/game", "program");
  make_file(pkg + "/game.png", "png");
  make_file(pkg + "/readme", "read me");
  make_file(pkg + "/tool.exe", "exe");
  make_file(pkg + "/.hidden", "not archived");
  make_file(pkg + "/docs/notes.txt", "notes");
  std::string zip = dir.file("game_linux.zip");
  ASSERT_EQ(generate_zip_file(zip.c_str(), pkg.c_str(), "game_linux/"), 0);

  std::map<std::string, std::string> want = {
      {"game_linux/data.pod", "-rw-r--r-- 3.0 unx"},       {"game_linux/game", "-rwxrwxr-x 3.0 unx"},
      {"game_linux/game.png", "-rw-r--r-- 3.0 unx"},       {"game_linux/readme", "-rwxrwxr-x 3.0 unx"},
      {"game_linux/tool.exe", "-rwxrwxr-x 3.0 unx"},       {"game_linux/docs/", "drwxrwxr-x 3.0 unx"},
      {"game_linux/docs/notes.txt", "-rw-r--r-- 3.0 unx"},
  };
  EXPECT_EQ(list_archive(zip), want);
}

TEST(ExportArchive, ASecondArchiveReplacesTheFirst) {
  if (!tovo_test::on_path("unzip")) GTEST_SKIP() << "unzip is not installed";
  temp_dir dir;
  std::string pkg = dir.file("raspi");
  mkdir(pkg.c_str(), 0755);
  make_file(pkg + "/old.txt", "old");
  std::string zip = dir.file("game_raspi.zip");
  ASSERT_EQ(generate_zip_file(zip.c_str(), pkg.c_str(), "game_raspi/"), 0);
  ASSERT_EQ(remove((pkg + "/old.txt").c_str()), 0);
  make_file(pkg + "/new.txt", "new");
  ASSERT_EQ(generate_zip_file(zip.c_str(), pkg.c_str(), "game_raspi/"), 0);
  std::map<std::string, std::string> want = {{"game_raspi/new.txt", "-rw-r--r-- 3.0 unx"}};
  EXPECT_EQ(list_archive(zip), want);
}

TEST(ExportArchive, AdditionsWithoutForceNewAppend) {
  if (!tovo_test::on_path("unzip")) GTEST_SKIP() << "unzip is not installed";
  temp_dir dir;
  std::string zip = dir.file("a.zip");
  mz_set_force_create_new_file();
  ASSERT_TRUE(mz_zip_add_mem_to_archive_file_in_place(zip.c_str(), "one", "1", 1, nullptr, 0, 9));
  ASSERT_TRUE(mz_zip_add_mem_to_archive_file_in_place(zip.c_str(), "two.txt", "2", 1, nullptr, 0, 0));
  std::map<std::string, std::string> want = {{"one", "-rw-r--r-- 3.0 unx"}, {"two.txt", "-rw-r--r-- 3.0 unx"}};
  EXPECT_EQ(list_archive(zip), want);
}

TEST(ExportArchive, ExecutableSwitchCoversExactlyTheNextEntry) {
  mz_set_executable_bit_on_next_file();
  EXPECT_EQ(tovo_zip_entry_attributes(TOVO_ZIP_DIRECTORY_BIT), 0x41FD0010u);  // a folder still uses it up
  EXPECT_EQ(tovo_zip_entry_attributes(0), 0x81A40000u);
  mz_set_executable_bit_on_next_file();
  EXPECT_EQ(tovo_zip_entry_attributes(0), 0x81FD0000u);
  EXPECT_EQ(tovo_zip_entry_attributes(0), 0x81A40000u);
}

TEST(ExportArchive, RefusesFoldersDeeperThan32) {
  temp_dir dir;
  std::string zip = dir.file("deep.zip");
  EXPECT_EQ(add_to_zip_file(zip.c_str(), dir.path.c_str(), "x/", 33), 1);
  EXPECT_FALSE(tovo_test::file_exists(zip));
}

}  // namespace
