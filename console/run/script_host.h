#pragma once
// The console as the script runtime's host: the services that every
// interpreter state the console makes is given (lua_sethost).
#include "script/console_services.h"

extern const lua_Host tovo_script_host;
