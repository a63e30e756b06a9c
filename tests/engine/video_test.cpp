#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "engine/config.h"
#include "engine/data/text.h"
#include "engine/data/text_entry.h"
#include "engine/platform/events.h"
#include "engine/platform/video.h"
#include "engine/tarq.h"

namespace {

// The video system under SDL's dummy driver, as start-up brings it up.
struct Video : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS), 0);
    tarq_config_default();
    tarq_state = tarq_engine_state{};
    tarq_request_quit(0);  // a main loop that ran before leaves its quit request set
    tarq_window.tarq_screen_mode = 1;
    tarq_keys_init();
    tarq_text_init();
    tarq_video_init();
    tarq_mouse_init();
  }
  void TearDown() override {
    tarq_video_exit();
    tarq_text_exit();
    tarq_config_default();
    SDL_Quit();
  }

  // Colours 0..3: black, red, green, blue; the page gets four quarters.
  static void pattern() {
    const uint8_t colours[4][3] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    tarq_palette* p = tarq_create_palette();
    for (int i = 0; i < 4; i++)
      for (int k = 0; k < 3; k++) p->rgb[i + 1][k] = colours[i][k];
    p->rgb[1][0] = 40;  // colour 1: a dark grey, not black
    p->rgb[1][1] = 40;
    p->rgb[1][2] = 40;
    tarq_set_palette(p);
    tarq_destroy_palette(p);
    tarq_bitmap* b = tarq_window.tarq_back_page;
    const int hw = b->width / 2, hh = b->height / 2;
    tarq_rectfill(b, 0, 0, hw - 1, hh - 1, 1);
    tarq_rectfill(b, hw, 0, b->width - 1, hh - 1, 2);
    tarq_rectfill(b, 0, hh, hw - 1, b->height - 1, 3);
    tarq_rectfill(b, hw, hh, b->width - 1, b->height - 1, 4);
  }

  // The window's pixels as 0xRRGGBB words.
  static std::vector<uint32_t> read_window(int* w, int* h) {
    SDL_GetWindowSize(tarq_window.sdl_window, w, h);
    std::vector<uint32_t> px(size_t(*w) * size_t(*h));
    if (tarq_window.sdl_renderer) {
      EXPECT_EQ(SDL_RenderReadPixels(tarq_window.sdl_renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, px.data(), 4 * *w),
                0);
    } else {
      SDL_Surface* s = SDL_GetWindowSurface(tarq_window.sdl_window);
      SDL_Surface* c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
      for (int y = 0; y < *h; y++)
        memcpy(&px[size_t(y) * size_t(*w)], (uint8_t*)c->pixels + y * c->pitch, 4 * size_t(*w));
      SDL_FreeSurface(c);
    }
    for (auto& p : px) p &= 0xFFFFFF;
    return px;
  }

  // Checks the four quarters and the black borders around the rectangle.
  static void expect_pattern(const tarq_rect_i& r) {
    int w, h;
    const std::vector<uint32_t> px = read_window(&w, &h);
    auto at = [&](int x, int y) { return px[size_t(y) * size_t(w) + size_t(x)]; };
    const int qx = r.w / 4, qy = r.h / 4;
    EXPECT_EQ(at(r.x + qx, r.y + qy), 0x282828u);
    EXPECT_EQ(at(r.x + 3 * qx, r.y + qy), 0xFF0000u);
    EXPECT_EQ(at(r.x + qx, r.y + 3 * qy), 0x00FF00u);
    EXPECT_EQ(at(r.x + 3 * qx, r.y + 3 * qy), 0x0000FFu);
    if (r.x > 0) {
      EXPECT_EQ(at(r.x - 1, r.y + qy), 0u);
      EXPECT_EQ(at(0, h / 2), 0u);
    }
    if (r.x + r.w < w) {
      EXPECT_EQ(at(r.x + r.w, r.y + qy), 0u);
    }
    if (r.y > 0) {
      EXPECT_EQ(at(r.x + qx, r.y - 1), 0u);
    }
  }
};

}  // namespace

