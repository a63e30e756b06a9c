// Include directives are refused; every other line passes unchanged. The
// loader that would read what an include line names.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "console/machine/cart.h"
#include "console/run/include.h"
#include "console/run/include_loader.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "tests/support/fake_shell.h"
#include "tests/support/temp_dir.h"

namespace {

struct flattened {
  int status;
  std::string out;
  tovo_text_result result;
};

flattened flatten(const std::string& text, int32_t size = 262144) {
  std::vector<char> out(static_cast<size_t>(size), 'x');
  flattened f;
  f.status = tovo_flatten_includes(text.c_str(), out.data(), size, &f.result);
  f.out = out.data();
  return f;
}

TEST(Include, LinesStartingWithIncludeAreRefused) {
  const struct {
    const char* text;
    const char* before;  // what out holds after the refusal
  } cases[] = {
      {"#include lib.lua", ""},
      {"  #include lib.lua", ""},
      {"x = 1\n\t #include lib.lua\ny = 2", "x = 1\n"},
      {"a\n--[[c]] b\n#include a:1\n", "a\n--[[c]] b\n"},
  };
  for (const auto& c : cases) {
    const flattened f = flatten(c.text);
    EXPECT_EQ(f.status, 1) << c.text;
    EXPECT_EQ(f.result.status, 1);
    EXPECT_STREQ(f.result.message, "can not #include");
    EXPECT_STREQ(f.result.detail, "");
    EXPECT_EQ(f.out, c.before) << c.text;
  }
}

TEST(Include, OtherLinesAreCopiedByteForByte) {
  const char* cases[] = {
      "x=1 #include y",              // not at the line start
      "#includes\n#include\n",       // no blank after the word
      "--[[\n#include x\n]] y = 1",  // inside a comment that began on an earlier line
      "s = [[\n  #include x\n]]",    // inside a long string
      "a\r\nb\n\n",
      "",
      "\"unclosed\n#include\tx",
  };
  for (const char* text : cases) {
    const flattened f = flatten(text);
    EXPECT_EQ(f.status, 0) << text;
    EXPECT_EQ(f.result.status, 0);
    EXPECT_EQ(f.out, text);
  }
}

TEST(Include, TextThatDoesNotFitIsRefusedWhole) {
  const std::string text(100, 'a');
  const flattened small = flatten(text, 100);  // no room for the NUL
  EXPECT_EQ(small.status, 2);
  EXPECT_EQ(small.out, "");
  EXPECT_STREQ(small.result.message, "program exceeds char limit");
  EXPECT_STREQ(small.result.detail, "100 / 65536 chars\n");
  EXPECT_EQ(flatten(text, 101).out, text);
}

TEST(Include, TheTableStaysEmpty) {
  flatten("x = 1\n");
  EXPECT_EQ(last_included_files(), 0);
  EXPECT_EQ(included_start(0), 0);
  EXPECT_EQ(included_end(0), 0);
  EXPECT_EQ(included_name(0), nullptr);
  EXPECT_EQ(included_name(-1), nullptr);
}

TEST(Include, EveryLineIsCheckedHoweverMany) {
  const std::string lines(70000, '\n');
  EXPECT_EQ(flatten(lines + "#include x").status, 1);
  EXPECT_EQ(flatten(lines + "x = 1").out, lines + "x = 1");
}

// The text an include line names: a cart's code or one tab of it, or a
// plain text file with its byte-order mark recognised.
class IncludeLoaderTest : public testing::Test {
 protected:
  tovo_test::temp_dir dir;
  static std::string root;

