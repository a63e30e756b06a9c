// Cart images, ROM files and the cart hash.
#include "player/cart/cart_image.h"

#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "engine/formats/sha1.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_text.h"
#include "player/cart/compress.h"
#include "player/cart/disk_state.h"

namespace {

void store_rom(tovo_cart* cart, uint8_t* image) {
  for (int32_t a = 0; a < TOVO_ROM_SIZE; a++) image[a] = static_cast<uint8_t>(tovo_peek(nullptr, cart, a));
}

// The compressed text in the code area; false when it does not fit.
bool store_code(const char* text, int32_t length, uint8_t* image) {
  uint8_t* area = image + TOVO_CODE_AREA_START;
  memset(area, 0, TOVO_CODE_AREA_SIZE);
  if (length > TOVO_PXA_MAX_TEXT) return false;
  uint8_t* block = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(length) + 1));
  if (!block) return false;
  int32_t n = compress_mini(text, block, length);
  bool fits = n <= TOVO_CODE_AREA_SIZE;
  if (fits) memcpy(area, block, static_cast<size_t>(n));
  tarq_free(block);
  return fits;
}

}  // namespace

int save_tovo_cart_32k(tovo_cart* cart, uint8_t* image) {
  store_rom(cart, image);
  return store_code(cart->code, static_cast<int32_t>(strlen(cart->code)), image) ? 0 : 1;
}

void load_tovo_cart_32k(tovo_cart* cart, const uint8_t* image) {
  for (int32_t a = 0; a < TOVO_ROM_SIZE; a++) tovo_poke(nullptr, cart, a, image[a]);
  if (!cart->code) cart->code = static_cast<char*>(tarq_calloc(TOVO_CODE_SIZE));
  if (!cart->code) return;
  memset(cart->code, 0, TOVO_CODE_SIZE);
  const uint8_t* area = image + TOVO_CODE_AREA_START;
  if (is_compressed_format_header(area, TOVO_CODE_AREA_SIZE))
    decompress_mini(area, TOVO_CODE_AREA_SIZE, cart->code, TOVO_CODE_SIZE);
  else memcpy(cart->code, area, TOVO_CODE_AREA_SIZE);
}

tovo_cart* load_tovo_cart_rom(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return nullptr;
  uint8_t* image = static_cast<uint8_t*>(tarq_calloc(TOVO_CART_IMAGE_SIZE));
  tovo_cart* cart = image ? tarq_create_tovo_cart() : nullptr;
  if (cart) {
    tarq_fread(image, 1, TOVO_CART_IMAGE_SIZE, f);
    load_tovo_cart_32k(cart, image);
    cart->version = TOVO_CART_VERSION;
  }
  tarq_free(image);
  tarq_fclose(f);
  return cart;
}

int save_tovo_cart_rom(tovo_cart* cart, const char* path) {
  uint8_t* image = static_cast<uint8_t*>(tarq_calloc(TOVO_CART_IMAGE_SIZE));
  if (!image) return 1;
  int result = 1;
  char temp[TARQ_PATH_MAX];
  if (save_tovo_cart_32k(cart, image) == 0) {
    tarq_file* f = tovo_open_temp_for(path, temp);
    if (f) {
      bool ok = tarq_fwrite(image, 1, TOVO_CART_IMAGE_SIZE, f) == TOVO_CART_IMAGE_SIZE;
      result = tovo_commit_temp(f, temp, path, ok);
    }
  }
  tarq_free(image);
  return result;
}

void hash_cart(tovo_cart* cart, char* out) {
  memset(out, '0', 40);
  out[40] = 0;
  if (!cart) return;
  char code_hash[TARQ_SHA1_TEXT_SIZE];
  tarq_sha1(cart->code, strlen(cart->code), code_hash);
  uint8_t* image = static_cast<uint8_t*>(tarq_calloc(TOVO_CART_IMAGE_SIZE));
  if (!image) return;
  store_rom(cart, image);
  if (store_code(code_hash, 40, image)) tarq_sha1(image, TOVO_CART_IMAGE_SIZE, out);
  else memcpy(out, code_hash, TARQ_SHA1_TEXT_SIZE);
  tarq_free(image);
}
