#pragma once
// Golden images of the screen (128x128) or of a back page: one byte a pixel,
// rows of `width` pixels, in tests/console/golden/<name>.raw.
// TOVO_UPDATE_GOLDEN=1 rewrites them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

constexpr size_t GOLDEN_BYTES = 128 * 128;

// Compares image (rows of `width` pixels) with the golden called name, or
// writes it there when TOVO_UPDATE_GOLDEN=1.
inline void check_golden(const std::string& name, const std::vector<uint8_t>& image, int width = 128) {
  const std::string path = std::string(TOVO_TEST_SOURCE_DIR) + "/tests/console/golden/" + name + ".raw";
  const char* update = std::getenv("TOVO_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    ASSERT_TRUE(out.good()) << path;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(golden.size(), image.size()) << "missing golden, or one of another size: " << path;
  int differing = 0, first = -1;
  for (size_t i = 0; i < image.size(); i++) {
    if (image[i] != golden[i]) {
      if (first < 0) first = static_cast<int>(i);
      differing++;
    }
  }
  EXPECT_EQ(differing, 0) << name << ": first difference at (" << first % width << ", " << first / width << ")";
}
