// libFuzzer target: the XM reader on any bytes. A module it returns is
// written back, read again and rendered for a while, then freed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "sound/items/pod_items.h"
#include "sound/xm/xm.h"
#include "sound/xm/xm_read.h"
#include "sound/xm/xm_render.h"
#include "sound/xm/xm_write.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  tarq_xm* xm = tarq_read_xm(data, (int32_t)size);
  if (!xm) return 0;
  tarq_file* f = tarq_create_buffer(1024);
  if (f && tarq_save_xm_to_file(xm, f) == 0) {
    tarq_xm* again = tarq_read_xm(f->data, f->size);
    if (!again) std::abort();  // what was written must read back
    tarq_destroy_xm(again);
  }
  tarq_fclose(f);
  tarq_xm_playstate* ps = (tarq_xm_playstate*)tarq_calloc(sizeof(tarq_xm_playstate));
  if (ps) {
    tarq_mix_xm_init(xm, ps, 22050);
    ps->playing = 1;
    ps->loop = 1;
    int16_t buf[TARQ_XM_BUFFER];
    for (int i = 0; i < 4 && ps->playing; i++) tarq_mix_xm_chunk(ps, buf, TARQ_XM_BUFFER);
    tarq_free(ps);
  }
  tarq_destroy_xm(xm);
  return 0;
}
