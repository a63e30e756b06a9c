#pragma once
// The data pod that the build writes beside the program (or beside the
// program named by $TOVO_BINARY).
#include <cstdlib>
#include <string>

inline std::string built_datapod() {
  const char* binary = getenv("TOVO_BINARY");
  std::string path = binary ? binary : TOVO_TEST_BINARY;
  return path.substr(0, path.rfind('/') + 1) + "data.pod";
}
