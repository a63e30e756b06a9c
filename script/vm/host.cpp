// The host's services of a state, and the null host that a state starts with.
#include "script/console_services.h"
#include "script/vm/state.h"

namespace {

int32_t no_peek(int32_t) { return 0; }
void no_charge(lua_State*, int) {}

int same_line(int line, int* tab) {
  if (tab) *tab = 0;
  return line;
}

void no_message(const char*) {}

}  // namespace

void lua_sethost(lua_State* L, const lua_Host* host) {
  lua_Host& h = G(L)->host;
  h = host ? *host : lua_Host{};
  if (!h.peek_1) h.peek_1 = no_peek;
  if (!h.peek_2) h.peek_2 = no_peek;
  if (!h.peek_4) h.peek_4 = no_peek;
  if (!h.spend_cpu) h.spend_cpu = no_charge;
  if (!h.find_tab_line) h.find_tab_line = same_line;
  if (!h.assert_message) h.assert_message = no_message;
}

const lua_Host* lua_gethost(lua_State* L) { return &G(L)->host; }
