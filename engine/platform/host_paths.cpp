// The application, program, desktop and working folders, and the small file
// services over them. Every path is built with bounded formatting; one that
// does not fit is refused.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/config.h"
#include "engine/io/file.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"

constexpr const char* TARQ_APPDATA_FOLDER = ".halvorn";

// out = folder + '/' + name, the '/' only when the folder does not end in one.
// `out` may be the buffer that holds the name.
static int join_path(const char* folder, const char* name, char* out) {
  size_t len = strlen(folder);
  const char* sep = (len > 0 && folder[len - 1] != '/') ? "/" : "";
  char joined[TARQ_PATH_MAX];
  int n = snprintf(joined, sizeof(joined), "%s%s%s", folder, sep, name);
  if (n < 0 || n >= TARQ_PATH_MAX) {
    out[0] = 0;
    return 1;
  }
  memcpy(out, joined, static_cast<size_t>(n) + 1);
  return 0;
}

static bool setting_is_set(const char* path) { return path[0] != 0 && path[0] != ' '; }

static const char* home_folder() {
  const char* home = getenv("HOME");
  return (home && home[0]) ? home : nullptr;
}

int tarq_mkdir(const char* path) { return mkdir(path, 0755); }

void tarq_make_parent_folder(const char* path) {
  char folder[TARQ_PATH_MAX];
  if (snprintf(folder, sizeof folder, "%s", path) >= (int)sizeof folder) return;
  char* slash = strrchr(folder, '/');
  if (!slash || slash == folder) return;
  *slash = 0;
  if (!tarq_directory_exists(folder)) tarq_mkdir(folder);
}

int tarq_remove(const char* path) { return remove(path); }

int tarq_file_exists(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return 0;
  tarq_fclose(f);
  return 1;
}

int tarq_prefix_with_appdata_path(const char* name, char* out) {
  if (setting_is_set(cconfig.home_path)) {
    tarq_mkdir(cconfig.home_path);
    return join_path(cconfig.home_path, name, out);
  }
  const char* home = home_folder();
  if (!home) return join_path("", name, out);

  char folder[TARQ_PATH_MAX];
  int n = snprintf(folder, sizeof(folder), "%s/%s/", home, TARQ_APPDATA_FOLDER);
  if (n < 0 || n >= static_cast<int>(sizeof(folder))) {
    out[0] = 0;
    return 1;
  }
  tarq_mkdir(folder);
  const char* title = tarq_state.app_title;
  if (title[0]) {
    n = snprintf(folder, sizeof(folder), "%s/%s/%s/", home, TARQ_APPDATA_FOLDER, title);
    if (n < 0 || n >= static_cast<int>(sizeof(folder))) {
      out[0] = 0;
      return 1;
    }
    tarq_mkdir(folder);
  }
  return join_path(folder, name, out);
}

int tarq_prefix_with_program_path(const char* name, char* out) {
  char exe[512];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe));
  if (n <= 0 || n >= static_cast<ssize_t>(sizeof(exe))) {
    tarq_debug("** ERROR: tarq_prefix_with_program_path failed.\n");
    return join_path("./", name, out);
  }
  exe[n] = 0;
  char* slash = strrchr(exe, '/');
  if (slash) slash[1] = 0;
  else snprintf(exe, sizeof(exe), "./");
  return join_path(exe, name, out);
}

int tarq_prefix_with_desktop_path(const char* name, char* out) {
  if (setting_is_set(cconfig.desktop_path)) {
    tarq_mkdir(cconfig.desktop_path);
    return join_path(cconfig.desktop_path, name, out);
  }
  const char* home = home_folder();
  if (!home) return join_path("", name, out);
  char folder[TARQ_PATH_MAX];
  int n = snprintf(folder, sizeof(folder), "%s/Desktop/", home);
  if (n < 0 || n >= static_cast<int>(sizeof(folder))) {
    out[0] = 0;
    return 1;
  }
  return join_path(folder, name, out);
}

int tarq_prefix_with_current_path(const char* name, char* out) {
  char cwd[TARQ_PATH_MAX];
  if (!getcwd(cwd, sizeof(cwd))) return join_path("", name, out);
  return join_path(cwd, name, out);
}
