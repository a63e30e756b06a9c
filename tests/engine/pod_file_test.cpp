#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/config.h"
#include "engine/data/anim.h"
#include "engine/data/gfx.h"
#include "engine/data/model.h"
#include "engine/data/pod.h"
#include "engine/data/pod_set.h"
#include "engine/data/sound_items.h"
#include "engine/data/voxmap.h"
#include "engine/data/voxmap_draw.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "tests/engine/sound_items_double.h"
#include "tests/support/temp_dir.h"

namespace {

using bytes = std::string;

// Little-endian pieces for hand-made chunks.
bytes i32(int32_t v) {
  bytes b(4, 0);
  for (int i = 0; i < 4; i++) b[i] = (char)((uint32_t)v >> (8 * i));
  return b;
}
bytes i16(int v) { return bytes{(char)v, (char)(v >> 8)}; }
bytes f32(float v) {
  int32_t bits;
  memcpy(&bits, &v, 4);
  return i32(bits);
}
bytes zeros(size_t n) { return bytes(n, 0); }
bytes chunk(const char* tag, int32_t length, const bytes& body) { return bytes(tag, 4) + i32(length) + body; }
bytes pod_header(const char* name) {
  bytes n(32, 0);
  memcpy(&n[0], name, strlen(name));
  return chunk("CPOD", 68, i32(1) + n + i32(0) + zeros(28));
}
bytes bitmap8(int w, int h, char fill) {
  return chunk("CBMP", w * h + 20, i32(w) + i32(h) + i32(8) + i32(77) + i32(0) + bytes(w * h, fill));
}

// A pod read from bytes held in a memory stream; the stream is kept for the next read.
struct memory_file {
  bytes data;
  tarq_file* f;
  explicit memory_file(const bytes& d) : data(d) { f = tarq_fopen_memory(data.data(), (int32_t)data.size()); }
  ~memory_file() { tarq_fclose(f); }
  tarq_pod* next() { return tarq_load_pod_file("test", f); }
};

bytes save_to_bytes(tarq_pod* pod) {
  tarq_file* f = tarq_create_buffer(64);
  EXPECT_EQ(tarq_save_pod_file("x", pod, f), 0);
  bytes out((const char*)f->data, (size_t)f->size);
  tarq_destroy_buffer(f);
  return out;
}

template <typename T>
T* item(tarq_pod* pod, int slot, int type) {
  return (T*)cpod_get_item(pod, slot, type);
}

void fill_channel(tarq_anim_channel* c, int n, int salt) {
  canim_channel_set_num_states(c, n);
  for (int i = 0; i < n * c->value_size; i++) c->values[i] = (uint8_t)(i * 3 + salt);
  for (int i = 0; i < n; i++) {
    c->times[i] = i * 10 + salt;
    c->interpolation[i] = i & 1;
  }
}

void expect_same_channel(const tarq_anim_channel* a, const tarq_anim_channel* b) {
  ASSERT_EQ(a->count, b->count);
  ASSERT_EQ(a->value_size, b->value_size);
  if (a->count == 0) return;
  EXPECT_EQ(0, memcmp(a->values, b->values, (size_t)a->count * a->value_size));
  EXPECT_EQ(0, memcmp(a->times, b->times, sizeof(int32_t) * a->count));
  EXPECT_EQ(0, memcmp(a->interpolation, b->interpolation, sizeof(int32_t) * a->count));
}

// One item of every kind the format knows.
tarq_pod* make_full_pod() {
  tarq_pod* pod = tarq_create_pod(0);
  snprintf(pod->name, sizeof pod->name, "everything");

  tarq_bitmap* b8 = tarq_create_bitmap(16, 16, 8);
  for (int i = 0; i < 256; i++) b8->pixels[i] = (uint8_t)(i / 16);
  b8->tag = 0x1234;
  cpod_add_item(pod, TARQ_ITEM_BITMAP, b8);
  tarq_bitmap* b32 = tarq_create_bitmap(3, 5, 32);
  for (int i = 0; i < 60; i++) b32->pixels[i] = (uint8_t)(i * 7);
  cpod_add_item(pod, TARQ_ITEM_BITMAP, b32);

  tarq_voxmap* v = tarq_create_voxmap(4, 3, 2);
  for (int i = 0; i < 24; i++) v->voxels[i] = (uint8_t)(i + 1);
  v->tag = -5;
  cpod_add_item(pod, TARQ_ITEM_VOXMAP, v);

  tarq_palette* pal = tarq_create_palette();
  for (int i = 0; i < 256; i++) pal->rgb[i][0] = pal->rgb[i][1] = pal->rgb[i][2] = (uint8_t)(255 - i);
  cpod_add_item(pod, TARQ_ITEM_PALETTE, pal);

  tarq_material* mat = tarq_create_material();
  mat->word[0] = 42;
  cpod_add_item(pod, TARQ_ITEM_MATERIAL, mat);

  // Two bones (0 -> 1 -> 2) and a quad.
  tarq_model* m = tarq_create_model();
  m->bone_count = 2;
  cmodel_max_vertices(m, 4);
  cmodel_max_polygons(m, 3);
  m->vertex_count = 4;
  tarq_vector verts[4] = {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {1, 0, 0}};
  memcpy(m->vertices, verts, sizeof verts);
  int corners[3][4] = {{0, 1}, {1, 2}, {0, 1, 2, 3}};
  int counts[3] = {2, 2, 4};
  for (int p = 0; p < 3; p++) {
    cpoly_set_num_vertices(&m->polygons[p], counts[p]);
    for (int c = 0; c < counts[p]; c++) {
      m->polygons[p].index[c] = corners[p][c];
      m->polygons[p].uv[2 * c] = 0.25f * c;
      m->polygons[p].uv[2 * c + 1] = 0.5f;
    }
    m->polygons[p].material = (int16_t)(p + 1);
    m->polygons[p].flags = (int16_t)(0x100 * p);
  }
  m->polygon_count = 3;
  for (int i = 0; i < 4; i++) m->bone_vertices[i] = {{(int16_t)(i & 1), 1}, 0.75f, {}};
  cpod_add_item(pod, TARQ_ITEM_MODEL, m);

  tarq_anim* anim = tarq_create_anim();
  anim->word[0] = 11;
  anim->word[1] = 22;
  canim_new_actor(anim);
  canim_new_actor(anim);
  tarq_actor* a = &anim->actors[1];
  snprintf(a->second_name, sizeof a->second_name, "walker");
  a->word[0] = 1;
  a->word_a = 7;
  a->word_b = 9;
  fill_channel(&a->channel[0], 2, 1);
  fill_channel(&a->channel[2], 1, 2);
  canim_set_bone_count(a, 2);
  fill_channel(a->bones[1], 3, 3);
  fill_channel(&a->command, 2, 4);
  cpod_add_item(pod, TARQ_ITEM_ANIM, anim);

  tarq_sound* s = tovo_test::make_sound(5, 16);
  for (int i = 0; i < 10; i++) s->data[i] = (uint8_t)(i * 11);
  s->frequency = 11025;
  s->channels = 2;
  cpod_add_item(pod, TARQ_ITEM_SOUND, s);

  tarq_synth* syn = tovo_test::make_synth(3);
  syn->header[1] = 99;
  for (int n = 0; n < 16; n++) {
    int32_t* w = syn->node[n].word;
    w[0] = n;
    w[1] = n * 2;
    w[2] = -n;
    w[TARQ_SYNTH_LAST] = 1000 + n;
    w[TARQ_SYNTH_TABLE_COUNT] = n * 4;
    for (int k = 0; k < n * 4; k++) ((uint8_t*)&w[TARQ_SYNTH_TABLE_FIRST])[k] = (uint8_t)(k + n);
    for (int k = 0; k < 8; k++) {
      w[TARQ_SYNTH_PARAM_FIRST + 4 * k] = k;
      w[TARQ_SYNTH_PARAM_FIRST + 4 * k + 2] = k + n;
      w[TARQ_SYNTH_PARAM_FIRST + 4 * k + 3] = -k;
    }
  }
  cpod_add_item(pod, TARQ_ITEM_SYNTH, syn);

  tarq_file* file = tarq_create_buffer(8);
  cbuffer_add_data(file, "hello, cart", 11);
  snprintf(file->name, sizeof file->name, "game.kx");
  cpod_add_item(pod, TARQ_ITEM_FILE, file);
  return pod;
}

void expect_same_pods(tarq_pod* a, tarq_pod* b) {
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(a->name, b->name);
  ASSERT_EQ(a->count, b->count);
  for (int i = 0; i < a->count; i++) ASSERT_EQ(a->types[i], b->types[i]) << "slot " << i;

  auto* b8a = item<tarq_bitmap>(a, 0, TARQ_ITEM_BITMAP);
  auto* b8b = item<tarq_bitmap>(b, 0, TARQ_ITEM_BITMAP);
  EXPECT_EQ(b8b->tag, 0x1234);
  EXPECT_EQ(0, memcmp(b8a->pixels, b8b->pixels, 256));
  auto* b32b = item<tarq_bitmap>(b, 1, TARQ_ITEM_BITMAP);
  EXPECT_EQ(b32b->depth, 32);
  EXPECT_EQ(0, memcmp(item<tarq_bitmap>(a, 1, 4)->pixels, b32b->pixels, 60));

  auto* vb = item<tarq_voxmap>(b, 2, TARQ_ITEM_VOXMAP);
  EXPECT_EQ(vb->tag, -5);
  EXPECT_EQ(tarq_getvoxel(vb, 3, 2, 1), 24);
  EXPECT_EQ(0, memcmp(item<tarq_palette>(a, 3, 5)->rgb, item<tarq_palette>(b, 3, 5)->rgb, 768));
  EXPECT_EQ(0, memcmp(item<tarq_material>(a, 4, 7), item<tarq_material>(b, 4, 7), 96));

  auto* ma = item<tarq_model>(a, 5, TARQ_ITEM_MODEL);
  auto* mb = item<tarq_model>(b, 5, TARQ_ITEM_MODEL);
  ASSERT_EQ(mb->vertex_count, 4);
  ASSERT_EQ(mb->polygon_count, 3);
  ASSERT_EQ(mb->bone_count, 2);
  EXPECT_EQ(0, memcmp(ma->vertices, mb->vertices, sizeof(tarq_vector) * 4));
  for (int p = 0; p < 3; p++) {
    ASSERT_EQ(ma->polygons[p].count, mb->polygons[p].count);
    EXPECT_EQ(mb->polygons[p].material, p + 1);
    EXPECT_EQ(mb->polygons[p].flags, 0x100 * p);
    for (int c = 0; c < mb->polygons[p].count; c++) {
      EXPECT_EQ(ma->polygons[p].index[c], mb->polygons[p].index[c]);
      EXPECT_EQ(ma->polygons[p].uv[2 * c], mb->polygons[p].uv[2 * c]);
    }
  }
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(mb->bone_vertices[i].bone[0], i & 1);
    EXPECT_EQ(mb->bone_vertices[i].weight, 0.75f);
  }
  // Decorated on reading: bone 1 hangs from bone 0.
  ASSERT_NE(mb->bone_parents, nullptr);
  EXPECT_EQ(mb->bone_parents[0], -1);
  EXPECT_EQ(mb->bone_parents[1], 0);
  EXPECT_EQ(mb->pose_size, 48);

