// Stand-in for the window and the present step: no window is made yet, so
// there is nothing to present.
#include "engine/video.h"

SDL_Window* sdl_window = nullptr;

int tarq_video_init() { return 0; }
int tarq_video_exit() { return 0; }
void tarq_blit_back_page() {}
