#pragma once
// The window and presenting the back page.

struct SDL_Window;
extern SDL_Window* sdl_window;  // null when there is no window

int tarq_video_init();
int tarq_video_exit();
void tarq_blit_back_page();
