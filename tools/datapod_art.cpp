// Pictures drawn by the data-pod tool.
#include "tools/datapod_art.h"

#include <cmath>
#include <cstring>

#include "engine/data/gfx.h"
#include "engine/data/text.h"

namespace {

uint32_t argb(int r, int g, int b) { return 0xff000000u | (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b; }

void recolour(tarq_bitmap* b, int x0, int y0, int x1, int y1, int from, int to) {
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++)
      if (x >= 0 && y >= 0 && x < b->width && y < b->height && b->rows[y][x] == from) b->rows[y][x] = (uint8_t)to;
}

tarq_bitmap* copy8(const tarq_bitmap* src) {
  tarq_bitmap* b = tarq_create_bitmap(src->width, src->height, 8);
  if (b) memcpy(b->pixels, src->pixels, (size_t)src->width * src->height);
  return b;
}

}  // namespace

tarq_bitmap* tovo_art_to_32(const tarq_bitmap* src, const tarq_palette* pal, int32_t scale) {
  tarq_bitmap* b = tarq_create_bitmap(src->width * scale, src->height * scale, 32);
  if (!b) return nullptr;
  for (int y = 0; y < b->height; y++)
    for (int x = 0; x < b->width; x++) {
      int v = src->rows[y / scale][x / scale];
      const uint8_t* c = pal->rgb[v];
      tarq_row32(b, y)[x] = v == 0 ? 0 : argb(c[0], c[1], c[2]);
    }
  return b;
}

tarq_bitmap* tovo_art_controller(const tarq_bitmap* base, int32_t k) {
  tarq_bitmap* b = copy8(base);
  if (!b) return nullptr;
  // The d-pad is centred on (5,5); O and X are the red pads; pause the dark bar.
  struct area {
    int x0, y0, x1, y1, from;
  };
  static const area areas[7] = {{4, 5, 4, 5, 7},   {6, 5, 6, 5, 7},   {5, 4, 5, 4, 7},  {5, 6, 5, 6, 7},
                                {18, 7, 21, 9, 8}, {21, 3, 24, 6, 8}, {12, 6, 17, 7, 1}};
  for (int i = 0; i < 7; i++)
    if (k == i || k == 7)
      recolour(b, areas[i].x0, areas[i].y0, areas[i].x1, areas[i].y1, areas[i].from, k == 7 ? 11 : 10);
  return b;
}

tarq_bitmap* tovo_art_spinner(int32_t f) {
  tarq_bitmap* b = tarq_create_bitmap(12, 12, 8);
  if (!b) return nullptr;
  static const int trail[4] = {7, 6, 13, 5};
  for (int j = 0; j < 12; j++) {
    double a = 2 * M_PI * j / 12;
    int x = (int)lround(5.5 + 4.5 * sin(a)), y = (int)lround(5.5 - 4.5 * cos(a));
    int age = (f - j + 12) % 12;
    b->rows[y][x] = (uint8_t)(age < 4 ? trail[age] : 1);
  }
  return b;
}

tarq_bitmap* tovo_art_download_spinner(int32_t f) {
  tarq_bitmap* b = tarq_create_bitmap(12, 12, 8);
  if (!b) return nullptr;
  tarq_rect(b, 0, 8, 11, 11, 6);
  tarq_rectfill(b, 1, 9, 1 + (f * 9) / 15, 10, 12);
  int y = (f / 2) % 4;  // the arrow falls into the bar
  tarq_vline(b, 5, y, y + 3, 7);
  tarq_vline(b, 6, y, y + 3, 7);
  tarq_hline(b, 3, 8, y + 3, 7);
  tarq_hline(b, 4, 7, y + 4, 7);
  return b;
}

tarq_bitmap* tovo_art_controls(tarq_pod* font) {
  tarq_bitmap* b = tarq_create_bitmap(100, 90, 8);
  if (!b) return nullptr;
  tarq_rectfill(b, 0, 0, 99, 89, 1);
  tarq_rect(b, 1, 1, 98, 88, 13);
  tarq_hline(b, 4, 95, 37, 13);
  tarq_hline(b, 4, 95, 66, 13);
  tarq_draw_text_ex(b, "p1", font, 4, 20, TARQ_TEXT_ONE_COLOUR, 12);
  tarq_draw_text_ex(b, "p2", font, 4, 47, TARQ_TEXT_ONE_COLOUR, 14);
  tarq_draw_text_ex(b, "controls", font, 34, 4, TARQ_TEXT_ONE_COLOUR, 7);
  // Pads for the button lamps: directions at y 14 and 41, O and X at 25 and 52.
  for (int p = 0; p < 2; p++) {
    int y = 14 + 27 * p;
    tarq_rectfill(b, 16, y - 1, 51, y + 8, 0);
    tarq_rectfill(b, 16, y + 10, 35, y + 19, 0);
  }
  return b;
}

tarq_bitmap* tovo_art_tv_frame() {
  tarq_bitmap* b = tarq_create_bitmap(8, 64, 32);
  if (!b) return nullptr;
  for (int y = 0; y < 64; y++)
    for (int x = 0; x < 8; x++) {
      int shade = 40 + (y * 30) / 63 + ((y / 4) % 2) * 6 - (x == 0 || x == 7 ? 12 : 0);
      tarq_row32(b, y)[x] = argb(shade + 20, shade, shade + 10);
    }
  return b;
}

tarq_bitmap* tovo_art_cart_template(tarq_pod* font, const tarq_palette* pal) {
  tarq_bitmap* b = tarq_create_bitmap(160, 205, 32);
  if (!b) return nullptr;
  const uint8_t* night = pal->rgb[1];
  uint32_t outside = argb(night[0], night[1], night[2]);
  uint32_t body = argb(44, 42, 56), edge = argb(72, 70, 92), shadow = argb(28, 26, 36);
  tarq_rectfill(b, 0, 0, 159, 204, outside);
  tarq_rectfill(b, 6, 2, 153, 202, body);
  tarq_rectfill(b, 2, 6, 157, 198, body);
  tarq_hline(b, 6, 153, 2, edge);
  tarq_vline(b, 2, 6, 198, edge);
  tarq_hline(b, 6, 153, 202, shadow);
  tarq_vline(b, 157, 6, 198, shadow);
  // Grip ridges at the top, the label window and the name plate.
  for (int i = 0; i < 5; i++) tarq_hline(b, 24, 135, 7 + 3 * i, edge);
  tarq_rectfill(b, 14, 22, 145, 153, shadow);
  tarq_rectfill(b, 16, 24, 143, 151, argb(0, 0, 0));
  tarq_rectfill(b, 14, 162, 145, 196, shadow);
  tarq_rect(b, 14, 162, 145, 196, edge);
  tarq_draw_text_ex(b, "tovo", font, 138, 3, TARQ_TEXT_ONE_COLOUR, argb(255, 120, 180));
  return b;
}

tarq_bitmap* tovo_art_tile(int32_t n) {
  tarq_bitmap* b = tarq_create_bitmap(8, 8, 8);
  if (!b) return nullptr;
  int a = 1 + n % 15, c = 1 + (n * 7 + 3) % 15;
  if (c == a) c = a % 15 + 1;
  tarq_rect(b, 0, 0, 7, 7, a);
  switch (n % 4) {
    case 0: tarq_line(b, 1, 1, 6, 6, c); break;
    case 1: tarq_rectfill(b, 3, 3, 4, 4, c); break;
    case 2: tarq_hline(b, 1, 6, 3 + n % 2, c); break;
    default: tarq_vline(b, 3 + n % 2, 1, 6, c); break;
  }
  return b;
}
