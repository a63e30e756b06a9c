// The editor's hooks without an editor: the ones that return their argument
// hand it back whatever it is, and the tab count follows the code tabs.
#include <gtest/gtest.h>

#include <cstring>

#include "console/run/code_tabs.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "player/editor/editor_hooks.h"

namespace {

TEST(EditorHooks, PassThroughHooksReturnTheirArgument) {
  int32_t (*const hooks[])(int32_t) = {set_view, draw_code_tab_preview, set_code_tab, calculate_dormant_tokens,
                                       invalidate_ctext_colors};
  const int32_t values[] = {0, 1, 7, -3, 0x7fffffff, INT32_MIN};
  for (auto hook : hooks)
    for (int32_t v : values) EXPECT_EQ(hook(v), v);
  // The ones with nothing to hand back change no code tab either.
  std::strcpy(code_tab(2), "x=1");
  code_tab_selected() = 1;
  move_keyboard_cursor();
  invalidate_capacity_cache();
  draw_help_tip();
  EXPECT_STREQ(code_tab(2), "x=1");
  EXPECT_EQ(code_tab_selected(), 1);
  code_tab(2)[0] = 0;
  code_tab_selected() = 0;
}

TEST(EditorHooks, VisibleTabsAreTheLastUsedOrTheCurrentOne) {
  struct {
    int filled[3];  // tabs holding text, -1 none
    int selected;
    int32_t visible;
  } cases[] = {
      {{-1, -1, -1}, 0, 1},                                              // nothing written: the first tab alone
      {{0, -1, -1}, 0, 1},  {{0, 3, -1}, 0, 4},    {{5, -1, -1}, 0, 6},  // an empty tab before a used one counts
      {{1, -1, -1}, 9, 10},                                              // the current tab after the last used one
      {{1, 12, -1}, 4, 13}, {{15, -1, -1}, 2, 16},
  };
  for (const auto& c : cases) {
    clear_code_tabs();
    for (int t : c.filled)
      if (t >= 0) std::strcpy(code_tab(t), "-- tab");
    code_tab_selected() = c.selected;
    EXPECT_EQ(count_visible_tabs(), c.visible) << c.filled[0] << " " << c.filled[1] << " " << c.selected;
  }
  clear_code_tabs();
  code_tab_selected() = 0;
}

}  // namespace
