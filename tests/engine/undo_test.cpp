#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/data/undo.h"
#include "engine/data/undo_step.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

tarq_file* make_state(const std::string& bytes) {
  tarq_file* f = tarq_create_buffer((int32_t)bytes.size());
  cbuffer_add_data(f, bytes.data(), (int32_t)bytes.size());
  f->pos = 0;
  return f;
}

std::string contents(const tarq_file* f) {
  return f ? std::string((const char*)f->data, (size_t)f->size) : std::string("<null>");
}

uint32_t word_at(const tarq_file* f, int at) {
  uint32_t v;
  memcpy(&v, f->data + at, 4);
  return v;
}

}  // namespace

TEST(EngineUndoPatch, PrefixSuffixAndMaskLayout) {
  tarq_file* a = make_state("aaa");
  tarq_file* b = make_state("aaaa");
  tarq_file* patch = generate_patch(a, b, 0);
  ASSERT_EQ(patch->size, 16);  // L, P, S, no mask, no bytes, N
  EXPECT_EQ(word_at(patch, 0), 4u);
  EXPECT_EQ(word_at(patch, 4), 3u);
  EXPECT_EQ(word_at(patch, 8), 2u);
  EXPECT_EQ(word_at(patch, 12), 0u);
  tarq_file* out = apply_patch(patch, a);
  EXPECT_EQ(contents(out), "aaaa");
  tarq_destroy_buffer(out);
  tarq_destroy_buffer(patch);

  // A shorter source: indices past its end are always stored.
  tarq_file* c = make_state("xy");
  tarq_file* d = make_state("xqrstuvwxyzy");
  patch = generate_patch(c, d, 0);
  EXPECT_EQ(word_at(patch, 4), 1u);  // P
  EXPECT_EQ(word_at(patch, 8), 1u);  // S
  // K = 10 middle bytes, all set: 2 mask bytes, 10 stored bytes.
  EXPECT_EQ(patch->size, 12 + 2 + 10 + 4);
  EXPECT_EQ(patch->data[12], 0xFF);
  EXPECT_EQ(patch->data[13], 0x03);
  out = apply_patch(patch, c);
  EXPECT_EQ(contents(out), "xqrstuvwxyzy");
  tarq_destroy_buffer(out);
  tarq_destroy_buffer(patch);

  // Trailer bytes travel whole and never widen the diffed middle.
  tarq_file* e = make_state("same body|T1");
  tarq_file* f = make_state("same body|T2");
  patch = generate_patch(e, f, 2);
  EXPECT_EQ(patch->size, 12 + 2 + 4);
  out = apply_patch(patch, e);
  EXPECT_EQ(contents(out), "same body|T2");
  tarq_destroy_buffer(out);
  tarq_destroy_buffer(patch);

  for (tarq_file* s : {a, b, c, d, e, f}) tarq_destroy_buffer(s);
}

TEST(EngineUndoPatch, MalformedPatchIsRefused) {
  tarq_file* src = make_state("hello world");
  tarq_file* dst = make_state("hello there world");
  tarq_file* patch = generate_patch(src, dst, 0);
  tarq_file* shorter = make_state("he");
  EXPECT_EQ(apply_patch(patch, shorter), nullptr);  // prefix longer than the source
  patch->size = 14;                                 // cut through the mask
  EXPECT_EQ(apply_patch(patch, src), nullptr);
  patch->size = 3;
  EXPECT_EQ(apply_patch(patch, src), nullptr);
  for (tarq_file* s : {src, dst, patch, shorter}) tarq_destroy_buffer(s);
}

TEST(EngineUndoStack, PushRules) {
  tarq_undo_stack* st = tarq_create_undo_stack();
  EXPECT_EQ(tarq_push_undo_state(make_state("one"), st, 0), 0);  // first push installs
  EXPECT_EQ(st->undo->size, 0);
  EXPECT_EQ(tarq_push_undo_state(make_state("one"), st, 0), 0);  // equal: dropped
  EXPECT_EQ(st->undo->size, 0);
  EXPECT_EQ(tarq_push_undo_state(make_state("onX"), st, 2), 0);  // differs past the range
  EXPECT_EQ(tarq_push_undo_state(make_state("onY"), st, -1), 0);
  EXPECT_EQ(contents(st->current), "one");
  EXPECT_EQ(tarq_push_undo_state(make_state("two"), st, 0), 1);
  EXPECT_EQ(tarq_push_undo_state(make_state("three"), st, 2), 1);  // lengths differ
  EXPECT_EQ(contents(tarq_undo(st)), "two");
  EXPECT_GT(st->redo->size, 0);
  EXPECT_EQ(tarq_push_undo_state(make_state("four"), st, 0), 1);
  EXPECT_EQ(st->redo->size, 0);  // a push drops redo steps
  EXPECT_EQ(tarq_redo(st), nullptr);
  EXPECT_EQ(contents(tarq_undo(st)), "two");
  EXPECT_EQ(contents(tarq_undo(st)), "one");
  EXPECT_EQ(tarq_undo(st), nullptr);
  EXPECT_EQ(contents(st->current), "one");

  tarq_file* peek = tarq_undo_peek_patch(st->redo);
  ASSERT_NE(peek, nullptr);
  EXPECT_EQ(peek->pos, 0);
  tarq_destroy_buffer(peek);
  EXPECT_EQ(tarq_undo_peek_patch(st->undo), nullptr);
  EXPECT_EQ(tarq_undo_peek_patch(nullptr), nullptr);

  tarq_clear_undo_stack(st);
  EXPECT_EQ(tarq_redo(st), nullptr);
  EXPECT_EQ(tarq_push_undo_state(make_state("fresh"), st, 0), 0);
  EXPECT_EQ(st->undo->size, 0);
  tarq_destroy_undo_stack(st);
  tarq_destroy_undo_stack(nullptr);
  tarq_clear_undo_stack(nullptr);
}