  void SetUp() override {
    install_fake_shell();
    root = dir.path + "/root/";
    mkdir(root.c_str(), 0755);
    mkdir((dir.path + "/carts").c_str(), 0755);
    std::snprintf(fake_shell.current_filename, sizeof fake_shell.current_filename, "%s/carts/game.kx",
                  dir.path.c_str());
    tovo_shell().root_path = [] { return root.c_str(); };
  }
  void write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  // Files named ".kx" are carts of three tabs; every other file is none.
  static tovo_cart* read_cart(const char* path) {
    const std::string p = path;
    if (p.size() < 3 || p.compare(p.size() - 3, 3, ".kx") != 0) return nullptr;
    tovo_cart* cart = tarq_create_tovo_cart();
    std::snprintf(cart->code, TOVO_CODE_SIZE, "a=1\n-->8\nb=2\n-->8\nc=3");
    return cart;
  }
  std::pair<int, std::string> load(const std::string& line, int32_t size = 4096) {
    std::vector<char> out(static_cast<size_t>(size), 'x');
    int r = tovo_load_include(line.c_str(), read_cart, out.data(), size);
    return {r, out.data()};
  }
};
std::string IncludeLoaderTest::root;

TEST_F(IncludeLoaderTest, CartsGiveTheirCodeOrOneTab) {
  const struct {
    const char* line;
    int status;
    const char* text;
  } cases[] = {
      {"#include lib.kx", 0, "a=1\n-->8\nb=2\n-->8\nc=3"},
      {"  \t#include lib.kx:1  ", 0, "b=2"},
      {"#include lib.kx:2\n", 0, "c=3"},
      {"#include lib.kx:0", 0, "a=1"},
      {"#include lib.kx:a", 1, ""},  // tab 10: the cart has three
      {"#includes lib.kx", 1, ""},
      {"#include ", 1, ""},
      {"x=1", 1, ""},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    auto [status, text] = load(c.line);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, c.status) << c.line;
    EXPECT_EQ(text, c.text) << c.line;
  }
  // The missing tab is named on the console (standard output, headless).
  const auto saved = run_state();
  run_state().exec = 1;
  run_state().running = 0;
  testing::internal::CaptureStdout();
  load("#include lib.kx:3");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "could not find tab 3\n");
  run_state() = saved;
  EXPECT_EQ(load("#include lib.kx", 8).first, 1);  // does not fit: refused, not cut
  EXPECT_EQ(load("#include lib.kx", 8).second, "");
}

TEST_F(IncludeLoaderTest, PlainTextFilesByTheirByteOrderMarks) {
  const std::string carts = dir.path + "/carts/";
  const struct {
    const char* name;
    std::string bytes;
    const char* text;
  } cases[] = {
      {"plain.lua", "x=1\r\ny=2\n", "x=1\ny=2\n"},
      {"utf8.lua", "\xef\xbb\xbfx=\xc3\xa9", "x=\xc3\xa9"},
      {"utf16le.lua", std::string("\xff\xfex\0=\0\xe9\x01", 8), "x=\xe9"},
      {"utf16be.lua", std::string("\xfe\xff\0x\0=\x01\xe9", 8), "x=\xe9"},
      {"utf32le.lua", std::string("\xff\xfe\0\0x\0\0\0\r\0\0\0", 12), "x"},
      {"utf32be.lua", std::string("\0\0\xfe\xff\0\0\0y", 8), "y"},
  };
  for (const auto& c : cases) {
    write(carts + c.name, c.bytes);
    auto [status, text] = load(std::string("#include ") + c.name);
    EXPECT_EQ(status, 0) << c.name;
    EXPECT_EQ(text, c.text) << c.name;
  }
  // At most 131071 bytes are read.
  write(carts + "big.lua", std::string(200000, 'z'));
  auto big = load("#include big.lua", 300000);
  EXPECT_EQ(big.second.size(), 131071u);
  EXPECT_EQ(load("#include missing.lua").first, 1);
}

TEST_F(IncludeLoaderTest, SlashNamesComeFromTheRootFolder) {
  write(root + "shared.lua", "from root");
  write(dir.path + "/carts/shared.lua", "beside the cart");
  EXPECT_EQ(load("#include /shared.lua").second, "from root");
  EXPECT_EQ(load("#include shared.lua").second, "beside the cart");
  // With no cart file current: the root folder and the current folder.
  fake_shell.current_filename[0] = 0;
  mkdir((root + "sub").c_str(), 0755);
  write(root + "sub/shared.lua", "in the current folder");
  std::snprintf(fake_shell.current_folder, sizeof fake_shell.current_folder, "sub/");
  EXPECT_EQ(load("#include shared.lua").second, "in the current folder");
  // A path that does not fit is refused.
  EXPECT_EQ(load("#include " + std::string(1100, 'n')).first, 1);
}

}  // namespace
