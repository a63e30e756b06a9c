// Presenting a page in the window: enlarge, convert through the palette,
// then either write the window surface or go through the renderer.
#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "engine/config.h"
#include "engine/data/text.h"
#include "engine/platform/video.h"
#include "engine/tarq.h"

static tarq_bitmap* bmp32 = nullptr;
static tarq_bitmap* fattened_back_page = nullptr;

tarq_view_settings tarq_current_view_settings() {
  tarq_view_settings s;
  s.software_blit = cconfig.software_blit;
  s.framebuffer = cconfig.framebuffer;
  s.pixel_perfect = cconfig.pixel_perfect;
  s.preblit_scale = cconfig.preblit_scale;
  s.keep_aspect = cconfig.keep_aspect;
  s.draw_rect = {cconfig.draw_rect_x, cconfig.draw_rect_y, cconfig.draw_rect_w, cconfig.draw_rect_h};
  return s;
}

// The window's size: the live window's when there is one, else the screen record's.
static void window_size(int32_t* w, int32_t* h) {
  int ww = 0, wh = 0;
  if (tarq_window.sdl_window) SDL_GetWindowSize(tarq_window.sdl_window, &ww, &wh);
  else if (tarq_video.tarq_screen) {
    ww = tarq_video.tarq_screen->width;
    wh = tarq_video.tarq_screen->height;
  }
  *w = ww;
  *h = wh;
}

int32_t tarq_get_pixel_perfect() {
  int32_t ww, wh;
  window_size(&ww, &wh);
  const int32_t pw = tarq_window.tarq_back_page ? tarq_window.tarq_back_page->width : 0;
  const int32_t ph = tarq_window.tarq_back_page ? tarq_window.tarq_back_page->height : 0;
  return tarq_pixel_perfect_for(tarq_current_view_settings(), pw, ph, ww, wh, tarq_window.tarq_screen_mode == 0);
}

int32_t tarq_get_preblit_scale() {
  if (!tarq_window.tarq_back_page) return 1;
  const int32_t sw = tarq_video.tarq_screen ? tarq_video.tarq_screen->width : 0,
                sh = tarq_video.tarq_screen ? tarq_video.tarq_screen->height : 0;
  return tarq_preblit_scale_for(tarq_current_view_settings(), tarq_get_pixel_perfect(),
                                tarq_window.tarq_back_page->width, tarq_window.tarq_back_page->height, sw, sh);
}

static tarq_rect_i rect_for_page(int32_t page_w, int32_t page_h) {
  int32_t ww, wh;
  window_size(&ww, &wh);
  return tarq_present_rect_for(tarq_current_view_settings(), tarq_get_pixel_perfect(), page_w, page_h, ww, wh);
}

tarq_rect_i tarq_get_present_rect() {
  if (!tarq_window.tarq_back_page) return {0, 0, 0, 0};
  return rect_for_page(tarq_window.tarq_back_page->width, tarq_window.tarq_back_page->height);
}

static tarq_bitmap* keep_page(tarq_bitmap*& page, int32_t w, int32_t h, int32_t depth) {
  if (page && (page->width != w || page->height != h || page->depth != depth)) page = tarq_destroy_bitmap(page);
  if (!page) page = tarq_create_bitmap(w, h, depth);
  return page;
}

void tarq_destroy_present_pages() {
  bmp32 = tarq_destroy_bitmap(bmp32);
  fattened_back_page = tarq_destroy_bitmap(fattened_back_page);
}

static void palette_to_argb(uint32_t* table) {
  for (int i = 0; i < 256; i++) {
    const uint8_t* e = tarq_video.tarq_video_palette ? tarq_video.tarq_video_palette->rgb[i] : nullptr;
    table[i] =
        e ? 0xFF000000u | static_cast<uint32_t>(e[0]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[2] : 0xFF000000u;
  }
}

// Nearest-neighbour fill of the clipped rectangle of a window surface.
static void fill_surface(SDL_Surface* surface, const tarq_bitmap* page, const tarq_rect_i& r) {
  SDL_FillRect(surface, nullptr, 0);
  if (r.w <= 0 || r.h <= 0) return;
  const int32_t x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int32_t x1 = std::min<int64_t>(static_cast<int64_t>(r.x) + r.w, surface->w);
  const int32_t y1 = std::min<int64_t>(static_cast<int64_t>(r.y) + r.h, surface->h);
  if (x0 >= x1 || y0 >= y1) return;
  const int64_t xstep = static_cast<int64_t>(page->width) * 65536 / r.w;
  const bool direct = surface->format->BytesPerPixel == 4 && surface->format->Rmask == 0xFF0000 &&
                      surface->format->Gmask == 0xFF00 && surface->format->Bmask == 0xFF;
  // Other surface formats go through one converted row at a time.
  SDL_Surface* row = direct ? nullptr : SDL_CreateRGBSurfaceWithFormat(0, x1 - x0, 1, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!direct && !row) return;
  for (int32_t y = y0; y < y1; y++) {
    const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y - r.y) * page->height / r.h);
    const uint32_t* s = tarq_row32(page, sy);
    uint32_t* d = direct ? reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                       static_cast<int64_t>(y) * surface->pitch) +
                               x0
                         : static_cast<uint32_t*>(row->pixels);
    int64_t pos = static_cast<int64_t>(x0 - r.x) * xstep;
    for (int32_t x = x0; x < x1; x++, pos += xstep) *d++ = s[std::min<int64_t>(pos >> 16, page->width - 1)];
    if (!direct) {
      SDL_Rect to{x0, y, x1 - x0, 1};
      SDL_BlitSurface(row, nullptr, surface, &to);
    }
  }
  if (row) SDL_FreeSurface(row);
}

