#pragma once
// A machine ready to print with the synthetic font as the console font, and
// an interpreter with print and cursor registered beside the drawing
// functions. No program runs unless a test says so.
#include <string>

#include "console/bindings/api_bindings.h"
#include "console/draw/gfx_state.h"
#include "console/machine/machine_record.h"
#include "console/print/console_print.h"
#include "console/print/font.h"
#include "console/print/print.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/pod.h"
#include "script/vm/cpu.h"
#include "tests/console/gfx_fixture.h"
#include "tests/support/fake_shell.h"
#include "tests/support/synthetic_font.h"

class PrintTest : public ScriptDrawTest {
 protected:
  tarq_pod* font = nullptr;
  tarq_pod* saved_font = nullptr;

  void SetUp() override {
    ScriptDrawTest::SetUp();
    font = make_synthetic_font_pod();
    saved_font = tovo_console_font();
    tovo_set_console_font(font);
    init_print_context();
    install_fake_shell();  // a waiting print ends the frame, which asks the pause menu
    run_state().running = run_state().program = 0;
    lua_pushcfunction(L, kx_print);
    lua_setglobal(L, "print");
    lua_pushcfunction(L, kx_cursor);
    lua_setglobal(L, "cursor");
    lua_reset_cpu_cycles(L);
  }
  void TearDown() override {
    init_print_context();
    tovo_set_console_font(saved_font);
    tarq_destroy_pod(font);
    run_state().running = run_state().program = 0;
    ScriptDrawTest::TearDown();
  }

  // Prints text (bytes as given) through the engine in colour with mode.
  int32_t print(const std::string& text, int32_t mode = 0, int32_t colour = 7) {
    print_widest_x() = 0;
    return tovo_print_text(screen(), text.data(), static_cast<int32_t>(text.size()), mode, colour);
  }
  // The count of pixels of value v inside x0..x1, y0..y1 (inclusive).
  int count(uint8_t v, int x0 = 0, int y0 = 0, int x1 = 127, int y1 = 127) {
    int n = 0;
    for (int y = y0; y <= y1; y++) {
      for (int x = x0; x <= x1; x++) n += px(x, y) == v;
    }
    return n;
  }
  // Pixels that are not 0.
  int ink() { return 128 * 128 - count(0); }
  // The glyph bits of the 4x6 (or 8x6) cell at (x, y) in colour v: row r's
  // byte, bit j set where pixel (x + j, y + r) is v.
  uint8_t cell_row(int x, int y, int r, int width = 4, uint8_t v = 7) {
    uint8_t bits = 0;
    for (int j = 0; j < width; j++) {
      if (x + j < 128 && y + r < 128 && px(x + j, y + r) == v) bits = static_cast<uint8_t>(bits | 1u << j);
    }
    return bits;
  }
  // The glyph code drawn in the narrow cell at (x, y) (rows 0 and 1).
  int code_at(int x, int y, uint8_t v = 7) { return cell_row(x, y, 0, 4, v) | cell_row(x, y, 1, 4, v) << 4; }
};
