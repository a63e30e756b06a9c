// The mouse: position in back-page pixels, buttons, the lock that parks the
// real pointer at the window centre, the pump's mouse events, and the
// engine's cursor bitmap.
#include <SDL.h>

#include <algorithm>

#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/platform/video.h"
#include "engine/tarq.h"

static int32_t virtual_x = 0, virtual_y = 0;  // the position while locked
static bool set_active = false;               // a position from tarq_set_mouse is in force
static int32_t set_x = 0, set_y = 0, set_from_x = 0, set_from_y = 0;
static bool button_down_this_pump = false;

static bool window_size(int* w, int* h) {
  *w = *h = 0;
  if (!tarq_window.sdl_window) return false;
  SDL_GetWindowSize(tarq_window.sdl_window, w, h);
  return true;
}

static void pointer(int* x, int* y) {
  if (tarq_state.mouse_locked) {
    *x = virtual_x;
    *y = virtual_y;
    return;
  }
  SDL_GetMouseState(x, y);
}

static int32_t read_buttons() {
  const uint32_t sdl = SDL_GetMouseState(nullptr, nullptr);
  int32_t b = 0;
  if (sdl & SDL_BUTTON_LMASK) b |= cconfig.rmb_key && tarq_get_key_state(cconfig.rmb_key) ? 2 : 1;
  if (sdl & SDL_BUTTON_MMASK) b |= 4;
  if (sdl & SDL_BUTTON_RMASK) b |= 2;
  if (tarq_state.lmb_key && tarq_get_key_state(tarq_state.lmb_key)) b |= 1;
  if (tarq_state.rmb_key && tarq_get_key_state(tarq_state.rmb_key)) b |= 2;
  return b;
}

// The pointer in page pixels; false when the window has no size.
static bool page_position(int32_t* px, int32_t* py) {
  int mx = 0, my = 0;
  pointer(&mx, &my);
  if (set_active) {
    if (mx != set_from_x && my != set_from_y) set_active = false;
  }
  if (set_active) {
    *px = set_x;
    *py = set_y;
    return true;
  }
  int w = 0, h = 0;
  window_size(&w, &h);
  if (w <= 0 || h <= 0) return false;
  tarq_map_to_page(tarq_get_present_rect(), tarq_window.tarq_back_page->width, tarq_window.tarq_back_page->height, mx,
                   my, px, py);
  return true;
}

void tarq_get_mouse(int32_t* x, int32_t* y, int32_t* buttons) {
  if (!tarq_window.tarq_back_page) {
    if (x) *x = 0;
    if (y) *y = 0;
    if (buttons) *buttons = 0;
    return;
  }
  int32_t px, py;
  if (!page_position(&px, &py)) return;
  if (buttons) *buttons = read_buttons();
  if (x) *x = px;
  if (y) *y = py;
}

void tarq_get_mouse_deltas(int32_t* dx, int32_t* dy) {
  int32_t px = 0, py = 0;
  if (!tarq_window.tarq_back_page || !page_position(&px, &py)) {
    if (dx) *dx = 0;
    if (dy) *dy = 0;
    return;
  }
  if (dx) *dx = static_cast<int32_t>(static_cast<uint32_t>(px) - static_cast<uint32_t>(tarq_loop.tarq_last_mouse_x));
  if (dy) *dy = static_cast<int32_t>(static_cast<uint32_t>(py) - static_cast<uint32_t>(tarq_loop.tarq_last_mouse_y));
}

void tarq_set_mouse(int32_t x, int32_t y) {
  int mx = 0, my = 0;
  pointer(&mx, &my);
  set_active = true;
  set_x = x;
  set_y = y;
  set_from_x = mx;
  set_from_y = my;
}

static void warp_to_centre() {
  int w, h;
  if (window_size(&w, &h) && w > 1 && h > 1) SDL_WarpMouseInWindow(tarq_window.sdl_window, w / 2, h / 2);
}

