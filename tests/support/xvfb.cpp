#include "tests/support/xvfb.h"

#include "tests/support/process.h"

namespace tovo_test {

uint32_t screen_dump::be32(size_t at) const {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + at;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool screen_dump::load(const std::string& path) {
  if (!read_file(path, &bytes) || bytes.size() < 100) return false;
  width = be32(16);
  height = be32(20);
  lsb_first = be32(28) == 0;
  bpp = be32(44);
  line = be32(48);
  data = be32(0) + be32(76) * 12;
  return bpp == 32 && uint64_t(data) + uint64_t(line) * height <= bytes.size();
}

uint32_t screen_dump::rgb(uint32_t x, uint32_t y) const {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + data + size_t(y) * line + size_t(x) * 4;
  const uint32_t v = lsb_first ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16
                               : uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16;
  return v & 0xFFFFFF;
}

int screen_dump::count(uint32_t colour) const {
  int n = 0;
  for (uint32_t y = 0; y < height; y++)
    for (uint32_t x = 0; x < width; x++) n += rgb(x, y) == colour;
  return n;
}

pid_t start_xvfb(const std::string& display, const temp_dir& fb, std::string* screen) {
  pid_t server =
      start_process({"Xvfb", display, "-screen", "0", "800x600x24", "-fbdir", fb.path, "-nolisten", "tcp"}, {}, fb);
  *screen = fb.file("Xvfb_screen0");
  if (server < 0) return server;
  for (int i = 0; i < 300 && !file_exists(*screen); i++) sleep_ms(10);
  sleep_ms(300);
  return server;
}

}  // namespace tovo_test
