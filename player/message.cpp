#include "player/message.h"

#include <cstdio>
#include <cstring>

#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/text.h"
#include "player/shell_state.h"

tovo_message_bar message_bar;

namespace {

constexpr int32_t BAR_COLOUR = 8;
constexpr int32_t HOVER_COLOUR = 2;
constexpr int32_t MOUSE_PICTURE = 226;
constexpr int32_t KEYBOARD_PICTURE = 227;

void text_at(tarq_bitmap* page, const char* text, int32_t x, int32_t y, int32_t colour) {
  if (shell.font) tarq_draw_text_ex(page, text, shell.font, x, y, TARQ_TEXT_ONE_COLOUR, (uint32_t)colour);
}

void picture_at(tarq_bitmap* page, int32_t item, int32_t x, int32_t y) {
  tarq_bitmap* b = shell.resources ? (tarq_bitmap*)cpod_get_item(shell.resources, item, TARQ_ITEM_BITMAP) : nullptr;
  if (b) tarq_draw_sprite(b, page, 0, 0, x, y, b->width, b->height);
}

// The framed bars of the devkit notices, with their mouse or keyboard picture.
void draw_devkit_bar(tarq_bitmap* page, int32_t o, bool mouse) {
  tarq_rect(page, 0, 119 + o, 101, 127 + o, 0);
  tarq_rectfill(page, 1, 120 + o, mouse ? 100 : 127, 126 + o, 6);
  text_at(page, message_bar.text, mouse ? 19 : 3, 122 + o, 1);
  if (mouse) picture_at(page, MOUSE_PICTURE, 2, 112 + o);
  else picture_at(page, KEYBOARD_PICTURE, 109, 112 + o);
}

}  // namespace

void show_message(const char* text, int32_t ms) {
  int32_t now = tovo_clock();
  size_t n = text ? strnlen(text, TOVO_MESSAGE_SIZE - 1) : 0;
  if (n) memcpy(message_bar.text, text, n);
  message_bar.text[n] = 0;
  message_bar.start = now;
  message_bar.end = now + ms + TOVO_MESSAGE_EXTRA_MS;
  message_bar.colour = 15;
}

void show_message_2(const char* format, int32_t ms, int32_t a, int32_t b) {
  char text[260];
  snprintf(text, sizeof text, format, a, b);
  show_message(text, ms);
}

int32_t tovo_message_offset(int32_t now) {
  if (message_bar.start == 0) return 0;
  if (now > message_bar.end - TOVO_MESSAGE_SLIDE_MS) return (now - message_bar.end + TOVO_MESSAGE_SLIDE_MS) / 20;
  if (now < message_bar.start + TOVO_MESSAGE_SLIDE_MS) return (message_bar.start - now + TOVO_MESSAGE_SLIDE_MS) / 20;
  return 0;
}

void draw_message_bar(tarq_bitmap* page, int32_t now) {
  if (page && now < message_bar.end) {
    int32_t o = tovo_message_offset(now);
    if (strcmp(message_bar.text, "devkit mouse enabled") == 0) {
      draw_devkit_bar(page, o, true);
    } else if (strcmp(message_bar.text, "devkit keyboard enabled") == 0) {
      draw_devkit_bar(page, o, false);
    } else {
      tarq_rectfill(page, 0, 121 + o, 128, 127 + o, BAR_COLOUR);
      text_at(page, message_bar.text, 1, 122 + o, message_bar.colour);
    }
  } else if (page && message_bar.hover[0]) {
    tarq_rectfill(page, 0, 121, 128, 127, BAR_COLOUR);
    text_at(page, message_bar.hover, 1, 122, HOVER_COLOUR);
  }
  message_bar.hover[0] = 0;
}
