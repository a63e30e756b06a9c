#pragma once
// A time as local date and time text. The player prints no date this way.
#include <ctime>

void tarq_print_date(time_t t, char* out);  // 32 bytes, "%Y-%m-%d %H:%M:%S" local
