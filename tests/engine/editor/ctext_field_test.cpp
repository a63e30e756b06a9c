// The code text field driven through the GUI pass: mouse, wheel and key
// messages in, text, cursor, selection and drawn pixels out.
#include <gtest/gtest.h>

#include "engine/data/ctext_edit.h"
#include "engine/data/ctext_field.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/platform/gui.h"
#include "engine/platform/gui_elements.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "tests/engine/editor/ctext_fixture.h"
#include "tests/support/synthetic_font.h"

namespace {

struct CtextField : ::testing::Test {
  tarq_bitmap* page = nullptr;
  tarq_ctext* c = nullptr;
  int32_t field = -1;
  int32_t now = 100000;

  void SetUp() override {
    tarq_state = tarq_engine_state{};
    ASSERT_EQ(tarq_gui_init(), 0);
    page = tarq_create_bitmap(128, 64, 8);
    ctextfield_reset_clicks();
    ctext_forget_insert_char_cat();
    key_state::reset();
  }
  void TearDown() override {
    tarq_gui_exit();
    tarq_destroy_ctext(c);
    tarq_destroy_bitmap(page);
  }
  // The field at (8, 4), 64x30 pixels: 16 columns, 5 lines.
  void open(const char* text) {
    c = make_ctext(text);
    field = tarq_gui_add_ctext_field(page, 8, 4, 64, 30, c);
    ASSERT_GE(field, 0);
  }
  // A click at a character cell: one pass with the button, one without.
  void click(int32_t col, int32_t row, int32_t gap = 1000) {
    now += gap;
    tarq_gui_pass(8 + 4 * col + 1, 4 + 6 * row + 1, 1, now);
    tarq_gui_pass(8 + 4 * col + 1, 4 + 6 * row + 1, 0, now + 10);
  }
  void key(int32_t code, std::vector<int32_t> held = {}, std::vector<int32_t> pressed = {}) {
    key_state keys(held, pressed);
    tarq_gui_key_event(code);
  }
  void keys(const char* typed) {
    for (; *typed; typed++) key((uint8_t)*typed);
  }
};

}  // namespace

TEST_F(CtextField, TakesTheFocusAndPointsBothWays) {
  open("x");
  tarq_gui_element* e = tarq_get_gui_element(field);
  EXPECT_EQ(e->kind, 4);
  EXPECT_EQ(e->record, c);
  EXPECT_EQ(c->element, e);
  EXPECT_EQ(tarq_gui_get_keyboard_focus(), e);
}

TEST_F(CtextField, ClickPlacesTheCursorAndShiftClickExtends) {
  open("hello world\nsecond line");
  click(3, 1);
  EXPECT_EQ(c->cursor, 15);
  EXPECT_EQ(c->select_start, 15);
  EXPECT_EQ(c->select_end, 15);
  {
    key_state shift({SHIFT});
    click(8, 0);
  }
  EXPECT_EQ(c->cursor, 8);
  EXPECT_EQ(c->select_start, 15);  // the anchor stays
  EXPECT_EQ(c->select_end, 8);
  EXPECT_EQ(c->remembered_x, 32);
}

TEST_F(CtextField, DoubleAndTripleClicksSelectWordAndLine) {
  open("hello world\nsecond line");
  click(8, 0);
  click(8, 0, 100);
  EXPECT_EQ(ctextfield_double_clicked(), 0);  // reset by the release
  EXPECT_EQ(c->select_start, 6);
  EXPECT_EQ(c->select_end, 11);
  // The third press within the double-click time selects the whole line.
  now += 100;
  tarq_gui_pass(8 + 33, 5, 1, now);
  EXPECT_EQ(ctextfield_double_clicked(), 2);
  EXPECT_EQ(c->select_start, 0);
  EXPECT_EQ(c->select_end, 12);
}

