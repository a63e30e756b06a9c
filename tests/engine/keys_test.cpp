#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"

namespace {

struct Keys : ::testing::Test {
  uint8_t sdl[SDL_NUM_SCANCODES] = {};
  void SetUp() override {
    tarq_config_default();
    cconfig.headless = 0;  // without a back page the fullscreen toggle flips the mode only
    tarq_keys_reset();
    tarq_events_reset();
    tarq_window.tarq_screen_mode = 1;
  }
  void TearDown() override { tarq_config_default(); }
  void frame(int32_t now, uint32_t mods = 0) { tarq_update_key_tables(sdl, SDL_NUM_SCANCODES, mods, now); }
  static SDL_Event key(SDL_Scancode sc, SDL_Keycode sym, uint16_t mod = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
  }
  static SDL_Event text(const char* t) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    snprintf(e.text.text, sizeof(e.text.text), "%s", t);
    return e;
  }
  std::vector<int32_t> drain() {
    std::vector<int32_t> out;
    while (tarq_keypressed()) out.push_back(tarq_readkey());
    return out;
  }
};

}  // namespace

TEST_F(Keys, HeldKeyPressesThenRepeatsAfterTheDelayThenEvery80ms) {
  std::vector<std::pair<int32_t, int32_t>> seen;  // (time, state) for each frame
  sdl[SDL_SCANCODE_A] = 1;
  for (int32_t t = 0; t <= 700; t += 10) {
    frame(t);
    seen.push_back({t, tarq_get_key_state(SDL_SCANCODE_A)});
  }
  std::vector<int32_t> threes;
  for (auto [t, s] : seen) {
    ASSERT_TRUE(s == 1 || s == 3) << t;
    if (s == 3) threes.push_back(t);
  }
  // The press, then the first repeat 500 ms after the frame that first saw
  // the key held over a frame, then every 80 ms.
  EXPECT_EQ(threes, (std::vector<int32_t>{0, 510, 590, 670}));
  sdl[SDL_SCANCODE_A] = 0;
  frame(710);
  EXPECT_EQ(tarq_get_key_state(SDL_SCANCODE_A), 0);
}

TEST_F(Keys, AllHeldKeysRepeatTogetherAndBlockedKeysReadUp) {
  sdl[SDL_SCANCODE_A] = 1;
  frame(0);
  frame(10);
  sdl[SDL_SCANCODE_B] = 1;
  sdl[SDL_SCANCODE_C] = 1;
  frame(300);
  tarq_block_key(SDL_SCANCODE_C);
  frame(310);  // a new press restarts the shared delay
  for (int32_t t = 320; t < 810; t += 10) {
    frame(t);
    EXPECT_EQ(tarq_get_key_state(SDL_SCANCODE_A), 1) << t;
  }
  frame(810);
  EXPECT_EQ(tarq_get_key_state(SDL_SCANCODE_A), 3);
  EXPECT_EQ(tarq_get_key_state(SDL_SCANCODE_B), 3);
  EXPECT_EQ(tarq_get_key_state(SDL_SCANCODE_C), 0);  // blocked while held
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_C), 1);       // but still down
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_D), 0);
  EXPECT_EQ(tarq_key_down(-1), 0);
  EXPECT_EQ(tarq_key_down(TARQ_NUM_KEYS), 0);
  EXPECT_EQ(tarq_get_any_key_down(), SDL_SCANCODE_A);
  sdl[SDL_SCANCODE_C] = 0;
  frame(820);
  EXPECT_EQ(tarq_key_blocked(SDL_SCANCODE_C), 0);  // released: unblocked
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_C), 0);
  tarq_block_key(TARQ_NUM_KEYS);  // out of range: ignored
}

