// Reading one pod from a pod file. Every field is read at the stream's
// position: one cut short by the end of the stream reads as zero (the bytes
// that were there are its low bytes), and a data block keeps the bytes that
// were there, the rest zero. A block cut short leaves the stream at its end,
// so a pod holds at most one such item.
//
// The reader trusts no size or count further than memory allows:
// - a list of model or animation records (vertices, polygons, actors, extra
//   channels) is cut to the records that can begin before the stream's end;
//   the records dropped would have read as zero in full;
// - a data block cut short is made only while the part missing is at most
//   CUT_BLOCK_MAX_MISSING bytes (else the chunk is lost, a sound skipped);
// - a block or an object past the allocator's limit, a compressed block
//   larger than its LZ4 record can decode to, a voxmap of more slices than
//   VOXMAP_MAX_SLICES, a corner index outside the model's vertices, and
//   fields outside their objects' limits give up the pod (no message). When
//   such a chunk was cut short by the end of the stream, only the chunk is
//   given up: nothing can follow it.
#include <bit>
#include <cstdio>
#include <cstring>

#include "engine/data/anim.h"
#include "engine/data/gfx.h"
#include "engine/data/model.h"
#include "engine/data/pod.h"
#include "engine/data/sound_items.h"
#include "engine/data/voxmap.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/tracked_mem.h"

static_assert(std::endian::native == std::endian::little, "pod-file values are stored in host order");

tarq_load_item_func tarq_load_item_hook = nullptr;

void tarq_set_load_item_func(tarq_load_item_func fn) { tarq_load_item_hook = fn; }

namespace {

// An LZ4 record of k bytes decodes to at most about 255 bytes for each of them.
constexpr int64_t LZ4_MAX_RATIO = 256;
constexpr int64_t LZ4_SLACK = 64;
// A block cut short by the end of the stream is made in full only while the
// part missing is at most this large: more would make memory out of all
// proportion to the file.
constexpr int64_t CUT_BLOCK_MAX_MISSING = 1 << 20;
// Every slice of a voxmap is a record of its own.
constexpr int32_t VOXMAP_MAX_SLICES = 65536;
constexpr int64_t SOUND_FIELD_BYTES = 16;               // frequency, channels and reserved, before the samples
constexpr int64_t EMPTY_ACTOR_BYTES = 64 + 36 + 4 * 4;  // two names, six words, three reserved, four channels

struct reader {
  tarq_file* f;
  bool ok;            // false once the pod must be given up
  int64_t stdio_end;  // the size of a stdio file, found once
};

int64_t remaining(reader& r) {
  if (r.f->kind == TARQ_FILE_STDIO && r.f->fp && r.stdio_end >= 0) {
    long here = ftell(r.f->fp);
    return here >= 0 && r.stdio_end > here ? r.stdio_end - here : 0;
  }
  return tarq_stream_remaining(r.f);
}

void refuse(reader& r) { r.ok = false; }

// Reads up to n bytes; with `fill`, the bytes the stream no longer holds are
// zeroed (a block made zeroed needs no filling).
void read_bytes(reader& r, void* dst, int64_t n, bool fill = true) {
  if (n <= 0) return;
  size_t got = tarq_fread(dst, 1, static_cast<size_t>(n), r.f);
  if (fill && static_cast<int64_t>(got) < n) memset(static_cast<uint8_t*>(dst) + got, 0, static_cast<size_t>(n) - got);
}

int32_t read_i32(reader& r) {
  uint8_t b[4];
  read_bytes(r, b, 4);
  return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                              static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

int16_t read_i16(reader& r) {
  uint8_t b[2];
  read_bytes(r, b, 2);
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8));
}

float read_float(reader& r) {
  int32_t bits = read_i32(r);
  float v;
  memcpy(&v, &bits, sizeof v);
  return v;
}

void read_text(reader& r, char* dst, int size) {
  read_bytes(r, dst, size);
  dst[size - 1] = 0;
}

// Skips n bytes; past the end leaves the stream at its end. A backward skip
// could read the same chunk for ever, so it gives up the pod.
void skip(reader& r, int64_t n) {
  if (n < 0) return refuse(r);
  if (n == 0) return;
  if (n > INT32_MAX || tarq_fseek(r.f, static_cast<long>(n), SEEK_CUR) != 0) {
    int64_t left = remaining(r);
    if (left > 0) tarq_fseek(r.f, static_cast<long>(left), SEEK_CUR);
  }
}

// `count` records of at least `least` bytes each, cut to those that can
// begin before the stream's end.
int32_t records_in_stream(reader& r, int32_t count, int64_t least) {
  int64_t room = (remaining(r) + least - 1) / least;
  return count < room ? count : static_cast<int32_t>(room);
}