  auto* aa = item<tarq_anim>(a, 6, TARQ_ITEM_ANIM);
  auto* ab = item<tarq_anim>(b, 6, TARQ_ITEM_ANIM);
  ASSERT_EQ(ab->actor_count, 2);
  EXPECT_EQ(ab->word[0], 11);
  EXPECT_EQ(ab->word[1], 22);
  EXPECT_STREQ(ab->actors[1].name, "actor1");
  EXPECT_STREQ(ab->actors[1].second_name, "walker");
  EXPECT_EQ(ab->actors[1].word[0], 1);
  EXPECT_EQ(ab->actors[1].word_a, 7);
  EXPECT_EQ(ab->actors[1].word_b, 9);
  ASSERT_EQ(ab->actors[1].bone_count, 2);
  for (int k = 0; k < 3; k++) expect_same_channel(&aa->actors[1].channel[k], &ab->actors[1].channel[k]);
  expect_same_channel(aa->actors[1].bones[1], ab->actors[1].bones[1]);
  expect_same_channel(&aa->actors[1].command, &ab->actors[1].command);

  auto* sb = item<tarq_sound>(b, 7, TARQ_ITEM_SOUND);
  EXPECT_EQ(sb->sample_count, 5);
  EXPECT_EQ(sb->frequency, 11025);
  EXPECT_EQ(sb->channels, 2);
  EXPECT_EQ(0, memcmp(item<tarq_sound>(a, 7, 9)->data, sb->data, 10));

