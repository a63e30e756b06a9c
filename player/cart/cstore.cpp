// cstore and reload between cart files and machine memory.
#include "player/cart/cstore.h"

#include <cstdio>
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/platform/host.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"

namespace {

constexpr int32_t CSTORE_RUN_PAUSE = 30;
constexpr int32_t RECENT_ACCESS_TICKS = 150;
constexpr int32_t MAX_COPY = 0x10000;

bool name_has(const char* name, const char* part) { return tarq_strcasestr(name, part) != nullptr; }

// Remembers a name cstore wrote; false when the list is full.
bool note_written_name(const char* name) {
  for (int32_t i = 0; i < disk_state.cstore_name_count; i++)
    if (strcmp(disk_state.cstore_names[i], name) == 0) return true;
  if (disk_state.cstore_name_count >= TOVO_CSTORE_MAX_NAMES) return false;
  snprintf(disk_state.cstore_names[disk_state.cstore_name_count++], TARQ_PATH_MAX, "%s", name);
  return true;
}

// A byte of machine memory, 0 where the machine has nothing behind it yet.
int32_t machine_byte(int32_t address) {
  uint32_t fixed = (static_cast<uint32_t>(address) & 0xffff) << 16;
  return tovo_peek_1(static_cast<int32_t>(fixed)) >> 16;
}

int32_t copy_length(int32_t len) { return len < 0 ? 0 : len > MAX_COPY ? MAX_COPY : len; }

bool allowed_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == ' ';
}

}  // namespace

int tovo_prefix_with_cstore_path(const char* suffix, const char* prefix, char* out) {
  char folder[TARQ_PATH_MAX];
  if (tarq_prefix_with_appdata_path("cstore/", folder) != 0) {
    out[0] = 0;
    return 1;
  }
  int n = snprintf(out, TARQ_PATH_MAX, "%s%s%s", folder, prefix, suffix);
  if (n < 0 || n >= TARQ_PATH_MAX) {
    out[0] = 0;
    return 1;
  }
  return 0;
}

const char* get_sandboxed_cstore_filename(const char* hash) {
  char suffix[TOVO_HASH_SIZE + 8];
  snprintf(suffix, sizeof suffix, "%.40s.kx", hash);
  tovo_prefix_with_cstore_path(suffix, "__", disk_state.gscf_buffer);
  return disk_state.gscf_buffer;
}

int tovo_cstore_path_for_name(const char* name, char* out) {
  out[0] = 0;
  if (!name) return 1;
  if (name[0] == '/') name++;
  if (!name[0] || strstr(name, "..")) return 1;
  for (const char* p = name; *p; p++)
    if (!allowed_name_char(*p)) return 1;
  return tovo_prefix_with_cstore_path(name, "", out);
}

int cstore_cart_partial(const char* name, int32_t dest, int32_t src, int32_t len, int also_working, int sandboxed) {
  if (!note_written_name(name)) return TOVO_CSTORE_TOO_MANY_FILES;
  snprintf(disk_state.last_file, sizeof disk_state.last_file, "%s", name);
  disk_state.run_pause = CSTORE_RUN_PAUSE;

  tovo_cart* cart = load_tovo_cart_any_format(name);
  if (!cart) {
    if (disk_state.text_cart_reason == TOVO_TEXT_CART_FUTURE || disk_state.png_cart_reason == TOVO_PNG_CART_FUTURE)
      return TOVO_CSTORE_WRITE_FAILED;
    cart = tarq_create_tovo_cart();
    if (!cart) return TOVO_CSTORE_WRITE_FAILED;
    if (sandboxed) memset(cart->change_mask, 0, sizeof cart->change_mask);
  }
  tovo_cart* working = also_working ? pitem(0) : nullptr;
  int32_t n = copy_length(len);
  for (int32_t i = 0; i < n; i++) {
    int32_t v = machine_byte(src + i);
    uint32_t a = static_cast<uint32_t>(dest + i) & 0xffff;
    tovo_poke(nullptr, cart, static_cast<int32_t>(a), v);
    if (working) tovo_poke(nullptr, working, static_cast<int32_t>(a), v);
    if (sandboxed && a < static_cast<uint32_t>(TOVO_ROM_SIZE))
      cart->change_mask[a >> 3] |= static_cast<uint8_t>(1 << (a & 7));
  }
  int written = name_has(name, ".png") || name_has(name, ".rom") ? save_tovo_cart_png(cart, name)
                                                                 : tarq_save_tovo_cart(cart, name);
  tarq_destroy_tovo_cart(cart);
  return written == 0 ? TOVO_CSTORE_OK : TOVO_CSTORE_WRITE_FAILED;
}

int reload_cart_partial(const char* name, int32_t dest, int32_t src, int32_t len) {
  if (strcmp(name, disk_state.last_file) != 0) {
    snprintf(disk_state.last_file, sizeof disk_state.last_file, "%s", name);
    int32_t pause = 30 - disk_state.recent_access;
    disk_state.run_pause = pause < 2 ? 2 : pause > 30 ? 30 : pause;
    disk_state.recent_access = RECENT_ACCESS_TICKS;
  }
  tovo_cart* cart = load_tovo_cart_any_format(name);
  if (!cart) return 1;
  int32_t n = pstate().cart && pstate().draw_target ? copy_length(len) : 0;
  for (int32_t i = 0; i < n; i++) tovo_poke(&pstate(), pstate().cart, dest + i, tovo_peek(nullptr, cart, src + i));
  tarq_destroy_tovo_cart(cart);
  return 0;
}
