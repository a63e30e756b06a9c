// The console services of the script runtime for the script runner, which
// has no machine: the peek operators read 0 (no memory is mapped), charges go
// to the interpreter's slice counter alone, a script file is one code tab
// without a prelude, and an assert's message is reported with its error.
#include "script/console_services.h"
#include "script/vm/cpu.h"

int32_t tovo_peek_1(int32_t) { return 0; }
int32_t tovo_peek_2(int32_t) { return 0; }
int32_t tovo_peek_4(int32_t) { return 0; }

void spend_cpu(int n) {
  if (n < 0) return;
  long long c = (n < 1 ? 1LL : static_cast<long long>(n)) * 2;
  lua_add_cpu_cycles(c > 0x3fffffff ? 0x3fffffff : static_cast<int>(c));
}

int find_tab_line(int line, int* tab) {
  if (tab) *tab = 0;
  return line;
}

void tovo_assert_message(const char*) {}