TEST_F(CtextField, DraggingFollowsTheMouseAtMostTwentyTimesASecond) {
  open("abcdefghij");
  now += 1000;
  tarq_gui_pass(8 + 1, 5, 1, now);  // press at column 0
  ctextfield_set_drag_time(tarq_get_time());
  tarq_gui_pass(8 + 4 * 5 + 1, 5, 1, now + 20);  // hold: too soon after the last update
  EXPECT_EQ(c->select_end, 0);
  ctextfield_set_drag_time(tarq_get_time() - 60);
  tarq_gui_pass(8 + 4 * 5 + 1, 5, 1, now + 80);
  EXPECT_EQ(c->select_start, 0);
  EXPECT_EQ(c->select_end, 5);
  EXPECT_EQ(c->cursor, 5);
}

TEST_F(CtextField, WheelScrolls) {
  open("a");
  tarq_state.wheel_y = -3;
  tarq_gui_pass(20, 10, 0, now);
  EXPECT_EQ(c->scroll_y, 36);
  tarq_state.wheel_y = 10;
  tarq_gui_pass(20, 10, 0, now + 10);
  EXPECT_EQ(c->scroll_y, 0);
}

TEST_F(CtextField, CtrlZUndoesTypingWithoutAnEarlierSnapshot) {
  open("");
  keys("abc");
  EXPECT_EQ(text_of(c), "abc");
  key('z', {CTRL});
  EXPECT_EQ(text_of(c), "");
  key('y', {CTRL});
  EXPECT_EQ(text_of(c), "abc");
  key('z', {CTRL});
  key(-1, {CTRL, SHIFT}, {SDL_SCANCODE_Z});  // ctrl+shift+Z gives no code
  EXPECT_EQ(text_of(c), "abc");
}

TEST_F(CtextField, SelectAllThenTypingReplacesTheText) {
  open("some\ntext");
  key('a', {CTRL});
  key('q');
  EXPECT_EQ(text_of(c), "q");
  EXPECT_EQ(c->cursor, 1);
}

TEST_F(CtextField, CutAndPaste) {
  open("one two");
  click(4, 0);
  {
    key_state shift({SHIFT});
    click(7, 0);
  }
  key('x', {CTRL});
  EXPECT_EQ(text_of(c), "one ");
  click(0, 0);
  key('v', {CTRL});
  EXPECT_EQ(text_of(c), "twoone ");
  EXPECT_EQ(c->cursor, 3);
}

TEST_F(CtextField, TabIndentsAndUnindentsASelection) {
  open("a\nb\nc");
  c->select_start = 0;
  c->select_end = 3;
  key(9);
  EXPECT_EQ(text_of(c), "\ta\n\tb\nc");
  EXPECT_EQ(c->select_start, 1);
  EXPECT_EQ(c->select_end, 5);
  EXPECT_EQ(c->cursor, 1);
  key(9, {SHIFT});
  EXPECT_EQ(text_of(c), "a\nb\nc");
  EXPECT_EQ(c->select_start, 0);
  EXPECT_EQ(c->select_end, 3);
  c->select_start = c->select_end = c->cursor = 1;
  key(9);
  EXPECT_EQ(text_of(c), "a\t\nb\nc");
}

TEST_F(CtextField, EnterIndentsAndShiftEnterClosesTheBlock) {
  open("\tfor i=1,2 do");
  c->cursor = c->select_start = c->select_end = 13;
  key(13, {SHIFT});
  EXPECT_EQ(text_of(c), "\tfor i=1,2 do\n\t\t\n\tend");
  EXPECT_EQ(c->cursor, 16);
  key(13);
  EXPECT_EQ(text_of(c), "\tfor i=1,2 do\n\t\t\n\t\t\n\tend");
  key('x');
  EXPECT_EQ(text_of(c), "\tfor i=1,2 do\n\t\t\n\t\tx\n\tend");
}

