// Dropped files, and the sprite-sheet backup taken before a dropped picture
// changes what the cart sees.
#include "player/cart/drop.h"

#include <climits>
#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/serial.h"
#include "console/print/console_print.h"
#include "engine/data/gfx.h"
#include "engine/data/undo.h"
#include "engine/formats/png.h"
#include "engine/io/file.h"
#include "engine/platform/host.h"
#include "engine/platform/present.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/message.h"
#include "player/selection_sets.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t MESSAGE_MS = 2000;
constexpr int32_t CONSOLE_COLOUR = 6;

bool name_has(const char* name, const char* part) { return tarq_strcasestr(name, part) != nullptr; }

// The cart dropped last, kept for load("@dropped").
tovo_cart* dropped_cart;

// The display colour nearest to a 0xAARRGGBB pixel, as an index 0-15.
uint8_t nearest_display_colour(uint32_t argb) {
  const tarq_palette* pal = tarq_video.tarq_video_palette;
  if (!pal) return 0;
  int32_t r = (argb >> 16) & 0xff, g = (argb >> 8) & 0xff, b = argb & 0xff;
  int32_t best = 0, best_distance = INT_MAX;
  for (int32_t i = 0; i < 16; i++) {
    const uint8_t* e = pal->rgb[pstate().screen_pal[i] & 0xff];
    int32_t d = (e[0] - r) * (e[0] - r) + (e[1] - g) * (e[1] - g) + (e[2] - b) * (e[2] - b);
    if (d < best_distance) {
      best_distance = d;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

void drop_picture(const char* path) {
  tarq_bitmap* picture = tarq_load_png(path);
  if (!picture) return;
  if (picture->width > TOVO_DROP_MAX_SIDE || picture->height > TOVO_DROP_MAX_SIDE) {
    show_message("image is too large (128 max)", MESSAGE_MS);
    tarq_destroy_bitmap(picture);
    return;
  }
  backup_gfx();
  tarq_bitmap* image = tarq_create_bitmap(picture->width, picture->height, 8);
  if (image) {
    for (int32_t y = 0; y < picture->height; y++)
      for (int32_t x = 0; x < picture->width; x++)
        image->rows[y][x] = nearest_display_colour(tarq_row32(picture, y)[x]);
    serial_set_dropped_image_file(image);
  }
  tarq_destroy_bitmap(picture);
}

void drop_file(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return;
  int32_t size = 0;
  uint8_t* data = tovo_read_stream(f, TOVO_DROP_MAX_FILE + 1, &size);
  tarq_fclose(f);
  if (!data) return;
  if (size > TOVO_DROP_MAX_FILE) show_message("file is too large (256k max)", MESSAGE_MS);
  else serial_set_dropped_file(data, size);
  tarq_free(data);
}

}  // namespace

void handle_dropped_file() {
  const char* path = tarq_state.dropped_file;
  if (!path[0]) return;
  if (tovo_cart* cart = load_tovo_cart_any_format(path)) {
    show_message("can not load", MESSAGE_MS);
    tarq_destroy_tovo_cart(dropped_cart);
    dropped_cart = cart;
  } else if (shell.mode == TOVO_MODE_STOPPED && !tovo_cart_is_running())
    tovo_print_col("could not load cartridge", CONSOLE_COLOUR);
  else if (name_has(path, "kxm.png")) show_message("kxm.png not supported", MESSAGE_MS);
  else if (name_has(path, ".png")) drop_picture(path);
  else drop_file(path);
  tarq_state.dropped_file[0] = 0;
}

int32_t load_dropped_cart() {
  if (!dropped_cart) return 1;
  tovo_cart* cart = dropped_cart;
  dropped_cart = nullptr;
  prepare_loaded_cart(cart, "dropped.kx");
  disk_state.cart_filename[0] = 0;
  return 0;
}

void forget_dropped_cart() {
  tarq_destroy_tovo_cart(dropped_cart);
  dropped_cart = nullptr;
}

void backup_gfx() {
  tovo_cart* cart = pitem(0);
  if (cart) {
    tarq_file* state = create_undo_bmp_state(cart->gfx, 0);
    if (state) tarq_push_undo_state(state, cart->undo[0], 0);
    if (selection_sets().gfx && selection_sets().gfx->work) {
      for (int32_t y = 0; y < cart->gfx->height && y < selection_sets().gfx->work->height; y++)
        memcpy(selection_sets().gfx->work->rows[y], cart->gfx->rows[y], (size_t)selection_sets().gfx->work->width);
    }
  }
  disk_state.edit_flag = 1;
}
