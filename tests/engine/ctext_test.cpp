#include <gtest/gtest.h>

#include <cstring>

#include "engine/data/ctext.h"
#include "engine/data/ctext_cursor.h"
#include "engine/data/ctext_position.h"
#include "engine/data/ctext_snapshot.h"
#include "engine/data/undo_step.h"
#include "engine/io/file.h"
#include "engine/platform/gui.h"

namespace {

tarq_ctext* make_ctext(const char* text) {
  tarq_ctext* c = tarq_create_ctext(nullptr, 4000);
  strcpy((char*)c->text, text);
  c->char_width = 4;
  c->line_height = 6;
  c->tab_width = 16;
  return c;
}

}  // namespace

TEST(EngineCtext, LineAndPositionMapping) {
  const uint8_t* t = (const uint8_t*)"a\nb\nc";
  EXPECT_EQ(ctext_get_line_number_for_pos(t, 3), 1);
  EXPECT_EQ(ctext_get_line_number_for_pos(t, 0), 0);
  EXPECT_EQ(ctext_get_line_number_for_pos(t, 0x100000), 2);
  EXPECT_EQ(ctext_get_line_number_for_pos((const uint8_t*)"", 5), 0);
  EXPECT_EQ(ctext_get_pos_for_line_number(t, 0), 0);
  EXPECT_EQ(ctext_get_pos_for_line_number(t, 1), 2);
  EXPECT_EQ(ctext_get_pos_for_line_number(t, 2), 4);
  EXPECT_EQ(ctext_get_pos_for_line_number(t, 5), 5);
  EXPECT_EQ(ctext_get_pos_for_line_number((const uint8_t*)"", 3), 0);
}

TEST(EngineCtext, CursorPixelsAndTabStops) {
  tarq_ctext* c = make_ctext("\tx\x80y\nab");
  int32_t x, y;
  struct {
    int cursor, x, y;
  } cases[] = {
      {0, 0, 0}, {1, 16, 0}, {2, 20, 0}, {3, 28, 0}, {4, 32, 0}, {5, 0, 6}, {7, 8, 6}, {8, 0, 0},  // beyond the text
  };
  for (auto& k : cases) {
    c->cursor = k.cursor;
    tarq_get_ctextfield_cursor_pos(c, &x, &y);
    EXPECT_EQ(x, k.x) << "cursor " << k.cursor;
    EXPECT_EQ(y, k.y) << "cursor " << k.cursor;
  }
  c->cursor = 3;
  EXPECT_EQ(get_line_x(c), 28);
  EXPECT_EQ(get_line_cpos(c), 3);
  c->cursor = 7;
  EXPECT_EQ(get_line_cpos(c), 2);
  EXPECT_EQ(get_line_x(c), 8);
  c->tab_width = 2;  // counts as 4
  EXPECT_EQ(get_char_width(c, '\t', 5), 3);
  EXPECT_EQ(get_char_width(c, '\t', 8), 4);  // on a stop: a whole stop
  EXPECT_EQ(get_char_width(c, 0x9A, 0), 8);
  tarq_get_ctextfield_cursor_pos(nullptr, &x, &y);
  EXPECT_EQ(x, 0);
  tarq_destroy_ctext(c);
}

TEST(EngineCtext, PositionUnderPixel) {
  tarq_ctext* c = make_ctext("\tx\x80y\nab\nlast");
  struct {
    int x, y, want;
  } cases[] = {
      {0, 1, 0},  {15, 1, 0}, {16, 1, 1}, {19, 1, 1},  {20, 1, 2}, {27, 1, 2},    {28, 1, 3},  {99, 1, 4},
      {-3, 7, 5}, {5, 7, 6},  {0, 0, 0},  {50, -1, 0}, {0, 14, 8}, {999, 14, 12}, {0, 60, 12},  // below the last line:
                                                                                                // the length
  };
  for (auto& k : cases) EXPECT_EQ(tarq_get_ctextfield_pos_for_cursor(c, k.x, k.y), k.want) << k.x << "," << k.y;
  EXPECT_EQ(line_x_to_cpos(c, 5, 4), 6);
  c->line_height = 0;
  EXPECT_EQ(tarq_get_ctextfield_pos_for_cursor(c, 5, 5), 0);
  EXPECT_EQ(tarq_get_ctextfield_pos_for_cursor(nullptr, 5, 5), 0);
  tarq_destroy_ctext(c);
}

