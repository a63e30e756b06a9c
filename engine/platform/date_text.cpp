// A time as local date and time text.
#include "engine/platform/date_text.h"

#include <ctime>

void tarq_print_date(time_t when, char* out) {
  struct tm t;
  if (!localtime_r(&when, &t) || strftime(out, 32, "%Y-%m-%d %H:%M:%S", &t) == 0) out[0] = 0;
}
