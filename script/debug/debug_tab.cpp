// Lines of the whole program text as lines of the console's code tabs.
#include "script/api/api.h"
#include "script/console_services.h"
#include "script/value/number.h"

int get_tovo_line(lua_State* L, int line) { return tovo_int2num(lua_gethost(L)->find_tab_line(line, nullptr)); }

int get_tovo_tab(lua_State* L, int line) {
  int tab = 0;
  lua_gethost(L)->find_tab_line(line, &tab);
  return tovo_int2num(tab);
}
