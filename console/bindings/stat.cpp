// stat(n [, x]): the machine's condition for the cart.
#include "console/bindings/stat.h"

#include <cstdio>
#include <cstring>

#include "console/bindings/api_bindings.h"
#include "console/draw/gfx_state.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/serial.h"
#include "console/print/host_output.h"
#include "console/run/run.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "console/run/spend_cpu.h"
#include "engine/config.h"
#include "engine/formats/glyph_utf8.h"
#include "engine/formats/sha1.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/platform/joystick.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "script/api/api.h"
#include "sound/play/play.h"

namespace {

constexpr int32_t FORMAT_VERSION = 34;
constexpr int32_t MEMORY_CAP = 2097152;

int32_t whole(int32_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) << 16); }
void push_int(lua_State* L, int32_t v) { lua_pushnumber(L, whole(v)); }

bool devkit() { return pstate().ram[TOVO_REG_MOUSE_KEYBOARD] & TOVO_MOUSE_KEYBOARD_ON; }
bool relative() { return pstate().ram[TOVO_REG_MOUSE_KEYBOARD] & TOVO_MOUSE_KEYBOARD_LOCK; }
void devkit_message(const char* text) {
  if (stat_inputs().devkit_message_shown || !tovo_bbs_cart_running()) return;
  stat_inputs().devkit_message_shown = 1;
  tovo_shell().show_message(text, 2000);
}

int32_t memory_in_use() {
  int64_t bytes = int64_t{pstate().script_memory} + pstate().code_overhead;
  if (bytes > MEMORY_CAP - 1) bytes = MEMORY_CAP;
  return bytes < 0 ? 0 : static_cast<int32_t>(bytes * 64);
}

int32_t menu_items() { return tovo_shell().menu_item_count(); }
const char* cart_hash() {
  const char* h = tovo_shell().working_cart_hash();
  return h ? h : "";
}

void push_clipboard(lua_State* L) {
  const char* text = tovo_player_clipboard_text();
  if (!text) {
    lua_pushstring(L, "");
    return;
  }
  uint8_t* glyphs = convert_escaped_to_glyphs(text, nullptr);
  lua_pushstring(L, glyphs ? reinterpret_cast<const char*>(glyphs) : "");
  tarq_free(glyphs);
}

void push_next_typed_char(lua_State* L) {
  if (stat_inputs().key_queue_len == 0) {
    lua_pushstring(L, "");
    return;
  }
  char c = static_cast<char>(stat_inputs().key_queue[0]);
  stat_inputs().key_queue_len--;
  memmove(stat_inputs().key_queue, stat_inputs().key_queue + 1, static_cast<size_t>(stat_inputs().key_queue_len));
  lua_pushlstring(L, &c, 1);
}

void push_date(lua_State* L, int32_t field, int local) {
  tarq_datetime d{};
  tarq_get_datetime(&d, local);
  const int32_t values[6] = {d.year, d.month, d.day, d.hour, d.minute, d.second};
  push_int(L, values[field]);
}

void push_param_hash(lua_State* L) {
  char text[TOVO_PARAM_MAX + 64];
  int n = snprintf(text, sizeof text, "%s%s", run_state().param, cart_hash());
  char digest[41] = {};
  tarq_sha1(text, static_cast<size_t>(n < 0 ? 0 : n >= static_cast<int>(sizeof text) ? sizeof text - 1 : n), digest);
  lua_pushstring(L, digest);
}

void push_mouse(lua_State* L, int32_t index) {
  devkit_message("devkit mouse enabled");
  int32_t v[3] = {};
  tarq_get_mouse(&v[0], &v[1], &v[2]);
  push_int(L, v[index - 32]);
}

}  // namespace

bool tovo_bbs_cart_running() { return run_state().running_cart_lid[0] != 0 || stat_inputs().bbs_play; }

