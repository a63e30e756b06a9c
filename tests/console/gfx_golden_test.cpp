// Composed scenes drawn through the script bindings, compared byte for byte
// with 128x128 golden images (one byte a pixel) in tests/console/golden/.
// TOVO_UPDATE_GOLDEN=1 rewrites the goldens; TOVO_GOLDEN_PNG=folder also
// writes each scene as a PNG through the console palette, to look at.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/console/gfx_fixture.h"
#include "tests/console/golden.h"

namespace {

// The base colours of data/palette.txt.
std::vector<unsigned char> palette_rgb() {
  std::vector<unsigned char> rgb(16 * 3, 0);
  std::ifstream in(std::string(TOVO_TEST_SOURCE_DIR) + "/data/palette.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    int index, r, g, b;
    if (line.empty() || line[0] == '#' || !(fields >> index >> r >> g >> b) || index < 0 || index > 15) continue;
    rgb[index * 3] = static_cast<unsigned char>(r);
    rgb[index * 3 + 1] = static_cast<unsigned char>(g);
    rgb[index * 3 + 2] = static_cast<unsigned char>(b);
  }
  return rgb;
}

class GoldenTest : public ScriptDrawTest {
 protected:
  // Compares the screen with the golden image, or writes it when asked.
  void check(const std::string& name) {
    const std::vector<uint8_t> image(screen()->pixels, screen()->pixels + GOLDEN_BYTES);
    if (const char* folder = std::getenv("TOVO_GOLDEN_PNG"))
      write_png(std::string(folder) + "/" + name + ".png", image);
    check_golden(name, image);
  }

  // The image at four times its size, to look at.
  void write_png(const std::string& path, const std::vector<uint8_t>& image) {
    constexpr unsigned SCALE = 4, SIDE = 128 * SCALE;
    const std::vector<unsigned char> rgb = palette_rgb();
    std::vector<unsigned char> pixels(SIDE * SIDE * 3);
    for (unsigned y = 0; y < SIDE; y++) {
      for (unsigned x = 0; x < SIDE; x++) {
        const uint8_t c = image[(y / SCALE) * 128 + x / SCALE] & 15;
        for (unsigned k = 0; k < 3; k++) pixels[(y * SIDE + x) * 3 + k] = rgb[c * 3 + k];
      }
    }
    lodepng::encode(path, pixels, SIDE, SIDE, LCT_RGB);
  }

  void draw(const std::string& code) { ASSERT_EQ(run(code), "") << code; }
};

TEST_F(GoldenTest, Shapes) {
  draw(R"(
    cls(1)
    rectfill(4, 4, 60, 40, 2)
    fillp(0x5a5a) rectfill(8, 8, 56, 36, 0x9e) fillp()
    rect(2, 2, 62, 42, 7)
    circfill(96, 24, 18, 12) circ(96, 24, 20, 10)
    fillp(0xcc33.8) circfill(96, 24, 10, 8) fillp()
    oval(4, 50, 60, 80, 11) ovalfill(10, 56, 54, 74, 3)
    for i = 0, 15 do line(96, 100, 66 + i * 4, 127 - (i % 4) * 9, i) end
    line(70, 50) line(120, 56, 9) line(124, 90) line(70, 50)
    camera(-4, -90) clip(0, 84, 64, 44)
    circfill(28, 18, 30, 14) circ(28, 18, 24, 5)
    clip() camera()
    pset(0, 127, 7) pset(127, 0, 7)
  )");
  poke(0x5f5e, 0x3c);  // write mask 12, read mask 3
  draw("rectfill(64, 44, 127, 48, 15)");
  poke(0x5f5e, 0xff);
  check("shapes");
}

TEST_F(GoldenTest, Sprites) {
  poke(0x5f55, 0);  // draw into the sheet to make the sprites
  draw(R"(
    cls(0)
    circfill(3, 3, 3, 8) pset(2, 2, 7)
    rectfill(8, 0, 15, 7, 12) rect(9, 1, 14, 6, 7) pset(14, 6, 0)
    line(16, 0, 23, 7, 10) line(23, 0, 16, 7, 9) pset(16, 7, 0)
    for i = 0, 7 do line(24, i, 24 + i, i, 3 + i) end
    ovalfill(0, 8, 15, 15, 4) oval(0, 8, 15, 15, 15)
  )");
  poke(0x5f55, 0x60);
  draw(R"(
    cls(1)
    for i = 0, 3 do spr(i, 4 + i * 12, 4) end
    spr(3, 56, 4, 1, 1, true, false) spr(3, 68, 4, 1, 1, false, true)
    spr(16, 84, 4, 2, 1) spr(16, 104, 4, 2, 1, true, true)
    sspr(0, 0, 32, 8, 0, 20, 128, 32)
    sspr(0, 0, 8, 8, 8, 60, -24, 24)
    pal(8, 14) pal(12, 11) palt(0, false) spr(0, 40, 60, 2, 1) pal() palt()
    palt(12, true) spr(1, 64, 60) palt()
    sspr(8, 0, 8, 8, 80, 56, 40, 40)
    fillp(0xa5a5.4) spr(2, 4, 100, 2, 2) fillp()
    spr(0, 124, 124) spr(1, -4, 120)
  )");
  check("sprites");
}

TEST_F(GoldenTest, MapAndTexturedFloor) {
  for (int n = 0; n < 4; n++) {
    for (int y = 0; y < 8; y++) {
      for (int x = 0; x < 8; x++) {
        const int v = n == 0   ? ((x ^ y) & 4 ? 3 : 11)
                      : n == 1 ? (x == 0 || y == 0 ? 5 : 4)
                      : n == 2 ? 12 + (x + y) % 3
                               : ((x * y) & 3) + 8;
        sheet(8 + n * 8 + x, y, static_cast<uint8_t>(v));
      }
    }
  }
  draw(R"(
    for y = 0, 31 do for x = 0, 31 do mset(x, y, 1 + (x + y * 3) % 4) end end
    mset(2, 2, 0) mset(3, 2, 0)
    cls(0)
    map(0, 0, -4, -4, 18, 6)
    for y = 48, 127 do
      local z = 64 / (y - 40)
      tline(0, y, 127, y, 4 - z * 4, z * 2, z / 16, 0)
    end
  )");
  poke(0x5f38, 2);
  poke(0x5f39, 2);
  draw("tline(0, 44, 127, 44, 0, 0, 0.25, 0) tline(10, 46, 60, 40, 0, 0)");
  check("map_floor");
}

}  // namespace
