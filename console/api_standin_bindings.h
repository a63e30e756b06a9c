#pragma once
// What the stand-in bindings of api_standin_bindings.cpp keep for callers to
// check until their own modules replace them.
#include <string>

// Text printed by the stand-in print, one line per call.
extern std::string tovo_standin_printed;
