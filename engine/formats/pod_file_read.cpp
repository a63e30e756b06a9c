// Reading one pod from a pod file. Every count, length and index is checked
// against the bytes the stream still holds before it is used; a chunk that
// does not hold together fails the whole pod with a log line.
#include <cstdio>
#include <cstring>

#include "engine/data/anim.h"
#include "engine/data/gfx.h"
#include "engine/data/model.h"
#include "engine/data/pod.h"
#include "engine/data/voxmap.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/log.h"
#include "engine/mem.h"
#include "engine/services.h"

tarq_load_item_func tarq_load_item_hook = nullptr;

void tarq_set_load_item_func(tarq_load_item_func fn) { tarq_load_item_hook = fn; }

namespace {

constexpr int64_t LZ4_MAX_RATIO = 256;  // an LZ4 block never expands more than about 255 times

struct reader {
  tarq_file* f;
  bool ok;
  int64_t stdio_end;  // the size of a stdio file, found once
};

int64_t remaining(reader& r) {
  if (r.f->kind == TARQ_FILE_STDIO && r.f->fp && r.stdio_end >= 0) {
    long here = ftell(r.f->fp);
    return here >= 0 && r.stdio_end > here ? r.stdio_end - here : 0;
  }
  return tarq_stream_remaining(r.f);
}

bool fits(reader& r, int64_t bytes) {
  if (bytes < 0 || bytes > remaining(r)) r.ok = false;
  return r.ok;
}

bool read_bytes(reader& r, void* dst, int64_t n) {
  if (!r.ok || !fits(r, n)) return false;
  if (n > 0 && static_cast<int64_t>(tarq_fread(dst, 1, static_cast<size_t>(n), r.f)) != n) r.ok = false;
  return r.ok;
}

int32_t read_i32(reader& r) {
  uint8_t b[4] = {};
  if (!read_bytes(r, b, 4)) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                              static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

int16_t read_i16(reader& r) {
  uint8_t b[2] = {};
  if (!read_bytes(r, b, 2)) return 0;
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8));
}

float read_float(reader& r) {
  int32_t bits = read_i32(r);
  float v;
  memcpy(&v, &bits, sizeof v);
  return v;
}

void skip(reader& r, int64_t n) {
  if (fits(r, n) && n > 0) tarq_fseek(r.f, static_cast<long>(n), SEEK_CUR);
}

void read_text(reader& r, char* dst, int size) {
  read_bytes(r, dst, size);
  dst[size - 1] = 0;
}

// A data block of `bytes` bytes: raw, or an LZ4 record that must decompress
// to exactly that size. `k` is the record's length word, read beforehand.
void read_block(reader& r, uint8_t* dst, int64_t bytes, bool compressed, int32_t k) {
  if (!r.ok) return;
  if (!compressed) {
    read_bytes(r, dst, bytes);
    return;
  }
  if (tarq_fread_lz4_block(dst, static_cast<int32_t>(bytes), k, r.f) != bytes) r.ok = false;
}

// Checks the size of a data block before its object is made; reads the LZ4 length word.
bool block_fits(reader& r, int64_t bytes, bool compressed, int32_t* k) {
  if (bytes < 0 || bytes > TARQ_MEM_LIMIT) r.ok = false;
  if (!r.ok) return false;
  if (!compressed) return fits(r, bytes);
  *k = read_i32(r);
  if (r.ok && (*k <= 0 || bytes > static_cast<int64_t>(*k) * LZ4_MAX_RATIO + 64)) r.ok = false;
  return r.ok && fits(r, *k);
}

// a * b * c, or -1 when it passes the largest block.
int64_t block_size(int64_t a, int64_t b, int64_t c) {
  if (a * b > TARQ_MEM_LIMIT) return -1;
  return a * b * c;
}

