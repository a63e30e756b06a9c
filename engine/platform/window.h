#pragma once
// The back page, the screen record that stands for the window, and the SDL
// window with its renderer. The back page is presented through present.h.
#include <cstdint>

#include "engine/data/gfx.h"

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

// The window's record: the video and window modules change it (the calls
// below and in video.h, present.h and extra/display_window.h); others read it.
struct tarq_window_state {
  SDL_Window* sdl_window = nullptr;  // null when there is no window
  tarq_bitmap* tarq_back_page = nullptr;
  int32_t tarq_screen_mode = 1;  // 1 fullscreen, 0 windowed
  int32_t desktop_w = 0, desktop_h = 0;
  SDL_Renderer* sdl_renderer = nullptr;  // null on the software path
  SDL_Texture* sdl_texture = nullptr;
  int32_t sdl_texture_w = 0, sdl_texture_h = 0;
  SDL_Texture* fps_texture = nullptr;
  tarq_bitmap* fps_bmp = nullptr;
  SDL_Window* sdl_window_display = nullptr;  // only after tarq_open_display
};
extern tarq_window_state tarq_window;

// Window sizes config.txt may ask for: 0 0 (the default), or each side in
// this range; the default window when the asked one cannot be made.
constexpr int32_t TARQ_WINDOW_SIDE_MIN = 32, TARQ_WINDOW_SIDE_MAX = 8192;
constexpr int32_t TARQ_DEFAULT_WINDOW_W = 640, TARQ_DEFAULT_WINDOW_H = 540;

// tarq_set_screen flags
constexpr int32_t TARQ_SCREEN_WINDOWED = 4;
constexpr int32_t TARQ_SCREEN_FULLSCREEN = 8;
constexpr int32_t TARQ_SCREEN_USE_SETTING = 0x100;

void tarq_set_window_size(int32_t w, int32_t h);
int tarq_set_screen(int32_t w, int32_t h, int32_t depth, int32_t flags);
int tarq_set_screen_plat(int32_t win_w, int32_t win_h, int32_t page_w, int32_t page_h, int32_t depth, int32_t flags);
int tarq_set_screen_software(int32_t win_w, int32_t win_h, int32_t page_w, int32_t page_h, int32_t depth,
                             int32_t flags);
// The user resized the window to w x h: in windowed mode the size becomes
// the window's size from now on (also after a trip to fullscreen) and is
// the window_size that config.txt keeps for the next start.
void tarq_note_window_resized(int32_t w, int32_t h);
void tarq_toggle_fullscreen();
void tarq_set_windowed(int32_t flag);
int32_t tarq_get_windowed();
void tarq_set_window_icon(tarq_bitmap* icon);

// The video part of the system report, and the description of one renderer.
void log_system_info();
void tarq_log_renderer(SDL_Renderer* r);

// Closes the windows and their renderer (video shutdown).
void tarq_destroy_video_window();

// Whether this SDL build offers a video driver of that name (asked before SDL starts).
int32_t tarq_video_driver_offered(const char* name);
