#include "console/bindings/bindings_error.h"

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "script/api/api.h"

namespace {

// Records as the error's line the line of the cart's code that called the
// binding: the innermost frame that stands in the cart's code (the prelude's
// wrappers such as printh() stand between), else the innermost script frame.
void record_calling_line(lua_State* L) {
  int innermost = 0;
  lua_Debug ar;
  for (int level = 0; lua_getstack(L, level, &ar); level++) {
    if (!lua_getinfo(L, "l", &ar) || ar.currentline <= 0) continue;
    if (find_cart_line(ar.currentline, nullptr) > 0) {
      tovo_set_runtime_line(L, ar.currentline);
      return;
    }
    if (innermost == 0) innermost = ar.currentline;
  }
  tovo_set_runtime_line(L, innermost);
}

}  // namespace

int tovo_binding_error(lua_State* L, const char* message) {
  if (pstate().reset_counter != 0) return 0;
  record_calling_line(L);
  lua_pushstring(L, message);
  lua_error(L);
}
