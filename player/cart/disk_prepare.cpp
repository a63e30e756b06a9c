// Making a cart the working cart.
#include <cstdio>
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/log.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_text.h"
#include "player/cart/cstore.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/shell_init.h"
#include "player/shell_state.h"

namespace {

void log_line(const char* format, const char* text) {
  char line[TARQ_PATH_MAX + 128];
  snprintf(line, sizeof line, format, text);
  tarq_debug(line);
}

// Copies the ROM bytes that the patch's change mask marks into the cart.
void apply_patch(tovo_cart* cart, tovo_cart* patch) {
  for (int32_t a = 0; a < TOVO_ROM_SIZE; a++)
    if (patch->change_mask[a >> 3] & (1 << (a & 7))) tovo_poke(nullptr, cart, a, tovo_peek(nullptr, patch, a));
}

void apply_sandboxed_patch(tovo_cart* cart) {
  log_line("prepare_loaded_cart: looking for sandboxed cart patch: %s\n", disk_state.gscf_buffer);
  // The patch's reasons are no answer to the load that is being prepared.
  int32_t text_reason = disk_state.text_cart_reason;
  tovo_cart* patch = tarq_load_tovo_cart(disk_state.gscf_buffer);
  disk_state.text_cart_reason = text_reason;
  if (!patch) {
    tarq_debug("  not found\n");
    return;
  }
  tarq_debug("  found\n");
  apply_patch(cart, patch);
  tarq_destroy_tovo_cart(patch);
}

}  // namespace

void tovo_agree_shared_half(tovo_cart* cart) {
  bool map_used = false;
  for (int32_t a = TOVO_SHARED_START; a < TOVO_MAP_START && !map_used; a++) map_used = cart->map->pixels[a] != 0;
  // A poke of the shared half writes both the sheet's pixels and the map cell.
  for (int32_t a = TOVO_SHARED_START; a < TOVO_MAP_START; a++)
    tovo_poke(nullptr, cart, a, map_used ? cart->map->pixels[a] : tovo_peek(nullptr, cart, a));
}

void prepare_loaded_cart(tovo_cart* cart, const char* path) {
  if (!cart) return;
  if (pitem(0) != cart) tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = cart;
  pitems() = 1;
  if (!cart->legacy_done) apply_legacy_changes(cart);
  tovo_agree_shared_half(cart);

  disk_state.edit_flag = 0;
  hash_cart(cart, disk_state.load_hash);
  split_code_to_tabs(cart);
  merge_code_from_tabs(cart);
  hash_cart(cart, disk_state.saved_hash);

  get_sandboxed_cstore_filename(disk_state.saved_hash);
  snprintf(disk_state.cart_filename, sizeof disk_state.cart_filename, "%s",
           path && path[0] ? path : disk_state.gscf_buffer);
  apply_sandboxed_patch(cart);

  reset_editor_for_new_cart();
  if (!tovo_cart_is_running()) run_state().param[0] = 0;
}
