#include "player/cart/mounted_names.h"

#include <cstring>

#include "player/cart/disk.h"

const char* get_embedded_cart_filename_for_hash(const char* hash) {
  if (!hash) return nullptr;
  for (int32_t i = 0; i < mounted_carts && i < TOVO_MAX_MOUNTED_CARTS; i++)
    if (strcmp(hash_to_filename[i].hash, hash) == 0) return hash_to_filename[i].name;
  return nullptr;
}