TEST_F(Video, RendererPathPresentsThePalettePatternPixelPerfect) {
  ASSERT_EQ(tarq_set_screen(128, 128, 8, TARQ_SCREEN_USE_SETTING), 0);
  ASSERT_NE(tarq_window.sdl_window, nullptr);
  ASSERT_NE(tarq_window.sdl_renderer, nullptr);
  EXPECT_EQ(tarq_window.tarq_screen_mode, 1);  // not x11: always fullscreen
  // Only the software path asks for a plain window surface.
  EXPECT_EQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), nullptr);
  pattern();
  tarq_blit_back_page();
  const tarq_rect_i r = tarq_get_present_rect();
  int w, h;
  SDL_GetWindowSize(tarq_window.sdl_window, &w, &h);
  EXPECT_TRUE(tarq_get_pixel_perfect());
  EXPECT_EQ(r.w % 128, 0);
  EXPECT_EQ(r.x, (w - r.w) / 2);
  expect_pattern(r);

  // The palette is read at every present.
  tarq_palette* p = tarq_create_palette();
  memcpy(p, tarq_video.tarq_video_palette, sizeof(*p));
  p->rgb[4][0] = 0xFF;
  tarq_set_palette(p);
  tarq_destroy_palette(p);
  tarq_blit_back_page();
  int ww, wh;
  const std::vector<uint32_t> px = read_window(&ww, &wh);
  EXPECT_EQ(px[size_t(r.y + 3 * r.h / 4) * size_t(ww) + size_t(r.x + 3 * r.w / 4)], 0xFF00FFu);
}

TEST_F(Video, SoftwarePathFillsTheWindowSurface) {
  EXPECT_EQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), nullptr);
  cconfig.software_blit = 1;
  ASSERT_EQ(tarq_set_screen(128, 96, 8, 0), 0);
  ASSERT_EQ(tarq_window.sdl_renderer, nullptr);
  // The surface is handed to the window system as it is, with no renderer
  // texture behind it.
  ASSERT_NE(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), nullptr);
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), "0");
  pattern();
  tarq_blit_back_page();
  expect_pattern(tarq_get_present_rect());
}

TEST_F(Video, ThirtyTwoBitPagesAndTheFpsOverlay) {
  cconfig.show_fps = 1;
  cconfig.pixel_perfect = 1;
  ASSERT_EQ(tarq_set_screen(256, 192, 32, 0), 0);
  tarq_rectfill(tarq_window.tarq_back_page, 0, 0, 255, 191, 0xFF336699);
  tarq_blit_back_page();
  int w, h;
  const std::vector<uint32_t> px = read_window(&w, &h);
  const tarq_rect_i r = tarq_get_present_rect();
  EXPECT_EQ(px[size_t(r.y + r.h / 2) * size_t(w) + size_t(r.x + r.w / 2)], 0x336699u);
  // The overlay's box in the top-left corner holds white text on black.
  bool white = false;
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 128; x++) white |= px[size_t(y) * size_t(w) + size_t(x)] == 0xFFFFFFu;
  EXPECT_TRUE(white);
}

TEST_F(Video, SetScreenKeepsOrRemakesTheBackPageButMakesTheWindowOnce) {
  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  tarq_bitmap* page = tarq_window.tarq_back_page;
  SDL_Window* window = tarq_window.sdl_window;
  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  EXPECT_EQ(tarq_window.tarq_back_page, page);
  ASSERT_EQ(tarq_set_screen(128, 128, 32, 0), 0);
  EXPECT_EQ(tarq_window.tarq_back_page->depth, 32);
  EXPECT_EQ(tarq_window.sdl_window, window);  // made once on drivers other than x11
  EXPECT_EQ(tarq_video.tarq_screen->width, 128);
  EXPECT_EQ(tarq_video.tarq_screen->depth, 32);

  tarq_set_window_size(10, 500);  // too small: a default size instead
  ASSERT_EQ(tarq_set_screen(128, 128, 32, TARQ_SCREEN_WINDOWED), 0);
  EXPECT_EQ(cconfig.window_width, 640);
  EXPECT_EQ(cconfig.window_height, 540);

  tarq_bitmap* icon8 = tarq_create_bitmap(4, 4, 8);
  tarq_set_window_icon(icon8);  // only 32-bit icons are taken
  tarq_set_window_icon(nullptr);
  tarq_bitmap* icon = tarq_create_bitmap(4, 4, 32);
  tarq_set_window_icon(icon);
  tarq_destroy_bitmap(icon8);
  tarq_destroy_bitmap(icon);
}

