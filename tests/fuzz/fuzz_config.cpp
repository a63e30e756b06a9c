// libFuzzer target: reading "config.txt" from any bytes (held on the virtual
// disk, so nothing touches the real disk but an empty application folder).
// The clamped settings must stay in their ranges.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/config.h"
#include "engine/io/file.h"

namespace {
int lines = 0;
int count_line(const char* line) {
  if (strlen(line) > 255) std::abort();
  lines++;
  return 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static char home[64];
  if (!home[0]) {
    snprintf(home, sizeof home, "/tmp/tovo-fuzz-config-XXXXXX");
    if (!mkdtemp(home)) std::abort();
  }
  tarq_config_default();
  snprintf(cconfig.home_path, sizeof cconfig.home_path, "%s", home);
  tarq_set_load_config_func(count_line);
  tarq_file* v = tarq_fopen_vdisk("config.txt", "w");
  tarq_fwrite(data, 1, size, v);
  tarq_fclose(v);
  tarq_config_load();
  if (cconfig.sound_volume < 0 || cconfig.sound_volume > 256) std::abort();
  if (cconfig.foreground_sleep_ms < 0 || cconfig.foreground_sleep_ms > 200) std::abort();
  if (cconfig.mix_buffer_size < 512 || cconfig.mix_buffer_size > 8192) std::abort();
  if (strlen(cconfig.desktop_path) >= sizeof cconfig.desktop_path) std::abort();
  return 0;
}
