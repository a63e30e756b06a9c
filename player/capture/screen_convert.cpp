// Screen conversion, screen modes and presentation effects.
#include "player/capture/screen_convert.h"

#include <cstring>

#include "console/draw/extpal_glitch.h"
#include "console/machine/cart.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/platform/present.h"
#include "engine/tarq.h"
#include "player/shell_state.h"

namespace {

constexpr int N = 128;

bool row_bit(int32_t y) { return (pstate.ram[TOVO_REG_ROW_BITS + y / 8] >> (y % 8)) & 1; }

void swap_rows(tarq_bitmap* b, int32_t a, int32_t c) {
  uint8_t tmp[N];
  memcpy(tmp, b->rows[a], N);
  memcpy(b->rows[a], b->rows[c], N);
  memcpy(b->rows[c], tmp, N);
}

}  // namespace

void blit_tovo_back_page_to_tovo_screen_into(int32_t page, tarq_bitmap* dst) {
  if (!dst) return;
  const tarq_bitmap* src = pstate.screens[page & 3];
  if (shell.program_started && pstate.ram[TOVO_REG_DRAW_TARGET] == TOVO_TARGET_SHEET && pstate.cart && pstate.cart->gfx)
    src = pstate.cart->gfx;
  if (!shell.program_started) src = pstate.screens[0];
  if (!src) return;
  int32_t mode = pstate.ram[TOVO_REG_PAL_MODE];
  const int32_t* display = pstate.screen_pal;
  const int32_t* second = pstate.secondary_pal;
  bool glitch = false;
  bool running = shell.mode == TOVO_MODE_RUNNING;
  for (int32_t y = 0; y < N; y++) {
    const uint8_t* s = src->rows[y];
    uint8_t* d = dst->rows[y];
    if (mode == TOVO_PAL_MODE_ROWS) {
      const int32_t* pal = row_bit(y) ? second : display;
      for (int32_t x = 0; x < N; x++) d[x] = (uint8_t)(pal[s[x] & 15] & 0x8f);
      glitch = true;
    } else if (mode == TOVO_PAL_MODE_HALVES && pstate.screen_mode == 1 && running) {
      for (int32_t x = 0; x < 64; x++) d[x] = (uint8_t)((s[x + 64] ? second : display)[s[x] & 15] & 0x8f);
      glitch = true;
    } else if (mode >= TOVO_PAL_MODE_COLOUR && mode <= TOVO_PAL_MODE_COLOUR_LAST) {
      int32_t colour = mode - TOVO_PAL_MODE_COLOUR;
      int32_t entry = row_bit(y) ? (y / 8 + 1) % 16 : y / 8;
      for (int32_t x = 0; x < N; x++)
        d[x] = (uint8_t)(((s[x] & 15) == colour ? second[entry] : display[s[x] & 15]) & 0x8f);
      glitch = true;
    } else {
      for (int32_t x = 0; x < N; x++) d[x] = (uint8_t)(display[s[x] & 15] & 0x8f);
    }
  }
  if (glitch) activate_extpal_glitch();
  if (running && shell.program_started) apply_draw_mode(dst, pstate.screen_mode);
}

void blit_tovo_back_page_to_tovo_screen(int32_t page) { blit_tovo_back_page_to_tovo_screen_into(page, shell.display); }

void apply_draw_mode(tarq_bitmap* b, int32_t v) {
  int32_t a = v & ~0x40, c = v & ~0x42;
  if (c == 1)
    for (int32_t y = 0; y < N; y++)
      for (int32_t x = N - 1; x >= 0; x--) b->rows[y][x] = b->rows[y][x / 2];
  if (a == 2 || a == 3)
    for (int32_t y = N - 1; y >= 0; y--) memcpy(b->rows[y], b->rows[y / 2], N);
  if (c == 5)
    for (int32_t y = 0; y < N; y++)
      for (int32_t x = 0; x < 64; x++) b->rows[y][N - 1 - x] = b->rows[y][x];
  if (a == 6 || a == 7)
    for (int32_t y = 0; y < 64; y++) memcpy(b->rows[N - 1 - y], b->rows[y], N);
  if (a == 130 || a == 131 || a == 134)
    for (int32_t y = 0; y < 64; y++) swap_rows(b, y, N - 1 - y);
  if (a == 129 || a == 131 || a == 134)
    for (int32_t y = 0; y < N; y++)
      for (int32_t x = 0; x < 64; x++) {
        uint8_t t = b->rows[y][x];
        b->rows[y][x] = b->rows[y][N - 1 - x];
        b->rows[y][N - 1 - x] = t;
      }
  if (a == 133 || a == 135) {
    static uint8_t copy[N][N];
    for (int32_t y = 0; y < N; y++) memcpy(copy[y], b->rows[y], N);
    for (int32_t y = 0; y < N; y++)
      for (int32_t x = 0; x < N; x++) {
        if (a == 133) b->rows[x][N - 1 - y] = copy[y][x];  // (x,y) -> (127-y, x)
        else b->rows[N - 1 - x][y] = copy[y][x];           // (x,y) -> (y, 127-x)
      }
  }
}

void draw_extpal_glitch(tarq_bitmap* b, int32_t now) {
  if (!b || b->depth != 8 || b->width < N || b->height < N) return;
  uint32_t s = (uint32_t)(now / 4000) + 101;
  for (int32_t y = 0; y < N; y += 2) {
    uint32_t p = (uint32_t)(y / 2);
    uint8_t* row = b->rows[y];
    uint8_t first = row[0];
    memmove(row, row + 1, N - 1);
    row[N - 1] = first;
    if (y % 4 != 0) continue;
    for (uint32_t j = 0; j < N - 1; j++) {
      int32_t f = (int32_t)(s * (111514403u + 222806u * p) + j * s * (101101u + 202u * p));
      if ((j & 6) == 0 && f % 19 != 0) {
        row[j] ^= 0x80;
        if ((row[j] & 15) == 0) row[j] = 1;
      }
    }
  }
}

void draw_tv_frame(tarq_bitmap* b, const tarq_bitmap* frame, const tarq_palette* pal) {
  if (!b || b->depth != 8 || b->width < N || b->height < N || !pal) return;
  int32_t ox = (b->width - N) / 2, oy = (b->height - N) / 2;
  for (int32_t y = N - 1; y >= 0; y--) memmove(b->rows[y + oy] + ox, b->rows[y], N);
  // What the picture left behind at the top and the left is cleared.
  for (int32_t y = 0; y < oy; y++) memset(b->rows[y], 0, (size_t)b->width);
  for (int32_t y = oy; y < oy + N; y++) memset(b->rows[y], 0, (size_t)ox);
  tarq_palette out;
  memcpy(&out, tarq_video_palette ? tarq_video_palette : pal, sizeof out);
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
