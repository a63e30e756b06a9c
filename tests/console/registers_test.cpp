// The draw-state and hardware registers: the register table, signed words,
// buttons, the PRNG words, the palette glitch, clipping, the display
// rebinding and the register reset.
#include <gtest/gtest.h>

#include <cstdint>

#include "console/draw/extpal_glitch.h"
#include "console/draw/gfx_state.h"
#include "console/machine/machine_prng.h"
#include "console/machine/machine_record.h"
#include "console/machine/registers.h"
#include "tests/console/mem_fixture.h"

namespace {

using RegisterTest = MachineTest;

TEST_F(RegisterTest, Table) {
  tovo_machine_state& m = pstate();
  struct Case {
    int32_t address, value;
    const int32_t* field;  // null: RAM only
    int32_t field_value;
    // clang-format off
  } cases[] = {
      {0x5f00, 0x13, &m.draw_pal[0], 0x13},   {0x5f0f, 0xff, &m.draw_pal[15], 0xff},
      {0x5f11, 0x05, &m.screen_pal[1], 0x05}, {0x5f22, 0x40, &m.clip[2], 0x40},
      {0x5f24, 0x21, &m.print_home_x, 0x21},  {0x5f25, 0x8c, &m.pen, 0x8c},
      {0x5f26, 0x30, &m.cursor_x, 0x30},      {0x5f27, 0x7a, &m.cursor_y, 0x7a},
      {0x5f2c, 0x05, &m.screen_mode, 0x05},   {0x5f31, 0x34, &m.fill_pattern, 0x34},
      {0x5f32, 0x12, &m.fill_pattern, 0x1200}, {0x5f33, 0x07, &m.fill_pattern, 0x70000},
      {0x5f34, 0x01, &m.drawing_flag, 0x01},  {0x5f35, 0x01, &m.line_flag, 0x01},
      {0x5f40, 0x0f, &m.sound_regs[0], 0x0f}, {0x5f43, 0xf0, &m.sound_regs[3], 0xf0},
      {0x5f5e, 0x3c, &m.mask_byte, 0x3c},     {0x5f60, 0x9a, &m.secondary_pal[0], 0x9a},
      {0x5f6f, 0x11, &m.secondary_pal[15], 0x11},
      {0x5f2d, 0x03, nullptr, 0}, {0x5f2e, 0xff, nullptr, 0}, {0x5f2f, 0x02, nullptr, 0},
      {0x5f30, 0x01, nullptr, 0}, {0x5f36, 0x20, nullptr, 0}, {0x5f37, 0x44, nullptr, 0},
      {0x5f38, 0x08, nullptr, 0}, {0x5f3b, 0x08, nullptr, 0}, {0x5f56, 0x80, nullptr, 0},
      {0x5f57, 0x00, nullptr, 0}, {0x5f58, 0x81, nullptr, 0}, {0x5f5b, 0x02, nullptr, 0},
      {0x5f5c, 0xff, nullptr, 0}, {0x5f5d, 0x02, nullptr, 0}, {0x5f5f, 0x10, nullptr, 0},
      {0x5f70, 0xaa, nullptr, 0}, {0x5f7f, 0x55, nullptr, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    tovo_reset_registers(&pstate(), cart);
    poke(c.address, c.value);
    if (c.field) {
      EXPECT_EQ(*c.field, c.field_value) << std::hex << c.address;
    }
    EXPECT_EQ(pstate().ram[c.address], c.value) << std::hex << c.address;
    EXPECT_EQ(peek(c.address), c.value) << std::hex << c.address;
  }
}

TEST_F(RegisterTest, LiveRegistersAnswerFromTheirFields) {
  pstate().pen = 0x1c;
  pstate().draw_pal[3] = 0x1f3;
  pstate().ram[0x5f25] = 0;
  EXPECT_EQ(peek(0x5f25), 0x1c);
  EXPECT_EQ(peek(0x5f03), 0xf3);
  pstate().drawing_flag = 5;  // read from the RAM image
  EXPECT_EQ(peek(0x5f34), 0);
}

TEST_F(RegisterTest, CameraAndLineEndAreSignedWords) {
  poke(0x5f28, 0x10);
  poke(0x5f29, 0xff);
  EXPECT_EQ(pstate().camera_x, -240);
  EXPECT_EQ(peek(0x5f28), 0x10);
  EXPECT_EQ(peek(0x5f29), 0xff);
  poke(0x5f28, 0x20);
  EXPECT_EQ(pstate().camera_x, -224);
  poke(0x5f2b, 0x01);
  EXPECT_EQ(pstate().camera_y, 0x100);
  poke(0x5f3e, 0xfe);
  poke(0x5f3f, 0x80);
  EXPECT_EQ(pstate().line_end_y, -32514);  // 0x80fe
  EXPECT_EQ(peek(0x5f3f), 0x80);
  poke(0x5f3d, 0x7f);
  EXPECT_EQ(pstate().line_end_x, 0x7f00);
}

TEST_F(RegisterTest, ScreenPaletteBitSevenStartsTheGlitchOnce) {
  reset_extpal_glitch();
  poke(0x5f1a, 0x0a);
  EXPECT_EQ(tovo_extpal_glitch_end(), 0);
  poke(0x5f1a, 0x8a);
  EXPECT_EQ(pstate().screen_pal[10], 0x8a);
  int32_t end = tovo_extpal_glitch_end();
  EXPECT_NE(end, 0);
  poke(0x5f1b, 0x8b);
  EXPECT_EQ(pstate().screen_pal[11], 0x8b);
  EXPECT_EQ(tovo_extpal_glitch_end(), end);
  reset_extpal_glitch();
}

TEST_F(RegisterTest, ButtonBytes) {
  poke(0x5f4c, 0xff);
  for (int b = 0; b < 6; b++) EXPECT_EQ(pstate().held[0][b], 1) << b;
  EXPECT_EQ(pstate().held[0][6], 0);
  EXPECT_EQ(peek(0x5f4c), 0xff);
  poke(0x5f4d, 0x05);
  EXPECT_EQ(pstate().held[1][0] + 2 * pstate().held[1][1] + 4 * pstate().held[1][2], 5);
  poke(0x5f50, 0xc1);  // RAM only for players 4-7
  EXPECT_EQ(pstate().held[4][0], 0);
  EXPECT_EQ(peek(0x5f50), 0xc0);
  pstate().held[4][2] = 1;
  EXPECT_EQ(peek(0x5f50), 0xc4);
}

TEST_F(RegisterTest, PrngWordsLittleEndian) {
  set_rand_seed(0, 0x11223344);
  set_rand_seed(1, 0x55667788);
  EXPECT_EQ(peek(0x5f44), 0x44);
  EXPECT_EQ(peek(0x5f47), 0x11);
  EXPECT_EQ(peek(0x5f4b), 0x55);
  poke(0x5f45, 0xab);
  poke(0x5f4b, 0xcd);
  EXPECT_EQ(get_rand_seed(0), 0x1122ab44u);
  EXPECT_EQ(get_rand_seed(1), 0xcd667788u);
}

TEST_F(RegisterTest, ClipNarrowsTheDrawTargetAtOnce) {
  poke(0x5f20, 8);
  poke(0x5f23, 100);
  tarq_bitmap* target = pstate().draw_target;
  EXPECT_EQ(target->clip_x0, 8);
  EXPECT_EQ(target->clip_y1, 100);
  EXPECT_EQ(target->clip_x1, 128);
  poke(0x5f22, 200);  // clamped to the bitmap
  EXPECT_EQ(target->clip_x1, 128);
}

TEST_F(RegisterTest, SpriteSourceAndDrawTargetRebind) {
  EXPECT_EQ(cart->gfx_view, cart->gfx);
  EXPECT_EQ(pstate().draw_target, pstate().screens[0]);
  set_draw_display(2);
  EXPECT_EQ(pstate().draw_target, pstate().screens[2]);
  poke(0x5f54, 0x60);
  EXPECT_EQ(cart->gfx_view, pstate().screens[2]);
  poke(0x5f54, 0x61);  // only exactly 0x60 selects the screen
  EXPECT_EQ(cart->gfx_view, cart->gfx);
  poke(0x5f55, 0);
  EXPECT_EQ(pstate().draw_target, cart->gfx);
  EXPECT_EQ(peek(0x5f55), 0);
  set_draw_display(9);
  EXPECT_EQ(pstate().display, 3);
}

TEST_F(RegisterTest, ResetKeepsCursorYPrngAndByte37) {
  for (int32_t a = 0x5f00; a < 0x5f80; a++) poke(a, 0x5a);
  pstate().cursor_y = 50;
  pstate().held[5][1] = 1;
  set_rand_seed(0, 0xdeadbeef);
  set_rand_seed(1, 0x01234567);
  poke(0x5f37, 0x77);
  tovo_reset_registers(&pstate(), cart);

  for (int32_t a = 0x5f00; a < 0x5f80; a++) {
    int32_t want = a == 0x5f37 ? 0x77 : a == 0x5f55 ? 0x60 : a == 0x5f56 ? 0x20 : a == 0x5f57 ? 0x80 : 0;
    EXPECT_EQ(pstate().ram[a], want) << std::hex << a;
  }
  EXPECT_EQ(peek(0x5f25), 6);
  EXPECT_EQ(pstate().cursor_y, 50);
  EXPECT_EQ(pstate().cursor_x, 0);
  EXPECT_EQ(get_rand_seed(0), 0xdeadbeefu);
  EXPECT_EQ(get_rand_seed(1), 0x01234567u);
  const int32_t secondary[16] = {0x00, 0x01, 0x12, 0x13, 0x24, 0x15, 0xd6, 0x67,
                                 0x48, 0x49, 0x9a, 0x3b, 0xdc, 0x5d, 0x8e, 0xef};
  for (int i = 0; i < 16; i++) {
    EXPECT_EQ(pstate().draw_pal[i], i == 0 ? 0x10 : i);
    EXPECT_EQ(pstate().screen_pal[i], i);
    EXPECT_EQ(pstate().secondary_pal[i], secondary[i]);
  }
  EXPECT_EQ(pstate().clip[2], 128);
  EXPECT_EQ(pstate().clip[3], 128);
  EXPECT_EQ(pstate().camera_x, 0);
  EXPECT_EQ(pstate().line_end_y, 0);
  EXPECT_EQ(pstate().mask_byte, 0xff);
  EXPECT_EQ(pstate().write_mask, 15);
  EXPECT_EQ(pstate().read_mask, 15);
  EXPECT_EQ(pstate().fill_pattern, 0);
  EXPECT_EQ(pstate().sound_regs[0], 0);
  for (int p = 0; p < 4; p++)
    for (int b = 0; b < 8; b++) EXPECT_EQ(pstate().held[p][b], 0);
  EXPECT_EQ(pstate().held[5][1], 1);
  EXPECT_EQ(pstate().draw_target, pstate().screens[0]);
  EXPECT_EQ(cart->gfx_view, cart->gfx);
  EXPECT_EQ(pstate().draw_target->clip_x0, 0);
  EXPECT_EQ(pstate().draw_target->clip_x1, 128);
}

}  // namespace
