// Cart data files.
#include "player/cart/cdata.h"

#include <cstdio>
#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/io/file.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/cart/disk_state.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t READ_MAX = 1024;
constexpr int32_t DIGITS_MAX = 512;

int32_t hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool id_char_ok(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'; }

void parse_words(const uint8_t* data, int32_t size) {
  int32_t digits = 0;
  uint32_t word = 0;
  for (int32_t i = 0; i < size && digits < DIGITS_MAX; i++) {
    int32_t v = hex_digit(static_cast<char>(data[i]));
    if (v < 0) continue;
    word = word << 4 | static_cast<uint32_t>(v);
    digits++;
    if (digits % 8 == 0 || digits == DIGITS_MAX) {
      pstate().cart_data[(digits - 1) / 8] = static_cast<int32_t>(word);
      word = 0;
    }
  }
  if (digits % 8) pstate().cart_data[digits / 8] = static_cast<int32_t>(word);
}

}  // namespace

bool tovo_cart_data_id_ok(const char* id) {
  size_t n = strlen(id);
  if (n == 0 || n > TOVO_CART_DATA_ID_MAX) return false;
  for (const char* p = id; *p; p++)
    if (!id_char_ok(*p)) return false;
  return true;
}

int tovo_cdata_filename(const char* id, char* out) {
  char folder[TARQ_PATH_MAX];
  if (disk_state.cdata_path[0]) snprintf(folder, sizeof folder, "%s", disk_state.cdata_path);
  else if (tarq_prefix_with_appdata_path("cdata/", folder) != 0) return 1;
  int n = snprintf(out, TARQ_PATH_MAX, "%s%s.kxd.txt", folder, id);
  return n < 0 || n >= TARQ_PATH_MAX;
}

const char* tovo_cdata_error = "";

int load_cdata(const char* id) {
  if (!id) return TOVO_CDATA_NO_ID;
  if (!tovo_cart_is_running()) return TOVO_CDATA_NO_FILE;
  if (disk_state.cdata_id[0]) {
    tovo_cdata_error = "cartdata() can only be called once";
    return TOVO_CDATA_ERROR;
  }
  size_t n = strlen(id);
  if (n == 0 || n > TOVO_CART_DATA_ID_MAX) {
    tovo_cdata_error = "cart data id too long";
    return TOVO_CDATA_ERROR;
  }
  if (!tovo_cart_data_id_ok(id)) {
    tovo_cdata_error = "cart data id: bad char";
    return TOVO_CDATA_ERROR;
  }
  snprintf(disk_state.cdata_id, sizeof disk_state.cdata_id, "%s", id);
  memset(pstate().cart_data, 0, sizeof pstate().cart_data);
  char path[TARQ_PATH_MAX];
  if (tovo_cdata_filename(id, path) != 0) return TOVO_CDATA_NO_FILE;
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return TOVO_CDATA_NO_FILE;
  int32_t size = 0;
  uint8_t* data = tovo_read_stream(f, READ_MAX, &size);
  tarq_fclose(f);
  if (data) parse_words(data, size);
  tarq_free(data);
  return TOVO_CDATA_READ;
}

int save_cdata() {
  if (!tovo_cart_is_running() || !tovo_cart_data_id_ok(disk_state.cdata_id)) {
    pstate().cart_data_dirty = 0;
    return 0;
  }
  char path[TARQ_PATH_MAX], temp[TARQ_PATH_MAX];
  char text[TOVO_CDATA_FILE_SIZE + 1];
  int32_t pos = 0;
  for (int32_t line = 0; line < 8; line++) {
    for (int32_t w = 0; w < 8; w++)
      pos += snprintf(text + pos, sizeof text - static_cast<size_t>(pos), "%08x",
                      static_cast<uint32_t>(pstate().cart_data[line * 8 + w]));
    text[pos++] = '\n';
  }
  if (tovo_cdata_filename(disk_state.cdata_id, path) != 0) return 1;
  tarq_file* f = tovo_open_temp_for(path, temp);
  if (!f) return 1;
  bool ok = tarq_fwrite(text, 1, TOVO_CDATA_FILE_SIZE, f) == TOVO_CDATA_FILE_SIZE;
  if (tovo_commit_temp(f, temp, path, ok) != 0) return 1;
  pstate().cart_data_dirty = 0;
  return 0;
}

void close_cdata() {
  save_cdata();
  disk_state.cdata_id[0] = 0;
}