TEST_F(CtextField, ArrowKeysKeepTheRememberedColumn) {
  open("abcdef\nab\nabcdef");
  c->cursor = 5;
  key(-1, {}, {SDL_SCANCODE_RIGHT});
  EXPECT_EQ(c->cursor, 6);
  EXPECT_EQ(c->remembered_x, 24);
  key(-1, {}, {SDL_SCANCODE_DOWN});
  EXPECT_EQ(c->cursor, 9);  // end of the short line
  key(-1, {}, {SDL_SCANCODE_DOWN});
  EXPECT_EQ(c->cursor, 16);  // back at column 6
  key(-1, {}, {SDL_SCANCODE_DOWN});
  EXPECT_EQ(c->cursor, 16);
  key(-1, {SHIFT}, {SDL_SCANCODE_UP});
  EXPECT_EQ(c->select_start, 16);
  EXPECT_EQ(c->select_end, 9);
  key(-1, {}, {SDL_SCANCODE_HOME});
  EXPECT_EQ(c->cursor, 7);
  EXPECT_EQ(c->select_start, 7);
  key(-1, {CTRL}, {SDL_SCANCODE_END});
  EXPECT_EQ(c->cursor, 16);
}

TEST_F(CtextField, BackspaceAndDelete) {
  open("ab\ncd");
  c->cursor = 3;
  key(8);
  EXPECT_EQ(text_of(c), "abcd");
  EXPECT_EQ(c->cursor, 2);
  key(-1, {}, {SDL_SCANCODE_DELETE});
  EXPECT_EQ(text_of(c), "abd");
  c->cursor = 3;
  key(-1, {}, {SDL_SCANCODE_DELETE});  // at the end: nothing
  EXPECT_EQ(text_of(c), "abd");
  c->cursor = 0;
  key(8);
  EXPECT_EQ(text_of(c), "abd");
}

TEST_F(CtextField, SearchBarFindsText) {
  open("alpha beta gamma beta");
  key('f', {CTRL});
  EXPECT_EQ(c->search_active, 1);
  EXPECT_EQ(c->search_by_line, 0);
  keys("betx");
  key(8);
  key('a');
  EXPECT_STREQ(c->search_text, "beta");
  EXPECT_EQ(text_of(c), "alpha beta gamma beta");  // keys went to the bar
  key(13);
  EXPECT_EQ(c->search_active, 0);
  EXPECT_EQ(c->cursor, 6);
  EXPECT_EQ(c->select_end, 10);
  key('g', {CTRL});
  EXPECT_EQ(c->cursor, 17);
  key('l', {CTRL});
  EXPECT_EQ(c->search_by_line, 1);
  key('1');
  key(13);
  EXPECT_EQ(c->cursor, 0);
}

TEST_F(CtextField, DrawsGlyphsInsideItsRectangle) {
  tarq_pod* font = make_synthetic_font_pod();
  open("ab\ncdefghijklmnopqrstuvwxyz");
  c->font = font;
  tarq_get_gui_element(field)->flags &= ~TARQ_GUI_FOCUS;  // no blinking cursor
  tarq_clear_bitmap(page);
  tarq_gui_message_ex(field, TARQ_GUI_DRAW, 0, 0, 0);
  // Row 0 of a glyph holds its code's low nibble, one bit a column; glyphs
  // are copied whole, their clear pixels included.
  for (int32_t col = 0; col < 4; col++) {
    EXPECT_EQ(tarq_getpixel(page, 8 + col, 4), (synthetic_glyph_row('a', 0) >> col) & 1 ? 1u : 0u) << col;
    EXPECT_EQ(tarq_getpixel(page, 12 + col, 4), (synthetic_glyph_row('b', 0) >> col) & 1 ? 1u : 0u) << col;
    EXPECT_EQ(tarq_getpixel(page, 8 + col, 10), (synthetic_glyph_row('c', 0) >> col) & 1 ? 1u : 0u) << col;
  }
  EXPECT_EQ(tarq_getpixel(page, 8, 16), 0x40u);                                     // the background, under the text
  EXPECT_EQ(tarq_getpixel(page, 71, 33), 0x40u);                                    // the field's last pixel
  for (int32_t y = 0; y < 64; y++) EXPECT_EQ(tarq_getpixel(page, 72, y), 0u) << y;  // nothing past its edge
  EXPECT_EQ(page->clip_x1, 128);                                                    // the clip is reset
  tarq_destroy_pod(font);
}