// Whether a block of `bytes` bytes that the stream holds `held` bytes of
// may be made: in full, or cut short by the end of the stream by at most
// CUT_BLOCK_MAX_MISSING bytes. A block refused for that leaves the stream at
// its end, so that only its chunk is lost.
bool cut_block_allowed(reader& r, int64_t bytes, int64_t held) {
  if (bytes <= held + CUT_BLOCK_MAX_MISSING) return true;
  skip(r, remaining(r));
  refuse(r);
  return false;
}

// Whether a data block of `bytes` bytes may be made; a compressed one's LZ4
// length word is read into k first. A whole LZ4 record may not promise more
// than it can decode to; one cut short by the end of the stream is measured
// by what the bytes still there could decode to.
bool block_allowed(reader& r, int64_t bytes, bool compressed, int32_t* k) {
  if (!compressed) return cut_block_allowed(r, bytes, remaining(r));
  *k = read_i32(r);
  int64_t record = *k > 0 ? *k : 0;
  int64_t left = remaining(r);
  if (record > left) return cut_block_allowed(r, bytes, left * LZ4_MAX_RATIO);
  if (bytes > record * LZ4_MAX_RATIO + LZ4_SLACK) refuse(r);
  return r.ok;
}

// A data block of `bytes` bytes into a zeroed object: raw, or an LZ4 record
// of k bytes. Either keeps what it could read or decode.
void read_block(reader& r, uint8_t* dst, int64_t bytes, bool compressed, int32_t k) {
  if (compressed) tarq_fread_lz4_block(dst, static_cast<int32_t>(bytes), k, r.f);
  else read_bytes(r, dst, bytes, false);
}

// a * b * c, or -1 when it passes the largest block.
int64_t block_size(int64_t a, int64_t b, int64_t c) {
  if (a * b > TARQ_MEM_LIMIT) return -1;
  int64_t n = a * b * c;
  return n > TARQ_MEM_LIMIT ? -1 : n;
}

void read_bitmap(reader& r, tarq_pod* pod, bool compressed) {
  int32_t w = read_i32(r), h = read_i32(r), bpp = read_i32(r), tag = read_i32(r);
  read_i32(r);
  if (w < 1 || h < 1 || (bpp != 8 && bpp != 32)) return refuse(r);
  // The pixels and the record with its row table share the limit.
  int64_t bytes = block_size(w, h, bpp / 8);
  int64_t record = static_cast<int64_t>(sizeof(tarq_bitmap)) + static_cast<int64_t>(h) * sizeof(uint8_t*);
  if (bytes < 0 || bytes + record > TARQ_MEM_LIMIT) return refuse(r);
  int32_t k = 0;
  if (!block_allowed(r, bytes, compressed, &k)) return;
  tarq_bitmap* b = tarq_create_bitmap(w, h, bpp);
  if (!b) return refuse(r);
  b->tag = tag;
  read_block(r, b->pixels, bytes, compressed, k);
  cpod_add_item(pod, TARQ_ITEM_BITMAP, b);
}

void read_voxmap(reader& r, tarq_pod* pod, bool compressed) {
  int32_t w = read_i32(r), h = read_i32(r), d = read_i32(r), tag = read_i32(r);
  read_i32(r);
  if (w < 1 || h < 1 || d < 1 || d > VOXMAP_MAX_SLICES) return refuse(r);
  // The voxels and every slice record with its row table share the limit.
  int64_t bytes = block_size(w, h, d);
  int64_t slice = static_cast<int64_t>(sizeof(tarq_bitmap)) + static_cast<int64_t>(h) * sizeof(uint8_t*);
  if (bytes < 0 || bytes + d * (slice + static_cast<int64_t>(sizeof(tarq_bitmap*))) > TARQ_MEM_LIMIT) return refuse(r);
  int32_t k = 0;
  if (!block_allowed(r, bytes, compressed, &k)) return;
  tarq_voxmap* v = tarq_create_voxmap(w, h, d);
  if (!v) return refuse(r);
  v->tag = tag;
  read_block(r, v->voxels, bytes, compressed, k);
  cpod_add_item(pod, TARQ_ITEM_VOXMAP, v);
}

void read_file(reader& r, tarq_pod* pod, bool compressed) {
  int32_t m = read_i32(r);
  char name[TARQ_POD_FILE_NAME_SIZE];
  read_text(r, name, sizeof name);
  if (m < 0) return refuse(r);
  int32_t k = 0;
  if (!block_allowed(r, m, compressed, &k)) return;
  tarq_file* f = tarq_create_buffer(m);
  if (!f) return refuse(r);
  read_block(r, f->data, m, compressed, k);
  f->size = m;
  f->pos = 0;
  memcpy(f->name, name, sizeof name);
  cpod_add_item(pod, TARQ_ITEM_FILE, f);
}

