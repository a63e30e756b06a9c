#include "player/cart/cart_hex_rom.h"

#include <cstring>
#include <vector>

#include "console/machine/cart.h"
#include "player/cart/cart_digits.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_text.h"

tovo_cart* load_tovo_cart_hex(const char* text) {
  tovo_cart* cart = tarq_create_tovo_cart();
  if (!cart) return nullptr;
  std::vector<uint8_t> image(TOVO_CART_IMAGE_SIZE, 0);  // an empty code area: empty code
  size_t n = text ? strlen(text) / 2 : 0;
  for (size_t a = 0; a < n && a < (size_t)TOVO_ROM_SIZE; a++)
    image[a] = (uint8_t)(hex_digit_value(text[2 * a]) << 4 | hex_digit_value(text[2 * a + 1]));
  load_tovo_cart_32k(cart, image.data());
  cart->version = TOVO_CART_VERSION;
  return cart;
}
