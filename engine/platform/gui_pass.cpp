// The per-frame GUI pass: hit test, then enter, leave, hover, press, hold,
// release, click, double and triple click, wheel and drop messages.
#include <cstdint>

#include "engine/data/pod.h"
#include "engine/platform/audio_plat.h"
#include "engine/platform/events.h"
#include "engine/platform/gui.h"
#include "engine/platform/gui_state.h"
#include "engine/tarq.h"

namespace {

constexpr uint32_t CLICK_MS = 400;
constexpr uint32_t QUICK_CLICK_MS = 500;
constexpr int64_t CLICK_RADIUS_SQ = 400;

struct audio_lock_guard {
  audio_lock_guard() { tarq_lock_audio_plat(); }
  ~audio_lock_guard() { tarq_unlock_audio_plat(); }
  audio_lock_guard(const audio_lock_guard&) = delete;
  audio_lock_guard& operator=(const audio_lock_guard&) = delete;
};

bool within(int32_t now, int32_t then, uint32_t ms) {
  return static_cast<uint32_t>(now) - static_cast<uint32_t>(then) < ms;
}

int64_t dist_sq(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int64_t dx = static_cast<int64_t>(x0) - x1, dy = static_cast<int64_t>(y0) - y1;
  return dx * dx + dy * dy;
}

bool contains(const tarq_gui_element* e, int32_t mx, int32_t my) {
  return static_cast<int64_t>(mx) >= e->x && static_cast<int64_t>(mx) < static_cast<int64_t>(e->x) + e->width &&
         static_cast<int64_t>(my) >= e->y && static_cast<int64_t>(my) < static_cast<int64_t>(e->y) + e->height;
}

// Double clicks count within a sixty-fourth of the reference width; an
// element without user data takes its own width.
int64_t double_click_radius_sq(const tarq_gui_element* e) {
  const int64_t ref = e->user ? *static_cast<const int32_t*>(e->user) : e->width;
  const int64_t r = ref / 64;
  return r * r;
}

struct pass_input {
  int32_t mx, my, buttons, now;
};

void press(tarq_gui_element* e, const pass_input& in) {
  tarq_gui_clicks& c = tarq_gui_data.tarq_gui_click;
  e->flags |= TARQ_GUI_PRESSED;
  tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_PRESS);
  const int64_t d = dist_sq(in.mx, in.my, c.first_x, c.first_y);
  const int64_t r = double_click_radius_sq(e);
  if (within(in.now, c.double_t, CLICK_MS) && d < r) tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_TRIPLE_CLICK);
  if (within(in.now, c.first_t, CLICK_MS) && d < r) {
    tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_DOUBLE_CLICK);
    c.double_t = in.now;
  }
  c.first_x = in.mx;
  c.first_y = in.my;
  c.first_t = in.now;
}

// A completed click (12) with the given button, then the second-click test.
void click(tarq_gui_element* e, const pass_input& in, int32_t button) {
  tarq_gui_clicks& c = tarq_gui_data.tarq_gui_click;
  tarq_gui_send(e, in.mx, in.my, button, TARQ_GUI_CLICK);
  if (within(in.now, c.second_t, CLICK_MS) && dist_sq(in.mx, in.my, c.second_x, c.second_y) < CLICK_RADIUS_SQ)
    tarq_gui_send(e, in.mx, in.my, button, TARQ_GUI_DOUBLE_CLICK_RELEASE);
  c.second_x = in.mx;
  c.second_y = in.my;
  c.second_t = in.now;
}

void release(tarq_gui_element* e, const pass_input& in) {
  const tarq_gui_clicks& c = tarq_gui_data.tarq_gui_click;
  e->flags &= ~TARQ_GUI_PRESSED;
  tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_RELEASE);
  if (dist_sq(in.mx, in.my, c.first_x, c.first_y) < CLICK_RADIUS_SQ && within(in.now, c.first_t, CLICK_MS))
    click(e, in, c.lmb);
}

void visit_winner(tarq_gui_element* e, const pass_input& in) {
  if (in.buttons && !(e->flags & TARQ_GUI_PRESSED) && tarq_gui_data.tarq_gui_click.lmb == 0) press(e, in);
  if (!in.buttons && !(e->flags & TARQ_GUI_PRESSED)) tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_HOVER);
  if (!(e->flags & TARQ_GUI_OVER)) {
    e->flags |= TARQ_GUI_OVER;
    tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_ENTER);
  }
  if (tarq_state.wheel_x || tarq_state.wheel_y) {
    const int32_t wx = tarq_state.wheel_x, wy = tarq_state.wheel_y;
    tarq_state.wheel_x = tarq_state.wheel_y = 0;
    tarq_gui_send(e, wx, wy, in.buttons, TARQ_GUI_WHEEL);
  }
}

void visit_other(tarq_gui_element* e, const pass_input& in) {
  if (e->flags & TARQ_GUI_OVER) {
    e->flags &= ~TARQ_GUI_OVER;
    tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_LEAVE);
  }
  e->flags &= ~TARQ_GUI_ELEVATED;
}

void settle(tarq_gui_element* e, bool under, const pass_input& in) {
  const bool quick = tarq_state.quick_click_button != 0;
  if ((e->flags & TARQ_GUI_PRESSED) && !in.buttons) {
    release(e, in);
  } else if (e->flags & TARQ_GUI_PRESSED) {
    if (under && quick) release(e, in);
    tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_HOLD);
  } else if (under && quick && within(in.now, tarq_state.quick_click_time, QUICK_CLICK_MS)) {
    click(e, in, tarq_state.quick_click_button);
  }
  if (under && tarq_gui_data.tarq_gui_click.lmb_drop && !in.buttons)
    tarq_gui_send(e, in.mx, in.my, in.buttons, TARQ_GUI_DROP);
}

}  // namespace

void tarq_gui_pass(int32_t mx, int32_t my, int32_t buttons, int32_t now) {
  if (!tarq_gui_data.tarq_gui || tarq_gui_data.tarq_gui->count == 0) return;
  const pass_input in{mx, my, buttons, now};
  audio_lock_guard lock;

  int32_t slots[TARQ_GUI_SLOTS];
  const int32_t n = tarq_gui_live_slots(slots);
  int32_t winner = -1;
  for (int32_t i = 0; i < n; i++) {
    const tarq_gui_element* e = tarq_get_gui_element(slots[i]);
    if (!contains(e, mx, my)) continue;
    if (winner < 0 || !(tarq_get_gui_element(winner)->flags & TARQ_GUI_ELEVATED)) winner = slots[i];
  }

  // Handlers may delete elements or clear the pod: look every slot up again.
  for (int32_t i = n - 1; i >= 0; i--) {
    tarq_gui_element* e = tarq_get_gui_element(slots[i]);
    if (!e) continue;
    if (slots[i] == winner) visit_winner(e, in);
    else visit_other(e, in);
  }
  for (int32_t i = 0; i < n; i++) {
    tarq_gui_element* e = tarq_get_gui_element(slots[i]);
    if (e) settle(e, slots[i] == winner, in);
  }

  tarq_gui_data.tarq_gui_click.lmb = buttons;
  tarq_gui_data.tarq_gui_click.lmb_drop = buttons;
  tarq_state.quick_click_button = 0;
  tarq_state.quick_click_time = 0;
}

int tarq_process_gui() {
  if (!tarq_gui_data.tarq_gui || tarq_gui_data.tarq_gui->count == 0) return 0;
  int32_t mx, my, buttons;
  tarq_get_mouse(&mx, &my, &buttons);
  tarq_gui_pass(mx, my, buttons, tarq_get_time());
  return 0;
}
