#include "player/editor/editor_hooks.h"

#include "console/run/code_tabs.h"

int32_t set_view(int32_t view) { return view; }
void move_keyboard_cursor() {}
int32_t draw_code_tab_preview(int32_t x) { return x; }
void invalidate_capacity_cache() {}
int32_t set_code_tab(int32_t tab) { return tab; }
int32_t calculate_dormant_tokens(int32_t x) { return x; }
int32_t invalidate_ctext_colors(int32_t x) { return x; }
int32_t count_visible_tabs() { return visible_code_tabs(); }
void draw_help_tip() {}