// Only a direct call presents: copies and sprite draws onto the screen record
// change nothing, not even with the whole page at the origin.
TEST_F(Video, OnlyTheDirectCallPresents) {
  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  pattern();
  tarq_blit_back_page();
  tarq_rectfill(tarq_window.tarq_back_page, 0, 0, 127, 127, 4);
  tarq_blit(tarq_window.tarq_back_page, tarq_video.tarq_screen, 0, 0, 0, 0, 128, 128);
  tarq_draw_sprite(tarq_window.tarq_back_page, tarq_video.tarq_screen, 0, 0, 0, 0, 128, 128);
  tarq_stretch_blit(tarq_window.tarq_back_page, tarq_video.tarq_screen, 0, 0, 128, 128, 0);
  tarq_blit(tarq_video.tarq_screen, tarq_window.tarq_back_page, 0, 0, 0, 0, 128, 128);  // nor is anything read from it
  EXPECT_EQ(tarq_window.tarq_back_page->rows[0][0], 4);
  expect_pattern(tarq_get_present_rect());
  tarq_present_bitmap(tarq_window.tarq_back_page, 0);  // presents, without enlarging
  int w, h;
  const std::vector<uint32_t> px = read_window(&w, &h);
  const tarq_rect_i r = tarq_get_present_rect();
  EXPECT_EQ(px[size_t(r.y + 1) * size_t(w) + size_t(r.x + 1)], 0x0000FFu);
}

TEST_F(Video, MouseMapsThroughThePresentRectangle) {
  int32_t x = 7, y = 7, b = 7;
  tarq_get_mouse(&x, &y, &b);  // no back page: zeros
  EXPECT_EQ(x + y + b, 0);
  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  const tarq_rect_i r = tarq_get_present_rect();
  SDL_WarpMouseInWindow(tarq_window.sdl_window, r.x + r.w / 2, r.y + r.h / 4);
  SDL_PumpEvents();
  tarq_get_mouse(&x, &y, &b);
  EXPECT_EQ(x, 64);
  EXPECT_EQ(y, 32);
  EXPECT_EQ(b, 0);
  tarq_set_mouse(3, 4);  // reported until the pointer leaves its place on both axes
  tarq_get_mouse(&x, &y, nullptr);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 4);
  SDL_WarpMouseInWindow(tarq_window.sdl_window, r.x, r.y);
  SDL_PumpEvents();
  tarq_get_mouse(&x, &y, nullptr);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST_F(Video, ThePumpHandlesPushedEvents) {
  cconfig.foreground_sleep_ms = cconfig.background_sleep_ms = 0;
  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = 3;
  SDL_PushEvent(&e);
  e = SDL_Event{};
  e.type = SDL_TEXTINPUT;
  snprintf(e.text.text, sizeof(e.text.text), "k");
  SDL_PushEvent(&e);
  e = SDL_Event{};
  e.type = SDL_DROPFILE;
  e.drop.file = SDL_strdup("/home/someone/cart.kx");
  SDL_PushEvent(&e);
  e = SDL_Event{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(tarq_window.sdl_window);
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
  tarq_request_quit(0);
  tarq_handle_system_messages();
  EXPECT_EQ(tarq_state.wheel_y, 3);
  EXPECT_STREQ(tarq_state.dropped_file, "/home/someone/cart.kx");
  EXPECT_EQ(tarq_quit_requested(), TARQ_QUIT_AFTER_FRAME);  // a window close: the frame is finished first
  ASSERT_TRUE(tarq_keypressed());
  EXPECT_EQ(tarq_readkey(), 'k');
  tarq_request_quit(0);
}

// The pump's sleep follows the window's focus, within 0..200 ms; a wait
// between frames ends as soon as an event is there, and leaves it queued.
TEST_F(Video, PumpSleepAndTheWaitForEvents) {
  cconfig.foreground_sleep_ms = 1;
  cconfig.background_sleep_ms = 10;
  tarq_set_system_active(1);
  EXPECT_EQ(tarq_pump_sleep_ms(), 1);
  tarq_set_system_active(0);
  EXPECT_EQ(tarq_pump_sleep_ms(), 10);  // no window: nothing has the focus
  cconfig.framebuffer = 1;
  EXPECT_EQ(tarq_pump_sleep_ms(), 1);
  cconfig.framebuffer = 0;
  const int32_t clamped[][2] = {{-5, 0}, {0, 0}, {200, 200}, {201, 200}, {100000, 200}};
  for (const auto& c : clamped) {
    cconfig.background_sleep_ms = c[0];
    EXPECT_EQ(tarq_pump_sleep_ms(), c[1]) << c[0];
  }

  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  SDL_Event e{};
  e.type = SDL_USEREVENT;
  e.user.code = 42;
  SDL_PushEvent(&e);
  // With an event waiting the wait ends at once, not after a minute.
  tarq_wait_for_event(60000);
  SDL_Event got{};
  ASSERT_EQ(SDL_PollEvent(&got), 1);
  EXPECT_EQ(got.type, static_cast<uint32_t>(SDL_USEREVENT));
  EXPECT_EQ(got.user.code, 42);
  tarq_wait_for_event(0);   // nothing to wait for
  tarq_wait_for_event(-7);  // nor here
}

TEST_F(Video, LineEntryTypesEditsAndRestoresTheArea) {
  cconfig.foreground_sleep_ms = cconfig.background_sleep_ms = 0;
  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  tarq_rectfill(tarq_window.tarq_back_page, 0, 0, 127, 127, 5);
  const char* typed[] = {"a", "b", "c"};
  for (const char* t : typed) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    snprintf(e.text.text, sizeof(e.text.text), "%s", t);
    SDL_PushEvent(&e);
  }
  SDL_Event back{};
  back.type = SDL_KEYDOWN;
  back.key.keysym.scancode = SDL_SCANCODE_BACKSPACE;
  back.key.keysym.sym = SDLK_BACKSPACE;
  SDL_PushEvent(&back);
  SDL_Event enter = back;
  enter.key.keysym.scancode = SDL_SCANCODE_RETURN;
  enter.key.keysym.sym = SDLK_RETURN;
  SDL_PushEvent(&enter);
  char buffer[3] = "zz";
  EXPECT_EQ(tarq_get_keyboard_string_ex(buffer, 10, 10, tarq_fonts.tarq_font1, 3, 60), 1);
  EXPECT_STREQ(buffer, "a");  // "ab", then 'c' replaced the last, then backspace
  EXPECT_EQ(tarq_window.tarq_back_page->rows[12][12], 5);
  EXPECT_EQ(tarq_get_keyboard_string_ex(nullptr, 0, 0, tarq_fonts.tarq_font1, 3, 60), 0);
  EXPECT_EQ(tarq_get_keyboard_string_ex(buffer, 0, 0, tarq_fonts.tarq_font1, 0, 60), 0);
}