void read_bitmap(reader& r, tarq_pod* pod, bool compressed) {
  int32_t w = read_i32(r), h = read_i32(r), bpp = read_i32(r), tag = read_i32(r);
  read_i32(r);
  if (!r.ok || w < 1 || h < 1 || (bpp != 8 && bpp != 32)) {
    r.ok = false;
    return;
  }
  int64_t bytes = block_size(w, h, bpp / 8);
  int32_t k = 0;
  if (!block_fits(r, bytes, compressed, &k)) return;
  tarq_bitmap* b = tarq_create_bitmap(w, h, bpp);
  if (!b) {
    r.ok = false;
    return;
  }
  b->tag = tag;
  read_block(r, b->pixels, bytes, compressed, k);
  if (!r.ok) {
    tarq_destroy_bitmap(b);
    return;
  }
  cpod_add_item(pod, TARQ_ITEM_BITMAP, b);
}

void read_voxmap(reader& r, tarq_pod* pod, bool compressed) {
  int32_t w = read_i32(r), h = read_i32(r), d = read_i32(r), tag = read_i32(r);
  read_i32(r);
  if (!r.ok || w < 1 || h < 1 || d < 1) {
    r.ok = false;
    return;
  }
  int64_t bytes = block_size(w, h, d);
  int32_t k = 0;
  if (!block_fits(r, bytes, compressed, &k)) return;
  tarq_voxmap* v = tarq_create_voxmap(w, h, d);
  if (!v) {
    r.ok = false;
    return;
  }
  v->tag = tag;
  read_block(r, v->voxels, bytes, compressed, k);
  if (!r.ok) {
    tarq_destroy_voxmap(v);
    return;
  }
  cpod_add_item(pod, TARQ_ITEM_VOXMAP, v);
}

void read_file(reader& r, tarq_pod* pod, bool compressed) {
  int32_t m = read_i32(r);
  char name[TARQ_POD_FILE_NAME_SIZE];
  read_text(r, name, sizeof name);
  int32_t k = 0;
  if (!r.ok || !block_fits(r, m, compressed, &k)) return;
  tarq_file* f = tarq_create_buffer(m);
  if (!f) {
    r.ok = false;
    return;
  }
  read_block(r, f->data, m, compressed, k);
  if (!r.ok) {
    tarq_destroy_buffer(f);
    return;
  }
  f->size = m;
  f->pos = 0;
  memcpy(f->name, name, sizeof name);
  cpod_add_item(pod, TARQ_ITEM_FILE, f);
}

void read_palette(reader& r, tarq_pod* pod) {
  if (!fits(r, 768)) return;
  tarq_palette* p = tarq_create_palette();
  if (!p) {
    r.ok = false;
    return;
  }
  read_bytes(r, p->rgb, 768);
  cpod_add_item(pod, TARQ_ITEM_PALETTE, p);
}

void read_material(reader& r, tarq_pod* pod) {
  if (!fits(r, 96)) return;
  tarq_material* m = tarq_create_material();
  if (!m) {
    r.ok = false;
    return;
  }
  for (int32_t& w : m->word) w = read_i32(r);
  cpod_add_item(pod, TARQ_ITEM_MATERIAL, m);
}