TEST(EngineCtext, ScrollingFollowsTheCursor) {
  tarq_ctext* c = make_ctext("");
  std::string text;
  for (int i = 0; i < 60; i++) text += "a much longer line of text here\n";
  strcpy((char*)c->text, text.c_str());
  tarq_gui_element el = {};
  el.width = 100;
  el.height = 100;
  c->element = &el;
  c->cursor = ctext_get_pos_for_line_number(c->text, 30);  // y = 180
  ctext_bound_scrolling_to_cursor(c, 52);
  EXPECT_EQ(c->scroll_y, 180 - 52);
  el.height = 200;
  ctext_bound_scrolling_to_cursor(c, 52);
  EXPECT_EQ(c->scroll_y, 180 - 66);
  c->cursor = 2;
  ctext_bound_scrolling_to_cursor(c, 52);
  EXPECT_EQ(c->scroll_y, 0);
  // Margin 0 scrolls as little as possible.
  c->scroll_y = 0;
  c->cursor = ctext_get_pos_for_line_number(c->text, 40) + 30;  // x 120, y 240
  ctext_bound_scrolling_to_cursor(c, 0);
  EXPECT_EQ(c->scroll_y, 240 + 6 - 200);
  EXPECT_EQ(c->scroll_x, 120 + 4 - 100);
  // Without an element, the remembered size counts.
  c->element = nullptr;
  c->cursor = 0;
  ctext_bound_scrolling_to_cursor(c, 0);
  EXPECT_EQ(c->scroll_y, 0);
  EXPECT_EQ(c->scroll_x, 0);
  int32_t w = 0, h = 0;
  ctext_last_element_size(&w, &h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 200);
  tarq_destroy_ctext(c);
}

TEST(EngineCtext, SnapshotsAndRestore) {
  tarq_ctext* c = make_ctext("hello");
  tarq_backup_ctext(c);  // the text changed since creation: one step
  EXPECT_GT(c->undo->undo->size, 0);
  int32_t before = c->undo->undo->size;
  c->cursor = 3;
  tarq_backup_ctext(c);  // only the cursor moved
  EXPECT_EQ(c->undo->undo->size, before);
  c->cursor = 4;
  tarq_backup_ctext_allow_view(c);
  EXPECT_GT(c->undo->undo->size, before);

  tarq_file* prev = tarq_undo(c->undo);
  ASSERT_TRUE(restore_undo_ctext_state(prev, c));
  EXPECT_STREQ((const char*)c->text, "hello");
  EXPECT_EQ(c->cursor, 0);  // the earlier snapshot was taken with the cursor at 0
  prev = tarq_undo(c->undo);
  ASSERT_TRUE(restore_undo_ctext_state(prev, c));
  EXPECT_STREQ((const char*)c->text, "");
  EXPECT_EQ(restore_undo_ctext_state(nullptr, c), 0);

  // Typing within a line is one step; moving to another line closes it.
  strcpy((char*)c->text, "ab\ncd");
  c->cursor = 4;
  int32_t n0 = c->undo->undo->size;
  tarq_backup_ctext_if_editing_newline(c);
  int32_t n1 = c->undo->undo->size;
  EXPECT_GT(n1, n0);
  EXPECT_EQ(c->snapshot_line, 1);
  c->text[4] = 'x';
  tarq_backup_ctext_if_editing_newline(c);
  EXPECT_EQ(c->undo->undo->size, n1);
  tarq_destroy_ctext(c);
}

TEST(EngineCtext, CallerOwnedText) {
  uint8_t text[8] = "abc";
  tarq_ctext* c = tarq_create_ctext(text, 7);
  EXPECT_EQ(c->text, text);
  EXPECT_EQ(c->buffer, nullptr);
  strcpy((char*)text, "abcdefg");
  tarq_backup_ctext(c);
  tarq_file* prev = tarq_undo(c->undo);
  ASSERT_TRUE(restore_undo_ctext_state(prev, c));
  EXPECT_STREQ((const char*)text, "abc");
  tarq_destroy_ctext(c);
  tarq_destroy_ctext(nullptr);
}
