// Module records, made empty or read from XM data, and freed. The reader
// checks every length, count and offset against the bytes that are there; a
// file that ends early or overstates a count is refused.
#include "sound/xm/xm_read.h"

#include <cstdio>
#include <cstring>

#include "engine/io/file.h"
#include "engine/log.h"
#include "engine/tracked_mem.h"
#include "sound/xm/xm.h"

namespace {

constexpr int32_t MAX_FILE = 64 << 20;
constexpr int32_t HEADER_VALUES = 4 + 16 + TARQ_XM_ORDERS;  // header size, eight values, orders
constexpr int32_t INSTRUMENT_HEAD = 29, INSTRUMENT_FULL = 263;

struct cursor {
  const uint8_t* p;
  int32_t size, pos;
  bool ok;
};

bool has(cursor& c, int64_t n) {
  if (!c.ok || n < 0 || n > static_cast<int64_t>(c.size) - c.pos) c.ok = false;
  return c.ok;
}
void skip(cursor& c, int64_t n) {
  if (has(c, n)) c.pos += static_cast<int32_t>(n);
}
void bytes(cursor& c, void* dst, int32_t n) {
  if (!has(c, n)) return;
  std::memcpy(dst, c.p + c.pos, static_cast<size_t>(n));
  c.pos += n;
}
uint32_t u8(cursor& c) {
  if (!has(c, 1)) return 0;
  return c.p[c.pos++];
}
uint32_t u16(cursor& c) {
  const uint32_t lo = u8(c);
  return lo | u8(c) << 8;
}
uint32_t u32(cursor& c) {
  const uint32_t lo = u16(c);
  return lo | u16(c) << 16;
}

// One pattern: header, then the packed rows, unpacked within their span.
bool read_pattern(cursor& c, tarq_xm* xm, tarq_xm_pattern* pat) {
  const uint32_t header = u32(c);
  if ((header & 0xff) != 9) tarq_debug("** tarq_load_xm warning: pattern reader failure!\n");
  u8(c);  // packing type
  const uint32_t rows = u16(c), packed = u16(c);
  if (header > 9) skip(c, header - 9);
  if (!has(c, packed)) return false;
  cursor r{c.p + c.pos, static_cast<int32_t>(packed), 0, true};
  c.pos += static_cast<int32_t>(packed);
  pat->rows = rows < 1 ? 1 : rows > TARQ_XM_ROWS ? TARQ_XM_ROWS : static_cast<int32_t>(rows);
  for (uint32_t row = 0; row < rows && r.pos < r.size; row++) {
    for (int32_t ch = 0; ch < xm->channels && r.pos < r.size; ch++) {
      uint8_t f[5] = {};
      const uint32_t first = u8(r);
      if (first & 0x80) {
        for (int k = 0; k < 5; k++)
          if (first >> k & 1) f[k] = static_cast<uint8_t>(u8(r));
      } else {
        f[0] = static_cast<uint8_t>(first);
        for (int k = 1; k < 5; k++) f[k] = static_cast<uint8_t>(u8(r));
      }
      if (row < TARQ_XM_ROWS) pat->cell[row][ch] = {f[0], f[1], f[2], f[3], f[4]};
    }
  }
  return c.ok;
}

// One sample header and its delta-coded data; kept when `keep`.
bool read_sample(cursor& c, tarq_xm_sample* s, bool keep) {
  const uint32_t length = u32(c), loop_start = u32(c), loop_length = u32(c);
  tarq_xm_sample h{};
  h.volume = static_cast<int32_t>(u8(c));
  h.finetune = static_cast<int8_t>(u8(c));
  h.type = static_cast<int32_t>(u8(c));
  h.panning = static_cast<int32_t>(u8(c));
  h.relative_note = static_cast<int8_t>(u8(c));
  h.reserved = static_cast<int32_t>(u8(c));
  bytes(c, h.name, 22);
  if (!has(c, length)) return false;
  const uint8_t* raw = c.p + c.pos;
  c.pos += static_cast<int32_t>(length);
  if (!keep) return true;
  const bool wide = h.type & TARQ_XM_SAMPLE_16BIT;
  const int32_t shift = wide ? 1 : 0;
  const int32_t n = static_cast<int32_t>(length >> shift);
  uint32_t ls = loop_start >> shift, ll = loop_length >> shift;
  if (ls > static_cast<uint32_t>(n)) ls = static_cast<uint32_t>(n);
  if (ll > static_cast<uint32_t>(n) - ls) ll = static_cast<uint32_t>(n) - ls;
  h.length = n;
  h.loop_start = static_cast<int32_t>(ls);
  h.loop_length = static_cast<int32_t>(ll);
  if (h.volume > 64) h.volume = 64;
  h.type |= TARQ_XM_SAMPLE_16BIT;
  if (n > 0) {
    h.data = static_cast<int16_t*>(tarq_malloc(sizeof(int16_t) * static_cast<size_t>(n)));
    if (!h.data) return false;
    uint16_t v = 0;
    for (int32_t i = 0; i < n; i++) {
      if (wide) {
        v = static_cast<uint16_t>(v + static_cast<uint16_t>(raw[2 * i] | raw[2 * i + 1] << 8));
        h.data[i] = static_cast<int16_t>(v);
      } else {
        v = static_cast<uint8_t>(v + raw[i]);
        h.data[i] = static_cast<int16_t>(v << 8);
      }
    }
  }
  *s = h;
  return true;
}

bool read_instrument(cursor& c, tarq_xm_instrument* ins) {
  const uint32_t header = u32(c);
  bytes(c, ins->name, 22);
  ins->type = static_cast<int32_t>(u8(c));
  const uint32_t samples = u16(c);
  if (!c.ok) return false;
  if (samples == 0) {
    if (header > static_cast<uint32_t>(INSTRUMENT_HEAD)) skip(c, header - INSTRUMENT_HEAD);
    return c.ok;
  }
  for (uint32_t k = 0; k < samples && c.ok; k++) {
    u32(c);       // sample header size
    skip(c, 96);  // note-to-sample map
    for (auto& p : ins->volume_env) p[0] = static_cast<int16_t>(u16(c)), p[1] = static_cast<int16_t>(u16(c));
    for (auto& p : ins->panning_env) p[0] = static_cast<int16_t>(u16(c)), p[1] = static_cast<int16_t>(u16(c));
    uint8_t b[14] = {};
    bytes(c, b, 14);
    ins->volume_points = b[0], ins->panning_points = b[1], ins->volume_sustain = b[2];
    ins->volume_loop_start = b[3], ins->volume_loop_end = b[4], ins->panning_sustain = b[5];
    ins->panning_loop_start = b[6], ins->panning_loop_end = b[7], ins->volume_type = b[8];
    ins->panning_type = b[9], ins->vibrato_type = b[10], ins->vibrato_sweep = b[11];
    ins->vibrato_depth = b[12], ins->vibrato_rate = b[13];
    ins->fadeout = static_cast<int32_t>(u16(c));
    skip(c, 22);
    if (k == 0 && header > static_cast<uint32_t>(INSTRUMENT_FULL)) skip(c, header - INSTRUMENT_FULL);
    if (!c.ok || !read_sample(c, &ins->sample, k == 0)) return false;
  }
  ins->sample_count = 1;
  return c.ok;
}

}  // namespace

