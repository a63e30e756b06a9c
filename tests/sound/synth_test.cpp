// Synth graphs rendered into sounds: the output node, oscillator shapes,
// filters, source cycles, the engine generator kept, and freeing.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/data/prng.h"
#include "engine/data/prng_state.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "sound/items/pod_items.h"
#include "sound/synth/synth.h"
#include "sound/synth/synth_nodes.h"

namespace {

constexpr int32_t LEN = 2048;  // samples

struct param {
  int k;
  int32_t base, source, mode;
};

void set_node(tarq_synth* s, int n, int32_t kind, int32_t type, std::initializer_list<param> params, int32_t loop = 1) {
  int32_t* w = s->node[n].word;
  w[0] = kind;
  w[1] = type;
  w[2] = loop;
  for (const param& p : params) {
    int32_t* slot = param_slot(w, p.k);
    slot[0] = p.base;
    slot[2] = p.source;
    slot[3] = p.mode;
  }
}

const int16_t* samples(const tarq_synth* s) { return reinterpret_cast<const int16_t*>(s->sound->data); }

class SynthTest : public ::testing::Test {
 protected:
  tarq_synth* s = nullptr;
  int32_t before = 0;
  void SetUp() override {
    before = tarq_loop.tarq_items_created;
    s = tarq_create_synth(LEN);
    ASSERT_NE(s, nullptr);
    s->header[1] = 77;
  }
  void TearDown() override {
    tarq_destroy_synth(s);
    EXPECT_EQ(tarq_loop.tarq_items_created, before);
  }
  // A full-scale square with one period over the whole sound, on node n.
  void square(int n) { set_node(s, n, SYNTH_OSC, OSC_SQUARE, {{1, 0x10000, 0, 0}}); }
};

}  // namespace

TEST_F(SynthTest, EmptyGraphRendersNothing) {
  EXPECT_EQ(tarq_synth_generate(s, nullptr, 0), 1);
  EXPECT_EQ(s->output, -1);
  EXPECT_EQ(s->sound, nullptr);
}

TEST_F(SynthTest, SquareOverTheWholeSoundWithFadedEnds) {
  square(0);
  ASSERT_EQ(tarq_synth_generate(s, nullptr, 0), 0);
  EXPECT_EQ(s->output, 0);
  ASSERT_NE(s->sound, nullptr);
  ASSERT_EQ(s->sound->sample_count, LEN);
  const int16_t* d = samples(s);
  EXPECT_EQ(d[0], 0);         // faded in
  EXPECT_GT(d[128], 0x3000);  // half way up the fade
  EXPECT_LT(d[128], 0x5000);
  EXPECT_EQ(d[400], 0x7fff);         // first half high
  EXPECT_EQ(d[LEN - 400], -0x7fff);  // second half low
  EXPECT_EQ(d[LEN - 1], 0);          // faded out
}

TEST_F(SynthTest, OutputIsTheLastNodeOfTheFirstRun) {
  square(0);
  set_node(s, 1, SYNTH_FILTER, FILTER_REDUCE, {{0, 0, 0, 0}, {1, 0x1000, 0, 0}, {2, -0x1000, 0, 0}});
  // Node 3 is cut off from the run by the empty slot 2 but is still
  // evaluated; the output is node 1, then node 3.
  set_node(s, 3, SYNTH_OSC, OSC_SINE, {{1, 0x100, 0, 0}});
  ASSERT_EQ(tarq_synth_generate(s, nullptr, 0), 0);
  EXPECT_EQ(s->output, 3);
  s->node[3].word[0] = 0;
  ASSERT_EQ(tarq_synth_generate(s, nullptr, 0), 0);
  EXPECT_EQ(s->output, 1);
  const int16_t* d = samples(s);
  EXPECT_EQ(d[500], 0x1000);
  EXPECT_EQ(d[LEN - 500], -0x1000);
  for (int i = 0; i < LEN; i++) ASSERT_LE(d[i] < 0 ? -d[i] : d[i], 0x1000) << i;
}

