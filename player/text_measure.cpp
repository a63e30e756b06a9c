#include "player/text_measure.h"

namespace {

constexpr unsigned GLYPHS_FROM = 128;
constexpr int32_t LAST_CONTROL_CODE = 15;

}  // namespace

int32_t visual_strlen(const char* text) {
  int32_t width = 0;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); c && *c; c++)
    width += *c >= GLYPHS_FROM ? 2 : 1;
  return width;
}

bool is_input_char(int32_t code) { return code > LAST_CONTROL_CODE; }