void tovo_push_stat(lua_State* L, int32_t n, int x) {
  const tovo_cart* cart = pstate().cart;
  switch (n) {
    case 0:
      lua_gc(L, LUA_GCCOLLECT, 0);
      lua_pushnumber(L, memory_in_use());
      return;
    case 1:
    case 2: lua_pushnumber(L, cycles_2_frame_capacity(get_cpu_cycles_since_flip(n - 1))); return;
    case 3: push_int(L, pstate().display); return;
    case 4: push_clipboard(L); return;
    case 5: push_int(L, FORMAT_VERSION); return;
    case 6: lua_pushlstring(L, run_state().param, strnlen(run_state().param, TOVO_PARAM_MAX)); return;
    case 7: push_int(L, run_state().current_fps); return;
    case 8: push_int(L, run_state().target_fps); return;
    case 9: push_int(L, tarq_get_fps()); return;
    case 10: push_int(L, run_state().drop_penalty); return;
    case 11: push_int(L, get_number_of_displays()); return;
    case 12: push_int(L, 23); return;
    case 13: push_int(L, 59 - 4 * menu_items()); return;
    case 14: push_int(L, 104); return;
    case 15: push_int(L, 68 + 4 * menu_items()); return;
    case 28:
      if (!devkit()) {
        lua_pushboolean(L, 0);
      } else {
        devkit_message("devkit keyboard enabled");
        if (x && lua_type(L, x) == LUA_TNUMBER)
          lua_pushboolean(L, tarq_get_key_state(lua_tonumberx(L, x, nullptr) >> 16) != 0);
        else lua_pushnumber(L, 0);
      }
      return;
    case 29: lua_pushnumber(L, tarq_count_joysticks()); return;
    case 30:
      if (devkit()) devkit_message("devkit keyboard enabled");
      lua_pushboolean(L, devkit() && stat_inputs().key_queue_len > 0);
      return;
    case 31:
      if (!devkit()) {
        lua_pushstring(L, "");
        return;
      }
      devkit_message("devkit keyboard enabled");
      push_next_typed_char(L);
      return;
    case 32:
    case 33:
    case 34:
      if (devkit()) push_mouse(L, n);
      else lua_pushnumber(L, 0);
      return;
    case 35:
    case 36:
      if (devkit()) devkit_message("devkit mouse enabled");
      push_int(L, !devkit() ? 0 : n == 35 ? button_state().wheel_x : button_state().wheel_y);
      return;
    case 37:
      push_int(L, stat_inputs().mouse_changes);
      stat_inputs().mouse_changes = 0;
      return;
    case 38:
    case 39:
      if (devkit()) devkit_message("devkit mouse enabled");
      push_int(L, !(devkit() && relative()) ? 0 : n == 38 ? button_state().rel_x : button_state().rel_y);
      return;
    case 40:
      if (devkit()) devkit_message("devkit mouse enabled");
      lua_pushnumber(L, 0);
      return;
    case 99: lua_pushnumber(L, memory_in_use()); return;
    case 100: lua_pushstring(L, get_run_chain_label()); return;
    case 101:
      if (run_state().running && run_state().running_cart_lid[0]) lua_pushstring(L, run_state().running_cart_lid);
      else lua_pushnil(L);
      return;
    case 103: lua_pushstring(L, cart_hash()); return;
    case 104: lua_pushboolean(L, 0); return;
    case 106: push_param_hash(L); return;
    case 107: push_int(L, run_state().load_status); return;
    case 108: push_int(L, serial_sound_buffer_pos()); return;
    case 109: push_int(L, cconfig.mix_buffer_size / 4); return;
    case 110: lua_pushboolean(L, run_state().step != 0); return;
    case 120: lua_pushboolean(L, get_serial_file_remaining() > 0); return;
    case 121: lua_pushboolean(L, get_serial_image_file_remaining() > 0); return;
    case 122: lua_pushboolean(L, stat_inputs().shell_word != 0); return;
    default: break;
  }
  if (n >= 16 && n <= 26) {
    push_int(L, cart ? tarq_sound_stat(n, cart) : -1);
  } else if (n >= 46 && n <= 56) {
    push_int(L, cart ? tarq_snapshot_stat(&stat_inputs().snapshot, n, cart) : 0);
  } else if (n >= 64 && n <= 71) {
    lua_pushnil(L);
  } else if (n >= 80 && n <= 85) {
    push_date(L, n - 80, 0);
  } else if (n >= 90 && n <= 95) {
    push_date(L, n - 90, 1);
  } else {
    lua_pushnumber(L, 0);
  }
}

int kx_stat(lua_State* L) {
  spend_cpu(16);
  int top = lua_gettop(L);
  int32_t n = top == 0 ? 1 : lua_tonumberx(L, 1, nullptr) >> 16;
  tovo_push_stat(L, n, top >= 2 ? 2 : 0);
  return 1;
}
