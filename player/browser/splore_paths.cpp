// The browser's cache paths under the application folder, and cart labels.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/platform/host.h"
#include "player/browser/splore.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"

namespace {

bool all_digits(const char* text) {
  if (!text[0]) return false;
  for (const char* c = text; *c; c++)
    if (*c < '0' || *c > '9') return false;
  return true;
}

// A lid names cache files: only letters, digits, '_' and '-' may reach a
// path (a lid comes from the server or a cart, so "../" must never).
bool safe_lid(const char* lid) {
  if (!lid[0] || strlen(lid) >= SPLORE_TEXT) return false;
  for (const char* c = lid; *c; c++)
    if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '_' || *c == '-'))
      return false;
  return true;
}

// Makes the application folder's sub-folder (and "bbs" above it).
bool make_app_folder(const char* name, char* out) {
  char bbs[TARQ_PATH_MAX];
  if (tarq_prefix_with_appdata_path("bbs", bbs) != 0 || tarq_prefix_with_appdata_path(name, out) != 0) return false;
  tarq_mkdir(bbs);
  tarq_mkdir(out);
  return true;
}

void cart_path(const char* lid, int nfo, char* out) {
  out[0] = 0;
  if (!safe_lid(lid)) return;
  if (all_digits(lid) && strlen(lid) < 10) {
    get_bbs_cart_filename_legacy((int32_t)atoi(lid), nfo, out);
    return;
  }
  char folder[TARQ_PATH_MAX];
  if (!make_app_folder("bbs/carts", folder)) return;
  int n = nfo ? snprintf(out, TARQ_PATH_MAX, "%s/temp-%s.nfo", folder, lid)
              : snprintf(out, TARQ_PATH_MAX, "%s/%s.kx.png", folder, lid);
  if (n < 0 || n >= TARQ_PATH_MAX) out[0] = 0;
}

}  // namespace

void get_bbs_cart_filename_legacy(int32_t number, int nfo, char* out) {
  out[0] = 0;
  char name[64], folder[TARQ_PATH_MAX];
  snprintf(name, sizeof name, "bbs/%d", number / 10000);
  if (number < 0 || !make_app_folder(name, folder)) return;
  int n = nfo ? snprintf(out, TARQ_PATH_MAX, "%s/temp-%d.nfo", folder, number)
              : snprintf(out, TARQ_PATH_MAX, "%s/%d.kx.png", folder, number);
  if (n < 0 || n >= TARQ_PATH_MAX) out[0] = 0;
}

void get_bbs_cart_filename(const char* lid, char* out) { cart_path(lid, 0, out); }

void get_bbs_cart_filename_nfo(const char* lid, char* out) { cart_path(lid, 1, out); }

tarq_bitmap* create_label_from_file(const char* path) {
  if (tarq_strcasestr(path, ".png")) {
    tarq_bitmap* picture = tarq_load_png(path);
    tarq_bitmap* label = picture && picture->depth == 32 ? create_label_from_picture(picture) : nullptr;
    tarq_destroy_bitmap(picture);
    return label;
  }
  tovo_cart* cart = tarq_load_tovo_cart(path);
  tarq_bitmap* label = nullptr;
  if (cart && cart->label && cart->label->depth == 8 && cart->label->width == 128 && cart->label->height == 128) {
    label = tarq_create_bitmap(128, 128, 8);
    if (label) memcpy(label->pixels, cart->label->pixels, 128 * 128);
  }
  tarq_destroy_tovo_cart(cart);
  return label;
}

tarq_bitmap* create_label_from_cart_lid(const char* lid) {
  char path[TARQ_PATH_MAX];
  get_bbs_cart_filename(lid, path);
  tarq_bitmap* label = path[0] && tarq_file_exists(path) ? create_label_from_file(path) : nullptr;
  if (label || !safe_lid(lid)) return label;
  char name[TARQ_PATH_MAX];
  snprintf(name, sizeof name, "bbs/labels/%s.png", lid);
  if (tarq_prefix_with_appdata_path(name, path) != 0 || !tarq_file_exists(path)) return nullptr;
  tarq_bitmap* picture = tarq_load_png(path);
  if (picture && picture->depth == 32 && picture->width == 128 && picture->height == 128)
    label = label_from_picture_area(picture, 0, 0);
  tarq_destroy_bitmap(picture);
  return label;
}
