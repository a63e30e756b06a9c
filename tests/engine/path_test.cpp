// Path texts: splitting, resolving, cleaning, trimming and names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "engine/io/path.h"
#include "engine/io/path_parts.h"

namespace {

struct split_case {
  const char* path;
  const char *dir, *name, *ext;  // plain
  const char *dname, *dext;      // with the double extension
};

TEST(Paths, SplitTable) {
  const split_case cases[] = {
      {"/x/y/game.kx.png", "/x/y/", "game.kx", ".png", "game", ".kx.png"},
      {"/a/.x", "/a/", "", ".x", "", ".x"},
      {"/a/.x.y", "/a/", ".x", ".y", "", ".x.y"},
      {"noext", "", "noext", "", "noext", ""},
      {"dir/", "dir/", "", "", "", ""},
      {"a.b/c", "a.b/", "c", "", "c", ""},
      {"c:\\x\\f.txt", "", "c:\\x\\f", ".txt", "c:\\x\\f", ".txt"},  // '/' only
      {"a.b.c.d", "", "a.b.c", ".d", "a.b", ".c.d"},
      {"", "", "", "", "", ""},
  };
  for (const split_case& c : cases) {
    SCOPED_TRACE(c.path);
    char dir[TARQ_PATH_MAX] = "?", name[TARQ_PATH_MAX] = "?", ext[TARQ_PATH_MAX] = "?";
    tarq_split_filename(c.path, dir, name, ext);
    EXPECT_STREQ(dir, c.dir);
    EXPECT_STREQ(name, c.name);
    EXPECT_STREQ(ext, c.ext);
    tarq_split_filename_ex(c.path, nullptr, name, ext, 1);
    EXPECT_STREQ(name, c.dname);
    EXPECT_STREQ(ext, c.dext);
  }
}

TEST(Paths, SplitRefusesOverLongPaths) {
  std::string path = "/" + std::string(1021, 'a') + ".x";  // 1024 bytes
  char dir[TARQ_PATH_MAX] = "?", name[TARQ_PATH_MAX] = "?", ext[TARQ_PATH_MAX] = "?";
  tarq_split_filename(path.c_str(), dir, name, ext);
  EXPECT_STREQ(dir, "");
  EXPECT_STREQ(name, "");
  EXPECT_STREQ(ext, "");
  path.pop_back();  // 1023 bytes fit
  tarq_split_filename(path.c_str(), dir, name, ext);
  EXPECT_STREQ(dir, "/");
  EXPECT_EQ(strlen(name), 1021u);
  EXPECT_STREQ(ext, ".");
}

// Sets HOME for one test and puts it back.
class HomeGuard {
 public:
  HomeGuard() {
    if (const char* h = getenv("HOME")) saved_ = h;
  }
  ~HomeGuard() {
    if (saved_) setenv("HOME", saved_->c_str(), 1);
    else unsetenv("HOME");
  }

