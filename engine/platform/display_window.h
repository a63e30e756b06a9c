#pragma once
// Windows and displays as the player never reaches them: the second window
// on another display (counting displays, choosing one by name and mode, and
// opening a borderless window there), the desktop's and the window's sizes,
// and a flip and a texture draw that do nothing (the back page is presented
// each frame; nothing draws textures).
#include <cstdint>

int32_t tarq_num_video_displays();
int32_t tarq_choose_display(const char* pattern, int32_t w, int32_t h);
int32_t tarq_open_display(int32_t index, int32_t w, int32_t h);

// Does nothing.
void tarq_flip_screen();
int32_t tarq_get_desktop_width();
int32_t tarq_get_desktop_height();
int32_t tarq_get_window_width();
int32_t tarq_get_window_height();

// No operation: returns its argument.
int32_t tarq_draw_texture(int32_t n);
