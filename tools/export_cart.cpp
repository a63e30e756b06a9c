// export_cart DATA_POD PLAYER CART OUTPUT [OPTIONS...]: exports CART as the
// package folder OUTPUT.bin, with the player's own data pod parts (boot
// sound, resources, font) and PLAYER as the Linux program. The options are
// the exporter's: -i sprite, -s size, -c transparent colour, -e extra file,
// and further carts after the output name.
#include <cstdio>
#include <string>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk.h"
#include "player/export/export_bin.h"

namespace {

tarq_file* pod_file_item(tarq_pod* pod, int32_t index) {
  tarq_file* f = pod ? (tarq_file*)cpod_get_item(pod, index, TARQ_ITEM_FILE) : nullptr;
  if (f) f->pos = 0;
  return f;
}

void print_line(const char* text, int32_t) { printf("%s\n", text); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: export_cart DATA_POD PLAYER CART OUTPUT [OPTIONS...]\n");
    return 2;
  }
  tarq_pod* data = tarq_load_pod(argv[1]);
  tarq_file* item = pod_file_item(data, 0);
  tovo_cart* boot = item ? tarq_load_tovo_cart_from_file(item, 0) : nullptr;
  tarq_pod* resources = tarq_load_pod_item(data, 1);
  tarq_pod* font = tarq_load_pod_item(data, 2);
  tarq_palette* palette = resources ? (tarq_palette*)cpod_get_item(resources, 1, TARQ_ITEM_PALETTE) : nullptr;
  if (!boot || !resources || !font || !palette) {
    fprintf(stderr, "export_cart: %s is not a readable data pod\n", argv[1]);
    return 1;
  }
  tarq_file* player = tarq_load_file(argv[2]);
  tovo_cart* cart = load_tovo_cart_any_format(argv[3]);
  int status = 1;
  if (!player) {
    fprintf(stderr, "export_cart: cannot read %s\n", argv[2]);
  } else if (!cart) {
    fprintf(stderr, "export_cart: could not load %s\n", argv[3]);
  } else {
    std::string arguments;
    for (int i = 4; i < argc; i++) arguments += std::string(i > 4 ? " " : "") + argv[i];
    tovo_export_context ctx{};
    ctx.cart = cart;
    ctx.boot_cart = boot;
    ctx.resources = resources;
    ctx.font = font;
    ctx.palette = palette;
    ctx.runtimes[TOVO_RUNTIME_LINUX] = player;
    ctx.folder = "";
    ctx.print = print_line;
    status = export_bin(arguments.c_str(), &ctx);
  }
  tarq_destroy_tovo_cart(cart);
  if (player) tarq_destroy_buffer(player);
  tarq_destroy_pod(font);
  tarq_destroy_pod(resources);
  tarq_destroy_tovo_cart(boot);
  tarq_destroy_pod(data);
  return status;
}
