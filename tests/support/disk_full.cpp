#include "tests/support/disk_full.h"

namespace tovo_test {

disk_full::disk_full(rlim_t bytes) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &saved_action);
  getrlimit(RLIMIT_FSIZE, &saved_limit);
  rlimit limit = saved_limit;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

disk_full::~disk_full() {
  setrlimit(RLIMIT_FSIZE, &saved_limit);
  sigaction(SIGXFSZ, &saved_action, nullptr);
}

}  // namespace tovo_test
