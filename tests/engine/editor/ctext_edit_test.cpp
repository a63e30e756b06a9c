#include <gtest/gtest.h>

#include "engine/data/ctext_edit.h"
#include "engine/data/undo_step.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "tests/engine/editor/ctext_fixture.h"

namespace {

void type(tarq_ctext* c, const char* s) {
  for (; *s; s++) ctext_insert_character(c, (uint8_t)*s);
}

struct CtextEdit : ::testing::Test {
  tarq_ctext* c = nullptr;
  void SetUp() override { ctext_forget_insert_char_cat(); }
  void TearDown() override { tarq_destroy_ctext(c); }
};

}  // namespace

TEST_F(CtextEdit, TypingGroupsWordsIntoUndoSteps) {
  c = make_ctext("");
  type(c, "abc def");
  EXPECT_EQ(text_of(c), "abc def");
  EXPECT_EQ(c->cursor, 7);
  EXPECT_EQ(undo_all(c), (std::vector<std::string>{"abc ", "abc", ""}));
}

TEST_F(CtextEdit, TypingStopsAtTheCapacity) {
  c = make_ctext("abcd", 5);
  c->cursor = 4;
  type(c, "xyz");
  EXPECT_EQ(text_of(c), "abcdx");
  EXPECT_EQ(c->cursor, 5);
}

TEST_F(CtextEdit, InsertDropsCarriageReturnsAndRespectsCapacity) {
  c = make_ctext("ab", 8);
  c->cursor = 1;
  ctext_insert_text(c, (const uint8_t*)"x\r\ny\r", 1);
  EXPECT_EQ(text_of(c), "ax\nyb");
  EXPECT_EQ(c->cursor, 4);
  EXPECT_EQ(c->select_start, 4);
  ctext_insert_text(c, (const uint8_t*)"1234", 0);  // 5 + 4 > 8: nothing at all
  EXPECT_EQ(text_of(c), "ax\nyb");
  ctext_remove_text(c, 3, 99);
  EXPECT_EQ(text_of(c), "ax\n");
}

TEST_F(CtextEdit, DeleteSelectionInEitherOrder) {
  c = make_ctext("hello world");
  c->select_start = 11;
  c->select_end = 5;
  ctextfield_delete_selected(c);
  EXPECT_EQ(text_of(c), "hello");
  EXPECT_EQ(c->cursor, 5);
  c->select_start = 0;
  c->select_end = 6;  // one past the end, as select-all leaves it
  ctextfield_delete_selected(c);
  EXPECT_EQ(text_of(c), "");
}

TEST_F(CtextEdit, ToggleComments) {
  const struct {
    const char* before;
    int32_t sel_start, sel_end, cursor;
    const char* after;
    int32_t cursor_after;
  } cases[] = {
      {"--a\nb\nc", 0, 5, 5, "----a\n--b\nc", 9},  // one line commented: both get "--"
      {"--a\n--b\nc", 0, 7, 0, "a\nb\nc", 0},      // both commented: one pair off each
      {"a\nb\nc", 0, 2, 2, "--a\nb\nc", 4},        // a selection ending at a line start leaves it out
      {"x\n--yz", 0, 0, 5, "x\nyz", 3},            // no selection: the cursor's line
      {"x\n--yz", 0, 0, 3, "x\nyz", 2},            // a cursor inside the pair goes to the line start
  };
  for (const auto& t : cases) {
    tarq_destroy_ctext(c);
    c = make_ctext(t.before);
    c->select_start = t.sel_start;
    c->select_end = t.sel_end;
    c->cursor = t.cursor;
    if (t.sel_start == t.sel_end) c->select_start = c->select_end = t.cursor;
    toggle_block_comment(c);
    EXPECT_EQ(text_of(c), t.after) << t.before;
    EXPECT_EQ(c->cursor, t.cursor_after) << t.before;
  }
}

TEST_F(CtextEdit, MoveAndDuplicateLines) {
  c = make_ctext("one\ntwo\nthree");
  c->cursor = 6;  // "tw|o"
  ctext_move_line(c, -1);
  EXPECT_EQ(text_of(c), "two\none\nthree");
  EXPECT_EQ(c->cursor, 2);
  ctext_move_line(c, -1);  // first line up: unchanged
  EXPECT_EQ(text_of(c), "two\none\nthree");
  c->cursor = 10;  // in the last line, which has no newline
  ctext_move_line(c, -1);
  EXPECT_EQ(text_of(c), "two\nthree\none");
  EXPECT_EQ(c->cursor, 6);
  ctext_move_line(c, 1);
  EXPECT_EQ(text_of(c), "two\none\nthree");
  ctext_duplicate_line(c);  // cursor on "three"
  EXPECT_EQ(text_of(c), "two\none\nthree\nthree");
  EXPECT_EQ(c->cursor, 16);
  tarq_destroy_ctext(c);
  c = make_ctext("a\n\nb");
  c->cursor = 2;
  ctext_duplicate_line(c);  // an empty line is not duplicated
  EXPECT_EQ(text_of(c), "a\n\nb");
}

TEST_F(CtextEdit, MovingTheFirstLineUpStillRecordsAViewChange) {
  c = make_ctext("a\nb");
  c->cursor = 1;
  ctext_move_line(c, -1);
  EXPECT_EQ(text_of(c), "a\nb");
  ASSERT_NE(tarq_undo(c->undo), nullptr);
}

