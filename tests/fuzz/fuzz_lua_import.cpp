// libFuzzer target: the ".lua" import on any bytes (held on the virtual
// disk): every byte order and unit size, wide units and glyph escapes. The
// code must fit its buffer and end with the appended newline.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "console/machine/cart.h"
#include "engine/io/file.h"
#include "player/cart/disk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 200000) return 0;
  tarq_file* v = tarq_fopen_vdisk("fuzz_import.lua", "w");
  tarq_fwrite(data, 1, size, v);
  tarq_fclose(v);
  tovo_cart* cart = load_tovo_cart_lua("fuzz_import.lua");
  if (!cart) std::abort();
  size_t n = strnlen(cart->code, TOVO_CODE_SIZE);
  if (n == 0 || n >= TOVO_CODE_SIZE) std::abort();
  if (n < TOVO_CODE_SIZE - 1 && cart->code[n - 1] != '\n') std::abort();
  tarq_destroy_tovo_cart(cart);
  return 0;
}
