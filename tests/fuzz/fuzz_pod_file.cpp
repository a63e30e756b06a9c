// libFuzzer target: the pod-file reader on any bytes, with the sound engine's
// item kinds registered. Every pod it returns is destroyed again, and the
// count of live engine objects must come back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/tarq.h"
#include "sound/sound.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tarq_sound_register();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  int32_t before = tarq_loop.tarq_items_created;
  tarq_file* f = tarq_fopen_memory(data, (int32_t)size);
  for (int i = 0; i < 4; i++) tarq_destroy_pod(tarq_load_pod_file("fuzz", f));
  tarq_fclose(f);
  if (tarq_loop.tarq_items_created != before) std::abort();
  return 0;
}
