// The boot text program.
#include "player/bios_program.h"

#include <cstdio>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "engine/data/text.h"
#include "engine/io/path.h"
#include "player/shell_state.h"

tovo_bios_program bios_program;

namespace {

constexpr int32_t START_COLOUR = 6;
constexpr int32_t FOLDER_COLOUR = 12;
constexpr int32_t NARROW_WIDTH = 4, GLYPH_WIDTH = 8;
constexpr int32_t GLYPHS_FROM = 128;

bool hex_digit(int32_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

void new_line() {
  pstate().cursor_x = 0;
  cursor_cr();
}

void type_character(uint8_t c) {
  char text[2] = {(char)c, 0};
  if (pstate().draw_target && tovo_console_font())
    tarq_draw_text_ex(pstate().draw_target, text, tovo_console_font(), pstate().cursor_x, pstate().cursor_y,
                      TARQ_TEXT_ONE_COLOUR, (uint32_t)bios_program.colour);
  pstate().cursor_x += c >= GLYPHS_FROM ? GLYPH_WIDTH : NARROW_WIDTH;
}

void finish() {
  bios_program.text = nullptr;
  shell.mode = TOVO_MODE_STOPPED;
  if (!shell.current_folder[0]) return;
  if (pstate().cursor_x > 0) new_line();
  char line[TARQ_PATH_MAX + 16];
  snprintf(line, sizeof line, "directory: /%s", shell.current_folder);
  tovo_print_col(line, FOLDER_COLOUR);
}

}  // namespace

void start_bios_program(const char* text) {
  bios_program = {};
  bios_program.text = text;
  bios_program.colour = START_COLOUR;
}

int32_t boot_read_hex(int32_t code) {
  if (code >= '0' && code <= '9') return code - '0';
  if (code >= 'a' && code <= 'f') return code - 'a' + 10;
  return 0;
}

int32_t update_bios_program() {
  tovo_bios_program& p = bios_program;
  if (!p.text) return 0;
  if (p.wait > 0) {
    p.wait--;
    return 1;
  }
  for (;;) {
    const uint8_t* at = reinterpret_cast<const uint8_t*>(p.text) + p.pos;
    if (at[0] == 0) {
      finish();
      return 0;
    }
    if (at[0] == 'C' && hex_digit(at[1])) {  // a colour: the step goes on
      p.colour = boot_read_hex(at[1]);
      p.pos += 2;
      continue;
    }
    if (at[0] == 'D' && hex_digit(at[1])) {
      p.wait = boot_read_hex(at[1]);
      p.pos += 2;
      return 1;
    }
    p.pos++;
    if (at[0] == '\n') new_line();
    else type_character(at[0]);
    return 1;
  }
}
