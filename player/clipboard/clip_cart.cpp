// save("@clip"): the working cart as a picture cart in the application
// folder, that file as a "[cart]" code, and the code on the host clipboard.
#include "console/machine/cart.h"
#include "console/run/code_tabs.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "player/cart/cart_png.h"
#include "player/clipboard/clip_codes.h"

int32_t save_cart_to_clipboard(tovo_cart* cart) {
  char png[TARQ_PATH_MAX];
  char hex[TARQ_PATH_MAX];
  if (!cart || tarq_prefix_with_appdata_path("_clip.kx.png", png) != 0 ||
      tarq_prefix_with_appdata_path("_clip.kx.png.hex", hex) != 0)
    return 1;
  merge_code_from_tabs(cart);
  if (save_tovo_cart_png(cart, png) != 0) return 1;
  if (convert_binary_file_to_hex(png, hex) != 0) return 1;
  return tarq_load_clipboard_from_file(hex) != 0 ? 1 : 0;
}
