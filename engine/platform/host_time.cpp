// Dates, the process CPU timer and delays.
#include <SDL.h>

#include <cstdio>
#include <ctime>

#include "engine/log.h"
#include "engine/platform/host.h"

static timespec tarq_timer_t0;

static bool current_tm(int local, struct tm* out) {
  time_t now = time(nullptr);
  return (local ? localtime_r(&now, out) : gmtime_r(&now, out)) != nullptr;
}

int32_t tarq_get_date(int32_t* year, int32_t* month, int32_t* day) {
  struct tm t;
  if (!current_tm(1, &t)) {
    tarq_debug("warning: tarq_get_date failed\n");
    return 0;
  }
  if (year) *year = t.tm_year + 1900;
  if (month) *month = t.tm_mon + 1;
  if (day) *day = t.tm_mday;
  return (t.tm_year + 1900) * 10000 + (t.tm_mon + 1) * 100 + t.tm_mday;
}

void tarq_get_datetime(tarq_datetime* out, int local) {
  struct tm t;
  if (!out) return;
  if (!current_tm(local, &t)) {
    *out = tarq_datetime{};
    return;
  }
  out->year = t.tm_year + 1900;
  out->month = t.tm_mon + 1;
  out->day = t.tm_mday;
  out->hour = t.tm_hour;
  out->minute = t.tm_min;
  out->second = t.tm_sec;
}

void tarq_timer_start() { clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &tarq_timer_t0); }

int32_t tarq_timer_end() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  int64_t ns =
      static_cast<int64_t>(now.tv_sec - tarq_timer_t0.tv_sec) * 1000000000 + (now.tv_nsec - tarq_timer_t0.tv_nsec);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ns)));
}