// Random edits, undos and redos checked against a plain history of states.
TEST(EngineUndoStack, RandomWalksAreByteExact) {
  std::mt19937 rng(1234);
  for (int trailer : {0, 24}) {
    tarq_undo_stack* st = tarq_create_undo_stack();
    st->trailer_length = trailer;
    std::vector<std::string> history;  // history[pos] is current
    size_t pos = 0;
    std::string state(40 + trailer, 'a');
    history.push_back(state);
    tarq_push_undo_state(make_state(state), st, 0);
    for (int stepno = 0; stepno < 3000; stepno++) {
      int action = (int)(rng() % 10);
      if (action < 5) {
        std::string next = history[pos];
        int body = (int)next.size() - trailer;
        switch (rng() % 4) {
          case 0:  // change a few bytes
            for (int k = 0, n = 1 + (int)(rng() % 3); k < n && body > 0; k++)
              next[rng() % body] = (char)('a' + rng() % 4);
            break;
          case 1:  // insert a run
            next.insert(rng() % (body + 1), std::string(1 + rng() % 20, (char)('a' + rng() % 4)));
            break;
          case 2:  // delete a run
            if (body > 0) {
              size_t at = rng() % body;
              next.erase(at, std::min<size_t>(1 + rng() % 10, body - at));
            }
            break;
          default:  // only the trailer changes
            if (trailer) next[next.size() - 1 - rng() % trailer] ^= 1;
            break;
        }
        int added = tarq_push_undo_state(make_state(next), st, 0);
        if (next != history[pos]) {
          ASSERT_EQ(added, 1);
          // The newest patch rebuilds the previous state from the new one.
          tarq_file* peek = tarq_undo_peek_patch(st->undo);
          tarq_file* previous = apply_patch(peek, st->current);
          ASSERT_EQ(contents(previous), history[pos]);
          tarq_destroy_buffer(previous);
          tarq_destroy_buffer(peek);
          history.resize(pos + 1);
          history.push_back(next);
          pos++;
        } else {
          ASSERT_EQ(added, 0);
        }
      } else if (action < 8) {
        tarq_file* got = tarq_undo(st);
        if (pos == 0) {
          ASSERT_EQ(got, nullptr);
        } else {
          pos--;
          ASSERT_EQ(contents(got), history[pos]);
          ASSERT_EQ(got->pos, 0);
        }
      } else {
        tarq_file* got = tarq_redo(st);
        if (pos + 1 == history.size()) {
          ASSERT_EQ(got, nullptr);
        } else {
          pos++;
          ASSERT_EQ(contents(got), history[pos]);
        }
      }
      ASSERT_EQ(contents(st->current), history[pos]);
    }
    tarq_destroy_undo_stack(st);
  }
}

TEST(EngineUndoStack, LongIdenticalBodiesWithDifferentTrailers) {
  tarq_undo_stack* st = tarq_create_undo_stack();
  st->trailer_length = 24;
  std::string body(70000, 'k');
  std::vector<std::string> states;
  for (int i = 0; i < 6; i++) {
    std::string s = body;
    s += std::string(24, (char)('0' + i));
    states.push_back(s);
    tarq_push_undo_state(make_state(s), st, 0);
  }
  // Each step costs only its header, trailer and length words.
  EXPECT_EQ(st->undo->size, 5 * (12 + 24 + 4 + 4));
  for (int i = 4; i >= 0; i--) EXPECT_EQ(contents(tarq_undo(st)), states[i]);
  for (int i = 1; i < 6; i++) EXPECT_EQ(contents(tarq_redo(st)), states[i]);
  // A compare range that stops before the trailer treats them as equal.
  std::string other = body + std::string(24, 'z');
  EXPECT_EQ(tarq_push_undo_state(make_state(other), st, -24), 0);
  tarq_destroy_undo_stack(st);
}
