// Writing picture carts.
#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/data/text.h"
#include "engine/formats/png.h"
#include "engine/formats/sha1.h"
#include "engine/io/path.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"

namespace {

const tarq_bitmap* cart_template = nullptr;

constexpr int32_t TITLE_MAX = 31;
constexpr uint32_t TITLE_COLOUR = 0xfffff8f0;
constexpr uint32_t MAKER_COLOUR = 0xffa0a0a0;

uint8_t hex_digit_value(char c) { return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'a' + 10); }

void fill_trailer(uint8_t* payload) {
  uint8_t* t = payload + TOVO_CART_IMAGE_SIZE;
  memset(t, 0, TOVO_CART_PAYLOAD_SIZE - TOVO_CART_IMAGE_SIZE);
  t[0] = TOVO_CART_VERSION;
  t[2] = 2;
  t[3] = 4;
  t[4] = 'r';
  char digest[TARQ_SHA1_TEXT_SIZE];
  tarq_sha1(payload, TOVO_CART_IMAGE_SIZE, digest);
  for (int32_t i = 0; i < 20; i++)
    t[6 + i] = static_cast<uint8_t>(hex_digit_value(digest[i * 2]) << 4 | hex_digit_value(digest[i * 2 + 1]));
}

// Prints the "--" comment that starts at line (after the dashes and one
// blank), up to its end and at most 31 characters.
void print_comment_line(tarq_bitmap* picture, const char* line, int32_t y) {
  if (strncmp(line, "--", 2) != 0) return;
  const char* p = line + 2;
  if (*p == ' ') p++;
  char title[TITLE_MAX + 1];
  int32_t n = 0;
  while (n < TITLE_MAX && p[n] && p[n] != '\n') {
    title[n] = p[n];
    n++;
  }
  title[n] = 0;
  if (tarq_fonts.tarq_font1)
    tarq_draw_text_ex(picture, title, tarq_fonts.tarq_font1, 18, y, TARQ_TEXT_ONE_COLOUR, TITLE_COLOUR);
}

tarq_bitmap* draw_picture(tovo_cart* cart) {
  tarq_bitmap* picture = tarq_create_bitmap(TOVO_CART_PNG_WIDTH, TOVO_CART_PNG_HEIGHT, 32);
  if (!picture) return nullptr;
  const tarq_bitmap* t = cart_template;
  if (t && t->depth == 32 && t->width == TOVO_CART_PNG_WIDTH && t->height == TOVO_CART_PNG_HEIGHT)
    memcpy(picture->pixels, t->pixels, TOVO_CART_PAYLOAD_SIZE * 4);
  else
    for (int32_t i = 0; i < TOVO_CART_PAYLOAD_SIZE; i++) reinterpret_cast<uint32_t*>(picture->pixels)[i] = 0xff000000;
  if (cart->label) tarq_blit(cart->label, picture, 0, 0, 16, 24, 128, 128);
  print_comment_line(picture, cart->code, 167);
  const char* second = strchr(cart->code, '\n');
  if (second) print_comment_line(picture, second + 1, 175);
  if (tarq_fonts.tarq_font1)
    tarq_draw_text_ex(picture, "tovo cartridge", tarq_fonts.tarq_font1, 18, 187, TARQ_TEXT_ONE_COLOUR, MAKER_COLOUR);
  return picture;
}

void hide_payload(tarq_bitmap* picture, const uint8_t* payload) {
  uint32_t* px = reinterpret_cast<uint32_t*>(picture->pixels);
  for (int32_t i = 0; i < TOVO_CART_PAYLOAD_SIZE; i++) {
    uint32_t b = payload[i];
    uint32_t bits = (b & 3) | ((b >> 2) & 3) << 8 | ((b >> 4) & 3) << 16 | ((b >> 6) & 3) << 24;
    px[i] = (px[i] & 0xfcfcfcfc) | bits;
  }
}

}  // namespace

int save_tovo_cart_png(tovo_cart* cart, const char* path) {
  uint8_t* payload = static_cast<uint8_t*>(tarq_calloc(TOVO_CART_PAYLOAD_SIZE));
  if (!payload) return 1;
  int result = 1;
  if (save_tovo_cart_32k(cart, payload) == 0) {
    fill_trailer(payload);
    tarq_bitmap* picture = draw_picture(cart);
    if (picture) {
      hide_payload(picture, payload);
      result = tarq_save_png(path, picture) == 0 ? 0 : 1;
      tarq_destroy_bitmap(picture);
    }
  }
  tarq_free(payload);
  return result;
}

void tovo_set_cart_template(const tarq_bitmap* picture) { cart_template = picture; }
