// Styled text with the synthetic font compared byte for byte with 128x128
// golden images (one byte a pixel) in tests/console/golden/.
// TOVO_UPDATE_GOLDEN=1 rewrites them; TOVO_GOLDEN_PNG=folder also writes
// each scene as a grey-level PNG to look at.
#include <lodepng.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/console/golden.h"
#include "tests/console/print_fixture.h"

namespace {

class PrintGoldenTest : public PrintTest {
 protected:
  void check(const std::string& name) {
    const std::vector<uint8_t> image(screen()->pixels, screen()->pixels + GOLDEN_BYTES);
    if (const char* folder = std::getenv("TOVO_GOLDEN_PNG")) {
      std::vector<unsigned char> grey(GOLDEN_BYTES);
      for (size_t i = 0; i < GOLDEN_BYTES; i++) grey[i] = static_cast<unsigned char>(image[i] * 17);
      lodepng_encode_file((std::string(folder) + "/" + name + ".png").c_str(), grey.data(), 128, 128, LCT_GREY, 8);
    }
    check_golden(name, image);
  }
};

TEST_F(PrintGoldenTest, Styles) {
  ASSERT_EQ(run("cls(1)\n"
                "print('plain \\^wwide', 2, 2, 7)"
                "print('\\^ttall \\^w\\^tboth', 2, 10, 10)"
                "print('\\^w\\^t\\^.\\x01\\x02\\x04\\x08\\x10\\x20\\x40\\x80stripe', 2, 26, 12)"
                "print('\\^ppinball', 2, 40, 14)"
                "print('\\^iinverted', 2, 56, 8)"
                "print('\\^i\\^-bno border', 50, 56, 8)"
                "print('\\#5solid \\^-#clear', 2, 66, 0)"
                "fillp(0x5a5a) print('\\#2pattern', 2, 76, 7) fillp()"
                "print('\\^:ff818181818181ff\\^:0066667e66663c00', 2, 86, 11)"
                "print('\\^x6\\^y8wider taller', 2, 98, 9)"
                "print('\\x80\\x81\\x90 \\14\\15 back', 2, 110, 6)"),
            "");
  check("print_styles");
}

TEST_F(PrintGoldenTest, WrapColoursAndScroll) {
  ASSERT_EQ(run("cls(0)\n"
                "for i = 0, 25 do print('line ' .. i .. ' \\fcblue\\f7 \\#3on\\^-# \\-eback', 6 + i % 8) end\n"
                "print('a long line that wraps at the right edge of the screen and goes on', 9)"),
            "");
  check("print_wrap_scroll");
}

}  // namespace