TEST_F(SynthTest, LoopableMixRepeatsItsFirstHalfAndIsNotFaded) {
  square(0);
  set_node(s, 1, SYNTH_FILTER, FILTER_MIX, {{0, 0, 0, 1}, {4, 0x10000, 0, 0}, {6, 1, 0, 0}});
  ASSERT_EQ(tarq_synth_generate(s, nullptr, 0), 0);
  const int16_t* d = samples(s);
  for (int i = 0; i < LEN / 2; i++) ASSERT_EQ(d[i], d[i + LEN / 2]) << i;
  EXPECT_NE(d[LEN - 1], 0);
}

TEST_F(SynthTest, CyclesOfSourcesEnd) {
  set_node(s, 0, SYNTH_OSC, OSC_TRIANGLE, {{1, 0x8000, 1, 1}});
  set_node(s, 1, SYNTH_FILTER, FILTER_DELAY, {{0, 0, 0, 0}, {1, 64, 0, 0}, {2, 0x8000, 0, 0}, {3, 8, 1, 1}});
  EXPECT_EQ(tarq_synth_generate(s, nullptr, 0), 0);
  EXPECT_EQ(s->output, 1);
}

TEST_F(SynthTest, NoiseIsSeededByTheGraphAndLeavesTheEngineSequence) {
  set_node(s, 0, SYNTH_OSC, OSC_NOISE, {{0, 0x40000, 0, 0}, {1, 0x10000, 0, 0}});
  tarq_srand(5);
  const uint32_t expected = (tarq_srand(5), tarq_rand());
  tarq_srand(5);
  ASSERT_EQ(tarq_synth_generate(s, nullptr, 0), 0);
  EXPECT_EQ(tarq_rand(), expected);
  std::vector<int16_t> first(samples(s), samples(s) + LEN);
  tarq_synth_clear_buffers(s);
  ASSERT_EQ(tarq_synth_generate(s, nullptr, 0), 0);
  EXPECT_EQ(std::vector<int16_t>(samples(s), samples(s) + LEN), first);
  int changes = 0;
  for (int i = 1; i < LEN; i++) changes += first[i] != first[i - 1];
  EXPECT_GT(changes, 100);
}

TEST_F(SynthTest, SlicesRenderOneNodePerCall) {
  square(0);
  set_node(s, 1, SYNTH_FILTER, FILTER_PASS, {{0, 0, 0, 0}, {1, 0x8000, 0, 0}, {2, 0x10000, 0, 0}});
  tarq_sound* target = tarq_create_sound(LEN, 16);
  int calls = 0;
  while (tarq_synth_generate_slice(s, target, 0)) calls++;
  EXPECT_EQ(calls, TARQ_SYNTH_NODES - 1);
  EXPECT_EQ(s->sound, nullptr);  // rendered into the given sound
  const int16_t* d = reinterpret_cast<const int16_t*>(target->data);
  bool any = false;
  for (int i = 0; i < LEN; i++) any |= d[i] != 0;
  EXPECT_TRUE(any);
  tarq_destroy_sound(target);
}

TEST_F(SynthTest, EveryShapeAndFilterRendersInBounds) {
  for (int32_t type = OSC_TRIANGLE; type <= OSC_RESAMPLE; type++) {
    tarq_synth_clear_buffers(s);
    std::memset(s->node, 0, sizeof s->node);
    square(0);
    set_node(s, 1, SYNTH_OSC, type,
             {{0, 0x200000, 0, 0},
              {1, 0x10000, 0, 0},
              {2, 0x4000, 0, 0},
              {3, 4, 0, 0},
              {5, 0x1000, 0, 0},
              {6, 0, 0, 0},
              {7, 100, 0, 0}});
    int8_t* table = reinterpret_cast<int8_t*>(&s->node[1].word[TARQ_SYNTH_TABLE_FIRST]);
    for (int k = 0; k < 64; k++) table[k] = (int8_t)(k * 4 - 128);
    set_node(s, 2, SYNTH_FILTER, FILTER_DELAY,
             {{0, 0, 1, 0}, {1, 40, 0, 0}, {2, 0xffff, 0, 0}, {3, 100000, 0, 0}, {4, 0x18000, 0, 0}});
    set_node(s, 3, SYNTH_FILTER, FILTER_REDUCE, {{0, 0, 2, 0}, {1, 0x7000, 0, 0}, {2, -0x7000, 0, 0}, {3, 400, 0, 0}});
    ASSERT_EQ(tarq_synth_generate(s, nullptr, 0), 0) << type;
    EXPECT_EQ(s->output, 3);
  }
}
