// The controls picture of the options page: the keyboard bindings of both
// keyboard players as four rows of key names, and a lamp per button that
// lights while the button is held.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "console/draw/gfx_shapes.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/text.h"
#include "engine/platform/events.h"
#include "engine/platform/joystick.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t PICTURE = 246;
constexpr int32_t LAMP_OFF = 247, LAMP_LIT = 248;
constexpr int32_t MOUSE_POINTER = 89;
constexpr int32_t DEFAULT_SIDE = 100;  // when the pod has no picture
constexpr int32_t ROW_Y[4] = {34, 44, 61, 72};
const char* const ROW_DEFAULT[4] = {"cursors", "z x/c v", "s f e d", "tab q w"};
constexpr int32_t ROW_FIRST[4] = {1, 5, 7, 11};  // entries of button_config().keys
constexpr int32_t ROW_KEYS[4] = {4, 2, 4, 2};
constexpr int32_t LAMP_GLYPHS = 6;
constexpr uint8_t LAMP_GLYPH[LAMP_GLYPHS] = {'l' + 31, 'r' + 31, 'u' + 31, 'd' + 31, 142, 151};
constexpr int32_t LAMP_LAST = 6;  // the pause button; buttons above draw nothing

tarq_bitmap* resource(int32_t item) {
  return shell.resources ? (tarq_bitmap*)cpod_get_item(shell.resources, item, TARQ_ITEM_BITMAP) : nullptr;
}

void text_at(tarq_bitmap* page, const char* text, int32_t x, int32_t y, int32_t colour) {
  if (shell.font) tarq_draw_text_ex(page, text, shell.font, x, y, TARQ_TEXT_ONE_COLOUR, (uint32_t)colour);
}

bool row_is_custom(int32_t row) {
  const int32_t* k = &button_config().keys[ROW_FIRST[row]];
  if (row == 0) {
    bool arrows = k[0] == 80 && k[1] == 79 && k[2] == 82 && k[3] == 81;
    bool none = k[0] == 0 && k[1] == 0 && k[2] == 0 && k[3] == 0;
    return !arrows && !none;
  }
  for (int32_t i = 0; i < ROW_KEYS[row]; i++)
    if (k[i] != 0) return true;
  return false;
}

}  // namespace

void draw_controls_button(tarq_bitmap* page, int32_t b, int32_t p, int32_t x, int32_t y) {
  if (!page || b < 0 || b > LAMP_LAST || p < 0 || p >= TOVO_PLAYERS) return;
  bool lit = player_key(b, p) != 0 || player_button(b, p) > 128;
  tarq_bitmap* lamp = resource(lit ? LAMP_LIT : LAMP_OFF);
  if (lamp) tarq_draw_sprite(lamp, page, 0, 0, x, y, lamp->width, lamp->height);
  if (b >= LAMP_GLYPHS) return;  // the pause button's lamp carries no glyph
  char glyph[2] = {(char)LAMP_GLYPH[b], 0};
  text_at(page, glyph, x, y + (lit ? 1 : 0), 7);
}

void tovo_controls_row_text(int32_t row, char* out, int32_t size) {
  if (size < 1) return;
  if (row < 0 || row > 3 || !row_is_custom(row)) {
    snprintf(out, (size_t)size, "%s", row >= 0 && row <= 3 ? ROW_DEFAULT[row] : "");
    return;
  }
  char text[8] = "       ";
  for (int32_t i = 0; i < ROW_KEYS[row]; i++) {
    int32_t code = button_config().keys[ROW_FIRST[row] + i];
    if (code == 0) continue;
    code = code < 0 ? 0 : code > 255 ? 255 : code;
    const char* name = tarq_get_key_name(code);
    text[i * 2] = name && strlen(name) == 1 ? (char)tolower((unsigned char)name[0]) : (char)16;
  }
  snprintf(out, (size_t)size, "%s", text);
}

void draw_paused_controls_menu(tarq_bitmap* page) {
  if (!page) return;
  tarq_bitmap* picture = resource(PICTURE);
  int32_t w = picture ? picture->width : DEFAULT_SIDE, h = picture ? picture->height : DEFAULT_SIDE;
  int32_t x0 = 63 - w / 2 < 0 ? 0 : 63 - w / 2, y0 = 63 - h / 2 < 0 ? 0 : 63 - h / 2;
  int32_t x1 = w / 2 + 64 > 127 ? 127 : w / 2 + 64, y1 = h / 2 + 64 > 127 ? 127 : h / 2 + 64;
  draw_tinted_rect_adaptive(page, x0, y0, x1, y1, 1);
  tarq_rect(page, 64 - w / 2, 64 - h / 2, w / 2 + 63, h / 2 + 63, 7);
  if (picture) tarq_draw_sprite(picture, page, 0, 0, 64 - w / 2, 64 - h / 2, w, h);
  for (int32_t row = 0; row < 4; row++) {
    char text[16];
    tovo_controls_row_text(row, text, sizeof text);
    text_at(page, text, 90 - 2 * (int32_t)strlen(text), ROW_Y[row], 13);
  }
  for (int32_t p = 0; p < 2; p++) {
    int32_t dy = 27 * p;
    for (int32_t j = 0; j < 4; j++) draw_controls_button(page, j, p, 82 - w / 2 + 8 * j, 78 - h / 2 + dy);
    draw_controls_button(page, 4, p, 82 - w / 2, 89 - h / 2 + dy);
    draw_controls_button(page, 5, p, 90 - w / 2, 89 - h / 2 + dy);
  }
  char joysticks[32];
  snprintf(joysticks, sizeof joysticks, "%d joysticks detected", tarq_count_joysticks());
  text_at(page, joysticks, 69 - w / 2, 144 - h / 2, 13);
  if (tarq_bitmap* pointer = resource(MOUSE_POINTER)) {
    int32_t mx, my, mb;
    tarq_get_mouse(&mx, &my, &mb);
    tarq_draw_sprite(pointer, page, 0, 0, mx - pointer->width / 2, my - pointer->height / 2, pointer->width,
                     pointer->height);
  }
}
