#pragma once
// The message bar: one line at the bottom of the window that slides in,
// stays and slides out; and a hover text shown when no message is up.
#include <cstdint>

struct tarq_bitmap;

constexpr int TOVO_MESSAGE_SIZE = 256;  // up to 255 characters
constexpr int32_t TOVO_MESSAGE_EXTRA_MS = 400;
constexpr int32_t TOVO_MESSAGE_SLIDE_MS = 200;

struct tovo_message_bar {
  char text[TOVO_MESSAGE_SIZE];
  int32_t start, end;  // engine ms; no message shows at or after end
  int32_t colour;
  char hover[TOVO_MESSAGE_SIZE];  // cleared at every draw
};

extern tovo_message_bar message_bar;

// text for ms milliseconds (the bar stays 400 ms longer); colour 15.
void show_message(const char* text, int32_t ms);
// The same with the text formatted from two integers.
void show_message_2(const char* format, int32_t ms, int32_t a, int32_t b);
// The bar's vertical slide at time now: moving down during its first and
// last 200 ms, else 0.
int32_t tovo_message_offset(int32_t now);
// Draws the message bar (or the hover text) on the back page, then clears the
// hover text.
void draw_message_bar(tarq_bitmap* page, int32_t now);
