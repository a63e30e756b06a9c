// Why a cart file could not be loaded.
#include "player/cart/load_reason.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "engine/log_format.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"

const char* tovo_cart_load_reason(const char* path) {
  struct stat st;
  if (!path || stat(path, &st) != 0) return "there is no such file";
  if (S_ISDIR(st.st_mode)) return "it is a folder";
  FILE* f = fopen(path, "rb");
  if (!f) return "the file cannot be read";
  fclose(f);
  if (st.st_size == 0) return "the file is empty";
  // Read once more, alone, for the readers' own reason codes.
  tovo_cart* cart = load_tovo_cart_any_format(path);
  if (cart) {
    tarq_destroy_tovo_cart(cart);
    return "it reads as a cart now";
  }
  if (disk_state.text_cart_reason == TOVO_TEXT_CART_FUTURE || disk_state.png_cart_reason == TOVO_PNG_CART_FUTURE)
    return "it was made for a newer version of the console (-accept_future 1 loads it)";
  if (disk_state.text_cart_reason == TOVO_TEXT_CART_TOO_LONG) return "its code is over the size limit";
  if (disk_state.png_cart_reason == TOVO_PNG_CART_WRONG_SIZE) return "it is a picture of the wrong size (not 160x205)";
  if (disk_state.png_cart_reason == TOVO_PNG_CART_CORRUPT) return "it is a damaged picture cart";
  return "it is not a cart (a text cart, picture cart, .rom or .lua file)";
}

void tovo_report_load_failure(const char* name, const char* path) {
  const char* reason = tovo_cart_load_reason(path);
  tarq_logf("could not load %s: %s\n", name, reason);
  fprintf(stderr, "could not load %s: %s\n", name, reason);
}
