#pragma once
// Stand-in for raising a script runtime error until the frame loop and the
// script machine meet: the message is kept so that callers can be checked.
#include <cstdint>

extern char tovo_standin_runtime_error[256];
extern int32_t tovo_standin_runtime_errors;

// Raises a runtime error with a fixed message in the running cart.
void tovo_runtime_error_standin(const char* text);
