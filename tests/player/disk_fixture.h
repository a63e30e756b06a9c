#pragma once
// A fixture for cart storage: a temporary HOME (the application folder with
// its cstore/, cdata/ and backup/ folders), a temporary folder for cart
// files, a machine with its cart and screens, and cleared storage state.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

struct tovo_cart;

struct disk_fixture : ::testing::Test {
  // Before any member of a derived fixture (a console capture) is made.
  disk_fixture();

  tovo_test::temp_home home;
  tovo_test::temp_dir dir;
  std::string appdata;  // ends in '/'

  void SetUp() override;
  void TearDown() override;

  std::string file(const std::string& name) const { return dir.file(name); }
  // Writes a text cart whose code is `code` (version 34 unless given).
  void write_text_cart(const std::string& path, const std::string& code, int version = 34) const;
  // The working cart's code, or "<none>".
  static std::string working_code();
  // A file's bytes, or "<missing>".
  static std::string read_file(const std::string& path);
  static void write_file(const std::string& path, const std::string& bytes);
};
