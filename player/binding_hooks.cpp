// Joins the console's storage and output bindings to the shell's cart
// storage, the cart hash to the machine queries and the serial audio to the
// mixer's post-mix hook: installed when the program starts (the player
// library is linked whole, so this file's initialiser always runs).
#include <cstdio>
#include <cstring>

#include "console/cdata_bindings.h"
#include "console/host_output.h"
#include "console/serial.h"
#include "console/stat.h"
#include "player/cdata.h"
#include "player/cstore.h"
#include "player/disk.h"
#include "player/disk_state.h"
#include "player/record_output.h"
#include "engine/host.h"
#include "sound/sound.h"

namespace {

int load_cdata_hook(const char* id, const char** message) {
  int r = load_cdata(id);
  *message = r == TOVO_CDATA_ERROR ? tovo_cdata_error : nullptr;
  return r;
}

int cdata_opened_hook() { return disk_state.cdata_id[0] != 0; }

int copy_path(const char* path, char* out, int size) {
  int n = snprintf(out, static_cast<size_t>(size), "%s", path);
  return n < 0 || n >= size;
}

int mounted_sandboxed_file_hook(const char* name, char* out, int size) {
  const tovo_mounted_cart* mounted = get_embedded_cart_hash_for_filename(name, 0);
  return mounted && copy_path(get_sandboxed_cstore_filename(mounted->hash), out, size) == 0;
}

int cstore_file_for_name_hook(const char* name, char* out, int size) {
  char path[TARQ_PATH_MAX];
  return tovo_cstore_path_for_name(name, path) != 0 || copy_path(path, out, size) != 0;
}

int own_cstore_file_hook(char* out, int size) {
  if (!disk_state.saved_hash[0]) return 1;
  return copy_path(get_sandboxed_cstore_filename(disk_state.saved_hash), out, size);
}

int cstore_hook(const char* path, int32_t dst, int32_t src, int32_t len, int own, int sandboxed) {
  return cstore_cart_partial(path, dst, src, len, own, sandboxed);
}

const char* working_cart_hash_hook() { return disk_state.saved_hash; }

bool install() {
  tovo_storage = {load_cdata_hook,     cdata_opened_hook,  mounted_sandboxed_file_hook, cstore_file_for_name_hook,
                  own_cstore_file_hook, tarq_file_exists,   reload_cart_partial,         cstore_hook};
  tovo_output_path_for = prefix_with_file_output_path;
  stat_inputs.working_cart_hash = working_cart_hash_hook;
  tarq_set_post_mix_func(mix_serial_sound_buffer);
  return true;
}

const bool installed = install();

}  // namespace
