// btn and btnp.
#include "console/bindings/api_bindings.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"
#include "script/api/api.h"

namespace {

int button_binding(lua_State* L, const int32_t (&state)[TOVO_PLAYERS][TOVO_BUTTONS]) {
  run_state().buttons_read = 1;
  int top = lua_gettop(L);
  if (top == 0) {
    int32_t bits = 0;
    for (int p = 0; p < 2; p++)
      for (int b = 0; b < TOVO_BUTTONS; b++)
        if (state[p][b]) bits |= 1 << (p * 8 + b);
    lua_pushnumber(L, bits << 16);
    return 1;
  }
  spend_cpu(4);
  int32_t i = lua_tonumberx(L, 1, nullptr) >> 16;
  i = i < 0 ? 0 : i > 7 ? 7 : i;
  int32_t p = 0;
  if (top >= 2) {
    int32_t v = lua_tonumberx(L, 2, nullptr);
    if (static_cast<uint32_t>(v) >= static_cast<uint32_t>(TOVO_PLAYERS << 16)) {
      lua_pushboolean(L, 0);
      return 1;
    }
    p = v >> 16;
  }
  lua_pushboolean(L, state[p][i] != 0);
  return 1;
}

}  // namespace

int kx_btn(lua_State* L) { return button_binding(L, pstate().held); }
int kx_btnp(lua_State* L) { return button_binding(L, button_state().pressed); }
