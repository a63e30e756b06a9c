// Writing one pod as pod-file chunks.
#include <cstdio>
#include <cstring>

#include "engine/config.h"
#include "engine/data/anim.h"
#include "engine/data/gfx.h"
#include "engine/data/model.h"
#include "engine/data/pod.h"
#include "engine/data/sound_items.h"
#include "engine/data/voxmap.h"
#include "engine/formats/pod_file_write.h"

#include "engine/formats/compressed_blocks.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/log.h"
#include "engine/log_format.h"

tarq_save_item_func tarq_save_item_hook = nullptr;

void tarq_set_save_item_func(tarq_save_item_func fn) { tarq_save_item_hook = fn; }

namespace {

void put_i32(tarq_file* f, int32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                  static_cast<uint8_t>(v >> 24)};
  tarq_fwrite(b, 1, 4, f);
}

void put_i16(tarq_file* f, int32_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  tarq_fwrite(b, 1, 2, f);
}

void put_float(tarq_file* f, float v) {
  int32_t bits;
  memcpy(&bits, &v, sizeof bits);
  put_i32(f, bits);
}

void put_zeros(tarq_file* f, int n) {
  static const uint8_t zeros[32] = {};
  tarq_fwrite(zeros, 1, static_cast<size_t>(n), f);
}

// A text field of `size` bytes, NUL-padded.
void put_text(tarq_file* f, const char* text, int size) {
  char field[TARQ_POD_FILE_NAME_SIZE] = {};
  memcpy(field, text, strnlen(text, static_cast<size_t>(size) - 1));
  tarq_fwrite(field, 1, static_cast<size_t>(size), f);
}

void put_header(tarq_file* f, uint32_t tag, int64_t length) {
  put_i32(f, static_cast<int32_t>(tag));
  put_i32(f, static_cast<int32_t>(length));
}

void put_block(tarq_file* f, const void* data, int64_t n, bool compressed) {
  if (compressed) tarq_fwrite_lz4(data, static_cast<int32_t>(n), f);
  else tarq_fwrite(data, 1, static_cast<size_t>(n), f);
}

uint32_t lowered(uint32_t tag, bool compressed) { return compressed ? tag | TARQ_TAG_LOWER : tag; }

void write_bitmap(tarq_file* f, const tarq_bitmap* b, bool compressed) {
  int64_t bytes = static_cast<int64_t>(b->width) * b->height * (b->depth / 8);
  put_header(f, lowered(TARQ_TAG_CBMP, compressed), bytes + 20);
  put_i32(f, b->width);
  put_i32(f, b->height);
  put_i32(f, b->depth);
  put_i32(f, b->tag);
  put_i32(f, 0);
  put_block(f, b->pixels, bytes, compressed);
}

void write_voxmap(tarq_file* f, const tarq_voxmap* v, bool compressed) {
  int64_t bytes = static_cast<int64_t>(v->width) * v->height * v->depth;
  put_header(f, lowered(TARQ_TAG_CVMP, compressed), bytes + 20);
  put_i32(f, v->width);
  put_i32(f, v->height);
  put_i32(f, v->depth);
  put_i32(f, v->tag);
  put_i32(f, 0);
  put_block(f, v->voxels, bytes, compressed);
}

void write_file(tarq_file* f, const tarq_file* item, bool compressed) {
  if (item->kind != TARQ_FILE_MEMORY) return;  // only memory streams carry their bytes
  put_header(f, lowered(TARQ_TAG_CFIL, compressed), 0);
  put_i32(f, item->size);
  put_text(f, item->name, TARQ_POD_FILE_NAME_SIZE);
  put_block(f, item->data, item->size, compressed);
}

void write_palette(tarq_file* f, const tarq_palette* p) {
  put_header(f, TARQ_TAG_CPAL, 768);
  tarq_fwrite(p->rgb, 1, 768, f);
}

void write_material(tarq_file* f, const tarq_material* m) {
  put_header(f, TARQ_TAG_CMAT, 96);
  for (int32_t w : m->word) put_i32(f, w);
}

