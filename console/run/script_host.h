#pragma once
// The console as the script runtime's host: the services that every
// interpreter state the console makes is given (lua_sethost), and the store
// of the last failing assert's message, shown by the runtime error report.
#include "script/console_services.h"

extern const lua_Host tovo_script_host;

constexpr int TOVO_ASSERT_MESSAGE_SIZE = 255;

// Empties the store and, for a non-null text, copies at most 254 characters
// of it in; the interpreter reaches it as its host's service before a
// failing assert raises its error.
void tovo_assert_message(const char* text);

// The stored message (empty when none).
const char* tovo_stored_assert_message();
