// The bulletin-board requests of list pages and information files.
#include "player/browser/splore_requests.h"

#include <cstdio>
#include <cstring>

#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "player/browser/splore.h"
#include "player/browser/splore_download.h"
#include "player/shell_state.h"

namespace {

constexpr const char* VERSION_TEXT = "000204";

bool app_path(const char* name, char* out) { return tarq_prefix_with_appdata_path(name, out) == 0; }

}  // namespace

int download_list(const char* name, const char* request, int32_t start_index) {
  char url[SPLORE_URL_MAX * 2], local[TARQ_PATH_MAX], file[TARQ_PATH_MAX], copy[TARQ_PATH_MAX], bbs[TARQ_PATH_MAX];
  int n = snprintf(url, sizeof url, "%s/bbs/cpost_lister3.php?max=32&start_index=%d&%s&version=%s%c&cfil=%d",
                   splore_bbs_base(), start_index, request, VERSION_TEXT, get_platform_char(), app.splore_filter);
  if (n < 0 || n >= (int)sizeof url) return 1;
  snprintf(local, sizeof local, start_index > 0 ? "bbs/temp_%s__.pip.png" : "bbs/temp_%s.pip.png", name);
  snprintf(copy, sizeof copy, "bbs/%s.pip.png", name);
  if (!app_path("bbs", bbs) || !app_path(local, file) || !app_path(copy, splore.download.copy_to)) return 1;
  tarq_mkdir(bbs);
  return download_file(url, file, SPLORE_AWAIT_INFO);
}

int download_bbs_cart_nfo(const char* lid, int32_t kind) {
  char path[TARQ_PATH_MAX], url[SPLORE_URL_MAX * 2], bare[SPLORE_TEXT];
  strip_lid_version(lid, bare);
  get_bbs_cart_filename_nfo(lid, path);
  int n = snprintf(url, sizeof url, "%s/bbs/cpost_lister3.php?nfo=1&version=%s%c&lid=%s", splore_bbs_base(),
                   VERSION_TEXT, get_platform_char(), bare);
  if (!path[0] || n < 0 || n >= (int)sizeof url) return 1;
  return download_file(url, path, kind);
}

void strip_lid_version(const char* lid, char* out) {
  snprintf(out, SPLORE_TEXT, "%s", lid);
  if (char* dash = strchr(out, '-')) *dash = 0;
}

char get_platform_char() { return 'r'; }
