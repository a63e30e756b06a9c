// The machine's screen rendered for the shell's display, and the tv frame.
#include "player/capture/screen_convert.h"

#include <cstring>

#include "console/draw/screen_render.h"
#include "engine/data/gfx.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t N = 128;

tovo_screen_view shell_view() { return {shell.program_started, shell.mode == TOVO_MODE_RUNNING ? 1 : 0}; }

}  // namespace

void blit_tovo_back_page_to_tovo_screen_into(int32_t page, tarq_bitmap* dst) {
  tovo_render_screen(page, dst, shell_view());
}

void blit_tovo_back_page_to_tovo_screen(int32_t page) { blit_tovo_back_page_to_tovo_screen_into(page, shell.display); }

void draw_tv_frame(tarq_bitmap* b, const tarq_bitmap* frame, const tarq_palette* pal) {
  if (!b || b->depth != 8 || b->width < N || b->height < N || !pal) return;
  int32_t ox = (b->width - N) / 2, oy = (b->height - N) / 2;
  for (int32_t y = N - 1; y >= 0; y--) memmove(b->rows[y + oy] + ox, b->rows[y], N);
  // What the picture left behind at the top and the left is cleared.
  for (int32_t y = 0; y < oy; y++) memset(b->rows[y], 0, (size_t)b->width);
  for (int32_t y = oy; y < oy + N; y++) memset(b->rows[y], 0, (size_t)ox);
  tarq_palette out;
  memcpy(&out, tarq_video.tarq_video_palette ? tarq_video.tarq_video_palette : pal, sizeof out);
  out.rgb[255][0] = 73;
  out.rgb[255][1] = 51;
  out.rgb[255][2] = 59;
  int32_t side[2][64][3];
  for (int32_t k = 0; k < 64; k++)
    for (int32_t s = 0; s < 2; s++) {
      int64_t sum[3] = {0, 0, 0}, weights = 0;
      for (int32_t r = 0; r < 2; r++)
        for (int32_t i = 0; i < 64; i++) {
          int32_t x = s == 0 ? i : 64 + i;
          const uint8_t* c = pal->rgb[b->rows[oy + 2 * k + r][ox + x]];
          int32_t w = c[0] + c[1] + c[2] + (s == 0 ? 80 - x : x - 47);
          for (int32_t ch = 0; ch < 3; ch++) sum[ch] += (int64_t)w * c[ch];
          weights += w;
        }
      for (int32_t ch = 0; ch < 3; ch++) side[s][k][ch] = weights > 0 ? (int32_t)(sum[ch] / weights) : 0;
    }
  for (int32_t pass = 0; pass < 128; pass++) {
    int32_t(*e)[3] = side[pass % 2];
    for (int32_t k = 0; k < 64; k++)
      for (int32_t ch = 0; ch < 3; ch++) {
        int32_t before = e[k > 0 ? k - 1 : k][ch], after = e[k < 63 ? k + 1 : k][ch];
        e[k][ch] = (6 * e[k][ch] + before + after) / 8;
      }
  }
  for (int32_t s = 0; s < 2; s++)
    for (int32_t k = 0; k < 64; k++) {
      uint32_t fc = 0;
      if (frame && frame->depth == 32 && frame->width >= 3 && frame->height > 0)
        fc = tarq_row32(frame, frame->height * k / 64)[s == 0 ? 1 : frame->width - 2];
      for (int32_t ch = 0; ch < 3; ch++) {
        int32_t base = (int32_t)((fc >> (16 - 8 * ch)) & 0xff) + side[s][k][ch] / 5;
        out.rgb[(s == 0 ? 16 : 144) + k][ch] = (uint8_t)(base > 255 ? 255 : base);
      }
    }
  tarq_set_palette(&out);
  for (int32_t y = 0; y < b->height; y++) {
    int32_t k = 64 * y / b->height;
    for (int32_t x = 0; x < 3; x++) {
      b->rows[y][x] = (uint8_t)(16 + k);
      b->rows[y][b->width - 1 - x] = (uint8_t)(144 + k);
    }
  }
  b->rows[0][0] = 255;
}
