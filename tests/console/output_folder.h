#pragma once
// The cart's output folder for tests: a fixture points test_output_folder at
// a temporary folder and makes test_output_path the port's output_path_for.
#include <cstdio>
#include <string>

#include "engine/io/path.h"

inline std::string test_output_folder;

inline int test_output_path(const char* name, char* out) {
  int n = snprintf(out, TARQ_PATH_MAX, "%s/%s", test_output_folder.c_str(), name);
  return n < 0 || n >= TARQ_PATH_MAX;
}
