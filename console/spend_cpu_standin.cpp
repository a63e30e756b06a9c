// Stand-in for the run loop's spend_cpu; replaced by the console run loop.
#include "console/spend_cpu_standin.h"

#include "script/cpu.h"

int tovo_standin_spend_counter = 0;

void spend_cpu(int n) {
  if (n < 0) return;
  int c = (n < 1 ? 1 : n) * 2;
  tovo_standin_spend_counter += c;
  lua_add_cpu_cycles(c);
}
