// Reading a cart under the forms of its name.
#include <cstdio>
#include <cstring>

#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"

namespace {

bool name_has(const char* name, const char* part) { return tarq_strcasestr(name, part) != nullptr; }

// The cart under one name form, made the working cart; false when none reads.
bool try_form(const char* form) {
  tovo_cart* cart = load_tovo_cart_any_format(form);
  if (!cart) return false;
  prepare_loaded_cart(cart, form);
  return true;
}

bool search_stops() {
  return disk_state.text_cart_reason == TOVO_TEXT_CART_FUTURE || disk_state.png_cart_reason == TOVO_PNG_CART_FUTURE;
}

// out = name + ".png"; false when that does not fit.
bool with_png(const char* name, char* out) {
  int n = snprintf(out, TARQ_PATH_MAX, "%s.png", name);
  return n > 0 && n < TARQ_PATH_MAX;
}

}  // namespace

tovo_cart* load_tovo_cart_any_format(const char* path) {
  tovo_cart* cart = load_tovo_cart_png(path);
  if (!cart) cart = tarq_load_tovo_cart(path);
  if (!cart && name_has(path, ".rom")) cart = load_tovo_cart_rom(path);
  if (!cart && name_has(path, ".lua")) cart = load_tovo_cart_lua(path);
  return cart;
}

int load_working_cart(const char* path) {
  if (!path) return 1;
  if (try_form(path)) return 0;
  if (disk_state.text_cart_reason == TOVO_TEXT_CART_FUTURE) return 1;

  char injected[TARQ_PATH_MAX];
  tarq_strcpy(injected, path);
  if (disk_state.png_cart_reason != TOVO_PNG_CART_FUTURE) {
    inject_kx_extention(path, injected);
    if (injected[0] && try_form(injected)) return 0;
  }
  if (search_stops()) return 1;

  char form[TARQ_PATH_MAX];
  if (with_png(injected[0] ? injected : path, form) && try_form(form)) return 0;
  if (search_stops()) return 1;
  if (with_png(path, form) && try_form(form)) return 0;
  return 1;
}

void inject_kx_extention(const char* name, char* out) {
  out[0] = 0;
  if (strnlen(name, TARQ_PATH_MAX) >= static_cast<size_t>(TARQ_PATH_MAX)) return;
  // Only the file's own name counts: a folder named "x.kx" does not make
  // every name below it a cart name.
  const char* last = name;
  for (const char* c = name; *c; c++)
    if (*c == '/' || *c == '\\') last = c + 1;
  if (name_has(last, ".kx")) {
    tarq_strcpy(out, name);
    return;
  }
  char dir[TARQ_PATH_MAX], base[TARQ_PATH_MAX], ext[TARQ_PATH_MAX];
  tarq_split_filename(name, dir, base, ext);
  bool before = name_has(ext, ".png") || name_has(ext, ".rom");
  int n = before ? snprintf(out, TARQ_PATH_MAX, "%s%s.kx%s", dir, base, ext)
                 : snprintf(out, TARQ_PATH_MAX, "%s%s%s.kx", dir, base, ext);
  if (n < 0 || n >= TARQ_PATH_MAX) out[0] = 0;
}