// ---- module records ----

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

// ---- reading ----

tarq_xm* tarq_read_xm(const uint8_t* data, int32_t size) {
  if (!data || size <= 0) return nullptr;
  cursor c{data, size, 0, true};
  tarq_xm* xm = tarq_create_xm();
  if (!xm) return nullptr;
  skip(c, 17);
  bytes(c, xm->name, 20);
  skip(c, 1 + 20 + 2);
  const uint32_t header = u32(c);
  xm->song_length = static_cast<int32_t>(u16(c));
  xm->restart = static_cast<int32_t>(u16(c));
  xm->channels = static_cast<int32_t>(u16(c));
  xm->pattern_count = static_cast<int32_t>(u16(c));
  const int32_t instruments = static_cast<int32_t>(u16(c));
  xm->flags = static_cast<int32_t>(u16(c));
  xm->tempo = static_cast<int32_t>(u16(c));
  xm->bpm = static_cast<int32_t>(u16(c));
  bytes(c, xm->orders, TARQ_XM_ORDERS);
  if (header > static_cast<uint32_t>(HEADER_VALUES)) skip(c, header - HEADER_VALUES);
  bool ok = c.ok && xm->channels <= TARQ_XM_CHANNELS && xm->pattern_count <= TARQ_XM_MAX_PATTERNS &&
            instruments <= TARQ_XM_MAX_INSTRUMENTS;
  if (xm->song_length > TARQ_XM_ORDERS) xm->song_length = TARQ_XM_ORDERS;
  if (ok && xm->pattern_count > 0) {
    xm->patterns =
        static_cast<tarq_xm_pattern*>(tarq_calloc(sizeof(tarq_xm_pattern) * static_cast<size_t>(xm->pattern_count)));
    ok = xm->patterns != nullptr;
    for (int32_t i = 0; ok && i < xm->pattern_count; i++) ok = read_pattern(c, xm, &xm->patterns[i]);
  }
  if (ok) ok = tarq_xm_alloc_instruments(xm, instruments);
  for (int32_t i = 1; ok && i <= instruments; i++) ok = read_instrument(c, &xm->instruments[i]);
  if (!ok) {
    tarq_destroy_xm(xm);
    return nullptr;
  }
  return xm;
}

tarq_xm* tarq_load_xm_from_file(tarq_file* f) {
  if (!f) return nullptr;
  tarq_file* all = tarq_create_buffer(1 << 16);
  if (!all) return nullptr;
  uint8_t chunk[4096];
  size_t got;
  while ((got = tarq_fread(chunk, 1, sizeof chunk, f)) > 0) {
    if (all->size + static_cast<int64_t>(got) > MAX_FILE || tarq_fwrite(chunk, 1, got, all) != got) {
      tarq_fclose(all);
      return nullptr;
    }
  }
  tarq_xm* xm = tarq_read_xm(all->data, all->size);
  tarq_fclose(all);
  return xm;
}

tarq_xm* tarq_load_xm(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) {
    tarq_debug("could not open\n");
    return nullptr;
  }
  tarq_xm* xm = tarq_load_xm_from_file(f);
  tarq_fclose(f);
  return xm;
}
