#pragma once
// The message of the last failing assert, shown by the runtime error report.
constexpr int TOVO_ASSERT_MESSAGE_SIZE = 255;

// Empties the store and, for a non-null text, copies at most 254 characters
// of it in; the interpreter reaches it as its host's service before a
// failing assert raises its error.
void tovo_assert_message(const char* text);

// The stored message (empty when none).
const char* tovo_stored_assert_message();
