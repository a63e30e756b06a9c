#pragma once
// Hooks into an editor's views. Without an editor they are small fixed
// functions; the sprite-sheet backup hook, which the player does call, is
// backup_gfx in player/cart/drop.h.
#include <cstdint>

int32_t set_view(int32_t view);
void move_keyboard_cursor();
int32_t draw_code_tab_preview(int32_t x);
void invalidate_capacity_cache();
int32_t set_code_tab(int32_t tab);
int32_t calculate_dormant_tokens(int32_t x);
int32_t invalidate_ctext_colors(int32_t x);
// 1 + the larger of the highest non-empty code tab and the current tab.
int32_t count_visible_tabs();
void draw_help_tip();