void read_palette(reader& r, tarq_pod* pod) {
  tarq_palette* p = tarq_create_palette();
  if (!p) return refuse(r);
  read_bytes(r, p->rgb, sizeof p->rgb);
  cpod_add_item(pod, TARQ_ITEM_PALETTE, p);
}

void read_material(reader& r, tarq_pod* pod) {
  tarq_material* m = tarq_create_material();
  if (!m) return refuse(r);
  for (int32_t& w : m->word) w = read_i32(r);
  cpod_add_item(pod, TARQ_ITEM_MATERIAL, m);
}

bool read_model_body(reader& r, tarq_model* m, int32_t v, int32_t p, int32_t bones) {
  m->bone_count = bones;
  if (!cmodel_max_vertices(m, v) || !cmodel_max_polygons(m, p)) return false;
  for (int32_t i = 0; i < v; i++) {
    m->vertices[i].x = read_float(r);
    m->vertices[i].y = read_float(r);
    m->vertices[i].z = read_float(r);
  }
  m->vertex_count = v;
  for (int32_t i = 0; i < p; i++) {
    tarq_poly* poly = &m->polygons[i];
    int32_t n = read_i16(r);
    poly->material = read_i16(r);
    poly->flags = read_i16(r);
    // A bone is a polygon of two corners, the bone's ends.
    if (n < 0 || (i < bones && n != 2)) return false;
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
    for (int32_t i = 0; i < v; i++) {
      tarq_bone_vertex& bv = m->bone_vertices[i];
      for (int k = 0; k < 2; k++) {
        int32_t b = static_cast<uint16_t>(read_i16(r));
        bv.bone[k] = static_cast<int16_t>(b < bones ? b : bones - 1);
      }
      bv.weight = read_float(r);
    }
  }
  return true;
}

constexpr int64_t VERTEX_BYTES = 12;
constexpr int64_t POLYGON_HEAD_BYTES = 6;  // corner count, material and flags words

void read_model(reader& r, tarq_pod* pod) {
  int32_t v = read_i32(r), p = read_i32(r), bones = read_i32(r);
  // Bones are the first polygons, numbered in 16 bits.
  if (v < 0 || p < 0 || bones < 0 || bones > p || bones > 0x7FFF) return refuse(r);
  int64_t left = remaining(r);
  v = records_in_stream(r, v, VERTEX_BYTES);
  int64_t after_vertices = left - v * VERTEX_BYTES;
  int64_t room = after_vertices > 0 ? (after_vertices + POLYGON_HEAD_BYTES - 1) / POLYGON_HEAD_BYTES : 0;
  if (p > room) p = static_cast<int32_t>(room);
  if (bones > p) bones = p;
  tarq_model* m = tarq_create_model();
  if (!m) return refuse(r);
  if (!read_model_body(r, m, v, p, bones)) {
    tarq_destroy_model(m);
    return refuse(r);
  }
  cmodel_decorate(m);
  cpod_add_item(pod, TARQ_ITEM_MODEL, m);
}

bool read_channel(reader& r, tarq_anim_channel* c) {
  int32_t n = read_i32(r);
  // The states are blocks of the channel: made in full, kept as far as read.
  if (n < 0 || !cut_block_allowed(r, static_cast<int64_t>(n) * (c->value_size + 8), remaining(r))) return false;
  if (!canim_channel_set_num_states(c, n)) return false;
  read_bytes(r, c->values, static_cast<int64_t>(n) * c->value_size);
  read_bytes(r, c->times, static_cast<int64_t>(n) * 4);
  read_bytes(r, c->interpolation, static_cast<int64_t>(n) * 4);
  return true;
}

bool read_actor(reader& r, tarq_actor* a) {
  read_text(r, a->name, sizeof a->name);
  read_text(r, a->second_name, sizeof a->second_name);
  for (int i = 0; i < 3; i++) a->word[i] = read_i32(r);
  a->word_a = read_i32(r);
  int32_t extra = read_i32(r);
  a->word_b = read_i32(r);
  for (int i = 0; i < 3; i++) read_i32(r);
  // Every extra channel is a record of its own, at least its state count.
  if (extra < 0) return false;
  extra = records_in_stream(r, extra, 4);
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
  if (actors < 0) return refuse(r);
  actors = records_in_stream(r, actors, EMPTY_ACTOR_BYTES);
  tarq_anim* anim = tarq_create_anim();
  if (!anim) return refuse(r);
  anim->word[0] = w0;
  anim->word[1] = w1;
  for (int32_t i = 0; i < actors && r.ok; i++) {
    int32_t index = canim_new_actor(anim);
    if (index < 0 || !read_actor(r, &anim->actors[index])) refuse(r);
  }
  if (!r.ok) {
    tarq_destroy_anim(anim);
    return;
  }
  cpod_add_item(pod, TARQ_ITEM_ANIM, anim);
}

