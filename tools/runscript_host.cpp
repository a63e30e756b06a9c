// The console services of the script runtime for the script runner, which
// has no machine: the peek operators read 0 (no memory is mapped), charges go
// to the interpreter's slice counter alone, a script file is one code tab
// without a prelude, and an assert's message is reported with its error.
#include "tools/runscript_host.h"

#include "script/vm/cpu.h"

namespace {

int32_t no_memory(int32_t) { return 0; }

void spend_cpu(lua_State* L, int n) {
  if (n < 0) return;
  long long c = (n < 1 ? 1LL : static_cast<long long>(n)) * 2;
  lua_add_cpu_cycles(L, c > 0x3fffffff ? 0x3fffffff : static_cast<int>(c));
}

int find_tab_line(int line, int* tab) {
  if (tab) *tab = 0;
  return line;
}

void assert_message(const char*) {}

}  // namespace

const lua_Host runscript_host = {no_memory, no_memory, no_memory, spend_cpu, find_tab_line, assert_message};
