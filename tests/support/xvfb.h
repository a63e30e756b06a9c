#pragma once
// Test helpers for a virtual X server whose screen is kept in a file
// (Xvfb's -fbdir), and for reading that screen back.
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "tests/support/temp_dir.h"

namespace tovo_test {

// The screen as an X window dump: a big-endian header, a colour map, then
// rows of 32-bit pixels.
struct screen_dump {
  std::string bytes;
  uint32_t width = 0, height = 0, bpp = 0, line = 0, lsb_first = 0, data = 0;

  bool load(const std::string& path);
  uint32_t rgb(uint32_t x, uint32_t y) const;
  // How many pixels have this colour.
  int count(uint32_t colour) const;

 private:
  uint32_t be32(size_t at) const;
};

// Starts Xvfb on display (an 800x600 screen kept in fb) and waits for its
// screen file to appear; the server's pid (or -1). *screen gets the file's path.
pid_t start_xvfb(const std::string& display, const temp_dir& fb, std::string* screen);

}  // namespace tovo_test
