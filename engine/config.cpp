// The engine settings and their defaults.
#include "engine/config.h"

#include <cstring>

#include "engine/log.h"
#include "engine/platform/host.h"

tarq_config cconfig;

void tarq_config_default() {
  memset(&cconfig, 0, sizeof(cconfig));
  int cabinet = tarq_file_exists(TARQ_CABINET_MARKER);
  if (cabinet) tarq_debug("detected picade\n");
  cconfig.cabinet = cabinet;
  cconfig.word32 = 32;
  cconfig.sound_volume = cabinet ? 64 : 256;
  cconfig.music_volume = 256;
  cconfig.foreground_sleep_ms = cabinet ? 5 : 1;
  cconfig.background_sleep_ms = 10;
  cconfig.window_x = -1;
  cconfig.window_y = -1;
  cconfig.display = -1;
  cconfig.mix_buffer_size = 1024;
  cconfig.windib = -1;
  cconfig.fullscreen_method = 1;
  cconfig.pixel_perfect = -1;
  cconfig.keep_aspect = 1;
  cconfig.timeout = 30;
}
