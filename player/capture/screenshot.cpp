#include "player/capture/screenshot.h"

#include <cstdio>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/io/path.h"
#include "engine/log.h"
#include "engine/platform/host.h"
#include "engine/platform/window.h"
#include "player/capture/record_output.h"
#include "player/capture/screen_convert.h"
#include "player/shell_state.h"

int32_t tovo_screenshot_scale(int32_t scale) {
  int32_t s = scale > 0 ? scale : app.screenshot_scale;
  if (s < 1) s = 1;
  return s > TOVO_SCREENSHOT_MAX_SCALE ? TOVO_SCREENSHOT_MAX_SCALE : s;
}

int32_t save_png_screenshot(const tarq_bitmap* bitmap, int32_t scale, int32_t destination) {
  if (!bitmap || bitmap->depth != 8) return 1;
  int32_t s = tovo_screenshot_scale(scale);
  char path[TARQ_PATH_MAX];
  if (tovo_output_path(".png", destination, path) != 0) return 1;
  tarq_bitmap* big = tarq_create_bitmap(bitmap->width * s, bitmap->height * s, 8);
  if (!big) return 1;
  for (int32_t y = 0; y < big->height; y++) {
    const uint8_t* src = bitmap->rows[y / s];
    uint8_t* dst = big->rows[y];
    for (int32_t x = 0; x < big->width; x++) {
      uint8_t v = src[x / s];
      dst[x] = v == 0 ? 16 : v;
    }
  }
  char line[TARQ_PATH_MAX + 32];
  snprintf(line, sizeof line, "saving screenshot to: %s\n", path);
  tarq_debug(line);
  int32_t result = tarq_save_png(path, big) == 0 ? 0 : 1;
  tarq_destroy_bitmap(big);
  return result;
}

// The cart's screen as it stands now, converted as the draw step converts it
// (a cart may ask for a screenshot before its first frame was drawn).
void tovo_copy_back_page() {
  if (shell.video_frame) blit_tovo_back_page_to_tovo_screen_into(0, shell.video_frame);
}

int32_t set_cart_label() {
  tovo_cart* cart = pitem(0);
  if (!cart || !shell.video_frame) return 0;
  tarq_bitmap* label = tarq_create_bitmap(128, 128, 8);
  if (!label) return 0;
  tarq_blit(shell.video_frame, label, 0, 0, 0, 0, 128, 128);
  tarq_destroy_bitmap(cart->label);
  cart->label = label;
  return 0;
}
