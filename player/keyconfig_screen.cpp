#include "player/keyconfig_screen.h"

#include <SDL_scancode.h>

#include <cstdio>
#include <cstring>

#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/text.h"
#include "engine/platform/events.h"

tovo_keyconfig_state keyconfig;

namespace {

constexpr int32_t ESCAPE = 27;
constexpr int32_t CURSOR_ROW_AFTER = 120;
constexpr int32_t PICTURE_DONE = 168, PICTURE_FIRST = 169, PICTURE_PAUSE = 175;

// Row labels, padded to 11 characters; 142 and 151 are the O and X glyphs.
const char* const BUTTON_NAME[TOVO_BUTTON_KEYS] = {
    "p1 left    ", "p1 right   ", "p1 up      ", "p1 down    ",   "p1 \x8e      ", "p1 \x97      ", "p2 left    ",
    "p2 right   ", "p2 up      ", "p2 down    ", "p2 \x8e      ", "p2 \x97      ", "pause      "};
const char* const DEFAULT_KEY_NAME[TOVO_BUTTON_KEYS] = {"left", "right", "up", "down", "z / c / n", "x / v / m", "s",
                                                        "f",    "e",     "d",  "tab",  "q",         "p / enter"};

// The live button table follows the configured keys.
void apply_keys() {
  for (int32_t i = 0; i < TOVO_BUTTON_KEYS; i++) button_config().keys[i + 1] = app.button_keys[i];
}

void restore_backup() {
  memcpy(app.button_keys, keyconfig.backup, sizeof app.button_keys);
  apply_keys();
}

void leave_sub_mode() { shell.sub_mode = 0; }

bool key_down(int32_t scancode) { return scancode != SDL_SCANCODE_CAPSLOCK && tarq_key_down(scancode); }

void text_at(tarq_bitmap* b, const char* text, int32_t x, int32_t y, int32_t colour) {
  if (shell.font) tarq_draw_text_ex(b, text, shell.font, x, y, TARQ_TEXT_ONE_COLOUR, (uint32_t)colour);
}

}  // namespace

void keyconfig_init() {
  memcpy(keyconfig.backup, app.button_keys, sizeof keyconfig.backup);
  keyconfig.key_index = 0;
  keyconfig.ready = 0;
}

void keyconfig_open() {
  keyconfig_init();
  shell.sub_mode = 1;
  block_buttons();
  keyconfig_draw(pstate().screens[0]);
}

void keyconfig_update() {
  if (!keyconfig.ready) {
    keyconfig.ready = keyconfig.key_index < TOVO_KEYCONFIG_DONE;
    for (int32_t k = 0; k < TARQ_NUM_KEYS && keyconfig.ready; k++)
      if (key_down(k)) keyconfig.ready = 0;
    return;
  }
  for (int32_t k = 0; k < TARQ_NUM_KEYS && keyconfig.key_index < TOVO_KEYCONFIG_DONE; k++) {
    if (!key_down(k)) continue;
    bool to_default = k == SDL_SCANCODE_DELETE || k == SDL_SCANCODE_BACKSPACE;
    app.button_keys[keyconfig.key_index++] = to_default ? 0 : k;
    keyconfig.ready = 0;
  }
  apply_keys();
  if (keyconfig.key_index >= TOVO_KEYCONFIG_DONE) tarq_clear_key_queue();
}

void keyconfig_keypress(int32_t code) {
  bool done = keyconfig.key_index >= TOVO_KEYCONFIG_DONE;
  if (code == ESCAPE && !done) {
    restore_backup();
    if (pstate().screens[0]) keyconfig_draw(pstate().screens[0]);
    leave_sub_mode();
  } else if (done) {
    leave_sub_mode();
    pstate().cursor_y = CURSOR_ROW_AFTER;
  }
}

void keyconfig_close() {
  if (keyconfig.key_index < TOVO_KEYCONFIG_DONE) restore_backup();
}

void keyconfig_draw(tarq_bitmap* b) {
  if (!b) return;
  const int32_t index = keyconfig.key_index;
  const bool done = index >= TOVO_KEYCONFIG_DONE;
  tarq_rectfill(b, 0, 0, 127, 127, 1);
  tarq_rectfill(b, 4, 41, 123, 124, 6);
  tarq_rectfill(b, 0, 0, 127, 6, 7);
  text_at(b, "player key config", 6, 1, 12);
  int32_t item = done ? PICTURE_DONE : index == TOVO_BUTTON_KEYS - 1 ? PICTURE_PAUSE : PICTURE_FIRST + index % 6;
  tarq_bitmap* picture =
      shell.resources ? (tarq_bitmap*)cpod_get_item(shell.resources, item, TARQ_ITEM_BITMAP) : nullptr;
  if (picture) tarq_draw_sprite(picture, b, 0, 0, 6, 8, picture->width, picture->height);
  if (!done) {
    text_at(b, "press key for:", 60, 12, 6);
    text_at(b, BUTTON_NAME[index], 60, 19, 7);
    text_at(b, "del for default", 60, 26, 13);
    text_at(b, "esc to cancel", 60, 33, 13);
  } else {
    text_at(b, "saved config.", 60, 12, 11);
    text_at(b, "press escape", 60, 22, 12);
    text_at(b, "to continue", 60, 29, 12);
  }
  for (int32_t i = 0; i < TOVO_BUTTON_KEYS; i++) {
    int32_t y = 44 + 6 * i;
    int32_t key = app.button_keys[i];
    char row[64];
    if (key == 0) {
      snprintf(row, sizeof row, "%s : %s", BUTTON_NAME[i], DEFAULT_KEY_NAME[i]);
    } else {
      int32_t scancode = key < 0 ? 0 : key > 255 ? 255 : key;
      snprintf(row, sizeof row, "%s : %s", BUTTON_NAME[i], tarq_get_key_name(scancode));
    }
    for (char* p = row; *p; p++)
      if (*p >= 'A' && *p <= 'Z') *p = (char)(*p - 'A' + 'a');
    bool asked = i == index;
    if (asked) tarq_rectfill(b, 7, y - 1, 120, y + 5, 14);
    text_at(b, row, 10, y, asked ? 1 : 5);
  }
}
