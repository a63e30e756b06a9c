// Reading picture carts.
#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "console/print/console_print.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/formats/sha1.h"
#include "engine/io/file.h"
#include "engine/platform/present.h"
#include "engine/tracked_mem.h"
#include "player/browser/splore.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk_state.h"
#include "player/message.h"

namespace {

constexpr int32_t CONSOLE_COLOUR = 6;

void recover_payload(const tarq_bitmap* picture, uint8_t* payload) {
  const uint32_t* px = reinterpret_cast<const uint32_t*>(picture->pixels);
  for (int32_t i = 0; i < TOVO_CART_PAYLOAD_SIZE; i++) {
    uint32_t p = px[i];
    payload[i] = static_cast<uint8_t>((p & 3) | ((p >> 8) & 3) << 2 | ((p >> 16) & 3) << 4 | ((p >> 24) & 3) << 6);
  }
}

// The stored digest matches the image, or is all zeros.
bool digest_accepted(const uint8_t* payload) {
  const uint8_t* stored = payload + TOVO_CART_IMAGE_SIZE + 6;
  bool zero = true;
  for (int32_t i = 0; i < 20; i++) zero = zero && stored[i] == 0;
  if (zero) return true;
  char digest[TARQ_SHA1_TEXT_SIZE];
  char expected[TARQ_SHA1_TEXT_SIZE];
  tarq_sha1(payload, TOVO_CART_IMAGE_SIZE, digest);
  for (int32_t i = 0; i < 20; i++) snprintf(expected + i * 2, 3, "%02x", stored[i]);
  return memcmp(digest, expected, 40) == 0;
}

tovo_cart* cart_from_picture(const tarq_bitmap* picture) {
  uint8_t* payload = static_cast<uint8_t*>(tarq_calloc(TOVO_CART_PAYLOAD_SIZE));
  tovo_cart* cart = payload ? tarq_create_tovo_cart() : nullptr;
  if (!cart) {
    tarq_free(payload);
    return nullptr;
  }
  recover_payload(picture, payload);
  cart->version = payload[TOVO_CART_IMAGE_SIZE];
  if (cart->version > TOVO_CART_VERSION) {
    if (!cconfig.accept_future) {
      char line[64];
      snprintf(line, sizeof line, "future version: %d", cart->version);
      tovo_print_col(line, CONSOLE_COLOUR);
      disk_state.png_cart_reason = TOVO_PNG_CART_FUTURE;
      tarq_destroy_tovo_cart(cart);
      tarq_free(payload);
      return nullptr;
    }
    show_message("loading future cart version", 1500);
  }
  load_tovo_cart_32k(cart, payload);
  if (!digest_accepted(payload)) {
    tovo_print_col("cartridge data is corrupted", CONSOLE_COLOUR);
    disk_state.png_cart_reason = TOVO_PNG_CART_CORRUPT;
    tarq_destroy_tovo_cart(cart);
    cart = nullptr;
  }
  tarq_free(payload);
  return cart;
}

}  // namespace

int32_t nearest_console_colour(uint32_t argb) {
  const tarq_palette* pal = tarq_video.tarq_video_palette;
  if (!pal) return 0;
  int32_t r = (argb >> 16) & 0xff, g = (argb >> 8) & 0xff, b = argb & 0xff;
  int32_t best = 0;
  int32_t best_distance = INT32_MAX;
  for (int32_t i = 0; i < 32; i++) {
    int32_t index = i < 16 ? i : i + 112;
    const uint8_t* e = pal->rgb[index];
    int32_t d = (e[0] - r) * (e[0] - r) + (e[1] - g) * (e[1] - g) + (e[2] - b) * (e[2] - b);
    if (d < best_distance) {
      best_distance = d;
      best = index;
    }
  }
  return best;
}

tovo_cart* load_tovo_cart_png_from_file(tarq_file* f) {
  disk_state.png_cart_reason = TOVO_PNG_CART_OK;
  if (!f) {
    disk_state.png_cart_reason = TOVO_PNG_CART_NO_FILE;
    return nullptr;
  }
  tarq_bitmap* picture = tarq_load_png_from_file(f);
  if (!picture || picture->depth != 32) {
    tarq_destroy_bitmap(picture);
    disk_state.png_cart_reason = TOVO_PNG_CART_NOT_PNG;
    return nullptr;
  }
  tovo_cart* cart = nullptr;
  if (picture->width != TOVO_CART_PNG_WIDTH || picture->height != TOVO_CART_PNG_HEIGHT)
    disk_state.png_cart_reason = TOVO_PNG_CART_WRONG_SIZE;
  else cart = cart_from_picture(picture);
  tarq_destroy_bitmap(picture);
  return cart;
}

tarq_bitmap* create_label_from_picture(const tarq_bitmap* picture) {
  if (!picture || picture->depth != 32 || picture->width != TOVO_CART_PNG_WIDTH ||
      picture->height != TOVO_CART_PNG_HEIGHT)
    return nullptr;
  return label_from_picture_area(picture, 16, 24);
}

tarq_bitmap* label_from_picture_area(const tarq_bitmap* picture, int32_t x0, int32_t y0) {
  tarq_bitmap* label = tarq_create_bitmap(128, 128, 8);
  if (!label) return nullptr;
  for (int32_t y = 0; y < 128; y++)
    for (int32_t x = 0; x < 128; x++)
      label->rows[y][x] = static_cast<uint8_t>(nearest_console_colour(tarq_row32(picture, y0 + y)[x0 + x]));
  return label;
}

tovo_cart* load_tovo_cart_png(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  tovo_cart* cart = load_tovo_cart_png_from_file(f);
  tarq_fclose(f);
  if (cart) {
    tarq_destroy_bitmap(cart->label);
    cart->label = create_label_from_file(path);
  }
  return cart;
}
