#include "player/capture/record_output.h"

#include <cstdio>
#include <cstring>

#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/io/path.h"
#include "engine/log.h"
#include "engine/platform/host.h"
#include "player/pod_title.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t MAX_NUMBER = 1000000;

char capture_name[TARQ_PATH_MAX];

bool name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ' ';
}

// The desktop folder is made when it is missing (a fresh home has none).
int place(const char* name, int32_t destination, char* out) {
  snprintf(capture_name, sizeof capture_name, "%s", name);
  if (destination != 0) return prefix_with_file_output_path(name, out);
  if (tarq_prefix_with_desktop_path(name, out) != 0) return 1;
  tarq_make_parent_folder(out);
  return 0;
}

}  // namespace

const char* get_output_file_name_base() {
  static char base[TARQ_PATH_MAX];
  snprintf(base, sizeof base, "%s", get_embedded_cart_title());
  if (base[0] == 0) snprintf(base, sizeof base, "TOVO");
  for (char* c = base; *c; c++)
    if (!name_char(*c)) *c = ' ';
  return base;
}

int prefix_with_file_output_path(const char* name, char* out) {
  char folder[TARQ_PATH_MAX];
  if (tarq_prefix_with_appdata_path("appdata", folder) != 0) return 1;
  tarq_mkdir(folder);
  char titled[TARQ_PATH_MAX];
  if (snprintf(titled, sizeof titled, "%s/%s", folder, get_output_file_name_base()) >= (int)sizeof titled) return 1;
  tarq_mkdir(titled);
  if (snprintf(out, TARQ_PATH_MAX, "%s/%s", titled, name) >= TARQ_PATH_MAX) {
    out[0] = 0;
    return 1;
  }
  char line[TARQ_PATH_MAX + 32];
  snprintf(line, sizeof line, "file output path: %s\n", out);
  tarq_debug(line);
  return 0;
}

const char* tovo_capture_name() { return capture_name; }

bool tovo_output_name_allowed(const char* name) {
  if (!name || !name[0]) return false;
  for (const char* c = name; *c; c++)
    if (!name_char(*c)) return false;
  return true;
}

int tovo_output_path(const char* extension, int32_t destination, char* out) {
  char name[TARQ_PATH_MAX];
  out[0] = 0;
  if (run_state().set_filename[0]) {
    if (!tovo_output_name_allowed(run_state().set_filename)) return 1;
    snprintf(name, sizeof name, "%s%s", run_state().set_filename, extension);
    return place(name, destination, out);
  }
  const char* base = get_output_file_name_base();
  for (int32_t i = 0; i < MAX_NUMBER; i++) {
    if (snprintf(name, sizeof name, "%s_%d%s", base, i, extension) >= (int)sizeof name) return 1;
    if (place(name, destination, out) != 0) return 1;
    if (!tarq_file_exists(out)) return 0;
  }
  out[0] = 0;
  return 1;
}