 private:
  std::optional<std::string> saved_;
};

std::string resolved(const char* path, int expect_result = 0) {
  char out[TARQ_PATH_MAX + 8];
  memset(out, '#', sizeof out);
  EXPECT_EQ(tarq_resolve_filename(path, out), expect_result) << path;
  EXPECT_EQ(out[TARQ_PATH_MAX], '#') << "overrun";
  return out;
}

std::string current_folder() {
  char cwd[TARQ_PATH_MAX];
  EXPECT_NE(getcwd(cwd, sizeof cwd), nullptr);
  std::string s = cwd;
  return s == "/" ? s : s + "/";
}

TEST(Paths, ResolveTable) {
  const struct {
    const char *path, *out;
  } cases[] = {
      {"/a/./b/../c", "/a/c"},
      {"/a/b/", "/a/b/"},
      {"/..", "/"},
      {"/a/b/../../..", "/"},
      {"/a/b/..", "/a/"},
      {"/a/b/.", "/a/b/"},
      {"//a//b", "/a/b"},
      {"\\a\\b\\", "/a/b/"},
      {"C:\\dir\\f", "C:/dir/f"},
      {"C:/dir/../..", "C:/"},
      {"/a/.../b", "/a/.../b"},
      {"/a/.hidden/~x/..b", "/a/.hidden/~x/..b"},
      {"/", "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(resolved(c.path), c.out);
}

TEST(Paths, ResolveRelativePathsFromTheCurrentFolder) {
  std::string cwd = current_folder();
  EXPECT_EQ(resolved("f.txt"), cwd + "f.txt");
  EXPECT_EQ(resolved("./sub/../g"), cwd + "g");
  char in_place[TARQ_PATH_MAX] = "h/./i";
  EXPECT_EQ(tarq_resolve_filename(in_place, in_place), 0);
  EXPECT_EQ(in_place, cwd + "h/i");
}

TEST(Paths, ResolveTildeAsTheHomeFolder) {
  HomeGuard guard;
  setenv("HOME", "/tmp/h2home", 1);
  EXPECT_EQ(resolved("~/x"), "/tmp/h2home/x");
  EXPECT_EQ(resolved("~"), "/tmp/h2home/");
  EXPECT_EQ(resolved("/a/~/b"), "/tmp/h2home/b");
  setenv("HOME", "/tmp/h2home/", 1);
  EXPECT_EQ(resolved("~/x"), "/tmp/h2home/x");
  unsetenv("HOME");
  EXPECT_EQ(resolved("~/x"), current_folder() + "x");
  setenv("HOME", ("/" + std::string(1100, 'h')).c_str(), 1);
  EXPECT_EQ(resolved("~/x", 1), "");
}

TEST(Paths, ResolveRefusesOverLongPaths) {
  std::string fits = "/" + std::string(1022, 'a');
  EXPECT_EQ(resolved(fits.c_str()), fits);
  std::string too_long = fits + "/";
  EXPECT_EQ(resolved(too_long.c_str(), 1), "");
  EXPECT_EQ(resolved(("/" + std::string(2000, 'b')).c_str(), 1), "");
  EXPECT_EQ(resolved(std::string(1020, 'r').c_str(), 1), "");  // with the current folder in front
  EXPECT_EQ(resolved(nullptr, 1), "");
}

TEST(Paths, UnrollEndsInOneSeparator) {
  char out[TARQ_PATH_MAX];
  EXPECT_EQ(tarq_unroll_filename("/a/b", out), 4);
  EXPECT_STREQ(out, "/a/b/");
  EXPECT_EQ(tarq_unroll_filename("/a/b/", out), 4);
  EXPECT_STREQ(out, "/a/b/");
  EXPECT_EQ(tarq_unroll_filename(("/" + std::string(1022, 'a')).c_str(), out), -1);
  EXPECT_STREQ(out, "");
}

TEST(Paths, FixPathStringTable) {
  const struct {
    const char *in, *out;
  } cases[] = {
      {"  C:\\games\\\\tovo  ", "C:/games/tovo/"},
      {"   ", ""},
      {"", ""},
      {"/a//b", "/a/b/"},
      {"a\tb\x01/", "ab/"},
      {"/x/", "/x/"},
      {"//", "/"},
  };
  for (const auto& c : cases) {
    char out[TARQ_PATH_MAX];
    EXPECT_EQ(tarq_fix_path_string(c.in, out), out);
    EXPECT_STREQ(out, c.out) << c.in;
  }
  char in_place[TARQ_PATH_MAX] = " \\p\\\\q ";
  EXPECT_STREQ(tarq_fix_path_string(in_place, in_place), "/p/q/");
  const char* internal = tarq_fix_path_string("m\\n", nullptr);
  EXPECT_STREQ(internal, "m/n/");

  char out[TARQ_PATH_MAX + 8];
  memset(out, '#', sizeof out);
  std::string fits(1022, 'f');  // plus the '/' makes 1023
  EXPECT_STREQ(tarq_fix_path_string(fits.c_str(), out), (fits + "/").c_str());
  EXPECT_STREQ(tarq_fix_path_string((fits + "g").c_str(), out), "");
  EXPECT_STREQ(tarq_fix_path_string(std::string(3000, 'x').c_str(), out), "");
  EXPECT_EQ(out[TARQ_PATH_MAX], '#');
}

TEST(Paths, TrimTable) {
  const struct {
    const char *in, *out;
  } cases[] = {{"  a b \t\n", "a b"}, {"\x80x\x01", "\x80x"}, {"", ""}, {" \r\n ", ""}, {"plain", "plain"}};
  for (const auto& c : cases) EXPECT_STREQ(tarq_trim(c.in), c.out);
  const char* once = tarq_trim("  twice  ");
  EXPECT_STREQ(tarq_trim(once), "twice");  // the previous result may be trimmed again
  EXPECT_EQ(tarq_trim(nullptr), nullptr);
}

TEST(Paths, NamesAndFolders) {
  char ext[TARQ_PATH_MAX];
  tarq_get_filename_extension("a.b/c.txt", ext);
  EXPECT_STREQ(ext, "txt");
  tarq_get_filename_extension("a.b/c", ext);
  EXPECT_STREQ(ext, "b/c");
  tarq_get_filename_extension("none", ext);
  EXPECT_STREQ(ext, "");

  EXPECT_STREQ(tarq_get_filename_without_path("a/b\\c"), "c");
  EXPECT_STREQ(tarq_get_filename_without_path("c"), "c");
  EXPECT_STREQ(tarq_get_filename_without_path("a/"), "");
  EXPECT_EQ(tarq_get_filename_without_path(nullptr), nullptr);

  const struct {
    const char *in, *out;
  } folders[] = {{"a/b/c", "a/b/"}, {"a/b/", "a/"}, {"x", "x"}, {"xy", "x"}, {"C:f", "C:"}, {"a\\b", "a\\"}, {"", ""}};
  for (const auto& c : folders) EXPECT_STREQ(tarq_get_path_without_filename(c.in), c.out) << c.in;
  EXPECT_STREQ(tarq_get_path_without_filename(std::string(1500, 'z').c_str()), "");
  EXPECT_EQ(tarq_get_path_without_filename(nullptr), nullptr);

  char text[] = "a\\b\\c";
  tarq_fix_backslashes(text);
  EXPECT_STREQ(text, "a/b/c");
}

}  // namespace
