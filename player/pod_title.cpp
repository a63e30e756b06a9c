#include "player/pod_title.h"

#include <cstring>

#include "engine/data/pod.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t TITLE_ITEM = 4;

}  // namespace

const char* get_embedded_cart_title() {
  static char title[TARQ_PATH_MAX];
  title[0] = 0;
  tarq_file* item = shell.resources ? (tarq_file*)cpod_get_item(shell.resources, TITLE_ITEM, TARQ_ITEM_FILE) : nullptr;
  if (item && item->data && item->size > 0) {
    size_t n = item->size < TARQ_PATH_MAX - 1 ? (size_t)item->size : (size_t)TARQ_PATH_MAX - 1;
    memcpy(title, item->data, n);
    title[n] = 0;  // the text ends at its first NUL, if any
  }
  return title;
}