void write_model(tarq_file* f, const tarq_model* m) {
  if ((m->bone_vertices != nullptr) != (m->bone_count > 0)) {
    tarq_logf("\nAssertion failed: %s\n", "Error: bad bone_vertex syncronisation!\n");
  }
  put_header(f, TARQ_TAG_CMOD, 0);
  put_i32(f, m->vertex_count);
  put_i32(f, m->polygon_count);
  put_i32(f, m->bone_count);
  for (int32_t i = 0; i < m->vertex_count; i++) {
    put_float(f, m->vertices[i].x);
    put_float(f, m->vertices[i].y);
    put_float(f, m->vertices[i].z);
  }
  for (int32_t i = 0; i < m->polygon_count; i++) {
    const tarq_poly& p = m->polygons[i];
    put_i16(f, p.count);
    put_i16(f, p.material);
    put_i16(f, p.flags);
    for (int32_t c = 0; c < p.count; c++) {
      put_i32(f, p.index[c]);
      put_float(f, p.uv[2 * c]);
      put_float(f, p.uv[2 * c + 1]);
    }
  }
  if (m->bone_count > 0 && m->vertex_count > 0) {
    for (int32_t i = 0; i < m->vertex_count; i++) {
      tarq_bone_vertex bv = m->bone_vertices ? m->bone_vertices[i] : tarq_bone_vertex{{0, 0}, 1.0f, {}};
      put_i16(f, static_cast<uint16_t>(bv.bone[0]));
      put_i16(f, static_cast<uint16_t>(bv.bone[1]));
      put_float(f, bv.weight);
    }
  }
}

// A channel with values of the size the file gives its kind.
void write_channel(tarq_file* f, const tarq_anim_channel* c, int32_t value_size) {
  int32_t n = c ? c->count : 0;
  put_i32(f, n);
  for (int32_t i = 0; i < n; i++) {
    uint8_t value[TARQ_ANIM_COMMAND_SIZE] = {};
    int32_t have = c->value_size < value_size ? c->value_size : value_size;
    if (have > 0)
      memcpy(value, c->values + static_cast<size_t>(i) * static_cast<size_t>(c->value_size), static_cast<size_t>(have));
    tarq_fwrite(value, 1, static_cast<size_t>(value_size), f);
  }
  for (int32_t i = 0; i < n; i++) put_i32(f, c->times[i]);
  for (int32_t i = 0; i < n; i++) put_i32(f, c->interpolation[i]);
}

void write_anim(tarq_file* f, const tarq_anim* anim) {
  put_header(f, TARQ_TAG_CANI, 0);
  put_i32(f, anim->actor_count);
  put_i32(f, anim->word[0]);
  put_i32(f, anim->word[1]);
  put_zeros(f, 20);
  for (int32_t i = 0; i < anim->actor_count; i++) {
    const tarq_actor& a = anim->actors[i];
    put_text(f, a.name, TARQ_ACTOR_NAME_SIZE);
    put_text(f, a.second_name, TARQ_ACTOR_NAME_SIZE);
    for (int k = 0; k < 3; k++) put_i32(f, a.word[k]);
    put_i32(f, a.word_a);
    put_i32(f, a.bone_count);
    put_i32(f, a.word_b);
    put_zeros(f, 12);
    for (const tarq_anim_channel& c : a.channel) write_channel(f, &c, TARQ_ANIM_VECTOR_SIZE);
    for (int32_t b = 0; b < a.bone_count; b++) write_channel(f, a.bones[b], TARQ_ANIM_BONE_SIZE);
    write_channel(f, &a.command, TARQ_ANIM_COMMAND_SIZE);
  }
}

void write_sound(tarq_file* f, tarq_sound* s) {
  int64_t bytes = static_cast<int64_t>(s->sample_count) * (s->bits / 8);
  put_header(f, TARQ_TAG_CSND, bytes + 24);
  put_i32(f, s->sample_count);
  put_i32(f, s->bits);
  put_i32(f, s->frequency);
  put_i32(f, s->channels);
  put_zeros(f, 8);
  tarq_fwrite(s->data, 1, static_cast<size_t>(bytes), f);
}

constexpr int32_t SYNTH_FILE_NODES = 16;
constexpr int32_t SYNTH_FILE_PARAMS = 8;

