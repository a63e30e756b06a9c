// make_datapod DATA_FOLDER OUTPUT: builds "data.pod" from the readable sources
// in DATA_FOLDER (palette.txt, font.txt, pictures.txt and carts/*.kx).
//
// The resource pod holds, by number: 1 the palette, 2 the logo, 4 the window
// title, 6 the window icon, 89 the mouse pointer, 168-175 the controller
// pictures, 188 the heart, 212-223 the load spinner, 226 the mouse, 227 the
// keyboard, 228 the update arrow, 229-244 the download spinner, 245 the menu
// pointer, 246 the controls picture, 247 and 248 the button lamps, 249 the
// tv-frame picture and 250 the cart picture template; every other number up
// to 250 holds a picture too (from pictures.txt or a small tile), so the
// numbers stay in step. 251 and 252 hold the installers' pods of demo carts
// (data/demos) and preloaded games (data/games).
#include <cstdio>
#include <cstring>
#include <string>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/text.h"
#include "engine/data/text_layout.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_text.h"
#include "player/datapod_write.h"
#include "tools/datapod_art.h"
#include "tools/datapod_installers.h"
#include "tools/datapod_sources.h"

namespace {

constexpr int RESOURCE_COUNT = 251;
constexpr const char* TITLE = "tovo";
constexpr const char* HEAD_CART = "tovo_game.kx";
constexpr const char* FURTHER_CARTS[] = {"tovo_shed.kx"};

// What each resource number holds, as the player's pictures are laid out.
void* resource(int n, tarq_bitmap** pictures, tarq_palette* pal, tarq_pod* font, int32_t* type) {
  *type = TARQ_ITEM_BITMAP;
  if (n == 1) {
    tarq_palette* p = tarq_create_palette();
    if (p) memcpy(p, pal, sizeof *p);
    *type = TARQ_ITEM_PALETTE;
    return p;
  }
  if (n == 4) {
    tarq_file* f = tarq_create_buffer(64);
    if (f) {
      cbuffer_add_data(f, TITLE, (int32_t)strlen(TITLE) + 1);
      snprintf(f->name, sizeof f->name, "title");
      f->pos = 0;
    }
    *type = TARQ_ITEM_FILE;
    return f;
  }
  if (n == 6) return pictures[1006] ? tovo_art_to_32(pictures[1006], pal, 8) : nullptr;
  if (n >= 168 && n <= 175) {
    if (!pictures[1168]) return nullptr;
    // 169 + key index mod 6 while asking, 175 while asking for pause, 168 when done.
    int k = n == 168 ? 7 : n == 175 ? 6 : n - 169;
    return tovo_art_controller(pictures[1168], k);
  }
  if (n >= 212 && n <= 223) return tovo_art_spinner(n - 212);
  if (n >= 229 && n <= 244) return tovo_art_download_spinner(n - 229);
  if (n == 246) return tovo_art_controls(font);
  if (n == 249) return tovo_art_tv_frame();
  if (n == 250) return tovo_art_cart_template(font, pal);
  if (pictures[n]) {
    tarq_bitmap* b = pictures[n];
    pictures[n] = nullptr;  // the pod takes it
    return b;
  }
  return tovo_art_tile(n);
}

tarq_pod* build_resources(tarq_bitmap** pictures, tarq_palette* pal, tarq_pod* font) {
  tarq_pod* pod = tarq_create_pod(RESOURCE_COUNT);
  if (!pod) return nullptr;
  for (int n = 0; n < RESOURCE_COUNT; n++) {
    int32_t type;
    void* item = resource(n, pictures, pal, font, &type);
    if (!item || cpod_add_item(pod, type, item) != n) {
      fprintf(stderr, "make_datapod: resource %d could not be made\n", n);
      return tarq_destroy_pod(pod);
    }
  }
  return pod;
}

tovo_cart* read_cart(const char* folder, const char* name) {
  char path[TARQ_PATH_MAX];
  snprintf(path, sizeof path, "%s/carts/%s", folder, name);
  tovo_cart* cart = tarq_load_tovo_cart(path);
  if (!cart) fprintf(stderr, "make_datapod: %s is not a readable text cart\n", path);
  return cart;
}

int write_pod(tarq_pod* pod, const char* path) {
  tarq_file* f = tarq_fopen(path, "wb");
  if (!f) {
    fprintf(stderr, "make_datapod: cannot write %s\n", path);
    return 1;
  }
  int status = tarq_save_pod_file(path, pod, f);
  tarq_fclose(f);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: make_datapod DATA_FOLDER OUTPUT\n");
    return 2;
  }
  const char* folder = argv[1];
  char path[TARQ_PATH_MAX];
  tarq_set_text_spacing(0);  // the glyph cells carry their own spacing

  tarq_palette pal{};
  snprintf(path, sizeof path, "%s/palette.txt", folder);
  if (tovo_read_palette_source(path, &pal) != 0) return 1;
  snprintf(path, sizeof path, "%s/font.txt", folder);
  tarq_pod* font = tovo_read_font_source(path);
  if (!font) return 1;
  static tarq_bitmap* pictures[TOVO_SOURCE_PICTURES];
  snprintf(path, sizeof path, "%s/pictures.txt", folder);
  int status = tovo_read_picture_source(path, pictures);
  tarq_pod* resources = status == 0 ? build_resources(pictures, &pal, font) : nullptr;
  std::string scratch = std::string(argv[2]) + ".scratch.png";
  if (resources && tovo_add_installer_pods(resources, folder, scratch.c_str()) != 0)
    resources = tarq_destroy_pod(resources);

  tovo_datapod_parameters p{};
  p.boot_cart = read_cart(folder, "tovo_boot.kx");
  p.resources = resources;
  p.font = font;
  p.carts[0] = read_cart(folder, HEAD_CART);
  p.names[0] = HEAD_CART;
  p.cart_count = 1;
  for (const char* name : FURTHER_CARTS) {
    p.names[p.cart_count] = name;
    p.carts[p.cart_count++] = read_cart(folder, name);
  }
  bool parts = resources && p.boot_cart;
  for (int i = 0; i < p.cart_count; i++) parts = parts && p.carts[i];
  tovo_datapod_failure failure{};
  tarq_pod* pod = parts ? generate_dat_file(&p, &failure) : nullptr;
  if (parts && !pod)
    fprintf(stderr, "make_datapod: the data pod could not be built (reason %d, cart %s)\n", failure.reason,
            p.names[failure.cart]);
  status = pod ? write_pod(pod, argv[2]) : 1;

  tarq_destroy_pod(pod);
  for (int i = 0; i < p.cart_count; i++) tarq_destroy_tovo_cart(p.carts[i]);
  tarq_destroy_tovo_cart(p.boot_cart);
  tarq_destroy_pod(resources);
  tarq_destroy_pod(font);
  for (tarq_bitmap*& b : pictures) b = tarq_destroy_bitmap(b);
  return status;
}
