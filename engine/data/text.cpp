// Drawing and measuring text with bitmap fonts.
#include <algorithm>
#include <cstring>

#include "engine/data/pod.h"
#include "engine/data/text.h"

namespace {

struct font_sets {
  int32_t size;   // glyphs per set: 256 or 96
  int32_t first;  // the code of a set's first glyph
};

font_sets sets_of(const tarq_pod* font) {
  if (font->count % 256 == 0) return {256, 0};
  return {96, 32};
}

int32_t advance_of(const tarq_bitmap* g) { return g ? g->width + tarq_fonts.tarq_font_spacing : 0; }

int32_t total_width(const char* text, const tarq_pod* font) {
  int64_t total = 0;
  for (const char* p = text; *p; p++) total += advance_of(tarq_font_glyph(font, 0, static_cast<unsigned char>(*p)));
  return static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
}

// The depth of a set: that of its first glyph, or of the first glyph it has
// when that one is missing; 0 for a set without glyphs.
int32_t set_depth(const tarq_pod* font, int32_t set, int32_t size) {
  for (int32_t i = set; i < set + size && i < font->count; i++)
    if (const auto* g = static_cast<const tarq_bitmap*>(cpod_get_item(font, i, TARQ_ITEM_BITMAP))) return g->depth;
  return 0;
}

// The set drawn into a bitmap of the given depth: the first set of that
// depth, else the last set in one colour.
int32_t choose_set(const tarq_pod* font, int32_t depth, bool* one_colour) {
  const font_sets s = sets_of(font);
  int32_t last = 0;
  for (int32_t k = 0; k < font->count; k += s.size) {
    last = k;
    if (set_depth(font, k, s.size) == depth) return k;
  }
  *one_colour = true;
  return last;
}

}  // namespace

tarq_bitmap* tarq_font_glyph(const tarq_pod* font, int32_t set, int32_t code) {
  if (!font) return nullptr;
  const font_sets s = sets_of(font);
  if (code < s.first || code >= s.first + s.size) return nullptr;
  return static_cast<tarq_bitmap*>(cpod_get_item(font, set + code - s.first, TARQ_ITEM_BITMAP));
}

int32_t tarq_get_text_width(const char* text, tarq_pod* font) {
  if (!text || !font) return 0;
  return total_width(text, font) - tarq_fonts.tarq_font_spacing;
}

int32_t tarq_draw_text_ex(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y, int32_t flags,
                          uint32_t colour) {
  if (!b || b == tarq_video.tarq_screen || !font || !text) return y;
  const int32_t total = total_width(text, font);
  const int32_t start_x = x;
  const int32_t saved_clip_x0 = b->clip_x0;
  bool kept_inside = false;
  if ((flags & TARQ_TEXT_KEEP_INSIDE) &&
      static_cast<int64_t>(b->clip_x1) - x < static_cast<int64_t>(total) - tarq_fonts.tarq_font_spacing) {
    x = b->clip_x1 + tarq_fonts.tarq_font_spacing - total;
    b->clip_x0 = std::min(b->clip_x0 + 15, b->clip_x1);
    kept_inside = true;
  }
  int64_t aligned = x;
  if (flags & TARQ_TEXT_CENTRE) aligned -= (static_cast<int64_t>(total) - tarq_fonts.tarq_font_spacing) / 2;
  if (flags & TARQ_TEXT_RIGHT) aligned -= static_cast<int64_t>(total) - tarq_fonts.tarq_font_spacing;
  x = static_cast<int32_t>(std::clamp<int64_t>(aligned, INT32_MIN, INT32_MAX));

  bool one_colour = flags & TARQ_TEXT_ONE_COLOUR;
  const int32_t set = one_colour ? 0 : choose_set(font, b->depth, &one_colour);
  int32_t line_height = 0;
  for (const char* p = text; *p; p++) {
    const int32_t c = static_cast<unsigned char>(*p);
    tarq_bitmap* g = tarq_font_glyph(font, set, c);
    int32_t w = 0;
    if (g) {
      if (one_colour) tarq_draw_sprite_col(g, b, 0, 0, x, y, g->width, g->height, colour, 0);
      else tarq_draw_sprite(g, b, 0, 0, x, y, g->width, g->height);
      line_height = std::max(line_height, g->height);
      w = g->width + tarq_fonts.tarq_font_spacing;
      x = static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(w));
    }
    if (c == '\n' || ((flags & TARQ_TEXT_WRAP) && static_cast<int64_t>(b->clip_x1) - w < x)) {
      x = start_x;
      y = static_cast<int32_t>(static_cast<uint32_t>(y) +
                               static_cast<uint32_t>(line_height + tarq_fonts.tarq_font_spacing));
      line_height = 0;
    }
  }
  if (kept_inside) {
    b->clip_x0 = saved_clip_x0;
    tarq_draw_text(b, "..", tarq_fonts.tarq_font1, b->clip_x0, y);
  }
  return y;
}

int32_t tarq_draw_text(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y) {
  return tarq_draw_text_ex(b, text, font, x, y, 0, 0);
}

int32_t tarq_draw_text_phat(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y, int32_t flags,
                            uint32_t outline, uint32_t colour) {
  for (int32_t dy = -1; dy <= 1; dy++)
    for (int32_t dx = -1; dx <= 1; dx++)
      tarq_draw_text_ex(b, text, font, static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(dx)),
                        static_cast<int32_t>(static_cast<uint32_t>(y) + static_cast<uint32_t>(dy)),
                        flags | TARQ_TEXT_ONE_COLOUR, outline);
  return tarq_draw_text_ex(b, text, font, x, y, flags, colour);
}
