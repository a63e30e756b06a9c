// Debugging prints, and the process CPU-time timer.
#include "player/debug_tools.h"

#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"

int32_t test_strstr(const char* text, const char* part) {
  const char* at = text && part ? strstr(text, part) : nullptr;
  int32_t offset = at ? (int32_t)(at - text) : -1;
  printf("strstr: [%s] in [%s]: %d\n", part ? part : "", text ? text : "", offset);
  return offset;
}

void debug_print_pattern_0(const char* label) {
  const tovo_cart* cart = pitem(0);
  if (!cart) return;
  printf("%s: %d %d %d %d (%d ms)\n", label ? label : "", cart->music[0][0], cart->music[0][1], cart->music[0][2],
         cart->music[0][3], tarq_get_time());
}

// The process CPU-time timer.
void timer_start() { tarq_timer_start(); }
int32_t timer_end() { return tarq_timer_end(); }
