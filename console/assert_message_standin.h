#pragma once
// Stand-in for the console's assert-message store until the run loop exists:
// the script runtime's assert hands it the message it is about to raise.

constexpr int TOVO_ASSERT_MESSAGE_SIZE = 256;

// Empties the store and, for a non-null text, copies at most 254 characters
// of it in, always terminated.
void tovo_assert_message(const char* text);

// The stored message.
extern char tovo_assert_message_store[TOVO_ASSERT_MESSAGE_SIZE];
