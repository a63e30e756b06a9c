#include "tests/support/temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tovo_test {

temp_dir::temp_dir() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/tovo_test_XXXXXX";
  char* made = mkdtemp(pattern.data());
  path = made ? made : "";
}

temp_dir::~temp_dir() {
  if (path.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

temp_home::temp_home(mode m) {
  const char* home = getenv("HOME");
  had_home = home != nullptr;
  if (home) old_home = home;
  if (m == unset) unsetenv("HOME");
  else setenv("HOME", dir.path.c_str(), 1);
}

temp_home::~temp_home() {
  if (had_home) setenv("HOME", old_home.c_str(), 1);
  else unsetenv("HOME");
}

scoped_env::scoped_env(const char* n, const char* value) : name(n) {
  const char* old = getenv(n);
  had_value = old != nullptr;
  if (old) old_value = old;
  if (value) setenv(n, value, 1);
  else unsetenv(n);
}

scoped_env::~scoped_env() {
  if (had_value) setenv(name.c_str(), old_value.c_str(), 1);
  else unsetenv(name.c_str());
}

bool read_file(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  *out = text.str();
  return true;
}

bool write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  out << text;
  return static_cast<bool>(out);
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool is_directory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tovo_test
