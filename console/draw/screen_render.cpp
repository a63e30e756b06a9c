// The screen through the palettes, then through the screen mode.
#include "console/draw/screen_render.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define TOVO_ROW_SHUFFLE 1
#endif

#include "console/draw/extpal_glitch.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"

namespace {

constexpr int32_t N = 128;
constexpr int32_t HALF = N / 2;
constexpr uint8_t SHOWN_COLOUR_MASK = 0x8f;  // colours 0-15 and the extended 128-143
// Screen mode bits that leave the picture as it is.
constexpr int32_t MODE_IGNORED_BIT = 0x40;
constexpr int32_t MODE_MIRROR_BIT = 0x02;  // ignored by the horizontal stretch and mirror

bool row_bit(int32_t y) { return (pstate().ram[TOVO_REG_ROW_BITS + y / 8] >> (y % 8)) & 1; }

uint8_t shown(int32_t colour) { return static_cast<uint8_t>(colour & SHOWN_COLOUR_MASK); }

// What each of the sixteen colours is shown as, through one palette.
struct colour_table {
  alignas(16) uint8_t shown_as[16];
};

colour_table table_of(const int32_t* pal) {
  colour_table t;
  for (int32_t c = 0; c < 16; c++) t.shown_as[c] = shown(pal[c]);
  return t;
}

// Rows y0 up to y1 of src, N pixels each, through the table into dst, by the
// low four bits of each pixel.
void convert_rows_bytes(const tarq_bitmap* src, tarq_bitmap* dst, int32_t y0, int32_t y1, const colour_table& t) {
  for (int32_t y = y0; y < y1; y++) {
    const uint8_t* s = src->rows[y];
    uint8_t* d = dst->rows[y];
    for (int32_t x = 0; x < N; x++) d[x] = t.shown_as[s[x] & 15];
  }
}

#ifdef TOVO_ROW_SHUFFLE
// Sixteen pixels at a time: a byte shuffle is a lookup in a sixteen-entry table.
__attribute__((target("ssse3"))) void convert_rows_shuffle(const tarq_bitmap* src, tarq_bitmap* dst, int32_t y0,
                                                           int32_t y1, const colour_table& t) {
  const __m128i table = _mm_load_si128(reinterpret_cast<const __m128i*>(t.shown_as));
  const __m128i low = _mm_set1_epi8(15);
  for (int32_t y = y0; y < y1; y++) {
    const uint8_t* s = src->rows[y];
    uint8_t* d = dst->rows[y];
    for (int32_t x = 0; x < N; x += 16) {
      const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_shuffle_epi8(table, _mm_and_si128(px, low)));
    }
  }
}

bool can_shuffle() {
  static const bool supported = __builtin_cpu_supports("ssse3");
  return supported;
}
#endif

void convert_rows(const tarq_bitmap* src, tarq_bitmap* dst, int32_t y0, int32_t y1, const colour_table& t) {
#ifdef TOVO_ROW_SHUFFLE
  if (can_shuffle()) return convert_rows_shuffle(src, dst, y0, y1, t);
#endif
  convert_rows_bytes(src, dst, y0, y1, t);
}

void swap_rows(tarq_bitmap* b, int32_t a, int32_t c) {
  uint8_t tmp[N];
  memcpy(tmp, b->rows[a], N);
  memcpy(b->rows[a], b->rows[c], N);
  memcpy(b->rows[c], tmp, N);
}

const tarq_bitmap* source_of(int32_t page, const tovo_screen_view& view) {
  if (!view.program_started) return pstate().screens[0];
  if (pstate().ram[TOVO_REG_DRAW_TARGET] == TOVO_TARGET_SHEET && pstate().cart && pstate().cart->gfx)
    return pstate().cart->gfx;
  return pstate().screens[page & (TOVO_DISPLAYS - 1)];
}

}  // namespace

void tovo_render_screen(int32_t page, tarq_bitmap* dst, const tovo_screen_view& view) {
  if (!dst) return;
  const tarq_bitmap* src = source_of(page, view);
  if (!src) return;
  const int32_t mode = pstate().ram[TOVO_REG_PAL_MODE];
  const int32_t* display = pstate().screen_pal;
  const int32_t* second = pstate().secondary_pal;
  const colour_table display_table = table_of(display);
  const colour_table second_table = table_of(second);
  const bool halves = mode == TOVO_PAL_MODE_HALVES && pstate().screen_mode == 1 && view.running;
  const bool one_colour = mode >= TOVO_PAL_MODE_COLOUR && mode <= TOVO_PAL_MODE_COLOUR_LAST;
  const bool glitch = mode == TOVO_PAL_MODE_ROWS || halves || one_colour;
  if (!glitch) convert_rows(src, dst, 0, N, display_table);
  for (int32_t y = 0; glitch && y < N; y++) {
    if (mode == TOVO_PAL_MODE_ROWS) {
      convert_rows(src, dst, y, y + 1, row_bit(y) ? second_table : display_table);
    } else if (halves) {
      // The right half tells which palette the left half goes through.
      const uint8_t* s = src->rows[y];
      uint8_t* d = dst->rows[y];
      for (int32_t x = 0; x < HALF; x++) d[x] = (s[x + HALF] ? second_table : display_table).shown_as[s[x] & 15];
    } else {
      const int32_t colour = mode - TOVO_PAL_MODE_COLOUR;
      const int32_t entry = row_bit(y) ? (y / 8 + 1) % 16 : y / 8;
      colour_table band = display_table;
      band.shown_as[colour] = shown(second[entry]);
      convert_rows(src, dst, y, y + 1, band);
    }
  }
  if (glitch) activate_extpal_glitch();
  if (view.running && view.program_started) apply_draw_mode(dst, pstate().screen_mode);
}

void apply_draw_mode(tarq_bitmap* b, int32_t mode) {
  const int32_t a = mode & ~MODE_IGNORED_BIT, c = mode & ~(MODE_IGNORED_BIT | MODE_MIRROR_BIT);
  if (c == 1)
    for (int32_t y = 0; y < N; y++)
      for (int32_t x = N - 1; x >= 0; x--) b->rows[y][x] = b->rows[y][x / 2];
  if (a == 2 || a == 3)
    for (int32_t y = N - 1; y >= 0; y--) memcpy(b->rows[y], b->rows[y / 2], N);
  if (c == 5)
    for (int32_t y = 0; y < N; y++)
      for (int32_t x = 0; x < HALF; x++) b->rows[y][N - 1 - x] = b->rows[y][x];
  if (a == 6 || a == 7)
    for (int32_t y = 0; y < HALF; y++) memcpy(b->rows[N - 1 - y], b->rows[y], N);
  if (a == 130 || a == 131 || a == 134)
    for (int32_t y = 0; y < HALF; y++) swap_rows(b, y, N - 1 - y);
  if (a == 129 || a == 131 || a == 134)
    for (int32_t y = 0; y < N; y++)
      for (int32_t x = 0; x < HALF; x++) {
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