bool read_model_body(reader& r, tarq_model* m, int32_t v, int32_t p, int32_t bones) {
  m->bone_count = bones;
  if (!cmodel_max_vertices(m, v) || !cmodel_max_polygons(m, p)) return false;
  for (int32_t i = 0; i < v && r.ok; i++) {
    m->vertices[i].x = read_float(r);
    m->vertices[i].y = read_float(r);
    m->vertices[i].z = read_float(r);
  }
  m->vertex_count = v;
  for (int32_t i = 0; i < p && r.ok; i++) {
    tarq_poly* poly = &m->polygons[i];
    int32_t n = read_i16(r);
    poly->material = read_i16(r);
    poly->flags = read_i16(r);
    if (!r.ok || n < 0 || (i < bones && n != 2) || !fits(r, static_cast<int64_t>(n) * 12)) return false;
    m->polygon_count = i + 1;
    if (!cpoly_set_num_vertices(poly, n)) return false;
    for (int32_t c = 0; c < n; c++) {
      int32_t index = read_i32(r);
      if (index < 0 || index >= v) return false;
      poly->index[c] = index;
      poly->uv[2 * c] = read_float(r);
      poly->uv[2 * c + 1] = read_float(r);
    }
  }
  if (bones > 0 && v > 0) {
    for (int32_t i = 0; i < v && r.ok; i++) {
      tarq_bone_vertex& bv = m->bone_vertices[i];
      for (int k = 0; k < 2; k++) {
        int32_t b = static_cast<uint16_t>(read_i16(r));
        bv.bone[k] = static_cast<int16_t>(b < bones ? b : bones - 1);
      }
      bv.weight = read_float(r);
    }
  }
  return r.ok;
}

void read_model(reader& r, tarq_pod* pod) {
  int32_t v = read_i32(r), p = read_i32(r), bones = read_i32(r);
  // Each vertex takes 12 bytes (and 8 more with bones), each polygon at least 6.
  if (!r.ok || v < 0 || p < 0 || bones < 0 || bones > p || bones > 0x7FFF ||
      !fits(r, static_cast<int64_t>(v) * (bones > 0 ? 20 : 12) + static_cast<int64_t>(p) * 6)) {
    r.ok = false;
    return;
  }
  tarq_model* m = tarq_create_model();
  if (!m || !read_model_body(r, m, v, p, bones)) {
    r.ok = false;
    tarq_destroy_model(m);
    return;
  }
  cmodel_decorate(m);
  cpod_add_item(pod, TARQ_ITEM_MODEL, m);
}

bool read_channel(reader& r, tarq_anim_channel* c) {
  int32_t n = read_i32(r);
  if (!r.ok || n < 0 || !fits(r, static_cast<int64_t>(n) * (c->value_size + 8))) return false;
  if (!canim_channel_set_num_states(c, n)) return false;
  read_bytes(r, c->values, static_cast<int64_t>(n) * c->value_size);
  for (int32_t i = 0; i < n; i++) c->times[i] = read_i32(r);
  for (int32_t i = 0; i < n; i++) c->interpolation[i] = read_i32(r);
  return r.ok;
}

constexpr int64_t EMPTY_ACTOR_BYTES = 64 + 36 + 4 * 4;

bool read_actor(reader& r, tarq_actor* a) {
  read_text(r, a->name, sizeof a->name);
  read_text(r, a->second_name, sizeof a->second_name);
  for (int i = 0; i < 3; i++) a->word[i] = read_i32(r);
  a->word_a = read_i32(r);
  int32_t extra = read_i32(r);
  a->word_b = read_i32(r);
  for (int i = 0; i < 3; i++) read_i32(r);
  if (!r.ok || extra < 0 || !fits(r, static_cast<int64_t>(extra) * 4 + 16)) return false;
  if (!canim_set_bone_count(a, extra)) return false;
  for (tarq_anim_channel& c : a->channel)
    if (!read_channel(r, &c)) return false;
  for (int32_t i = 0; i < extra; i++)
    if (!read_channel(r, a->bones[i])) return false;
  return read_channel(r, &a->command);
}

void read_anim(reader& r, tarq_pod* pod) {
  int32_t actors = read_i32(r);
  int32_t w0 = read_i32(r), w1 = read_i32(r);
  for (int i = 0; i < 5; i++) read_i32(r);
  if (!r.ok || actors < 0 || !fits(r, static_cast<int64_t>(actors) * EMPTY_ACTOR_BYTES)) {
    r.ok = false;
    return;
  }
  tarq_anim* anim = tarq_create_anim();
  if (!anim) {
    r.ok = false;
    return;
  }
  anim->word[0] = w0;
  anim->word[1] = w1;
  for (int32_t i = 0; i < actors && r.ok; i++) {
    int32_t index = canim_new_actor(anim);
    if (index < 0 || !read_actor(r, &anim->actors[index])) r.ok = false;
  }
  if (!r.ok) {
    tarq_destroy_anim(anim);
    return;
  }
  cpod_add_item(pod, TARQ_ITEM_ANIM, anim);
}

