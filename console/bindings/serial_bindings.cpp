// serial(channel, address, length [, count]) and serial(channel, text).
#include "console/bindings/api_bindings.h"
#include "console/machine/serial.h"
#include "console/run/spend_cpu.h"
#include "script/api/api.h"

int kx_serial(lua_State* L) {
  int top = lua_gettop(L);
  int32_t ch = lua_tonumberx(L, 1, nullptr) >> 16;
  if (top == 2 && lua_type(L, 2) == LUA_TSTRING) {
    set_serial_parameters(ch, lua_tolstring(L, 2, nullptr));
    return 0;
  }
  int32_t addr = lua_tonumberx(L, 2, nullptr) >> 16;
  int64_t bits = int64_t{lua_tonumberx(L, 3, nullptr) >> 16} * 8;
  int32_t count = 1;
  if (top >= 4) {
    int32_t v = lua_tonumberx(L, 4, nullptr);
    if (v < 0x10000) {
      spend_cpu(0);
      lua_pushnumber(L, 0);
      return 1;
    }
    count = v >> 16;
  }
  int64_t sum = 0;
  for (int32_t k = 0; k < count; k++) sum += write_to_serial_channel(ch, addr, bits);
  int64_t charge = sum / 64;
  spend_cpu(static_cast<int>(charge > 0x3fffffff ? 0x3fffffff : charge));
  lua_pushnumber(L, static_cast<int32_t>(static_cast<uint32_t>(sum / 8) << 16));
  return 1;
}