static void present_software(tarq_bitmap* page) {
  if (cconfig.show_fps) {
    char fps[16];
    snprintf(fps, sizeof(fps), "%03d", static_cast<int>(tarq_get_fps()));
    tarq_draw_text_phat(page, fps, tarq_fonts.tarq_font1, 1, 1, TARQ_TEXT_ONE_COLOUR, 0xFF000000, 0xFFFFFF);
  }
  SDL_Surface* surface = SDL_GetWindowSurface(tarq_window.sdl_window);
  if (!surface) return;
  const tarq_rect_i r = rect_for_page(page->width, page->height);
  if (SDL_LockSurface(surface) != 0) return;
  if (surface->pixels) fill_surface(surface, page, r);
  SDL_UnlockSurface(surface);
  SDL_UpdateWindowSurface(tarq_window.sdl_window);
}

static void present_renderer(tarq_bitmap* page) {
  if (!tarq_window.sdl_texture || tarq_window.sdl_texture_w != page->width ||
      tarq_window.sdl_texture_h != page->height) {
    if (tarq_window.sdl_texture) SDL_DestroyTexture(tarq_window.sdl_texture);
    tarq_window.sdl_texture = SDL_CreateTexture(tarq_window.sdl_renderer, SDL_PIXELFORMAT_ARGB8888,
                                                SDL_TEXTUREACCESS_STREAMING, page->width, page->height);
    tarq_window.sdl_texture_w = tarq_window.sdl_texture ? page->width : 0;
    tarq_window.sdl_texture_h = tarq_window.sdl_texture ? page->height : 0;
  }
  if (!tarq_window.sdl_texture) return;
  SDL_UpdateTexture(tarq_window.sdl_texture, nullptr, page->pixels, 4 * page->width);
  SDL_SetRenderDrawColor(tarq_window.sdl_renderer, 0, 0, 0, 255);
  SDL_RenderClear(tarq_window.sdl_renderer);
  const tarq_rect_i r = rect_for_page(page->width, page->height);
  const bool nearest = tarq_get_pixel_perfect();
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, nearest ? "nearest" : "linear");
  SDL_SetTextureScaleMode(tarq_window.sdl_texture, nearest ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  if (r.w > 0 && r.h > 0) {
    const SDL_Rect dst{r.x, r.y, r.w, r.h};
    SDL_RenderCopy(tarq_window.sdl_renderer, tarq_window.sdl_texture, nullptr, &dst);
  }
  if (cconfig.show_fps && r.w >= 128 && r.h >= 8 && tarq_window.fps_bmp && tarq_window.fps_texture) {
    char fps[16];
    snprintf(fps, sizeof(fps), "%03d fps", static_cast<int>(tarq_get_fps()));
    tarq_clear_bitmap(tarq_window.fps_bmp);
    tarq_draw_text(tarq_window.fps_bmp, fps, tarq_fonts.tarq_font2, 1, 1);
    SDL_UpdateTexture(tarq_window.fps_texture, nullptr, tarq_window.fps_bmp->pixels, 4 * tarq_window.fps_bmp->width);
    const SDL_Rect corner{0, 0, 128, 8};
    SDL_RenderCopy(tarq_window.sdl_renderer, tarq_window.fps_texture, nullptr, &corner);
  }
  SDL_RenderPresent(tarq_window.sdl_renderer);
}

void tarq_present_bitmap(tarq_bitmap* page, int32_t preblit) {
  if (!page || !page->rows || !tarq_window.sdl_window) return;
  if (page->depth != 8 && page->depth != 32) return;
  const int32_t scale = preblit ? tarq_get_preblit_scale() : 1;
  if (scale >= 2 && static_cast<int64_t>(page->width) * scale <= INT32_MAX &&
      static_cast<int64_t>(page->height) * scale <= INT32_MAX) {
    tarq_bitmap* big = keep_page(fattened_back_page, page->width * scale, page->height * scale, page->depth);
    if (!big) return;
    tarq_stretch_blit(page, big, 0, 0, big->width, big->height, 0);
    page = big;
  }
  if (page->depth == 8) {
    tarq_bitmap* out = keep_page(bmp32, page->width, page->height, 32);
    if (!out) return;
    uint32_t table[256];
    palette_to_argb(table);
    for (int32_t y = 0; y < page->height; y++) {
      const uint8_t* s = page->rows[y];
      uint32_t* d = tarq_row32(out, y);
      for (int32_t x = 0; x < page->width; x++) d[x] = table[s[x]];
    }
    page = out;
  }
  if (cconfig.software_blit || !tarq_window.sdl_renderer) present_software(page);
  else present_renderer(page);
}