void read_sound(reader& r, tarq_pod* pod, int32_t length) {
  int32_t samples = read_i32(r), bits = read_i32(r);
  if (!r.ok) return;
  int64_t bytes = (bits > 0 && samples >= 0) ? static_cast<int64_t>(samples) * (bits / 8) : -1;
  tarq_sound* s = nullptr;
  if (bytes >= 0 && bytes + 16 <= remaining(r)) s = tarq_create_sound(samples, bits);
  if (!s) {
    skip(r, static_cast<int64_t>(length) - 8);  // the rest of the chunk
    return;
  }
  int32_t frequency = read_i32(r);
  s->channels = read_i32(r);
  read_i32(r);
  read_i32(r);
  read_bytes(r, tarq_sound_lock(s), bytes);
  tarq_sound_release(s);
  if (!r.ok) {
    tarq_destroy_sound(s);
    return;
  }
  csound_set_frequency(s, frequency);
  cpod_add_item(pod, TARQ_ITEM_SOUND, s);
}

void read_synth(reader& r, tarq_pod* pod) {
  tarq_synth* s = tarq_create_synth(0);
  if (!s) {
    r.ok = false;
    return;
  }
  cpod_add_item(pod, TARQ_ITEM_SYNTH, s);  // the pod owns it from here on
  s->header[0] = read_i32(r);
  s->header[1] = read_i32(r);
  if (read_i32(r) == 0) s->header[0] /= 2;
  read_i32(r);
  int32_t nodes = read_i32(r);
  if (!r.ok || nodes < 1) return;
  if (nodes > TARQ_SYNTH_NODES) {
    r.ok = false;
    return;
  }
  for (int32_t i = 0; i < nodes && r.ok; i++) {
    int32_t* w = s->node[i].word;
    w[0] = read_i32(r);
    w[1] = read_i32(r);
    w[2] = read_i32(r);
    w[TARQ_SYNTH_LAST] = read_i32(r);
    int32_t table = read_i32(r);
    if (!r.ok || table < 0 || table > TARQ_SYNTH_TABLE_BYTES) {
      r.ok = false;
      return;
    }
    read_bytes(r, &w[TARQ_SYNTH_TABLE_FIRST], table);
    w[TARQ_SYNTH_TABLE_COUNT] = table;
    int32_t params = read_i32(r);
    if (!r.ok || params < 0 || params > TARQ_SYNTH_PARAMS) {
      r.ok = false;
      return;
    }
    for (int32_t k = 0; k < params; k++) {
      int32_t* slot = &w[TARQ_SYNTH_PARAM_FIRST + 4 * k];
      slot[0] = read_i32(r);
      slot[2] = read_i32(r);
      slot[3] = read_i32(r);
    }
  }
}

void log_bad_chunk(uint32_t tag) {
  char name[5];
  for (int i = 0; i < 4; i++) {
    char c = static_cast<char>(tag >> (8 * i));
    name[i] = (c >= 32 && c < 127) ? c : '?';
  }
  name[4] = 0;
  snprintf(tarq_debug_string, sizeof tarq_debug_string, "tarq_load_pod_file: bad %s chunk\n", name);
  tarq_debug(tarq_debug_string);
}