TEST_F(Keys, PseudoKeysAndModifiers) {
  frame(0, KMOD_RCTRL);
  EXPECT_EQ(tarq_get_key_state(TARQ_KEY_CTRL), 3);
  frame(10, KMOD_RCTRL);
  EXPECT_EQ(tarq_get_key_state(TARQ_KEY_CTRL), 1);
  EXPECT_EQ(tarq_get_key_state(TARQ_KEY_ALT), 0);
  frame(20, KMOD_LGUI);
  EXPECT_EQ(tarq_get_key_state(TARQ_KEY_GUI), 3);
  EXPECT_EQ(tarq_get_key_state(TARQ_KEY_CTRL), 3);  // control falls back to the GUI keys
  sdl[SDL_SCANCODE_RSHIFT] = 1;
  frame(30);
  EXPECT_NE(tarq_get_key_state(TARQ_KEY_SHIFT), 0);
  EXPECT_EQ(tarq_get_key_state(512), 0);
  EXPECT_EQ(tarq_get_key_state(-7), 0);
  sdl[SDL_SCANCODE_CAPSLOCK] = 1;
  sdl[SDL_SCANCODE_RSHIFT] = 0;
  frame(40);
  EXPECT_EQ(tarq_get_any_key_down(), 0);  // caps lock does not count
  EXPECT_STREQ(tarq_get_key_name(SDL_SCANCODE_SPACE), "SPACE");
  EXPECT_STREQ(tarq_get_key_name(0), "?");
  EXPECT_STREQ(tarq_get_key_name(9999), "?");
}

TEST_F(Keys, KeyCodesAndTheNoCodePress) {
  tarq_handle_event(key(SDL_SCANCODE_RETURN, SDLK_RETURN), 0);
  tarq_handle_event(key(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), 100);
  tarq_handle_event(key(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), 200);
  tarq_handle_event(key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 300);
  tarq_handle_event(key(SDL_SCANCODE_TAB, SDLK_TAB), 400);
  tarq_handle_event(text("z"), 500);
  tarq_handle_event(text("zz"), 510);  // more than one byte: no code
  tarq_handle_event(key(SDL_SCANCODE_UP, SDLK_UP), 600);
  EXPECT_EQ(drain(), (std::vector<int32_t>{13, 13, 8, 27, 9, 'z'}));
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_UP), 1);

  // A press that made no code still tells the reader something happened.
  sdl[SDL_SCANCODE_F2] = 1;
  frame(700);
  tarq_finish_key_pump(0);
  EXPECT_EQ(drain(), (std::vector<int32_t>{-1}));
  tarq_finish_key_pump(1);
  EXPECT_TRUE(drain().empty());
}

// The pump's closing no-code press: only a key that reads as pressed this
// frame makes it, wherever the key sits in the table.
TEST_F(Keys, NoCodePressOnlyForAKeyReadAsPressed) {
  struct pump_case {
    const char* name;
    int32_t scancode;
    int32_t frames;  // frames seen with the key down, 10 ms apart
    bool block;      // blocked after the last frame
    bool code;       // a -1 is queued
  };
  const pump_case cases[] = {
      {"no key", -1, 1, false, false},
      {"fresh press", SDL_SCANCODE_A, 1, false, true},
      {"held over a frame", SDL_SCANCODE_A, 2, false, false},
      {"held into the repeat", SDL_SCANCODE_A, 52, false, true},
      {"fresh but blocked", SDL_SCANCODE_A, 1, true, false},
      {"last key of the table", TARQ_NUM_KEYS - 1, 1, false, true},
      {"last key, held", TARQ_NUM_KEYS - 1, 2, false, false},
  };
  for (const pump_case& c : cases) {
    SCOPED_TRACE(c.name);
    tarq_keys_reset();
    memset(sdl, 0, sizeof sdl);
    if (c.scancode >= 0) sdl[c.scancode] = 1;
    for (int32_t f = 0; f < c.frames; f++) frame(f * 10);
    if (c.block) tarq_block_key(c.scancode);
    tarq_finish_key_pump(0);
    EXPECT_EQ(drain(), c.code ? std::vector<int32_t>{-1} : std::vector<int32_t>{});
  }
  // Keys past the count SDL reports read up, even if they were down.
  tarq_keys_reset();
  memset(sdl, 0, sizeof sdl);
  sdl[300] = 1;
  frame(0);
  EXPECT_EQ(tarq_key_down(300), 1);
  tarq_update_key_tables(sdl, 300, 0, 10);
  EXPECT_EQ(tarq_key_down(300), 0);
}

