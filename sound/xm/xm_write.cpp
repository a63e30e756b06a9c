// The XM writer: the header, packed patterns and one sample an instrument,
// delta coded, all little endian.
#include <cstring>

#include "engine/io/file.h"
#include "sound/xm/xm.h"
#include "sound/xm/xm_write.h"

namespace {

struct writer {
  tarq_file* f;
  bool ok;
};

void put(writer& w, const void* p, size_t n) {
  if (w.ok && n > 0 && tarq_fwrite(p, 1, n, w.f) != n) w.ok = false;
}
void put8(writer& w, uint32_t v) {
  const uint8_t b = static_cast<uint8_t>(v);
  put(w, &b, 1);
}
void put16(writer& w, uint32_t v) {
  const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  put(w, b, 2);
}
void put32(writer& w, uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 24)};
  put(w, b, 4);
}
void zeros(writer& w, int n) {
  static const uint8_t none[96] = {};
  put(w, none, static_cast<size_t>(n));
}

void write_pattern(writer& w, const tarq_xm* xm, const tarq_xm_pattern* pat) {
  uint8_t packed[TARQ_XM_ROWS * TARQ_XM_CHANNELS * 6];
  int32_t n = 0;
  const int32_t rows = pat->rows < 1 ? 1 : pat->rows > TARQ_XM_ROWS ? TARQ_XM_ROWS : pat->rows;
  const int32_t channels = xm->channels < 0 ? 0 : xm->channels > TARQ_XM_CHANNELS ? TARQ_XM_CHANNELS : xm->channels;
  for (int32_t row = 0; row < rows; row++) {
    for (int32_t ch = 0; ch < channels; ch++) {
      const tarq_xm_cell& c = pat->cell[row][ch];
      const uint8_t f[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
      if (f[0] && f[1] && f[2] && f[3] && f[4]) {
        std::memcpy(packed + n, f, 5);
        n += 5;
        continue;
      }
      uint8_t flag = 0x80;
      for (int k = 0; k < 5; k++)
        if (f[k]) flag |= static_cast<uint8_t>(1 << k);
      packed[n++] = flag;
      for (int k = 0; k < 5; k++)
        if (f[k]) packed[n++] = f[k];
    }
  }
  put32(w, 9);
  put8(w, 0);
  put16(w, static_cast<uint32_t>(rows));
  put16(w, static_cast<uint32_t>(n));
  put(w, packed, static_cast<size_t>(n));
}

void write_instrument(writer& w, const tarq_xm_instrument* ins) {
  const bool has_sample = ins->sample_count > 0;
  put32(w, has_sample ? 263 : 29);
  put(w, ins->name, 22);
  put8(w, static_cast<uint32_t>(ins->type));
  put16(w, has_sample ? 1 : 0);
  if (!has_sample) return;
  put32(w, 40);
  zeros(w, 96);
  for (const auto& p : ins->volume_env) put16(w, static_cast<uint16_t>(p[0])), put16(w, static_cast<uint16_t>(p[1]));
  for (const auto& p : ins->panning_env) put16(w, static_cast<uint16_t>(p[0])), put16(w, static_cast<uint16_t>(p[1]));
  const uint8_t b[14] = {ins->volume_points,   ins->panning_points,  ins->volume_sustain,     ins->volume_loop_start,
                         ins->volume_loop_end, ins->panning_sustain, ins->panning_loop_start, ins->panning_loop_end,
                         ins->volume_type,     ins->panning_type,    ins->vibrato_type,       ins->vibrato_sweep,
                         ins->vibrato_depth,   ins->vibrato_rate};
  put(w, b, 14);
  put16(w, static_cast<uint32_t>(ins->fadeout));
  zeros(w, 22);
  const tarq_xm_sample& s = ins->sample;
  const int32_t n = s.data && s.length > 0 ? s.length : 0;
  put32(w, static_cast<uint32_t>(n) * 2);
  put32(w, static_cast<uint32_t>(s.loop_start) * 2);
  put32(w, static_cast<uint32_t>(s.loop_length) * 2);
  put8(w, static_cast<uint32_t>(s.volume));
  put8(w, static_cast<uint32_t>(s.finetune));
  put8(w, static_cast<uint32_t>(s.type) | TARQ_XM_SAMPLE_16BIT);
  put8(w, static_cast<uint32_t>(s.panning));
  put8(w, static_cast<uint32_t>(s.relative_note));
  put8(w, static_cast<uint32_t>(s.reserved));
  put(w, s.name, 22);
  uint16_t prev = 0;
  for (int32_t i = 0; i < n; i++) {
    const uint16_t v = static_cast<uint16_t>(s.data[i]);
    put16(w, static_cast<uint16_t>(v - prev));
    prev = v;
  }
}

}  // namespace

int tarq_save_xm_to_file(const tarq_xm* xm, tarq_file* f) {
  if (!xm || !f) return 1;
  writer w{f, true};
  put(w, "Extended Module: ", 17);
  put(w, xm->name, 20);
  put8(w, 0x1a);
  put(w, "MilkyTracker        ", 20);
  const uint8_t version[6] = {4, 1, 20, 1, 0, 0};
  put(w, version, 6);
  const int32_t instruments = xm->instruments ? xm->instrument_count : 0;
  const int32_t patterns = xm->patterns ? xm->pattern_count : 0;
  const int32_t values[8] = {xm->song_length, xm->restart, xm->channels, patterns,
                             instruments,     xm->flags,   xm->tempo,    xm->bpm};
  for (int32_t v : values) put16(w, static_cast<uint32_t>(v));
  put(w, xm->orders, TARQ_XM_ORDERS);
  for (int32_t i = 0; i < patterns; i++) write_pattern(w, xm, &xm->patterns[i]);
  for (int32_t i = 1; i <= instruments; i++) write_instrument(w, &xm->instruments[i]);
  return w.ok ? 0 : 1;
}

int tarq_save_xm(const char* path, const tarq_xm* xm) {
  if (!xm) return 1;
  tarq_file* f = tarq_fopen(path, "wb");
  if (!f) return 1;
  const int result = tarq_save_xm_to_file(xm, f);
  tarq_fclose(f);
  return result;
}