// Reads one chunk body into the pod; false when the pod must be given up.
bool read_chunk(reader& r, tarq_pod* pod, uint32_t tag, int32_t length) {
  uint32_t folded = tag & ~TARQ_TAG_LOWER;
  bool lower = (tag & TARQ_TAG_LOWER) != 0;
  if (folded == TARQ_TAG_CBMP) read_bitmap(r, pod, lower);
  else if (folded == TARQ_TAG_CVMP) read_voxmap(r, pod, lower);
  else if (folded == TARQ_TAG_CFIL) read_file(r, pod, lower);
  else if (tag == TARQ_TAG_CSND) read_sound(r, pod, length);
  else if (tag == TARQ_TAG_CMOD) read_model(r, pod);
  else if (tag == TARQ_TAG_CANI) read_anim(r, pod);
  else if (tag == TARQ_TAG_CPAL) read_palette(r, pod);
  else if (tag == TARQ_TAG_CSYN) read_synth(r, pod);
  else if (tag == TARQ_TAG_CMAT) read_material(r, pod);
  else if (!tarq_load_item_hook || tarq_load_item_hook(r.f, pod, tag) != 0) {
    tarq_debug("tarq_load_pod_file: Unknown Chunk!\n");
    skip(r, length);
  }
  if (!r.ok) log_bad_chunk(tag);
  return r.ok;
}

}  // namespace

tarq_pod* tarq_load_pod_file(const char*, tarq_file* f) {
  if (!f) return nullptr;
  tarq_pod* pod = tarq_create_pod(0);
  if (!pod) return nullptr;
  reader r = {f, true, -1};
  if (f->kind == TARQ_FILE_STDIO && f->fp) {
    long here = ftell(f->fp);
    r.stdio_end = here >= 0 ? here + tarq_stream_remaining(f) : -1;
  }
  for (int chunk = 0;; chunk++) {
    if (tarq_feof(f)) break;
    uint8_t head[4] = {};
    size_t got = tarq_fread(head, 1, 4, f);
    if (got == 0) break;
    if (got != 4) {  // a file cut inside a chunk header
      log_bad_chunk(0);
      return tarq_destroy_pod(pod);
    }
    uint32_t tag = static_cast<uint32_t>(head[0]) | static_cast<uint32_t>(head[1]) << 8 |
                   static_cast<uint32_t>(head[2]) << 16 | static_cast<uint32_t>(head[3]) << 24;
    if (tag == 0) break;
    int32_t length = read_i32(r);
    if (!r.ok) {
      log_bad_chunk(tag);
      return tarq_destroy_pod(pod);
    }
    if (chunk == 0) {
      if (tag != TARQ_TAG_CPOD) {
        if (tag != TARQ_TAG_CNOP) log_bad_chunk(tag);
        return tarq_destroy_pod(pod);
      }
      read_i32(r);  // format version
      read_text(r, pod->name, TARQ_POD_NAME_SIZE);
      read_i32(r);  // item count
      skip(r, 28);
      if (!r.ok) {
        log_bad_chunk(tag);
        return tarq_destroy_pod(pod);
      }
      continue;
    }
    if (tag == TARQ_TAG_CPOD || tag == TARQ_TAG_CNOP) {
      tarq_fseek(f, -8, SEEK_CUR);  // the next pod starts at this header
      break;
    }
    if (!read_chunk(r, pod, tag, length)) return tarq_destroy_pod(pod);
  }
  if (pod->count == 0) return tarq_destroy_pod(pod);
  return pod;
}

tarq_pod* tarq_load_pod(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  tarq_pod* pod = f ? tarq_load_pod_file(path, f) : nullptr;
  if (f) tarq_fclose(f);
  snprintf(tarq_debug_string, sizeof tarq_debug_string, "tarq_load_pod: %s %s \n", path, pod ? "ok" : "failed");
  tarq_debug(tarq_debug_string);
  return pod;
}

tarq_pod* tarq_load_pod_item(const tarq_pod* pod, int32_t slot) {
  tarq_file* f = static_cast<tarq_file*>(cpod_get_item(pod, slot, TARQ_ITEM_FILE));
  if (!f) return nullptr;
  f->pos = 0;
  return tarq_load_pod_file("", f);
}
