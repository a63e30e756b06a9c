#pragma once
// A full disk for the object's life, without privileges: the process may
// write no regular file past `bytes` (its file-size limit), so a write that
// would go further fails as it would on a full disk. The signal such a write
// raises is ignored meanwhile. Only this process is concerned.
#include <sys/resource.h>
#include <csignal>

namespace tovo_test {

struct disk_full {
  explicit disk_full(rlim_t bytes = 0);
  ~disk_full();
  disk_full(const disk_full&) = delete;
  disk_full& operator=(const disk_full&) = delete;

 private:
  rlimit saved_limit{};
  struct sigaction saved_action {};
};

}  // namespace tovo_test
