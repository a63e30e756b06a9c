#pragma once
// The script runner's host for the interpreter state it makes.
#include "script/console_services.h"

extern const lua_Host runscript_host;