TEST_F(CtextEdit, WordSteps) {
  c = make_ctext("  word.next");
  key_state plain({});
  c->cursor = 0;
  EXPECT_EQ(calculate_skip_steps(c, -1), 0);
  EXPECT_EQ(calculate_skip_steps(c, 1), 1);
  key_state ctrl({CTRL});
  EXPECT_EQ(calculate_skip_steps(c, 1), 6);
  c->cursor = 6;
  EXPECT_EQ(calculate_skip_steps(c, 1), 1);  // one run of punctuation
  c->cursor = 11;
  EXPECT_EQ(calculate_skip_steps(c, -1), -4);
  EXPECT_EQ(calculate_skip_steps(c, 1), 0);
}

TEST_F(CtextEdit, WordAndLineSelection) {
  c = make_ctext("ab  cd\nxyz");
  strcpy(c->search_text, "q");
  c->search_highlight = 1;
  ctext_select_from_double_click(c, 3);  // the run of spaces
  EXPECT_EQ(c->select_start, 2);
  EXPECT_EQ(c->select_end, 4);
  EXPECT_EQ(c->search_text[0], 0);
  EXPECT_EQ(c->search_highlight, 0);
  ctext_select_from_double_click(c, 5);
  EXPECT_EQ(c->select_start, 4);
  EXPECT_EQ(c->select_end, 6);
  ctext_select_from_triple_click(c, 1);
  EXPECT_EQ(c->select_start, 0);
  EXPECT_EQ(c->select_end, 7);
  ctext_select_from_triple_click(c, 8);
  EXPECT_EQ(c->select_start, 7);
  EXPECT_EQ(c->select_end, 10);
}

TEST_F(CtextEdit, TextSearchWrapsAndSkipsTheSelectedMatch) {
  c = make_ctext("foo bar foo");
  strcpy(c->search_text, "foo");
  c->cursor = 0;
  ctext_search_for_string(c, 1);
  EXPECT_EQ(c->cursor, 8);
  EXPECT_EQ(c->select_end, 11);
  EXPECT_EQ(c->search_highlight, 1);
  ctext_search_for_string(c, 1);  // the selected match is skipped; wraps
  EXPECT_EQ(c->cursor, 0);
  ctext_search_for_string(c, 1);
  EXPECT_EQ(c->cursor, 8);
  strcpy(c->search_text, "bar");
  c->select_start = c->select_end = c->cursor = 9;
  ctext_search_for_string(c, 1);  // only occurrence before the cursor
  EXPECT_EQ(c->cursor, 4);
  strcpy(c->search_text, "zzz");
  ctext_search_for_string(c, 1);
  EXPECT_EQ(c->cursor, 4);
}

TEST_F(CtextEdit, LineSearch) {
  c = make_ctext("one\ntwo");
  const struct {
    const char* typed;
    int32_t cursor;
  } cases[] = {{"2", 4}, {"1", 0}, {"3", 7}, {"0", 7}, {"x", 5}, {"-1", 5}};
  for (const auto& t : cases) {
    c->cursor = 5;
    strcpy(c->search_text, t.typed);
    ctext_search_for_line(c);
    EXPECT_EQ(c->cursor, t.cursor) << t.typed;
  }
}

TEST_F(CtextEdit, FunctionDefinitionSteps) {
  c = make_ctext("x=1\nfunction a()\nend\nfunction\tb()\nend\n");
  c->cursor = 0;
  ctext_search_for_bookmark(c, 1);
  EXPECT_EQ(c->cursor, 4);
  ctext_search_for_bookmark(c, 1);
  EXPECT_EQ(c->cursor, 21);
  ctext_search_for_bookmark(c, 1);  // none after: stays
  EXPECT_EQ(c->cursor, 21);
  ctext_search_for_bookmark(c, -1);
  EXPECT_EQ(c->cursor, 4);
  c->cursor = 40;
  ctext_search_for_bookmark(c, -1);  // none after the cursor: the last of all
  EXPECT_EQ(c->cursor, 21);
}

TEST_F(CtextEdit, BlockOpeners) {
  const struct {
    const char* text;
    int block;
  } cases[] = {
      {"if x then\n", 1},
      {"while x do\n\t", 1},
      {"else", 1},
      {"repeat\n  ", 2},
      {"x = 1\n", 0},
      {"function f(a)\n", 1},
      {"local  function f()\n\n", 1},
      {"local x = function\n", 0},
      {"done\n", 0},
  };
  for (const auto& t : cases) {
    tarq_destroy_ctext(c);
    c = make_ctext(t.text);
    c->cursor = (int32_t)strlen(t.text);
    EXPECT_EQ(start_of_block(c), t.block) << t.text;
  }
}

TEST_F(CtextEdit, CopyAndPasteThroughTheClipboard) {
  c = make_ctext("say \x82 Hi");  // glyph 130 crosses as a four-byte character
  c->select_start = 4;
  c->select_end = 8;
  c->keep_capitals = 1;
  ctextfield_copy(c, 0);
  char* clip = tarq_get_clipboard_text();
  EXPECT_STREQ(clip, "\xF0\x9F\x90\xB1 Hi");
  tarq_free(clip);
  c->select_start = c->select_end = 0;
  ctextfield_copy(c, 0);  // nothing selected: the clipboard keeps its text
  c->keep_capitals = 0;
  c->cursor = 0;
  ctextfield_paste(c);
  EXPECT_EQ(text_of(c), "\x82 hisay \x82 Hi");
  EXPECT_EQ(c->cursor, 4);
  tarq_set_clipboard_text("too long for the rest");
  tarq_destroy_ctext(c);
  c = make_ctext("abc", 10);
  ctextfield_paste(c);
  EXPECT_EQ(text_of(c), "abc");
}
