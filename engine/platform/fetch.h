#pragma once
// Downloads by the download command (wget), started with posix_spawnp and an
// argument vector. The command writes the body to a pipe; the fetching thread
// counts the bytes as they come and writes them to the local file, so a body
// over its limit is cut off before it fills the disk or memory.
//
// A fetch runs on the thread that calls tarq_fetch_run and blocks it until
// the command has ended and been reaped. Any other thread may end it with
// tarq_fetch_end, which kills the command by its pid; the fetching thread
// then reaps it. The command is reaped only while the lock is held, so a pid
// that is killed always still names the command.
#include <sys/types.h>

#include <cstdint>
#include <mutex>

struct tarq_fetch_limits {
  int32_t timeout_s;    // connecting and each wait for data (the command's --timeout)
  int32_t tries;        // the command's --tries
  int64_t max_bytes;    // a longer body is refused
  int32_t deadline_ms;  // the whole download; 0 none
};

constexpr int32_t TARQ_FETCH_TIMEOUT_S = 15;
constexpr int32_t TARQ_FETCH_TRIES = 1;
constexpr int64_t TARQ_FETCH_MAX_BYTES = 16 << 20;
constexpr int32_t TARQ_FETCH_DEADLINE_MS = 60000;
constexpr tarq_fetch_limits TARQ_FETCH_DEFAULTS = {TARQ_FETCH_TIMEOUT_S, TARQ_FETCH_TRIES, TARQ_FETCH_MAX_BYTES,
                                                   TARQ_FETCH_DEADLINE_MS};

enum : int32_t {
  TARQ_FETCH_OK = 0,         // the body is in the local file
  TARQ_FETCH_FAILED = 1,     // not started, or the command failed (no connection, an HTTP error, a bad file)
  TARQ_FETCH_TOO_LARGE = 2,  // more than max_bytes came
  TARQ_FETCH_TIMED_OUT = 3,  // the deadline passed
  TARQ_FETCH_ENDED = 4,      // ended by tarq_fetch_end
};

struct tarq_fetch {
  std::mutex lock;
  pid_t pid = 0;       // the running command, 0 none
  bool ended = false;  // ended: no command starts until tarq_fetch_reset
};

// Fetches the URL (at most TARQ_URL_MAX characters; http and https addresses
// are escaped) into local_file, posting post_file's contents when it is not
// null. The local file holds the body after TARQ_FETCH_OK and is removed
// after every other result.
int32_t tarq_fetch_run(tarq_fetch* f, const char* url, const char* local_file, const char* post_file,
                       const tarq_fetch_limits* limits);
// From any thread: kills the running command and keeps any other from
// starting.
void tarq_fetch_end(tarq_fetch* f);
// Ready for another run; only while no thread runs it.
void tarq_fetch_reset(tarq_fetch* f);
// The running command's pid, 0 when none runs.
pid_t tarq_fetch_pid(tarq_fetch* f);