// Any entry that is not up, made by any writer of the table and wherever it
// sits in the table, is seen; once all are up again none is.
TEST_F(Keys, AnyKeyEntrySeesEveryWriter) {
  const struct {
    const char* name;
    void (*write)(uint8_t* sdl);
  } writers[] = {
      {"the pump, first key", [](uint8_t* sdl) { sdl[0] = 1; }},
      {"the pump, last key", [](uint8_t* sdl) { sdl[TARQ_NUM_KEYS - 1] = 1; }},
      {"set", [](uint8_t*) { tarq_set_key(200, 3); }},
      {"hold", [](uint8_t*) { tarq_hold_key(TARQ_NUM_KEYS - 1); }},
      {"mark", [](uint8_t*) { tarq_mark_key_down(SDL_SCANCODE_CAPSLOCK); }},
  };
  for (const auto& w : writers) {
    SCOPED_TRACE(w.name);
    tarq_keys_reset();
    memset(sdl, 0, sizeof sdl);
    frame(0);
    EXPECT_FALSE(tarq_any_key_entry());
    w.write(sdl);
    frame(10);  // the table-only writers' entries are put back to the pump's
    w.write(sdl);
    EXPECT_TRUE(tarq_any_key_entry());
    tarq_release_keys();
    EXPECT_FALSE(tarq_any_key_entry());
  }
}

TEST_F(Keys, TabRightAfterFocusAndTabWithAltGiveNoCode) {
  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  tarq_handle_event(focus, 1000);
  EXPECT_EQ(tarq_system_is_active(), 1);
  tarq_handle_event(key(SDL_SCANCODE_TAB, SDLK_TAB), 1030);
  tarq_handle_event(key(SDL_SCANCODE_TAB, SDLK_TAB, KMOD_LALT), 1100);
  EXPECT_TRUE(drain().empty());
  tarq_set_key(SDL_SCANCODE_LALT, 0);
  tarq_handle_event(key(SDL_SCANCODE_TAB, SDLK_TAB), 1200);
  EXPECT_EQ(drain(), (std::vector<int32_t>{9}));
}

TEST_F(Keys, ControlChordsAndDigits) {
  tarq_handle_event(key(SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL), 0);
  tarq_handle_event(key(SDL_SCANCODE_A, 'a', KMOD_LCTRL), 100);
  tarq_handle_event(key(SDL_SCANCODE_B, 'b', KMOD_LCTRL), 120);  // 20 ms later: dropped
  tarq_handle_event(key(SDL_SCANCODE_C, 'c', KMOD_LCTRL), 200);
  tarq_handle_event(key(SDL_SCANCODE_7, '7', KMOD_LCTRL), 300);
  tarq_handle_event(key(SDL_SCANCODE_0, '0', KMOD_LCTRL), 400);
  EXPECT_EQ(drain(), (std::vector<int32_t>{'a', 'c', '7', '0'}));
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_A), 1);
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_7), 1);  // a control-digit marks its own key
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_0), 1);
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_D), 0);
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_J), 0);

  // Right alt (alt-gr) takes the control keys away.
  tarq_handle_event(key(SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT), 500);
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_LCTRL), 0);
}

TEST_F(Keys, QueueHolds32Codes) {
  for (int i = 0; i < 33; i++) tarq_handle_event(text(i == 32 ? "!" : "x"), i * 100);
  const std::vector<int32_t> codes = drain();
  EXPECT_EQ(codes.size(), 32u);
  EXPECT_EQ(codes.back(), 'x');
}

TEST_F(Keys, AltReturnAndF11ToggleOnceUntilReleased) {
  tarq_handle_event(key(SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT), 0);
  tarq_handle_event(key(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT), 100);
  EXPECT_EQ(tarq_window.tarq_screen_mode, 0);
  tarq_handle_event(key(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT), 200);  // held: the system repeats
  EXPECT_EQ(tarq_window.tarq_screen_mode, 0);
  EXPECT_EQ(drain(), (std::vector<int32_t>{13}));         // an ordinary return now
  EXPECT_EQ(tarq_get_key_state(SDL_SCANCODE_RETURN), 0);  // consumed

  sdl[SDL_SCANCODE_LALT] = 1;  // return released, alt still held
  frame(300, KMOD_LALT);
  tarq_handle_event(key(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT), 400);
  EXPECT_EQ(tarq_window.tarq_screen_mode, 1);

  sdl[SDL_SCANCODE_LALT] = 0;
  frame(500);
  tarq_handle_event(key(SDL_SCANCODE_F11, SDLK_F11), 600);
  tarq_handle_event(key(SDL_SCANCODE_F11, SDLK_F11), 700);
  EXPECT_EQ(tarq_window.tarq_screen_mode, 0);
  EXPECT_TRUE(drain().empty());
}

