#pragma once
// Test helpers: temporary folders, a temporary HOME and small file utilities.
#include <string>

namespace tovo_test {

// A fresh folder under TMPDIR (or /tmp), removed with everything in it when
// the object goes away.
struct temp_dir {
  temp_dir();
  ~temp_dir();
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;
  std::string path;
  std::string file(const std::string& name) const { return path + "/" + name; }
};

// Points HOME at a fresh temporary folder (or unsets it) for the object's
// life, then puts the old value back.
struct temp_home {
  enum mode { fresh, unset };
  explicit temp_home(mode m = fresh);
  ~temp_home();
  temp_home(const temp_home&) = delete;
  temp_home& operator=(const temp_home&) = delete;
  temp_dir dir;
  std::string path() const { return dir.path; }

 private:
  bool had_home;
  std::string old_home;
};

// Sets an environment variable (or unsets it with a null value) for the
// object's life.
struct scoped_env {
  scoped_env(const char* name, const char* value);
  ~scoped_env();
  scoped_env(const scoped_env&) = delete;
  scoped_env& operator=(const scoped_env&) = delete;

 private:
  std::string name;
  bool had_value;
  std::string old_value;
};

bool read_file(const std::string& path, std::string* out);
bool write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);
bool is_directory(const std::string& path);

}  // namespace tovo_test
