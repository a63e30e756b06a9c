// save("@clip"): the working cart as a picture cart in the application
// folder, that file as a "[cart]" code, and the code on the host clipboard.
#include "player/clipboard/clip_cart.h"

#include <cstdio>

#include "console/machine/cart.h"
#include "console/run/code_tabs.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/platform/host.h"
#include "player/cart/cart_png.h"

namespace {

constexpr long CART_FILE_LIMIT = 1 << 20;
const char HEX[] = "0123456789abcdef";

}  // namespace

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

int32_t convert_binary_file_to_hex(const char* in_path, const char* out_path) {
  FILE* in = fopen(in_path, "rb");
  if (!in) return 1;
  char temp[TARQ_PATH_MAX];
  tarq_file* replacement = tarq_open_replacement(out_path, temp);
  if (!replacement) {
    fclose(in);
    return 2;
  }
  FILE* out = replacement->fp;
  fputs("[cart]", out);
  int c;
  for (long n = 0; n < CART_FILE_LIMIT && (c = fgetc(in)) != EOF; n++) {
    fputc(HEX[(c >> 4) & 15], out);
    fputc(HEX[c & 15], out);
  }
  fputs("[/cart]", out);
  bool ok = !ferror(in);
  fclose(in);
  return tarq_commit_replacement(replacement, temp, out_path, ok) == 0 ? 0 : 3;
}
