#include "console/bindings/bindings_error.h"

#include "console/machine/pstate.h"
#include "script/api/api.h"

int tovo_binding_error(lua_State* L, const char* message) {
  if (pstate.reset_counter != 0) return 0;
  lua_pushstring(L, message);
  lua_error(L);
}