  auto* ya = item<tarq_synth>(a, 8, TARQ_ITEM_SYNTH);
  auto* yb = item<tarq_synth>(b, 8, TARQ_ITEM_SYNTH);
  EXPECT_EQ(yb->header[0], 12);
  EXPECT_EQ(yb->header[1], 99);
  EXPECT_EQ(0, memcmp(ya->node, yb->node, sizeof ya->node));

  auto* fb = item<tarq_file>(b, 9, TARQ_ITEM_FILE);
  EXPECT_STREQ(fb->name, "game.kx");
  EXPECT_EQ(fb->pos, 0);
  EXPECT_EQ(bytes((const char*)fb->data, (size_t)fb->size), "hello, cart");
}

// The chunk bytes of one item: a one-item pod with its header cut off.
bytes item_chunk(tarq_pod* source, int slot) {
  tarq_pod* one = tarq_create_pod(0);
  cpod_add_item(one, source->types[slot], source->items[slot]);
  bytes b = save_to_bytes(one).substr(76);
  cpod_delete_item_soft(one, 0);
  tarq_destroy_pod(one);
  return b;
}

// The tests here read and write sounds and synth graphs through stand-in
// item kinds.
struct EnginePodFile : ::testing::Test {
  tovo_test::sound_item_kinds kinds;
};

}  // namespace

TEST_F(EnginePodFile, EveryChunkKindRoundTripsPlainAndCompressed) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_pod* pod = make_full_pod();
  for (int compress = 0; compress <= 1; compress++) {
    cconfig.pod_compression = compress;
    bytes file = save_to_bytes(pod);
    EXPECT_EQ(file.substr(0, 4), "CPOD");
    EXPECT_EQ(file[76], compress ? 'c' : 'C');  // the first bitmap's tag
    memory_file mf(file);
    tarq_pod* back = mf.next();
    expect_same_pods(pod, back);
    tarq_destroy_pod(back);
  }
  cconfig.pod_compression = 0;
  tarq_destroy_pod(pod);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

