// Building a data pod of file items from carts and pods.
#include "player/datapod_write.h"

#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "console/run/include.h"
#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_text.h"

namespace {

// Names the buffer and adds it to the pod; false (buffer destroyed) when the
// buffer does not exist or the pod cannot take it.
bool add_file(tarq_pod* pod, tarq_file* f, const char* name) {
  if (!f) return false;
  snprintf(f->name, sizeof f->name, "%s", name);
  f->pos = 0;
  if (cpod_add_item(pod, TARQ_ITEM_FILE, f) < 0) {
    tarq_destroy_buffer(f);
    return false;
  }
  return true;
}

tarq_file* text_cart_buffer(tovo_cart* cart) {
  tarq_file* f = tarq_create_buffer(0x10000);
  if (f && tarq_save_tovo_cart_to_file(cart, f, 0) != 0) {
    tarq_destroy_buffer(f);
    return nullptr;
  }
  return f;
}

tarq_file* pod_buffer(tarq_pod* pod) {
  tarq_file* f = tarq_create_buffer(0x10000);
  if (f && tarq_save_pod_file("", pod, f) != 0) {
    tarq_destroy_buffer(f);
    return nullptr;
  }
  return f;
}

tarq_file* image_buffer(tovo_cart* cart, tovo_datapod_failure* failure) {
  tarq_file* f = tarq_create_buffer(TOVO_CART_IMAGE_SIZE);
  if (!f) return nullptr;
  if (save_cart_to_file_as_32k_flattened_block(cart, f->data) != 0) {
    tarq_destroy_buffer(f);
    failure->reason = TOVO_DATAPOD_CODE_TOO_LARGE;
    return nullptr;
  }
  f->size = TOVO_CART_IMAGE_SIZE;
  return f;
}

tarq_pod* fail(tarq_pod* pod, tovo_datapod_failure* failure, int32_t reason) {
  if (failure->reason == TOVO_DATAPOD_OK) failure->reason = reason;
  return tarq_destroy_pod(pod);
}

}  // namespace

int save_cart_to_file_as_32k_flattened_block(tovo_cart* cart, uint8_t* image) {
  if (!cart || !cart->code) return 1;
  char* flat = static_cast<char*>(tarq_calloc(TOVO_CODE_SIZE));
  if (!flat) return 1;
  tovo_text_result result{};
  int refused = tovo_flatten_includes(cart->code, flat, TOVO_CODE_SIZE, &result);
  int status = TOVO_FLATTEN_REFUSED;
  if (refused == 0) {
    char* code = cart->code;
    cart->code = flat;
    status = save_tovo_cart_32k(cart, image);
    cart->code = code;
  }
  tarq_free(flat);
  return status;
}

tarq_pod* generate_dat_file(const tovo_datapod_parameters* p, tovo_datapod_failure* failure) {
  tovo_datapod_failure ignored;
  tovo_datapod_failure* f = failure ? failure : &ignored;
  *f = tovo_datapod_failure{TOVO_DATAPOD_OK, 0};
  if (!p || !p->boot_cart || !p->resources || !p->font || p->cart_count < 1 || p->cart_count > TOVO_DATAPOD_MAX_CARTS) {
    f->reason = TOVO_DATAPOD_BAD_ARGUMENT;
    return nullptr;
  }
  tarq_pod* pod = tarq_create_pod(3 + p->cart_count);
  if (!pod) return fail(nullptr, f, TOVO_DATAPOD_NO_MEMORY);
  if (!add_file(pod, text_cart_buffer(p->boot_cart), "boot.kx") ||
      !add_file(pod, pod_buffer(p->resources), "resources.pod") || !add_file(pod, pod_buffer(p->font), "font.pod"))
    return fail(pod, f, TOVO_DATAPOD_NO_MEMORY);
  for (int32_t i = 0; i < p->cart_count; i++) {
    if (!p->carts[i] || !p->names[i]) return fail(pod, f, TOVO_DATAPOD_BAD_ARGUMENT);
    f->cart = i;
    if (!add_file(pod, image_buffer(p->carts[i], f), p->names[i])) return fail(pod, f, TOVO_DATAPOD_NO_MEMORY);
  }
  f->cart = 0;
  return pod;
}