TEST_F(Keys, EmulatedTextInputUsesAUsLayout) {
  ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0);
  cconfig.emulate_textinput = 1;
  cconfig.foreground_sleep_ms = cconfig.background_sleep_ms = 0;
  const SDL_Event events[] = {key(SDL_SCANCODE_0, '0'),
                              key(SDL_SCANCODE_A, 'a', KMOD_LSHIFT),
                              key(SDL_SCANCODE_1, '1', KMOD_LSHIFT),
                              key(SDL_SCANCODE_SLASH, '/', KMOD_LSHIFT),
                              key(SDL_SCANCODE_F3, SDLK_F3),
                              text("q")};  // text events are not used now
  for (SDL_Event e : events) SDL_PushEvent(&e);
  tarq_handle_system_messages();
  EXPECT_EQ(drain(), (std::vector<int32_t>{'0', 'a', '!', '?'}));
  SDL_Quit();
  const struct {
    int sc, shift, c;
  } layout[] = {{SDL_SCANCODE_A, 1, 'a'},          {SDL_SCANCODE_SPACE, 0, ' '},
                {SDL_SCANCODE_1, 1, '!'},          {SDL_SCANCODE_2, 1, '@'},
                {SDL_SCANCODE_0, 1, ')'},          {SDL_SCANCODE_9, 0, '9'},
                {SDL_SCANCODE_APOSTROPHE, 1, '"'}, {SDL_SCANCODE_GRAVE, 1, '~'},
                {SDL_SCANCODE_SEMICOLON, 0, ';'},  {SDL_SCANCODE_F1, 0, 0}};
  for (const auto& l : layout) EXPECT_EQ(tarq_us_layout_char(l.sc, l.shift), l.c) << l.sc;
}