// A program without the sound engine registers no kinds for its items: the
// reader reads past every sound and synth graph and keeps the rest.
TEST(EnginePodFileWithoutSoundKinds, SoundsAndSynthGraphsAreReadPast) {
  int32_t before = tarq_loop.tarq_items_created;
  bytes file;
  int full_count = 0;
  {
    tovo_test::sound_item_kinds kinds;
    tarq_pod* full = make_full_pod();
    full_count = full->count;
    file = save_to_bytes(full);
    tarq_destroy_pod(full);
  }
  ASSERT_EQ(tarq_item_kind_of(TARQ_ITEM_SOUND), nullptr);
  ASSERT_EQ(tarq_item_kind_of(TARQ_ITEM_SYNTH), nullptr);
  memory_file mf(file + pod_header("N") + bitmap8(1, 1, 6));
  tarq_pod* pod = mf.next();
  ASSERT_NE(pod, nullptr);
  ASSERT_EQ(pod->count, full_count - 2);
  for (int i = 0; i < pod->count; i++) {
    EXPECT_NE(pod->types[i], TARQ_ITEM_SOUND);
    EXPECT_NE(pod->types[i], TARQ_ITEM_SYNTH);
  }
  auto* f = item<tarq_file>(pod, pod->count - 1, TARQ_ITEM_FILE);  // the item after both
  ASSERT_NE(f, nullptr);
  EXPECT_STREQ(f->name, "game.kx");
  tarq_destroy_pod(pod);
  tarq_pod* next = mf.next();  // the reader stopped at the next pod's header
  ASSERT_NE(next, nullptr);
  EXPECT_STREQ(next->name, "N");
  tarq_destroy_pod(next);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

// Only the types whose owner is above the engine take a kind, and only a
// whole one.
TEST(EnginePodFileWithoutSoundKinds, OnlySoundsAndSynthGraphsTakeAKind) {
  const tarq_item_kind whole = {[](int32_t, int32_t) -> void* { return nullptr; }, [](void*) {}};
  const tarq_item_kind half = {nullptr, [](void*) {}};
  for (int32_t type :
       std::initializer_list<int32_t>{TARQ_ITEM_FREE, TARQ_ITEM_BITMAP, TARQ_ITEM_FILE, TARQ_ITEM_APPLICATION, -1, 400})
    EXPECT_FALSE(tarq_register_item_kind(type, &whole)) << type;
  EXPECT_FALSE(tarq_register_item_kind(TARQ_ITEM_SOUND, &half));
  EXPECT_EQ(tarq_item_kind_of(TARQ_ITEM_SOUND), nullptr);
  EXPECT_TRUE(tarq_register_item_kind(TARQ_ITEM_SOUND, &whole));
  ASSERT_NE(tarq_item_kind_of(TARQ_ITEM_SOUND), nullptr);
  EXPECT_EQ(tarq_item_kind_of(TARQ_ITEM_SOUND)->destroy, whole.destroy);
  EXPECT_TRUE(tarq_register_item_kind(TARQ_ITEM_SOUND, nullptr));
  EXPECT_EQ(tarq_item_kind_of(TARQ_ITEM_SOUND), nullptr);
}

TEST_F(EnginePodFile, PodsInARowAndNullPods) {
  bytes file = pod_header("A") + bitmap8(2, 2, 1) + pod_header("B") + bitmap8(1, 1, 2) + bitmap8(1, 1, 3);
  memory_file mf(file);
  tarq_pod* a = mf.next();
  ASSERT_NE(a, nullptr);
  EXPECT_STREQ(a->name, "A");
  EXPECT_EQ(a->count, 1);
  EXPECT_EQ(mf.f->pos, 76 + 32);  // stepped back to B's header
  tarq_pod* b = mf.next();
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(b->name, "B");
  EXPECT_EQ(b->count, 2);
  EXPECT_EQ(mf.next(), nullptr);
  tarq_destroy_pod(a);
  tarq_destroy_pod(b);

  memory_file nop(chunk("CNOP", 0, "") + pod_header("A") + bitmap8(1, 1, 1) + chunk("CNOP", 0, ""));
  EXPECT_EQ(nop.next(), nullptr);
  tarq_pod* c = nop.next();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(nop.f->pos, (int)nop.data.size() - 8);
  tarq_destroy_pod(c);
  EXPECT_EQ(nop.next(), nullptr);

  memory_file empty(pod_header("E"));
  EXPECT_EQ(empty.next(), nullptr);  // a pod without items is not returned
  memory_file zero_tag(pod_header("Z") + bitmap8(1, 1, 1) + zeros(4) + bitmap8(1, 1, 2));
  tarq_pod* z = zero_tag.next();
  EXPECT_EQ(z->count, 1);  // a zero tag ends the file
  tarq_destroy_pod(z);
  EXPECT_EQ(tarq_load_pod_file("x", nullptr), nullptr);
}

TEST_F(EnginePodFile, UnknownChunksAreSkippedByLength) {
  bytes file =
      pod_header("U") + bitmap8(2, 2, 1) + chunk("WHAT", 5, "12345") + chunk("cSND", 3, "abc") + bitmap8(1, 1, 9);
  memory_file mf(file);
  tarq_pod* pod = mf.next();
  ASSERT_NE(pod, nullptr);
  EXPECT_EQ(pod->count, 2);
  EXPECT_EQ(item<tarq_bitmap>(pod, 1, TARQ_ITEM_BITMAP)->pixels[0], 9);
  tarq_destroy_pod(pod);
}

namespace {
int hook_calls = 0;
int consume_three(tarq_file* f, tarq_pod* pod, uint32_t tag) {
  hook_calls++;
  if (tag != tarq_chunk_tag("XTRA")) return 1;
  char buf[3];
  tarq_fread(buf, 1, 3, f);
  cpod_add_item(pod, 120, nullptr);
  return 0;
}
int write_extra(tarq_file* f, tarq_pod*, int32_t) {
  tarq_fwrite("XTRA\x03\x00\x00\x00xyz", 1, 11, f);
  return 0;
}
}  // namespace

TEST_F(EnginePodFile, ItemHooks) {
  hook_calls = 0;
  tarq_set_save_item_func(write_extra);
  tarq_pod* pod = tarq_create_pod(0);
  int x = 0;
  cpod_add_item(pod, 120, &x);
  bytes file = save_to_bytes(pod) + chunk("OTHR", 1, "q");
  tarq_set_save_item_func(nullptr);
  tarq_destroy_pod(pod);
  EXPECT_NE(file.find("XTRA"), bytes::npos);
  tarq_set_load_item_func(consume_three);
  memory_file mf(file);
  tarq_pod* back = mf.next();
  tarq_set_load_item_func(nullptr);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(hook_calls, 2);  // XTRA consumed, OTHR refused and skipped
  EXPECT_EQ(back->count, 1);
  EXPECT_EQ(back->types[0], 120);
  tarq_destroy_pod(back);
}

TEST_F(EnginePodFile, HandMadeLz4Bitmap) {
  // One literal 7, a match of 250 at distance 1, five literal 7s: 256 bytes.
  bytes block("\x1F\x07\x01\x00\xE7\x50\x07\x07\x07\x07\x07", 11);
  bytes body = i32(16) + i32(16) + i32(8) + i32(0) + i32(0) + i32((int)block.size()) + block;
  bytes file = pod_header("L") + chunk("cBMP", 276, body);
  memory_file mf(file);
  tarq_pod* pod = mf.next();
  ASSERT_NE(pod, nullptr);
  auto* b = item<tarq_bitmap>(pod, 0, TARQ_ITEM_BITMAP);
  for (int i = 0; i < 256; i++) ASSERT_EQ(b->pixels[i], 7);
  tarq_destroy_pod(pod);

  // The writer's length field gives the uncompressed body size.
  cconfig.pod_compression = 1;
  tarq_pod* again = tarq_create_pod(0);
  cpod_add_item(again, TARQ_ITEM_BITMAP, tarq_create_bitmap(16, 16, 8));
  bytes saved = save_to_bytes(again);
  cconfig.pod_compression = 0;
  EXPECT_EQ(saved.substr(76, 4), "cBMP");
  EXPECT_EQ(saved.substr(80, 4), i32(276));
  tarq_destroy_pod(again);

  // A block that decodes to the wrong size, or not at all, still makes the
  // bitmap, with the pixels decoded before the fault.
  struct {
    const char* what;
    bytes block;
    int sevens;  // leading pixels that must hold 7
  } bad[] = {
      {"one byte short", bytes("\x1F\x07\x01\x00\xE6\x50\x07\x07\x07\x07\x07", 11), 255},
      {"match before the start", bytes("\x1F\x07\x09\x00\xE7\x50\x07\x07\x07\x07\x07", 11), 1},
      {"literal run cut off", bytes("\xF0"), 0},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.what);
    bytes bb = i32(16) + i32(16) + i32(8) + i32(5) + i32(0) + i32((int)c.block.size()) + c.block;
    memory_file m2(pod_header("L") + chunk("cBMP", 276, bb) + bitmap8(1, 1, 3));
    tarq_pod* p2 = m2.next();
    ASSERT_NE(p2, nullptr);
    ASSERT_EQ(p2->count, 2);  // the chunk after it still loads
    auto* b2 = item<tarq_bitmap>(p2, 0, TARQ_ITEM_BITMAP);
    ASSERT_NE(b2, nullptr);
    EXPECT_EQ(b2->width, 16);
    EXPECT_EQ(b2->tag, 5);
    for (int i = 0; i < c.sevens; i++) ASSERT_EQ(b2->pixels[i], 7) << i;
    EXPECT_EQ(item<tarq_bitmap>(p2, 1, TARQ_ITEM_BITMAP)->pixels[0], 3);
    tarq_destroy_pod(p2);
  }
}

TEST_F(EnginePodFile, FieldLimits) {
  // A file name of 64 non-NUL bytes keeps 63.
  bytes name(64, 'n');
  memory_file mf(pod_header("F") + chunk("CFIL", 0, i32(2) + name + "ok"));
  tarq_pod* pod = mf.next();
  ASSERT_NE(pod, nullptr);
  EXPECT_EQ(strlen(item<tarq_file>(pod, 0, TARQ_ITEM_FILE)->name), 63u);
  tarq_destroy_pod(pod);

  // An actor with no extra channels and empty channels is 116 bytes.
  bytes actor = bytes(64, 0) + zeros(36) + zeros(16);
  ASSERT_EQ(actor.size(), 116u);
  memory_file ani(pod_header("A") + chunk("CANI", 0, i32(1) + zeros(28) + actor) + bitmap8(1, 1, 5));
  pod = ani.next();
  ASSERT_NE(pod, nullptr);
  EXPECT_EQ(pod->count, 2);
  tarq_destroy_pod(pod);

  // Bone numbers are clamped to the bones.
  bytes verts = f32(0) + f32(0) + f32(0) + f32(0) + f32(1) + f32(0);
  bytes bone = i16(2) + i16(0) + i16(0) + i32(0) + f32(0) + f32(0) + i32(1) + f32(0) + f32(0);
  bytes model = i32(2) + i32(4) + i32(4) + verts + bone + bone + bone + bone + i16(7) + i16(65535) + f32(1) + i16(0) +
                i16(1) + f32(0.5f);
  memory_file mod(pod_header("M") + chunk("CMOD", 0, model));
  pod = mod.next();
  ASSERT_NE(pod, nullptr);
  auto* m = item<tarq_model>(pod, 0, TARQ_ITEM_MODEL);
  EXPECT_EQ(m->bone_vertices[0].bone[0], 3);
  EXPECT_EQ(m->bone_vertices[0].bone[1], 3);
  EXPECT_EQ(m->bone_vertices[1].bone[1], 1);
  tarq_destroy_pod(pod);
}

