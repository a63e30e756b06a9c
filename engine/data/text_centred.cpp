// Bitmap-font text centred on a point.
#include "engine/data/text_centred.h"

#include "engine/data/text.h"

int32_t tarq_draw_text_c(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y) {
  return tarq_draw_text_ex(b, text, font, x, y, TARQ_TEXT_CENTRE, 0);
}
