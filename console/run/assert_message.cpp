#include "console/run/assert_message.h"

#include <cstring>

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
