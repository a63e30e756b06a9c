// Backups of cart files.
#include "player/cart/backup.h"

#include <cstdio>
#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "engine/io/file.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk_state.h"

namespace {

constexpr int32_t RAW_MAX = 1 << 20;

int copy_raw(const char* from, const char* to) {
  tarq_file* in = tarq_fopen(from, "rb");
  if (!in) return 1;
  int32_t size = 0;
  uint8_t* data = tovo_read_stream(in, RAW_MAX, &size);
  tarq_fclose(in);
  if (!data) return 1;
  char temp[TARQ_PATH_MAX];
  tarq_file* out = tovo_open_temp_for(to, temp);
  int result = 1;
  if (out) {
    bool ok = tarq_fwrite(data, 1, static_cast<size_t>(size), out) == static_cast<size_t>(size);
    result = tovo_commit_temp(out, temp, to, ok);
  }
  tarq_free(data);
  return result;
}

}  // namespace

int tovo_backup_filename(const char* name, char* out) {
  char base[TARQ_PATH_MAX], ext[TARQ_PATH_MAX];
  if (name[0]) {
    tarq_split_filename(name, nullptr, base, ext);
  } else {
    snprintf(base, sizeof base, "untitled");
    snprintf(ext, sizeof ext, ".kx");
  }
  tarq_datetime t;
  tarq_get_datetime(&t, 1);
  char file[TARQ_PATH_MAX];
  int n = snprintf(file, sizeof file, "backup/%4d%02d%02d_%02d%02d%02d_%s%s", t.year, t.month, t.day, t.hour, t.minute,
                   t.second, base, ext);
  if (n < 0 || n >= TARQ_PATH_MAX) return 1;
  return tarq_prefix_with_appdata_path(file, out) != 0;
}

int save_backup(const char* name, int raw) {
  char path[TARQ_PATH_MAX];
  if (tovo_backup_filename(name, path) != 0) return 1;
  char folder[TARQ_PATH_MAX];
  if (tarq_prefix_with_appdata_path("backup/", folder) == 0) tarq_mkdir(folder);
  if (raw) return copy_raw(name, path);
  tovo_cart* cart = pitem(0);
  if (!cart) return 1;
  merge_code_from_tabs(cart);
  return tarq_strcasestr(name, ".png") ? save_tovo_cart_png(cart, path) : tarq_save_tovo_cart(cart, path);
}