TEST_F(EnginePodFile, SoundThatCannotBeMadeIsSkipped) {
  bytes bad_sound = chunk("CSND", 24 + 6, i32(3) + i32(12) + i32(22050) + i32(1) + zeros(8) + zeros(6));
  memory_file mf(pod_header("S") + bad_sound + bitmap8(1, 1, 4));
  tarq_pod* pod = mf.next();
  ASSERT_NE(pod, nullptr);
  EXPECT_EQ(pod->count, 1);
  EXPECT_EQ(pod->types[0], TARQ_ITEM_BITMAP);
  tarq_destroy_pod(pod);
}

// Fields outside their objects' limits, sizes past the memory limit and
// indexes outside what they index give up the pod when more of the file
// follows; at the very end of the file only that chunk is lost.
TEST_F(EnginePodFile, OutOfLimitChunksGiveNoPod) {
  int32_t before = tarq_loop.tarq_items_created;
  struct {
    const char* what;
    bytes chunk;
  } cases[] = {
      {"zero width", chunk("CBMP", 20, i32(0) + i32(4) + i32(8) + i32(0) + i32(0))},
      {"odd depth", chunk("CBMP", 32, i32(2) + i32(2) + i32(12) + i32(0) + i32(0) + zeros(12))},
      {"huge bitmap", chunk("CBMP", 20, i32(0x10000) + i32(0x10000) + i32(32) + i32(0) + i32(0))},
      {"bitmap rows past the limit", chunk("CBMP", 20, i32(2) + i32(0x7000000) + i32(8) + i32(0) + i32(0))},
      {"overflowing bitmap", chunk("CBMP", 20, i32(0x7FFFFFFF) + i32(0x7FFFFFFF) + i32(32) + i32(0) + i32(0))},
      {"overflowing voxmap", chunk("CVMP", 20, i32(0x7FFFFFFF) + i32(0x7FFFFFFF) + i32(0x7FFFFFFF) + i32(0) + i32(0))},
      {"negative voxmap", chunk("CVMP", 20, i32(2) + i32(-2) + i32(2) + i32(0) + i32(0))},
      {"voxmap slices", chunk("CVMP", 20, i32(1) + i32(1) + i32(65537) + i32(0) + i32(0))},
      {"voxmap slice rows past the limit", chunk("CVMP", 20, i32(1) + i32(0x4000) + i32(0x4000) + i32(0) + i32(0))},
      {"negative file", chunk("CFIL", 0, i32(-1) + zeros(64))},
      {"huge lz4 claim", chunk("cFIL", 0, i32(0x7000000) + zeros(64) + i32(4) + "abcd")},
      {"lz4 bitmap without a record", chunk("cBMP", 276, i32(16) + i32(16) + i32(8) + i32(0) + i32(0) + i32(0))},
      {"model negative", chunk("CMOD", 0, i32(1) + i32(-1) + i32(0) + zeros(12))},
      {"more bones than polygons", chunk("CMOD", 0, i32(1) + i32(0) + i32(1) + zeros(12))},
      {"corner index", chunk("CMOD", 0, i32(1) + i32(1) + i32(0) + zeros(12) + i16(1) + i32(0) + i32(5) + zeros(8))},
      {"bone with 3 corners", chunk("CMOD", 0, i32(3) + i32(1) + i32(1) + zeros(36) + i16(3) + i32(0) + zeros(36))},
      {"negative actor count", chunk("CANI", 0, i32(-1) + zeros(28))},
      {"negative extra channels",
       chunk("CANI", 0, i32(1) + zeros(28) + zeros(64) + zeros(16) + i32(-3) + zeros(16) + zeros(16))},
      {"negative state count", chunk("CANI", 0, i32(1) + zeros(28) + zeros(64) + zeros(36) + i32(-1) + zeros(12))},
      {"synth nodes", chunk("CSYN", 0, i32(0) + i32(0) + i32(1) + i32(0) + i32(33))},
      {"synth table", chunk("CSYN", 0, i32(0) + i32(0) + i32(1) + i32(0) + i32(1) + zeros(16) + i32(65) + zeros(65))},
      {"synth params", chunk("CSYN", 0, i32(0) + i32(0) + i32(1) + i32(0) + i32(1) + zeros(16) + i32(0) + i32(17))},
      {"negative unknown length", chunk("ZZZZ", -8, "")},
      {"sound shorter than its header", chunk("CSND", 4, i32(3) + i32(12))},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    memory_file mf(pod_header("X") + bitmap8(1, 1, 1) + c.chunk + bitmap8(1, 1, 2));
    tarq_pod* pod = mf.next();
    EXPECT_EQ(pod, nullptr);
    tarq_destroy_pod(pod);

    memory_file last(pod_header("X") + bitmap8(1, 1, 1) + c.chunk);
    pod = last.next();
    if (last.f->pos < last.f->size) {
      EXPECT_EQ(pod, nullptr) << "refused before the end";
    } else {
      ASSERT_NE(pod, nullptr);
      EXPECT_EQ(pod->count, 1);
    }
    tarq_destroy_pod(pod);
  }
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

// A chunk cut short by the end of the file: its fields read as zero (a field
// cut inside keeps the bytes that were there as its low bytes), its data
// block keeps the bytes that were there, and the item is made when its
// fields allow it. The bitmap before it always stays.
TEST_F(EnginePodFile, ChunksCutShortKeepWhatWasThere) {
  int32_t before = tarq_loop.tarq_items_created;
  bytes channel_values = bytes(12, 'v') + bytes(5, 'w');  // 2 states of 12 bytes: one and a bit
  struct {
    const char* what;
    bytes chunk;
    int type;  // the item made from the cut chunk, 0 for none
    std::function<void(void*)> check;
  } cases[] = {
      {"pixels", chunk("CBMP", 36, i32(4) + i32(4) + i32(8) + i32(9) + i32(0) + bytes(15, 'p')), TARQ_ITEM_BITMAP,
       [](void* p) {
         auto* b = (tarq_bitmap*)p;
         EXPECT_EQ(b->width, 4);
         EXPECT_EQ(b->tag, 9);
         std::string want = bytes(15, 'p');
         want.push_back('\0');
         EXPECT_EQ(bytes((char*)b->pixels, 16), want);
       }},
      {"voxels", chunk("CVMP", 28, i32(2) + i32(2) + i32(2) + i32(0) + i32(0) + "vox"), TARQ_ITEM_VOXMAP,
       [](void* p) {
         auto* v = (tarq_voxmap*)p;
         EXPECT_EQ(v->depth, 2);
         EXPECT_EQ(bytes((char*)v->voxels, 8), "vox" + zeros(5));
       }},
      {"file bytes", chunk("CFIL", 0, i32(1000) + "cart.kx" + zeros(57) + "abc"), TARQ_ITEM_FILE,
       [](void* p) {
         auto* f = (tarq_file*)p;
         EXPECT_STREQ(f->name, "cart.kx");
         ASSERT_EQ(f->size, 1000);
         EXPECT_EQ(f->pos, 0);
         EXPECT_EQ(bytes((char*)f->data, 1000), "abc" + zeros(997));
       }},
      {"file name", chunk("CFIL", 0, i32(2) + "na"), TARQ_ITEM_FILE,
       [](void* p) {
         auto* f = (tarq_file*)p;
         EXPECT_STREQ(f->name, "na");
         EXPECT_EQ(f->size, 2);
       }},
      {"lz4 record", chunk("cFIL", 0, i32(10) + zeros(64) + i32(400) + "\x40" + "abcd"), TARQ_ITEM_FILE,
       [](void* p) {
         auto* f = (tarq_file*)p;
         ASSERT_EQ(f->size, 10);
         EXPECT_EQ(bytes((char*)f->data, 4), "abcd");
       }},
      {"palette", chunk("CPAL", 768, bytes(700, 0x11)), TARQ_ITEM_PALETTE,
       [](void* p) {
         auto* pal = (tarq_palette*)p;
         EXPECT_EQ(bytes((char*)pal->rgb, 768), bytes(700, 0x11) + zeros(68));
       }},
      {"material", chunk("CMAT", 96, bytes(90, 0x22)), TARQ_ITEM_MATERIAL,
       [](void* p) {
         auto* m = (tarq_material*)p;
         EXPECT_EQ(m->word[8], 0x22222222);
         EXPECT_EQ(m->word[22], 0x2222);  // two of its bytes were there
         EXPECT_EQ(m->word[23], 0);
       }},
      {"samples", chunk("CSND", 32, i32(8) + i32(8) + i32(11025) + i32(2) + zeros(8) + "snd"), TARQ_ITEM_SOUND,
       [](void* p) {
         auto* snd = (tarq_sound*)p;
         EXPECT_EQ(snd->sample_count, 8);
         EXPECT_EQ(snd->frequency, 11025);
         EXPECT_EQ(snd->channels, 2);
         EXPECT_EQ(bytes((char*)snd->data, 8), "snd" + zeros(5));
       }},
      {"channel states",
       chunk("CANI", 0, i32(1) + i32(4) + i32(5) + zeros(20) + bytes(64, 0) + zeros(36) + i32(2) + channel_values),
       TARQ_ITEM_ANIM,
       [&](void* p) {
         auto* a = (tarq_anim*)p;
         EXPECT_EQ(a->word[0], 4);
         ASSERT_EQ(a->actor_count, 1);
         const tarq_anim_channel& c = a->actors[0].channel[0];
         ASSERT_EQ(c.count, 2);
         EXPECT_EQ(bytes((char*)c.values, 24), channel_values + zeros(7));
         EXPECT_EQ(c.times[0], 0);
         EXPECT_EQ(c.interpolation[1], 0);
         EXPECT_EQ(a->actors[0].command.count, 0);
       }},
      {"vertices", chunk("CMOD", 0, i32(3) + i32(1) + i32(0) + f32(1) + f32(2) + f32(3) + f32(4) + i16(0x4000)),
       TARQ_ITEM_MODEL,
       [](void* p) {
         auto* m = (tarq_model*)p;
         // The vertices that begin before the end; nothing of the polygon was there.
         ASSERT_EQ(m->vertex_count, 2);
         EXPECT_EQ(m->vertices[0].z, 3.0f);
         EXPECT_EQ(m->vertices[1].x, 4.0f);
         int32_t y_bits;
         memcpy(&y_bits, &m->vertices[1].y, 4);
         EXPECT_EQ(y_bits, 0x4000);
         EXPECT_EQ(m->vertices[1].z, 0.0f);
         EXPECT_EQ(m->polygon_count, 0);
       }},
      {"vertex count", chunk("CMOD", 0, i32(0x10000000) + i32(0) + i32(0) + zeros(24)), TARQ_ITEM_MODEL,
       [](void* p) { EXPECT_EQ(((tarq_model*)p)->vertex_count, 2); }},
      {"actor count", chunk("CANI", 0, i32(0x1000000) + zeros(28) + zeros(116)), TARQ_ITEM_ANIM,
       [](void* p) { EXPECT_EQ(((tarq_anim*)p)->actor_count, 1); }},
      {"lz4 length word cut", chunk("cBMP", 276, i32(16) + i32(16) + i32(8) + i32(0) + i32(0) + "\x07"),
       TARQ_ITEM_BITMAP, [](void* p) { EXPECT_EQ(bytes((char*)((tarq_bitmap*)p)->pixels, 256), zeros(256)); }},
      {"synth node", chunk("CSYN", 0, i32(6) + i32(7) + i32(1) + i32(0) + i32(2) + i32(11) + i16(12)), TARQ_ITEM_SYNTH,
       [](void* p) {
         auto* y = (tarq_synth*)p;
         EXPECT_EQ(y->header[0], 6);
         EXPECT_EQ(y->node[0].word[0], 11);
         EXPECT_EQ(y->node[0].word[1], 12);
         EXPECT_EQ(y->node[0].word[2], 0);
       }},
      {"bitmap header", chunk("CBMP", 36, i32(4) + i32(4)), 0, nullptr},
      {"file a mebibyte short", chunk("CFIL", 0, i32((1 << 20) + 3) + zeros(64) + "abc"), TARQ_ITEM_FILE,
       [](void* p) {
         auto* f = (tarq_file*)p;
         ASSERT_EQ(f->size, (1 << 20) + 3);
         EXPECT_EQ(bytes((char*)f->data, 4), "abc" + zeros(1));
       }},
      // Blocks that would miss more than that are not made at all.
      {"file more than a mebibyte short", chunk("CFIL", 0, i32((1 << 20) + 4) + zeros(64) + "abc"), 0, nullptr},
      {"pixels far past the end", chunk("CBMP", 0, i32(2048) + i32(1024) + i32(8) + i32(0) + i32(0) + "px"), 0,
       nullptr},
      {"lz4 record far past the end",
       chunk("cBMP", 0, i32(2048) + i32(1024) + i32(8) + i32(0) + i32(0) + i32(1000) + "\x1F\x07\x01"), 0, nullptr},
      {"channel states far past the end",
       chunk("CANI", 0, i32(1) + zeros(28) + bytes(64, 0) + zeros(36) + i32(100000) + "cs"), 0, nullptr},
      {"samples far past the end", chunk("CSND", (1 << 21) + 24, i32(1 << 21) + i32(8) + zeros(16) + "sn"), 0, nullptr},
      {"lz4 length word", chunk("cBMP", 276, i32(16) + i32(16) + i32(8) + i32(0) + i32(0)), 0, nullptr},
      {"sound that cannot be made", chunk("CSND", 500, i32(-1) + i32(16)), 0, nullptr},
      {"sound length", bytes("CSND") + "\x10", 0, nullptr},
      {"sound length missing", bytes("CSND"), 0, nullptr},
      {"unknown chunk", chunk("ZZZZ", 100, "ab"), 0, nullptr},
      {"chunk tag", bytes("CBM"), 0, nullptr},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    memory_file mf(pod_header("X") + bitmap8(1, 1, 1) + c.chunk);
    tarq_pod* pod = mf.next();
    ASSERT_NE(pod, nullptr);
    EXPECT_EQ(item<tarq_bitmap>(pod, 0, TARQ_ITEM_BITMAP)->pixels[0], 1);
    ASSERT_EQ(pod->count, c.type ? 2 : 1);
    if (c.type) {
      ASSERT_EQ(pod->types[1], c.type);
      c.check(pod->items[1]);
    }
    EXPECT_EQ(mf.next(), nullptr);  // nothing follows
    tarq_destroy_pod(pod);
  }
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST_F(EnginePodFile, TruncatedFilesNeverReadPastTheirEnd) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_pod* full = make_full_pod();
  for (int compress = 0; compress <= 1; compress++) {
    cconfig.pod_compression = compress;
    bytes file = save_to_bytes(full);
    std::vector<size_t> ends;  // where each item chunk ends
    size_t at = 76;
    for (int slot = 0; slot < full->count; slot++) {
      at += item_chunk(full, slot).size();
      ends.push_back(at);
    }
    ASSERT_EQ(at, file.size());
    for (size_t cut = 0; cut < file.size(); cut++) {
      SCOPED_TRACE(testing::Message() << "compress " << compress << " cut " << cut);
      // A copy of exactly `cut` bytes, so that ASan sees any read past it.
      std::vector<char> data(file.begin(), file.begin() + (long)cut);
      tarq_file* f = tarq_fopen_memory(data.data(), (int32_t)cut);
      tarq_pod* pod = tarq_load_pod_file("cut", f);
      int complete = 0;
      while (complete < (int)ends.size() && ends[complete] <= cut) complete++;
      // Every item that was there in full, and the one cut short when its
      // fields allow it.
      if (complete > 0) {
        ASSERT_NE(pod, nullptr);
        EXPECT_EQ(0, memcmp(item<tarq_bitmap>(pod, 0, TARQ_ITEM_BITMAP)->pixels,
                            item<tarq_bitmap>(full, 0, TARQ_ITEM_BITMAP)->pixels, 256));
      }
      if (pod) {
        EXPECT_GE(pod->count, complete);
        EXPECT_LE(pod->count, complete + 1);
        for (int i = 0; i < pod->count; i++) EXPECT_EQ(pod->types[i], full->types[i]) << "slot " << i;
      }
      EXPECT_TRUE(tarq_feof(f));
      tarq_destroy_pod(pod);
      tarq_fclose(f);
    }
  }
  cconfig.pod_compression = 0;
  tarq_destroy_pod(full);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST_F(EnginePodFile, RandomCorruptionIsSafe) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_pod* full = make_full_pod();
  std::mt19937 rng(99);
  for (int compress = 0; compress <= 1; compress++) {
    cconfig.pod_compression = compress;
    bytes file = save_to_bytes(full);
    for (int round = 0; round < 1500; round++) {
      std::vector<char> data(file.begin(), file.end());
      for (int k = 0, n = 1 + (int)(rng() % 4); k < n; k++) {
        size_t at = rng() % data.size();
        data[at] = (char)(rng() % 3 == 0 ? 0xFF : rng());
      }
      tarq_file* f = tarq_fopen_memory(data.data(), (int32_t)data.size());
      for (int i = 0; i < 3; i++) tarq_destroy_pod(tarq_load_pod_file("fuzz", f));
      tarq_fclose(f);
    }
  }
  cconfig.pod_compression = 0;
  tarq_destroy_pod(full);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST_F(EnginePodFile, FilesOnDiskAndPodSets) {
  tovo_test::temp_dir dir;
  tarq_pod* pod = make_full_pod();
  std::string path = dir.file("one.pod");
  EXPECT_EQ(tarq_save_pod(path.c_str(), pod), 0);
  tarq_pod* back = tarq_load_pod(path.c_str());
  expect_same_pods(pod, back);
  tarq_destroy_pod(back);
  EXPECT_EQ(tarq_load_pod(dir.file("missing.pod").c_str()), nullptr);
  // A stdio stream cut short: the last item, a file, keeps the bytes that were there.
  std::string text;
  ASSERT_TRUE(tovo_test::read_file(path, &text));
  ASSERT_TRUE(tovo_test::write_file(dir.file("cut.pod"), text.substr(0, text.size() - 3)));
  tarq_pod* cut = tarq_load_pod(dir.file("cut.pod").c_str());
  ASSERT_NE(cut, nullptr);
  ASSERT_EQ(cut->count, pod->count);
  auto* last = item<tarq_file>(cut, cut->count - 1, TARQ_ITEM_FILE);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(bytes((const char*)last->data, (size_t)last->size), bytes("hello, c") + zeros(3));
  tarq_destroy_pod(cut);

  tarq_pod_set set;
  cpod_set_init(&set);
  set.pod[0] = pod;
  set.pod[2] = tarq_create_pod(0);
  cpod_add_item(set.pod[2], TARQ_ITEM_PALETTE, tarq_create_palette());
  std::string set_path = dir.file("set.pod");
  EXPECT_EQ(tarq_save_pod_set(set_path.c_str(), &set), 0);
  tarq_pod_set loaded;
  cpod_set_init(&loaded);
  EXPECT_EQ(tarq_load_pod_set(set_path.c_str(), &loaded), 0);
  expect_same_pods(pod, loaded.pod[0]);
  EXPECT_EQ(loaded.pod[1], nullptr);
  ASSERT_NE(loaded.pod[2], nullptr);
  EXPECT_EQ(loaded.pod[2]->types[0], TARQ_ITEM_PALETTE);
  EXPECT_EQ(loaded.pod[3], nullptr);
  cpod_set_clear(&loaded);
  EXPECT_EQ(tarq_load_pod_set(dir.file("none").c_str(), &loaded), 1);

  std::string mem;
  ASSERT_TRUE(tovo_test::read_file(set_path, &mem));
  EXPECT_EQ(tarq_load_pod_set_from_memory(mem.data(), (int32_t)mem.size(), &loaded), 0);
  ASSERT_NE(loaded.pod[2], nullptr);
  int32_t live = tarq_loop.tarq_items_created;
  EXPECT_EQ(tarq_load_pod_set_from_memory(mem.data(), (int32_t)mem.size(), &loaded), 0);
  EXPECT_EQ(tarq_loop.tarq_items_created, live);  // the pods it replaces are destroyed
  cpod_set_clear(&loaded);

  std::string list =
      "// pods\n3 " + path + "\n7   " + dir.file("missing.pod") + "\n999 " + path + "\n-1 " + path + "\nab\n";
  ASSERT_TRUE(tovo_test::write_file(dir.file("list.txt"), list));
  EXPECT_EQ(tarq_load_pod_set_from_text_file(dir.file("list.txt").c_str(), &loaded), 0);
  expect_same_pods(pod, loaded.pod[3]);
  EXPECT_EQ(loaded.pod[7], nullptr);
  cpod_set_clear(&loaded);
  EXPECT_EQ(tarq_load_pod_set_from_text_file(dir.file("nolist.txt").c_str(), &loaded), 1);
  cpod_set_clear(&set);
}

TEST_F(EnginePodFile, WriterKeepsItemsAfterDeletions) {
  tarq_pod* pod = tarq_create_pod(0);
  for (int i = 0; i < 3; i++) cpod_add_item(pod, TARQ_ITEM_BITMAP, tarq_create_bitmap(1, 1, 8));
  item<tarq_bitmap>(pod, 2, TARQ_ITEM_BITMAP)->pixels[0] = 55;
  cpod_delete_item(pod, 0);  // the live slots are now 2 and 1
  memory_file mf(save_to_bytes(pod));
  tarq_pod* back = mf.next();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->count, 2);
  EXPECT_EQ(item<tarq_bitmap>(back, 1, TARQ_ITEM_BITMAP)->pixels[0], 55);
  tarq_destroy_pod(back);
  tarq_destroy_pod(pod);
  EXPECT_EQ(save_to_bytes(nullptr), chunk("CNOP", 0, ""));
  EXPECT_EQ(tarq_save_pod_file("x", nullptr, nullptr), 1);
}

namespace {

// Points the engine log at a temporary file for the object's life.
struct log_capture {
  tovo_test::temp_dir dir;
  FILE* saved = tarq_state.log_file;
  log_capture() { tarq_state.log_file = fopen(dir.file("log.txt").c_str(), "w"); }
  ~log_capture() {
    fclose(tarq_state.log_file);
    tarq_state.log_file = saved;
  }
  std::string text() {
    fflush(tarq_state.log_file);
    std::string t;
    tovo_test::read_file(dir.file("log.txt"), &t);
    return t;
  }
};

}  // namespace

// Only an unknown chunk and a pod file that cannot be read are logged.
TEST_F(EnginePodFile, OnlyUnknownChunksAndFailedLoadsAreLogged) {
  log_capture log;
  memory_file unknown(pod_header("U") + chunk("WHAT", 0, "") + bitmap8(1, 1, 1));
  tarq_destroy_pod(unknown.next());
  EXPECT_NE(log.text().find("tarq_load_pod_file: Unknown Chunk!\n"), std::string::npos);
  size_t logged = log.text().size();
  memory_file bad(pod_header("B") + chunk("CBMP", 20, i32(-1) + i32(1) + i32(8) + i32(0) + i32(0)) + bitmap8(1, 1, 1));
  EXPECT_EQ(bad.next(), nullptr);
  memory_file cut(pod_header("C") + bitmap8(4, 4, 1).substr(0, 30));
  tarq_pod* pod = cut.next();
  EXPECT_NE(pod, nullptr);
  tarq_destroy_pod(pod);
  memory_file lz4(pod_header("L") + chunk("cBMP", 276, i32(16) + i32(16) + i32(8) + i32(0) + i32(0) + i32(1) + "\xF0"));
  pod = lz4.next();
  EXPECT_NE(pod, nullptr);
  tarq_destroy_pod(pod);
  memory_file nop(chunk("CNOP", 0, "") + chunk("WXYZ", 0, ""));
  EXPECT_EQ(nop.next(), nullptr);
  EXPECT_EQ(nop.next(), nullptr);  // no pod header first
  EXPECT_EQ(log.text().size(), logged) << log.text().substr(logged);
  EXPECT_EQ(tarq_load_pod("/nonexistent/data.pod"), nullptr);
  EXPECT_NE(log.text().find("tarq_load_pod: /nonexistent/data.pod failed \n"), std::string::npos);
}

// Blocks that compress as well as LZ4 allows still load.
TEST_F(EnginePodFile, HighlyCompressibleBlocksLoad) {
  cconfig.pod_compression = 1;
  tarq_pod* pod = tarq_create_pod(0);
  tarq_file* zeros_file = tarq_create_buffer(1 << 22);
  tarq_fwrite(nullptr, 1, 3543304, zeros_file);
  cpod_add_item(pod, TARQ_ITEM_FILE, zeros_file);
  cpod_add_item(pod, TARQ_ITEM_BITMAP, tarq_create_bitmap(2048, 1024, 8));
  memory_file mf(save_to_bytes(pod));
  cconfig.pod_compression = 0;
  EXPECT_LT(mf.data.size(), 30000u);
  tarq_pod* back = mf.next();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(item<tarq_file>(back, 0, TARQ_ITEM_FILE)->size, 3543304);
  EXPECT_EQ(back->count, 2);
  tarq_destroy_pod(back);
  tarq_destroy_pod(pod);
}