TEST_F(Video, SystemReportAndRendererDescription) {
  FILE* log = tmpfile();
  tarq_state.log_file = log;
  log_system_info();
  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  tarq_state.log_file = nullptr;
  std::string logged(16384, '\0');
  rewind(log);
  logged.resize(fread(logged.data(), 1, logged.size(), log));
  fclose(log);
  for (const char* want :
       {"Built-in video drivers: 0 ", "Current video driver: dummy\n", "Built-in render drivers:\n",
        "  Renderer software:\n", "Displays:\n", "  display_mode 0: 1024 x 768 (", "PresentVSync",
        "SDL_PIXELFORMAT_ARGB8888", "  setting filter to nearest (screen_mode 1  back page width: 128)\n"})
    EXPECT_NE(logged.find(want), std::string::npos) << want << "\n" << logged;
  EXPECT_EQ(tarq_video_driver_offered("dummy"), 1);
  EXPECT_EQ(tarq_video_driver_offered("no-such-driver"), 0);
}

TEST_F(Video, MouseLockParksThePointerAndSumsMotion) {
  ASSERT_EQ(tarq_set_screen(128, 128, 8, 0), 0);
  int w, h;
  SDL_GetWindowSize(tarq_window.sdl_window, &w, &h);
  SDL_WarpMouseInWindow(tarq_window.sdl_window, 100, 200);
  SDL_PumpEvents();
  tarq_lock_mouse_cursor(1);
  EXPECT_EQ(tarq_state.mouse_locked, 1);
  int mx, my;
  SDL_GetMouseState(&mx, &my);
  EXPECT_EQ(mx, w / 2);
  EXPECT_EQ(my, h / 2);
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = w / 2 + 5;
  e.motion.y = h / 2 - 3;
  tarq_handle_event(e, 0);
  EXPECT_EQ(tarq_state.rel_x, 5);
  EXPECT_EQ(tarq_state.rel_y, -3);
  tarq_lock_mouse_cursor(0);
  SDL_GetMouseState(&mx, &my);
  EXPECT_EQ(mx, 105);  // back at the virtual position
  EXPECT_EQ(my, 197);
}

TEST_F(Video, MouseCursorIsACrossHair) {
  ASSERT_NE(tarq_cursor.tarq_mouse_bmp, nullptr);
  EXPECT_EQ(tarq_cursor.tarq_current_mouse_bmp, tarq_cursor.tarq_mouse_bmp);
  const struct {
    int x, y;
    uint32_t c;
  } spots[] = {{16, 8, 0xFFFFFFFF}, {15, 9, 0xFFFFFFFF}, {16, 9, 0xFFA0A0A0}, {9, 16, 0xFFA0A0A0}, {16, 12, 0xFFFFFFFF},
               {15, 12, 0},         {16, 16, 0},         {0, 0, 0},           {24, 17, 0xFFFFFFFF}};
  for (const auto& s : spots) EXPECT_EQ(tarq_getpixel(tarq_cursor.tarq_mouse_bmp, s.x, s.y), s.c) << s.x << "," << s.y;
}
