#include "player/cart/mounted_names.h"

#include <cstring>

#include "player/cart/disk.h"

const char* get_embedded_cart_filename_for_hash(const char* hash) {
  if (!hash) return nullptr;
  for (int32_t i = 0; i < mounted_cart_count(); i++)
    if (strcmp(mounted_cart(i)->hash, hash) == 0) return mounted_cart(i)->name;
  return nullptr;
}