void tarq_lock_mouse_cursor(int32_t flag) {
  if (flag) {
    if (tarq_state.mouse_locked) return;
    SDL_GetMouseState(&virtual_x, &virtual_y);
    tarq_state.mouse_locked = 1;
    warp_to_centre();
  } else {
    if (!tarq_state.mouse_locked) return;
    tarq_state.mouse_locked = 0;
    if (tarq_window.sdl_window) SDL_WarpMouseInWindow(tarq_window.sdl_window, virtual_x, virtual_y);
  }
}

void tarq_mouse_begin_pump() { button_down_this_pump = false; }

void tarq_mouse_event(const SDL_Event& e, int32_t now) {
  switch (e.type) {
    case SDL_MOUSEBUTTONDOWN: button_down_this_pump = true; break;
    case SDL_MOUSEBUTTONUP:
      if (button_down_this_pump) {
        tarq_state.quick_click_button = e.button.button;
        tarq_state.quick_click_time = now;
      }
      break;
    case SDL_MOUSEMOTION: {
      int w, h;
      if (tarq_state.mouse_locked && window_size(&w, &h) && w > 1 && h > 1) {
        const int32_t rx = e.motion.x - w / 2, ry = e.motion.y - h / 2;
        tarq_state.rel_pending_x += rx;
        tarq_state.rel_pending_y += ry;
        virtual_x = std::clamp(virtual_x + rx, 0, w - 1);
        virtual_y = std::clamp(virtual_y + ry, 0, h - 1);
        warp_to_centre();
      }
      tarq_state.rel_x += tarq_state.rel_pending_x;
      tarq_state.rel_y += tarq_state.rel_pending_y;
      tarq_state.rel_pending_x = tarq_state.rel_pending_y = 0;
      break;
    }
    case SDL_MOUSEWHEEL:
      tarq_state.wheel_x += e.wheel.x;
      tarq_state.wheel_y += e.wheel.y;
      tarq_state.last_wheel_x = tarq_state.wheel_x;
      tarq_state.last_wheel_y = tarq_state.wheel_y;
      break;
    default: break;
  }
}

// The engine's mouse-cursor bitmap: a 33x33 cross-hair.
tarq_mouse_cursor tarq_cursor = {nullptr, nullptr, 1, 16, 16};

tarq_bitmap* tarq_create_mouse_bmp() {
  tarq_bitmap* b = tarq_create_bitmap(33, 33, 32);
  if (!b) return nullptr;
  const uint32_t white = 0xFFFFFFFF, grey = 0xFFA0A0A0, clear = 0;
  tarq_rectfill(b, 15, 8, 17, 24, white);
  tarq_rectfill(b, 8, 15, 24, 17, white);
  tarq_vline(b, 16, 9, 23, grey);
  tarq_hline(b, 9, 23, 16, grey);
  tarq_rectfill(b, 11, 11, 21, 21, clear);
  tarq_vline(b, 16, 11, 21, white);
  tarq_hline(b, 11, 21, 16, white);
  tarq_rectfill(b, 14, 14, 18, 18, clear);
  return b;
}

int tarq_mouse_init() {
  tarq_destroy_mouse_bmp();
  tarq_cursor.tarq_mouse_bmp = tarq_create_mouse_bmp();
  tarq_cursor.tarq_current_mouse_bmp = tarq_cursor.tarq_mouse_bmp;
  tarq_cursor.mouse_focus_x = tarq_cursor.mouse_focus_y = 16;
  return 0;
}

void tarq_destroy_mouse_bmp() {
  if (tarq_cursor.tarq_current_mouse_bmp == tarq_cursor.tarq_mouse_bmp) tarq_cursor.tarq_current_mouse_bmp = nullptr;
  tarq_cursor.tarq_mouse_bmp = tarq_destroy_bitmap(tarq_cursor.tarq_mouse_bmp);
}
