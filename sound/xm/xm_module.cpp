// Module records: creation with the built-in silent instrument, and freeing.
#include "sound/xm/xm_module.h"

#include "engine/tracked_mem.h"
#include "sound/xm/xm.h"

tarq_xm* tarq_create_xm() { return static_cast<tarq_xm*>(tarq_calloc(sizeof(tarq_xm))); }

void tarq_destroy_xm(tarq_xm* xm) {
  if (!xm) return;
  if (xm->instruments)
    for (int32_t i = 0; i <= xm->instrument_count; i++) tarq_free(xm->instruments[i].sample.data);
  tarq_free(xm->instruments);
  tarq_free(xm->patterns);
  tarq_free(xm);
}

// Instrument slots for `count` instruments of the file, slot 0 holding 1024
// silent 16-bit samples; false when out of memory.
bool tarq_xm_alloc_instruments(tarq_xm* xm, int32_t count) {
  xm->instruments =
      static_cast<tarq_xm_instrument*>(tarq_calloc(sizeof(tarq_xm_instrument) * static_cast<size_t>(count + 1)));
  if (!xm->instruments) return false;
  xm->instrument_count = count;
  tarq_xm_sample& silent = xm->instruments[0].sample;
  silent.data = static_cast<int16_t*>(tarq_calloc(sizeof(int16_t) * TARQ_XM_SILENT_SAMPLES));
  if (!silent.data) return false;
  silent.length = TARQ_XM_SILENT_SAMPLES;
  silent.type = 0x10;
  xm->instruments[0].sample_count = 1;
  return true;
}
