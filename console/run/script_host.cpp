// The console's host record for the script runtime, and the store of the
// last failing assert's message.
#include "console/run/script_host.h"

#include <cstring>

#include "console/machine/address_space.h"
#include "console/run/code_tabs.h"
#include "console/run/spend_cpu.h"

const lua_Host tovo_script_host = {tovo_peek_1,      tovo_peek_2,   tovo_peek_4,
                                   script_spend_cpu, find_tab_line, tovo_assert_message};

namespace {
char tovo_assert_message_store[TOVO_ASSERT_MESSAGE_SIZE] = {};
}  // namespace

const char* tovo_stored_assert_message() { return tovo_assert_message_store; }

void tovo_assert_message(const char* text) {
  std::memset(tovo_assert_message_store, 0, sizeof tovo_assert_message_store);
  if (text == nullptr) return;
  size_t n = std::strlen(text);
  if (n > TOVO_ASSERT_MESSAGE_SIZE - 1) n = TOVO_ASSERT_MESSAGE_SIZE - 1;
  std::memcpy(tovo_assert_message_store, text, n);
}
