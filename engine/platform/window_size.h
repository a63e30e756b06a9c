#pragma once
// The desktop's and the window's sizes, and a flip that does nothing (the
// back page is presented each frame). The player asks for neither.
#include <cstdint>

void tarq_flip_screen();
int32_t tarq_get_desktop_width();
int32_t tarq_get_desktop_height();
int32_t tarq_get_window_width();
int32_t tarq_get_window_height();
