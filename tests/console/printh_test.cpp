// printh: standard output, "@clip", log file names and their rules, append
// and overwrite, the 10 MB cap and the 64-file registry.
#include <fstream>
#include <sstream>
#include <string>

#include "console/bindings/stat.h"
#include "console/print/host_output.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "tests/console/bindings_fixture.h"
#include "tests/console/output_folder.h"
#include "tests/support/fake_shell.h"
#include "tests/support/temp_dir.h"

namespace {

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class PrinthTest : public BindingsTest {
 protected:
  tovo_test::temp_home home;
  void SetUp() override {
    BindingsTest::SetUp();
    test_output_folder = home.path();
    tovo_reset_printh_log();
    install_fake_shell();
    tovo_shell().output_path_for = test_output_path;
  }
  void TearDown() override {
    tovo_set_player_clipboard(nullptr);
    BindingsTest::TearDown();
  }
  std::string file(const std::string& name) { return read_file(home.dir.file(name)); }
};

TEST_F(PrinthTest, StandardOutput) {
  testing::internal::CaptureStdout();
  run("printh('x') printh(true) printh({}) printh(12) printh() printh(nil)");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "x\ntrue\n[table]\n12\n[nil]\n");
}

TEST_F(PrinthTest, ClipboardFeedsStatFour) {
  run("printh('hi', '@clip')");
  EXPECT_EQ(results("stat(4)"), "\"hi\"");
  char* host = tarq_get_clipboard_text();
  EXPECT_STREQ(host, "hi");
  tarq_free(host);
}

TEST_F(PrinthTest, NameRules) {
  struct {
    const char* name;
    const char* error;  // "" accepted
  } cases[] = {
      {"My log", "printh: bad log file name"},  {"my-log", "printh: bad log file name"},
      {"../x", "printh: bad log file name"},    {"/abs", "printh: bad log file name"},
      {"", "printh: bad log file name"},        {"my log", ""},
      {"sub/..x", "printh: bad log file name"},
  };
  for (const auto& c : cases) EXPECT_EQ(error_of(std::string("printh('a', '") + c.name + "')"), c.error) << c.name;
  EXPECT_EQ(file("my log.kxl"), "a\n");
}

TEST_F(PrinthTest, ExtensionsKeptOrAdded) {
  run("printh('a', 'out.txt') printh('b', 'out') printh('c', 'out.dat') printh('d', 'p.csv')");
  EXPECT_EQ(file("out.txt"), "a\n");
  EXPECT_EQ(file("out.kxl"), "b\n");
  EXPECT_EQ(file("out.dat.kxl"), "c\n");
  EXPECT_EQ(file("p.csv"), "d\n");
}

TEST_F(PrinthTest, AppendOrOverwrite) {
  run("printh('one', 'log') printh('two', 'log')");
  EXPECT_EQ(file("log.kxl"), "one\ntwo\n");
  run("printh('three', 'log', true)");
  EXPECT_EQ(file("log.kxl"), "three\n");
}

TEST_F(PrinthTest, SixtyFifthFileIsRefused) {
  EXPECT_EQ(error_of("for i=1,64 do printh(i, 'f'..i) end"), "");
  EXPECT_EQ(error_of("printh('x', 'f65')"), "too many printh files");
  EXPECT_EQ(error_of("printh('again', 'f7')"), "");
  EXPECT_EQ(file("f7.kxl"), "7\nagain\n");
}

TEST_F(PrinthTest, PathsThatArePrefixesOfOthersCountApart) {
  run("printh('a', 'ab.txt')");
  EXPECT_EQ(error_of("for i=1,63 do printh(i, 'a'..i) end"), "");
  EXPECT_EQ(error_of("printh('x', 'a')"), "too many printh files");
}

TEST_F(PrinthTest, TenMegabyteCap) {
  EXPECT_EQ(error_of("s='0123456789' for i=1,10 do s=s..s end for i=1,1023 do printh(s, 'big') end"), "");
  // 1023 lines of 10240 bytes: 10475520; another 10240 passes the cap.
  EXPECT_EQ(error_of("printh(s, 'big')"), "printh: too much log data (10mb max)");
  EXPECT_EQ(error_of("printh(sub(s, 1, 9000), 'big')"), "");
}

TEST_F(PrinthTest, UnwritableFileShowsAMessage) {
  test_output_folder = home.dir.file("missing/folder");
  EXPECT_EQ(error_of("printh('a', 'x')"), "");
  EXPECT_STREQ(fake_shell.message, "printh: could not write file");
  EXPECT_EQ(fake_shell.message_ms, 1500);
}

TEST_F(PrinthTest, LongNamesAreRefused) {
  EXPECT_EQ(error_of("printh('a', '" + std::string(1100, 'a') + "')"), "printh: bad log file name");
}

}  // namespace
