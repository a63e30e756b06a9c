#include "console/run/code_tabs.h"

#include <cstring>

#include "console/machine/cart.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/data/ctext.h"

namespace {

constexpr size_t SEPARATOR_LEN = sizeof TOVO_TAB_SEPARATOR - 1;

// Copies n bytes (cut to fit) into a tab.
void set_tab(int i, const char* text, size_t n) {
  if (n > TOVO_CODE_SIZE - 1) n = TOVO_CODE_SIZE - 1;
  std::memcpy(code_tab(i), text, n);
  code_tab(i)[n] = 0;
}

}  // namespace

int visible_code_tabs() {
  int last = 0;
  for (int i = 0; i < TOVO_CODE_TABS; i++)
    if (code_tab(i)[0]) last = i;
  if (code_tab_selected() > last && code_tab_selected() < TOVO_CODE_TABS) last = code_tab_selected();
  return last + 1;
}

void merge_code_from_tabs(tovo_cart* cart) {
  if (!cart || !cart->code) return;
  int last = visible_code_tabs() - 1;
  size_t used = 0;
  cart->code[0] = 0;
  for (int i = 0; i <= last; i++) {
    const char* parts[2] = {code_tab(i), i < last ? TOVO_TAB_SEPARATOR : ""};
    for (const char* part : parts) {
      size_t n = std::strlen(part);
      if (used + n > TOVO_CODE_SIZE - 1) n = TOVO_CODE_SIZE - 1 - used;
      std::memcpy(cart->code + used, part, n);
      used += n;
    }
  }
  cart->code[used] = 0;
}

void clear_code_tabs() {
  for (int32_t i = 0; i < TOVO_CODE_TABS; i++) code_tab(i)[0] = 0;
}

void split_code_to_tabs(const tovo_cart* cart) {
  clear_code_tabs();
  if (!cart || !cart->code) return;
  const char* at = cart->code;
  for (int i = 0; i < TOVO_CODE_TABS - 1; i++) {
    const char* cut = std::strstr(at, TOVO_TAB_SEPARATOR);
    if (!cut) {
      set_tab(i, at, std::strlen(at));
      return;
    }
    set_tab(i, at, static_cast<size_t>(cut - at));
    at = cut + SEPARATOR_LEN;
  }
  set_tab(TOVO_CODE_TABS - 1, at, std::strlen(at));
}

void update_punycode_encoding() {
  const int32_t encoding = tovo_shell().get_setting("punycode_encoding");
  for (int32_t tab = 0; tab < TOVO_CODE_TABS; tab++)
    if (tarq_ctext* record = tovo_shell().code_tab_record(tab)) record->keep_capitals = encoding;
}
