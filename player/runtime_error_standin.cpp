#include "player/runtime_error_standin.h"

#include <cstdio>

char tovo_standin_runtime_error[256];
int32_t tovo_standin_runtime_errors = 0;

void tovo_runtime_error_standin(const char* text) {
  snprintf(tovo_standin_runtime_error, sizeof tovo_standin_runtime_error, "%s", text);
  tovo_standin_runtime_errors++;
}
