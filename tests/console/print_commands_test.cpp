// The print and cursor bindings, waits over several ticks, pokes from the
// text, and audio strings that build and play a sound effect.
#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "console/print/print_pending.h"
#include "console/run/run_record.h"
#include "engine/tarq.h"
#include "sound/play/play.h"
#include "sound/sound.h"
#include "tests/console/print_fixture.h"

using namespace std::string_literals;

namespace {

// --- print and cursor -------------------------------------------------------

TEST_F(PrintTest, PrintReturnsTheWidestXAndMovesToTheNextLine) {
  EXPECT_EQ(run("w = print('ab')"), "");
  EXPECT_EQ(global("w"), 8 << 16);
  EXPECT_EQ(code_at(0, 0, 6), 'a');
  EXPECT_EQ(code_at(4, 0, 6), 'b');
  EXPECT_EQ(pstate().cursor_x, 0);
  EXPECT_EQ(pstate().cursor_y, 6);
  EXPECT_EQ(run("n = 5 n = print()"), "");
  EXPECT_EQ(global_type("n"), LUA_TNIL);
}

TEST_F(PrintTest, PositionedPrintSetsHomeForTheNextPrint) {
  EXPECT_EQ(run("print('x', 10, 20) print('y')"), "");
  EXPECT_EQ(code_at(10, 20, 6), 'x');
  EXPECT_EQ(code_at(10, 26, 6), 'y');
  EXPECT_EQ(pstate().print_home_x, 10);
}

TEST_F(PrintTest, ValuesBecomeText) {
  const struct {
    const char* code;
    std::string text;
  } table[] = {{"print(12.5, 0, 0)", "12.5"},
               {"print(true, 0, 0)", "true"},
               {"print({}, 0, 0)", "[table]"},
               {"print(nil, 0, 0)", "[nil]"}};
  for (const auto& t : table) {
    fill_screen(0);
    EXPECT_EQ(run(t.code), "");
    for (size_t i = 0; i < t.text.size(); i++) EXPECT_EQ(code_at(4 * static_cast<int>(i), 0, 6), t.text[i]) << t.code;
    EXPECT_EQ(pstate().cursor_x, 0) << t.code;
  }
}

TEST_F(PrintTest, ColourArgumentsByArgumentCount) {
  // Two arguments: getp_col, which sets the pen.
  EXPECT_EQ(run("print('a', 8)"), "");
  EXPECT_EQ(code_at(0, 0, 8), 'a');
  EXPECT_EQ(pstate().pen, 8);
  // One argument: the pen through the draw palette.
  EXPECT_EQ(run("pal(8, 3) print('b')"), "");
  EXPECT_EQ(code_at(0, 6, 3), 'b');
  // Four arguments: the colour; three: the pen.
  EXPECT_EQ(run("print('c', 40, 0, 9) print('d', 50, 0)"), "");
  EXPECT_EQ(code_at(40, 0, 9), 'c');
  EXPECT_EQ(code_at(50, 0, 9), 'd');
}

TEST_F(PrintTest, ShortFormsWrapAndScrollOnlyAtThePrompt) {
  // No program: wrap and scroll.
  pstate().cursor_x = pstate().print_home_x = 120;
  EXPECT_EQ(run("print('abc')"), "");
  EXPECT_EQ(code_at(120, 6, 6), 'c');
  // A running cart: scroll, no wrap.
  run_state().running = run_state().program = 1;
  fill_screen(0);
  pstate().cursor_y = 0;
  EXPECT_EQ(run("w = print('abc')"), "");
  EXPECT_EQ(global("w"), 132 << 16);
  // Positioned: neither.
  EXPECT_EQ(run("print('a', 0, 125)"), "");
  EXPECT_EQ(pstate().cursor_y, 131);
}

TEST_F(PrintTest, CursorSetsPositionHomeAndPenAndReturnsTheOldOnes) {
  pstate().cursor_x = 3;
  pstate().cursor_y = 4;
  EXPECT_EQ(run("a, b, c = cursor(20, 30, 0x12)"), "");
  EXPECT_EQ(global("a"), 3 << 16);
  EXPECT_EQ(global("b"), 4 << 16);
  EXPECT_EQ(global("c"), 6 << 16);
  EXPECT_EQ(pstate().cursor_x, 20);
  EXPECT_EQ(pstate().print_home_x, 20);
  EXPECT_EQ(pstate().cursor_y, 30);
  EXPECT_EQ(pstate().pen, 0x12);
  EXPECT_EQ(run("cursor()"), "");
  EXPECT_EQ(pstate().cursor_x, 0);
  EXPECT_EQ(pstate().cursor_y, 0);
  EXPECT_EQ(pstate().pen, 0x12);
}

// --- waits ------------------------------------------------------------------

TEST_F(PrintTest, WaitStopsThePrintAndLaterTicksFinishIt) {
  EXPECT_EQ(run("n = 5 n = print('a\\^2b', 0, 0)"), "");
  EXPECT_EQ(global_type("n"), LUA_TNIL);
  EXPECT_EQ(code_at(0, 0, 6), 'a');
  EXPECT_EQ(code_at(4, 0, 6), 0);
  EXPECT_EQ(print_text_pending(), 1);
  EXPECT_EQ(continue_print_text(), 1);  // the frame waited for
  EXPECT_EQ(code_at(4, 0, 6), 0);
  EXPECT_EQ(continue_print_text(), 0);  // prints on to the end
  EXPECT_EQ(code_at(4, 0, 6), 'b');
  EXPECT_EQ(print_text_pending(), 0);
  EXPECT_EQ(continue_print_text(), 0);
}

TEST_F(PrintTest, WaitLengthsDoubleByDigit) {
  const struct {
    const char* text;
    int frames;
    // clang-format off
  } table[] = {{"\x06" "1a", 0}, {"\x06" "2a", 1}, {"\x06" "4a", 7}, {"\x06" "9a", 255}};
  // clang-format on
  for (const auto& t : table) {
    ASSERT_EQ(print(t.text), 1) << t.text;
    int ticks = 0;
    while (continue_print_text()) ticks++;
    EXPECT_EQ(ticks, t.frames) << t.text;
  }
}

TEST_F(PrintTest, PerCharacterWaitStopsAfterEveryGlyph) {
  poke(0x5f36, 0x04);
  // clang-format off
  ASSERT_EQ(print("\x06" "d3abc"), 1);
  // clang-format on
  EXPECT_EQ(pstate().cursor_x, 4);
  EXPECT_EQ(continue_print_text(), 1);
  EXPECT_EQ(continue_print_text(), 1);
  EXPECT_EQ(continue_print_text(), 1);  // b drawn, waits again
  EXPECT_EQ(pstate().cursor_x, 8);
  // A repeated glyph waits after each of its copies.
  destroy_print_buffer();
  pstate().cursor_x = 0;
  // clang-format off
  ASSERT_EQ(print("\x06" "d1\x01" "3x"), 1);
  // clang-format on
  EXPECT_EQ(continue_print_text(), 1);
  EXPECT_EQ(continue_print_text(), 1);
  EXPECT_EQ(pstate().cursor_x, 12);
  EXPECT_EQ(continue_print_text(), 0);
}

TEST_F(PrintTest, ANewPrintOrAResetDropsAWaitingText) {
  // clang-format off
  ASSERT_EQ(print("\x06" "9a"), 1);
  // clang-format on
  EXPECT_EQ(print("b"), 0);
  EXPECT_EQ(print_text_pending(), 0);
  // clang-format off
  ASSERT_EQ(print("\x06" "9a"), 1);
  // clang-format on
  destroy_print_buffer();
  EXPECT_EQ(continue_print_text(), 0);
  EXPECT_EQ(code_at(0, 0), 'b');
  EXPECT_EQ(count(7), 4 + __builtin_popcount('b'));
}

// --- pokes ------------------------------------------------------------------

TEST_F(PrintTest, PokeCountedBytesAndPrintOn) {
  EXPECT_EQ(run("print('\\^@60000004abcdx', 0, 64)"), "");
  EXPECT_EQ(peek(0x6000), 'a');
  EXPECT_EQ(peek(0x6003), 'd');
  EXPECT_EQ(code_at(0, 64, 6), 'x');
  // Bytes may be zero; a count past the text pokes nothing.
  poke(0x5f36, 0x04);
  EXPECT_EQ(print("\x06@43000002\x00\x05"s), 0);
  EXPECT_EQ(peek(0x4300), 0);
  EXPECT_EQ(peek(0x4301), 5);
  EXPECT_EQ(print("\x06@43100009abc"), 0);
  EXPECT_EQ(peek(0x4310), 0);
}

TEST_F(PrintTest, PokeRestOfTextEndsIt) {
  EXPECT_EQ(run("w = print('\\^!4400hi\\0!', 0, 0)"), "");
  EXPECT_EQ(peek(0x4400), 'h');
  EXPECT_EQ(peek(0x4401), 'i');
  EXPECT_EQ(peek(0x4402), 0);
  EXPECT_EQ(peek(0x4403), '!');
  EXPECT_EQ(peek(0x4404), '\n');  // the newline print adds is poked too
  EXPECT_EQ(peek(0x4405), 0);
  EXPECT_EQ(global("w"), 0);
  EXPECT_EQ(ink(), 0);
}

TEST_F(PrintTest, PokesChargeFourCyclesABytePlusTheSteps) {
  poke(0x5f36, 0x04);
  lua_reset_cpu_cycles(L);
  print("\x06@43000004abcd");
  EXPECT_EQ(lua_get_cpu_cycles(L), 4 * 4 * 2 + 14 * 2);
}

// --- audio strings ----------------------------------------------------------

class PrintAudioTest : public PrintTest {
 protected:
  void SetUp() override {
    PrintTest::SetUp();
    tarq_stop_all_sounds();
  }
  void TearDown() override {
    tarq_stop_all_sounds();
    PrintTest::TearDown();
  }
  std::vector<int> sfx_bytes(int n) {
    std::vector<int> out;
    for (int i = 0; i < 68; i++) out.push_back(peek(0x3200 + 68 * n + i));
    return out;
  }
  bool playing(int n) {
    for (int ch = 0; ch < 16; ch++) {
      if (tarq_get_tovo_channel_sfx(ch) == &cart->sfx[n]) return true;
    }
    return false;
  }
  // Note bytes of pitch, instrument, volume and effect.
  static std::pair<int, int> note(int pitch, int instrument, int volume, int effect) {
    return {(instrument & 3) << 6 | pitch, volume << 1 | (instrument & 4) >> 2 | effect << 4};
  }
  std::vector<int> expected(std::vector<std::pair<int, int>> notes, int mode, int speed, int loop0, int loop1) {
    std::vector<int> out(68, 0);
    for (size_t i = 0; i < notes.size(); i++) {
      out[2 * i] = notes[i].first;
      out[2 * i + 1] = notes[i].second;
    }
    out[64] = mode;
    out[65] = speed;
    out[66] = loop0;
    out[67] = loop1;
    return out;
  }
};

TEST_F(PrintAudioTest, CegBuildsSfx63AndPlaysIt) {
  for (int i = 0; i < 68; i++) poke(0x3200 + 68 * 63 + i, 0x55);
  // clang-format off
  EXPECT_EQ(print("\x07" "ceg"), 0);
  // clang-format on
  EXPECT_EQ(sfx_bytes(63), expected({note(36, 5, 5, 0), note(40, 5, 5, 0), note(43, 5, 5, 0)}, 0, 4, 0, 0));
  EXPECT_TRUE(playing(63));
  EXPECT_EQ(ink(), 0);
  // With 63 busy the next free slot is 62.
  // clang-format off
  EXPECT_EQ(print("\x07" "c"), 0);
  // clang-format on
  EXPECT_TRUE(playing(62));
}

TEST_F(PrintAudioTest, SettingsAndNoteModifiers) {
  poke(0x5f36, 0x04);
  // clang-format off
  print("\x07" "40s9l28z3i2v7x3c#4<d-.]b[[[a0i9>>>e");
  // clang-format on
  // b in octave 5 is clamped to 63; a0 sets octave 0; instrument 9 is kept as 1.
  EXPECT_EQ(
      sfx_bytes(40),
      expected({note(49, 2, 7, 3), note(49, 2, 6, 3), {0, 0}, note(63, 2, 6, 3), note(9, 2, 6, 3), note(4, 1, 7, 3)}, 6,
               9, 2, 8));
  EXPECT_TRUE(playing(40));
}

TEST_F(PrintAudioTest, SettingsAloneGiveOneDefaultNote) {
  poke(0x5f36, 0x04);
  // clang-format off
  print("\x07" "7s3 b");
  // clang-format on
  EXPECT_EQ(sfx_bytes(7), expected({note(46, 0, 5, 0)}, 0, 16, 0, 0));
  EXPECT_EQ(code_at(0, 0), 'b');  // the space was consumed
  // A bare code 7 rings the same note in a free slot.
  print("\x07");
  EXPECT_EQ(sfx_bytes(63), expected({note(46, 0, 5, 0)}, 0, 16, 0, 0));
}

TEST_F(PrintAudioTest, ANumberAloneKeepsTheEffectAsItIs) {
  for (int i = 0; i < 68; i++) poke(0x3200 + 68 * 12 + i, i);
  // clang-format off
  print("\x07" "12\nz");
  // clang-format on
  EXPECT_EQ(sfx_bytes(12)[10], 10);
  EXPECT_TRUE(playing(12));
  // The newline was left to act: z on the next line.
  EXPECT_EQ(code_at(0, 6), 'z');
  // clang-format off
  print("\x07" "99 ");  // capped at 63
  // clang-format on
  EXPECT_TRUE(playing(63));
}

TEST_F(PrintAudioTest, MoreThan32NotesAreReadButNotStored) {
  poke(0x5f36, 0x04);
  // clang-format off
  print("\x07" "5" + std::string(40, 'd') + " q");
  // clang-format on
  EXPECT_EQ(sfx_bytes(5)[62], note(38, 5, 5, 0).first);
  EXPECT_EQ(code_at(0, 0), 'q');
  EXPECT_EQ(ink(), 4 + __builtin_popcount('q'));
}

TEST_F(PrintAudioTest, AtThePromptAnAudioPauseStopsEverythingFirst) {
  tarq_set_audio_pause(1);
  // clang-format off
  print("\x07" "c");
  // clang-format on
  EXPECT_EQ(tarq_audio_pause(), 0);
  EXPECT_TRUE(playing(63));
  run_state().running = run_state().program = 1;
  tarq_set_audio_pause(1);
  // clang-format off
  print("\x07" "c");
  // clang-format on
  EXPECT_EQ(tarq_audio_pause(), 1);
  tarq_set_audio_pause(0);
}

}  // namespace
