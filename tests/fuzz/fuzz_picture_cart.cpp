// libFuzzer target: the picture-cart reader. The first byte chooses between
// the input as a PNG file and the input as the hidden payload of a picture
// of the right size (so that the cart image, trailer and compressed code
// are reached). A cart that reads has its code inside the code buffer.
#include <lodepng.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "console/machine/cart.h"
#include "engine/config.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "player/cart/cart_png.h"
#include "player/cart/disk_state.h"

namespace {

// RGBA bytes of a picture whose pixels carry the payload.
std::vector<uint8_t> payload_picture(const uint8_t* data, size_t size) {
  std::vector<uint8_t> rgba(TOVO_CART_PAYLOAD_SIZE * 4);
  for (int i = 0; i < TOVO_CART_PAYLOAD_SIZE; i++) {
    uint8_t b = static_cast<size_t>(i) < size ? data[i] : 0;
    rgba[i * 4 + 0] = static_cast<uint8_t>(0x40 | ((b >> 4) & 3));
    rgba[i * 4 + 1] = static_cast<uint8_t>(0x40 | ((b >> 2) & 3));
    rgba[i * 4 + 2] = static_cast<uint8_t>(0x40 | (b & 3));
    rgba[i * 4 + 3] = static_cast<uint8_t>(0xfc | ((b >> 6) & 3));
  }
  return rgba;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536) return 0;
  cconfig.accept_future = (data[0] >> 1) & 1;
  unsigned char* png = nullptr;
  size_t png_size = 0;
  const uint8_t* bytes = data + 1;
  size_t length = size - 1;
  if (data[0] & 1) {
    std::vector<uint8_t> rgba = payload_picture(data + 1, size - 1);
    if (lodepng_encode32(&png, &png_size, rgba.data(), TOVO_CART_PNG_WIDTH, TOVO_CART_PNG_HEIGHT) != 0) std::abort();
    bytes = png;
    length = png_size;
  }
  tarq_file* f = tarq_fopen_memory(bytes, static_cast<int32_t>(length));
  tovo_cart* cart = load_tovo_cart_png_from_file(f);
  tarq_fclose(f);
  free(png);
  if (cart && (disk_state.png_cart_reason != 0 || !memchr(cart->code, 0, TOVO_CODE_SIZE))) std::abort();
  if (!cart && disk_state.png_cart_reason == 0) std::abort();
  tarq_destroy_tovo_cart(cart);
  return 0;
}
