// Cart-data and cart-file bindings: cartdata, dget, dset, reload, cstore.
#include <cstdio>
#include <cstring>

#include "console/bindings/api_bindings.h"
#include "console/bindings/bindings_error.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/mem_bulk.h"
#include "console/machine/pstate.h"
#include "console/run/shell_port.h"
#include "console/run/spend_cpu.h"
#include "engine/io/path.h"
#include "engine/log_format.h"
#include "script/api/api.h"

namespace {

constexpr int32_t WORD_LIMIT = TOVO_CART_DATA_WORDS << 16;
constexpr size_t NAME_LIMIT = 512;

int32_t int_arg(lua_State* L, int i) { return lua_tonumberx(L, i, nullptr) >> 16; }
bool cdata_opened() { return tovo_shell().cdata_opened() != 0; }

// A word index 0-63 of argument 1, or -1.
int32_t word_index(lua_State* L) {
  int32_t v = lua_tonumberx(L, 1, nullptr);
  return static_cast<uint32_t>(v) < static_cast<uint32_t>(WORD_LIMIT) ? v >> 16 : -1;
}

int32_t min_4096(int32_t n) { return n > 4096 ? 4096 : n; }

// The file that a named reload reads: a mounted cart's sandboxed cstore
// file (or the mounted cart itself when that file does not exist), else the
// name inside the cstore folder. False when the name is refused.
bool reload_file(const char* name, char* path) {
  if (tovo_shell().mounted_sandboxed_file(name, path, TARQ_PATH_MAX) == 0) {
    if (tovo_shell().file_exists(path)) return true;
    tarq_logf("sandboxed_cstore file not found: %s\n", path);
    snprintf(path, TARQ_PATH_MAX, "%s", name);
    tarq_logf("  --> using internal file: %s\n", path);
    return true;
  }
  return tovo_shell().cstore_file_for_name(name, path, TARQ_PATH_MAX) == 0;
}

}  // namespace

int kx_cartdata(lua_State* L) {
  int t = lua_type(L, 1);
  if (t != LUA_TSTRING && t != LUA_TNUMBER) return 0;
  const char* message = nullptr;
  int r = tovo_shell().load_cdata(lua_tolstring(L, 1, nullptr), &message);
  if (r == 2 && message) return tovo_binding_error(L, message);
  lua_pushboolean(L, r == 0);
  return 1;
}

int kx_dget(lua_State* L) {
  if (!cdata_opened()) return tovo_binding_error(L, "dget called before cartdata()");
  int32_t i = word_index(L);
  lua_pushnumber(L, i < 0 ? 0 : pstate().cart_data[i]);
  return 1;
}

int kx_dset(lua_State* L) {
  if (!cdata_opened()) return tovo_binding_error(L, "dset called before cartdata()");
  int32_t i = word_index(L);
  if (i < 0) return 0;
  int32_t v = lua_tonumberx(L, 2, nullptr);
  if (pstate().cart_data[i] != v) {
    pstate().cart_data[i] = v;
    pstate().cart_data_dirty = 1;
  }
  return 0;
}

int kx_reload(lua_State* L) {
  int top = lua_gettop(L);
  int32_t dst = 0, src = 0, len = TOVO_ROM_SIZE, cost = 32768;
  if (top >= 3) {
    dst = int_arg(L, 1);
    src = int_arg(L, 2);
    len = static_cast<int16_t>(int_arg(L, 3));
    cost = 8 * min_4096(len);
  }
  spend_cpu(cost);
  int32_t result = len;
  if (top == 4 && lua_type(L, 4) == LUA_TSTRING) {
    const char* name = lua_tolstring(L, 4, nullptr);
    char path[TARQ_PATH_MAX];
    if (strncmp(name, "__", 2) == 0 || !reload_file(name[0] == '/' ? name + 1 : name, path)) {
      result = 0;
    } else {
      tarq_logf("  reload()ing %d bytes from: %s\n", len, path);
      bool ok = tovo_shell().reload_cart_partial(path, dst, src, len) == 0;
      result = ok ? len : 0;
    }
  } else {
    tovo_reload(&pstate(), pstate().cart, dst, src, len);
  }
  lua_pushnumber(L, static_cast<int32_t>(static_cast<uint32_t>(result) << 16));
  return 1;
}

int kx_cstore(lua_State* L) {
  int top = lua_gettop(L);
  int32_t dst = 0, src = 0, len = TOVO_ROM_SIZE, cost = 0x40000;
  if (top >= 3) {
    dst = int_arg(L, 1);
    src = int_arg(L, 2);
    len = int_arg(L, 3);
    cost = 64 * min_4096(len);
  }
  spend_cpu(cost);
  char path[TARQ_PATH_MAX];
  int own = 0, sandboxed = 1;
  if (top > 3 && lua_type(L, 4) == LUA_TSTRING) {
    size_t n = 0;
    const char* name = lua_tolstring(L, 4, &n);
    if (n >= NAME_LIMIT || strncmp(name, "__", 2) == 0) {
      lua_pushnumber(L, 0);
      return 1;
    }
    if (name[0] == '/') name++;
    bool mounted = tovo_shell().mounted_sandboxed_file(name, path, TARQ_PATH_MAX) == 0;
    if (!mounted) {
      sandboxed = 0;
      if (tovo_shell().cstore_file_for_name(name, path, TARQ_PATH_MAX) != 0) {
        lua_pushnumber(L, 0);
        return 1;
      }
    }
  } else {
    own = 1;
    if (tovo_shell().own_cstore_file(path, TARQ_PATH_MAX) != 0) {
      lua_pushnumber(L, 0);
      return 1;
    }
  }
  tarq_logf("kx_cstore: storing %d bytes as: %s\n", len, path);
  bool ok = tovo_shell().cstore_cart_partial(path, dst, src, len, own, sandboxed) == 0;
  lua_pushnumber(L, ok ? static_cast<int32_t>(static_cast<uint32_t>(len) << 16) : 0);
  return 1;
}
