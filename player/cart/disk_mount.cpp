// Carts mounted on the virtual disk.
#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/log.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk.h"

namespace {

tovo_mounted_cart hash_to_filename[TOVO_MAX_MOUNTED_CARTS];
int32_t mounted_carts = 0;

}  // namespace

int32_t mounted_cart_count() { return mounted_carts; }

const tovo_mounted_cart* mounted_cart(int32_t i) {
  return i >= 0 && i < mounted_carts ? &hash_to_filename[i] : nullptr;
}

void mount_embedded_cart(tovo_cart* cart, const char* name) {
  if (!cart || !name || mounted_carts >= TOVO_MAX_MOUNTED_CARTS) return;
  char line[TOVO_MOUNT_NAME_SIZE + 128];
  if (strlen(name) >= TOVO_MOUNT_NAME_SIZE) {
    snprintf(line, sizeof line, "** mount_embedded_cart: name too long: %.64s\n", name);
    tarq_debug(line);
    return;
  }
  tovo_mounted_cart& record = hash_to_filename[mounted_carts];
  snprintf(record.name, sizeof record.name, "%s", name);
  hash_cart(cart, record.hash);
  snprintf(line, sizeof line, "mount_embedded_cart: %s (%d chars) %s\n", name, static_cast<int>(strlen(cart->code)),
           record.hash);
  tarq_debug(line);
  tarq_file* f = tarq_fopen_vdisk(name, "w");
  if (!f || tarq_save_tovo_cart_to_file(cart, f, 0) != 0) {
    tarq_debug("** mount_embedded_cart: failed to mount\n");
    tarq_fclose(f);
    return;
  }
  tarq_fclose(f);
  mounted_carts++;
}

void clear_embedded_carts() { mounted_carts = 0; }

const tovo_mounted_cart* get_embedded_cart_hash_for_filename(const char* name, int loose) {
  for (int32_t i = 0; i < mounted_carts; i++) {
    const tovo_mounted_cart& record = hash_to_filename[i];
    if (strcmp(record.name, name) == 0) return &record;
    if (!loose) continue;
    char injected[TARQ_PATH_MAX];
    inject_kx_extention(record.name, injected);
    if (strcmp(injected, name) == 0) return &record;
    size_t n = strlen(injected);
    if (n > 0 && strncmp(injected, name, n) == 0 && strcmp(name + n, ".png") == 0) return &record;
  }
  return nullptr;
}
