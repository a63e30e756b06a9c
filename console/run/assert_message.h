#pragma once
// The message of the last failing assert, shown by the runtime error report.
constexpr int TOVO_ASSERT_MESSAGE_SIZE = 255;

// tovo_assert_message (declared with the script runtime's console services)
// empties the store and, for a non-null text, copies at most 254 characters
// of it in.
#include "script/console_services.h"

// The stored message (empty when none).
extern char tovo_assert_message_store[TOVO_ASSERT_MESSAGE_SIZE];