// A sound is made through the kind its owner registered; with none, or one
// that cannot be made, the chunk is read past.
void read_sound(reader& r, tarq_pod* pod, int32_t length) {
  int32_t samples = read_i32(r), bits = read_i32(r);
  const tarq_item_kind* kind = tarq_item_kind_of(TARQ_ITEM_SOUND);
  // A sample block cut short by more than a block may miss is not made either.
  tarq_sound* s = nullptr;
  if (kind && bits > 0 && samples >= 0 &&
      static_cast<int64_t>(samples) * (bits / 8) <= remaining(r) - SOUND_FIELD_BYTES + CUT_BLOCK_MAX_MISSING)
    s = static_cast<tarq_sound*>(kind->create(samples, bits));
  if (!s) return skip(r, static_cast<int64_t>(length) - 8);  // the rest of the chunk
  s->frequency = read_i32(r);
  s->channels = read_i32(r);
  read_i32(r);
  read_i32(r);
  read_bytes(r, s->data, static_cast<int64_t>(samples) * (bits / 8), false);
  cpod_add_item(pod, TARQ_ITEM_SOUND, s);
}

// The synth's fields; false when one is outside the synth's limits.
bool read_synth_body(reader& r, tarq_synth* s) {
  s->header[0] = read_i32(r);
  s->header[1] = read_i32(r);
  if (read_i32(r) == 0) s->header[0] /= 2;
  read_i32(r);
  int32_t nodes = read_i32(r);
  if (nodes > TARQ_SYNTH_NODES) return false;
  for (int32_t i = 0; i < nodes; i++) {
    int32_t* w = s->node[i].word;
    w[0] = read_i32(r);
    w[1] = read_i32(r);
    w[2] = read_i32(r);
    w[TARQ_SYNTH_LAST] = read_i32(r);
    int32_t table = read_i32(r);
    if (table < 0 || table > TARQ_SYNTH_TABLE_BYTES) return false;
    read_bytes(r, &w[TARQ_SYNTH_TABLE_FIRST], table);
    w[TARQ_SYNTH_TABLE_COUNT] = table;
    int32_t params = read_i32(r);
    if (params < 0 || params > TARQ_SYNTH_PARAMS) return false;
    for (int32_t k = 0; k < params; k++) {
      int32_t* slot = &w[TARQ_SYNTH_PARAM_FIRST + 4 * k];
      slot[0] = read_i32(r);
      slot[2] = read_i32(r);
      slot[3] = read_i32(r);
    }
  }
  return true;
}

// A synth graph is made through the kind its owner registered. With none,
// its fields are read (and checked) into a scratch record that is dropped:
// the chunk's length does not say where it ends.
void read_synth(reader& r, tarq_pod* pod) {
  const tarq_item_kind* kind = tarq_item_kind_of(TARQ_ITEM_SYNTH);
  void* item = kind ? kind->create(0, 0) : tarq_calloc(sizeof(tarq_synth));
  if (!item) return refuse(r);
  bool ok = read_synth_body(r, static_cast<tarq_synth*>(item));
  if (!kind) tarq_free(item);
  else if (ok) cpod_add_item(pod, TARQ_ITEM_SYNTH, item);
  else kind->destroy(item);
  if (!ok) refuse(r);
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
  if (!r.ok && remaining(r) == 0) {  // cut short: the chunk is lost, the items before it are kept
    r.ok = true;
    return true;
  }
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
    if (tarq_fread(head, 1, 4, f) != 4) break;  // a tag cut short reads as 0
    uint32_t tag = static_cast<uint32_t>(head[0]) | static_cast<uint32_t>(head[1]) << 8 |
                   static_cast<uint32_t>(head[2]) << 16 | static_cast<uint32_t>(head[3]) << 24;
    if (tag == 0) break;
    int32_t length = read_i32(r);
    if (chunk == 0) {
      if (tag != TARQ_TAG_CPOD) return tarq_destroy_pod(pod);  // a null pod, or no pod
      read_i32(r);                                             // format version
      read_text(r, pod->name, TARQ_POD_NAME_SIZE);
      read_i32(r);  // item count
      skip(r, 28);
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
  tarq_logf("tarq_load_pod: %s %s \n", path, pod ? "ok" : "failed");
  return pod;
}

tarq_pod* tarq_load_pod_item(const tarq_pod* pod, int32_t slot) {
  tarq_file* f = static_cast<tarq_file*>(cpod_get_item(pod, slot, TARQ_ITEM_FILE));
  if (!f) return nullptr;
  f->pos = 0;
  return tarq_load_pod_file("", f);
}