TEST_F(Keys, WheelDropCloseAndQuickClick) {
  tarq_state = tarq_engine_state{};
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.x = 1;
  e.wheel.y = -2;
  tarq_handle_event(e, 0);
  tarq_handle_event(e, 0);
  EXPECT_EQ(tarq_state.wheel_y, -4);
  EXPECT_EQ(tarq_state.last_wheel_x, 2);

  char path[] = "/tmp/some cart.kx.png";
  e = SDL_Event{};
  e.type = SDL_DROPFILE;
  e.drop.file = path;
  tarq_state.new_drop = 1;
  tarq_handle_event(e, 0);
  EXPECT_STREQ(tarq_state.dropped_file, path);
  EXPECT_EQ(tarq_state.new_drop, 0);
  std::string too_long(TARQ_PATH_MAX + 10, 'a');
  e.drop.file = too_long.data();
  tarq_handle_event(e, 0);
  EXPECT_STREQ(tarq_state.dropped_file, path);  // refused, not cut short

  tarq_mouse_begin_pump();
  e = SDL_Event{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = 3;
  tarq_handle_event(e, 40);
  e.type = SDL_MOUSEBUTTONUP;
  tarq_handle_event(e, 50);
  EXPECT_EQ(tarq_state.quick_click_button, 3);
  EXPECT_EQ(tarq_state.quick_click_time, 50);

  tarq_request_quit(0);
  e = SDL_Event{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  tarq_handle_event(e, 60);
  EXPECT_EQ(tarq_quit_requested(), TARQ_QUIT_AFTER_FRAME);
  tarq_request_quit(0);
}

// The quit keys and the system's quit event ask the main loop to end at once;
// the process goes on (the loop shuts the engine down), and ctrl-q types
// nothing. A plain q or F4 without alt is only a key.
TEST_F(Keys, QuitKeysAndTheQuitEventAskTheLoopToEndAtOnce) {
  SDL_Event quit_event{};
  quit_event.type = SDL_QUIT;
  struct quit_case {
    const char* name;
    std::vector<SDL_Event> events;
    int32_t quit;
    bool typed;  // a code reaches the queue
  };
  const quit_case cases[] = {
      {"ctrl-q",
       {key(SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL), key(SDL_SCANCODE_Q, 'q', KMOD_LCTRL)},
       TARQ_QUIT_AT_ONCE,
       false},
      {"alt-F4", {key(SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT)}, TARQ_QUIT_AT_ONCE, false},
      {"the system's quit", {quit_event}, TARQ_QUIT_AT_ONCE, false},
      {"q", {key(SDL_SCANCODE_Q, 'q'), text("q")}, 0, true},
      {"F4", {key(SDL_SCANCODE_F4, SDLK_F4)}, 0, false},
  };
  for (const quit_case& c : cases) {
    SCOPED_TRACE(c.name);
    tarq_keys_init();
    tarq_events_reset();
    tarq_request_quit(0);
    for (const SDL_Event& e : c.events) tarq_handle_event(e, 100);
    EXPECT_EQ(tarq_quit_requested(), c.quit);
    EXPECT_EQ(!drain().empty(), c.typed);
  }
  tarq_request_quit(0);
}

// Waiting for a typed code ends with none when a quit is asked for, instead
// of pumping for ever.
TEST_F(Keys, ReadkeyGivesUpWhenTheLoopIsToEnd) {
  tarq_request_quit(TARQ_QUIT_AFTER_FRAME);
  EXPECT_EQ(tarq_readkey(), 0);
  tarq_push_key_code('z');
  EXPECT_EQ(tarq_readkey(), 'z');  // a code already typed is still given
  tarq_request_quit(0);
}

// The calls through which code outside the key module moves the tables and
// the queue read back through the readers, as the pump's own steps do.
TEST_F(Keys, WritersOfTheTablesReadBackAsThePumpWould) {
  struct step {
    const char* name;
    void (*act)();
    int32_t state, down, blocked, queued;  // of scancode A afterwards; codes queued
  };
  constexpr int32_t A = SDL_SCANCODE_A;
  const step steps[] = {
      {"set pressed", [] { tarq_set_key(A, 3); }, 3, 1, 0, 0},
      {"set down, up the frame before", [] { tarq_set_key(A, 1); }, 3, 1, 0, 0},
      {"held since the frame before", [] { tarq_hold_key(A); }, 1, 1, 0, 0},
      {"marking a held key keeps it held", [] { tarq_mark_key_down(A); }, 1, 1, 0, 0},
      {"blocked: reads up, still down", [] { tarq_block_key(A); }, 0, 1, 1, 0},
      {"a down key stays blocked", [] { tarq_unblock_released_keys(); }, 0, 1, 1, 0},
      {"released", [] { tarq_release_keys(); }, 0, 0, 1, 0},
      {"a released key is unblocked", [] { tarq_unblock_released_keys(); }, 0, 0, 0, 0},
      {"marked down again", [] { tarq_mark_key_down(A); }, 1, 1, 0, 0},
      {"two codes queued", [] { tarq_push_key_code('x'), tarq_push_key_code('y'); }, 1, 1, 0, 1},
      {"queue emptied, keys kept", [] { tarq_clear_key_queue(); }, 1, 1, 0, 0},
      {"outside the table: ignored", [] { tarq_set_key(-1, 3), tarq_set_key(TARQ_NUM_KEYS, 3); }, 1, 1, 0, 0},
      {"init clears tables and queue", [] { tarq_push_key_code('z'), tarq_keys_init(); }, 0, 0, 0, 0},
  };
  for (const step& s : steps) {
    SCOPED_TRACE(s.name);
    s.act();
    EXPECT_EQ(tarq_get_key_state(A), s.state);
    EXPECT_EQ(tarq_key_down(A), s.down);
    EXPECT_EQ(tarq_key_blocked(A), s.blocked);
    EXPECT_EQ(tarq_keypressed(), s.queued);
  }
  EXPECT_EQ(tarq_key_blocked(-1), 0);
  EXPECT_EQ(tarq_key_blocked(TARQ_NUM_KEYS), 0);
}

// The resets put the repeat clock and the pump's clocks back to where they
// are at program start, whatever an earlier run left.
TEST_F(Keys, ResetsForgetTheClocks) {
  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  tarq_handle_event(focus, 5000);
  sdl[SDL_SCANCODE_A] = 1;
  frame(5000);  // the next repeat is due at 5500
  tarq_events_reset();
  tarq_keys_reset();
  EXPECT_EQ(tarq_system_is_active(), 0);
  EXPECT_EQ(tarq_key_down(SDL_SCANCODE_A), 0);
  tarq_hold_key(SDL_SCANCODE_A);
  frame(10);  // the clock at 0: a repeat is due, the held key reads pressed
  EXPECT_EQ(tarq_get_key_state(SDL_SCANCODE_A), 3);
  tarq_handle_event(key(SDL_SCANCODE_TAB, SDLK_TAB), 4990);  // no activation just before
  EXPECT_EQ(drain(), (std::vector<int32_t>{9}));
}