void write_synth(tarq_file* f, const tarq_synth* s) {
  put_header(f, TARQ_TAG_CSYN, 0);
  put_i32(f, s->header[0]);
  put_i32(f, s->header[1]);
  put_i32(f, 1);
  put_i32(f, 0);
  put_i32(f, SYNTH_FILE_NODES);
  for (int32_t i = 0; i < SYNTH_FILE_NODES; i++) {
    const int32_t* w = s->node[i].word;
    put_i32(f, w[0]);
    put_i32(f, w[1]);
    put_i32(f, w[2]);
    put_i32(f, w[TARQ_SYNTH_LAST]);
    int32_t table = w[TARQ_SYNTH_TABLE_COUNT];
    if (table < 0) table = 0;
    if (table > TARQ_SYNTH_TABLE_BYTES) table = TARQ_SYNTH_TABLE_BYTES;
    put_i32(f, table);
    tarq_fwrite(&w[TARQ_SYNTH_TABLE_FIRST], 1, static_cast<size_t>(table), f);
    put_i32(f, SYNTH_FILE_PARAMS);
    for (int32_t k = 0; k < SYNTH_FILE_PARAMS; k++) {
      const int32_t* slot = &w[TARQ_SYNTH_PARAM_FIRST + 4 * k];
      put_i32(f, slot[0]);
      put_i32(f, slot[2]);
      put_i32(f, slot[3]);
    }
  }
}

void write_item(tarq_file* f, tarq_pod* pod, int32_t slot) {
  bool compressed = cconfig.pod_compression != 0;
  if (pod->types[slot] >= TARQ_ITEM_APPLICATION && tarq_save_item_hook) tarq_save_item_hook(f, pod, slot);
  void* item = pod->items[slot];
  if (!item) return;
  switch (pod->types[slot]) {
    case TARQ_ITEM_BITMAP: write_bitmap(f, static_cast<tarq_bitmap*>(item), compressed); break;
    case TARQ_ITEM_VOXMAP: write_voxmap(f, static_cast<tarq_voxmap*>(item), compressed); break;
    case TARQ_ITEM_PALETTE: write_palette(f, static_cast<tarq_palette*>(item)); break;
    case TARQ_ITEM_MODEL: write_model(f, static_cast<tarq_model*>(item)); break;
    case TARQ_ITEM_MATERIAL: write_material(f, static_cast<tarq_material*>(item)); break;
    case TARQ_ITEM_ANIM: write_anim(f, static_cast<tarq_anim*>(item)); break;
    case TARQ_ITEM_SOUND: write_sound(f, static_cast<tarq_sound*>(item)); break;
    case TARQ_ITEM_SYNTH: write_synth(f, static_cast<tarq_synth*>(item)); break;
    case TARQ_ITEM_FILE: write_file(f, static_cast<tarq_file*>(item), compressed); break;
    default: break;
  }
}

}  // namespace

int tarq_save_pod_file(const char*, tarq_pod* pod, tarq_file* f) {
  if (!f) return 1;
  if (!pod) {
    put_header(f, TARQ_TAG_CNOP, 0);
    return 0;
  }
  put_header(f, TARQ_TAG_CPOD, 68);
  put_i32(f, 1);
  put_text(f, pod->name, TARQ_POD_NAME_SIZE);
  put_i32(f, pod->count);
  put_zeros(f, 28);
  // Every live item, in slot order (after deletions live slots may lie past the count).
  for (int32_t slot = 0; slot < pod->capacity; slot++)
    if (pod->types[slot] != TARQ_ITEM_FREE && pod->position[slot] < pod->count) write_item(f, pod, slot);
  return 0;
}

int tarq_save_pod(const char* path, tarq_pod* pod) {
  char temp[TARQ_PATH_MAX];
  tarq_file* f = tarq_open_replacement(path, temp);
  int result = f ? tarq_save_pod_file(path, pod, f) : 1;
  if (tarq_commit_replacement(f, temp, path, result == 0) != 0) result = 1;
  tarq_logf("tarq_save_pod: %s %d \n", path, result);
  return result;
}
