#include <gtest/gtest.h>

#include <cstring>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/editor/sound_clip.h"
#include "player/message.h"
#include "player/selection_sets.h"

namespace {

struct SoundClip : ::testing::Test {
  tovo_cart* cart = tarq_create_tovo_cart();
  tovo_cart* clip = tarq_create_tovo_cart();
  void TearDown() override {
    tarq_destroy_tovo_cart(cart);
    tarq_destroy_tovo_cart(clip);
    tovo_free_note_clipboard();
    tovo_clear_sfx_move_mark();
  }
  // A recognisable sfx: every note's volume 5 and pitch seed + note.
  void fill(int32_t index, int32_t seed) {
    tovo_sfx& s = cart->sfx[index];
    s.speed = seed;
    for (int32_t n = 0; n < TOVO_SFX_NOTES; n++) s.notes[n] = {(seed + n) % 64, 2, 5, 1, 0};
  }
  std::string shown() const { return message_bar.text; }
};

}  // namespace

TEST_F(SoundClip, NotesCopyByFieldAndPasteAtAnyNote) {
  fill(3, 20);
  tarq_bitmap* mask = tarq_create_bitmap(6, 32, 8);
  // Notes 4 and 5: pitch and volume of 4, waveform only of 5.
  mask->rows[4][0] = mask->rows[4][1] = mask->rows[4][3] = 1;
  mask->rows[5][2] = 1;
  do_copy_sfx(&cart->sfx[3], mask);
  EXPECT_EQ(shown(), "copied 2 notes");
  const tarq_bitmap* note_clipboard = tovo_note_clipboard();
  ASSERT_NE(note_clipboard, nullptr);
  EXPECT_EQ(note_clipboard->rows[0][0], 24 % 12);
  EXPECT_EQ(note_clipboard->rows[0][1], 24 / 12);
  EXPECT_EQ(note_clipboard->rows[0][2], 255);
  EXPECT_EQ(note_clipboard->rows[1][2], 2);
  EXPECT_EQ(note_clipboard->rows[2][0], 255);

  tovo_sfx& target = cart->sfx[9];
  target.notes[30] = {7, 4, 1, 3, 0};
  do_paste_sfx(&target, 0, 30);
  EXPECT_EQ(shown(), "pasted 2 notes");
  EXPECT_EQ(target.notes[30].pitch, 24);
  EXPECT_EQ(target.notes[30].volume, 5);
  EXPECT_EQ(target.notes[30].waveform, 4);  // not copied: kept
  EXPECT_EQ(target.notes[31].waveform, 2);
  EXPECT_EQ(target.notes[31].pitch, 0);
  tarq_destroy_bitmap(mask);
}

TEST_F(SoundClip, CopiedSfxPastedNearTheEndDropTheRest) {
  fill(10, 1);
  fill(11, 2);
  fill(12, 3);
  do_copy_sfxes(cart, clip, 12, 10, 0);
  EXPECT_EQ(shown(), "copied sfxes 10..12");
  EXPECT_EQ(clip->gff[0], 3);
  char* text = tarq_get_clipboard_text();
  EXPECT_EQ(strncmp(text, "[sfx]", 5), 0);
  tarq_free(text);
  do_paste_sfxes(clip, cart, 62);
  EXPECT_EQ(shown(), "pasted 2 sfx");
  EXPECT_EQ(cart->sfx[62].speed, 1);
  EXPECT_EQ(cart->sfx[63].speed, 2);
  do_copy_sfxes(cart, clip, 5, 5, 0);
  EXPECT_EQ(shown(), "copied sfx 5");
}

TEST_F(SoundClip, MovingSfxRewritesPatternsAndInstruments) {
  fill(2, 7);
  fill(3, 8);
  cart->music[0][0] = 2;
  cart->music[0][1] = 3;
  cart->music[0][2] = 9;
  cart->sfx[20].notes[0] = {10, 3, 4, 0, 128};  // plays custom instrument 3
  cart->sfx[20].notes[1] = {10, 3, 4, 0, 0};    // plain waveform 3
  do_copy_sfxes(cart, clip, 2, 3, 1);
  EXPECT_EQ(shown(), "marked 2 sfx to move");
  do_paste_sfxes(clip, cart, 5);
  EXPECT_EQ(shown(), "moved 2 sfx");
  EXPECT_EQ(cart->sfx[5].speed, 7);
  EXPECT_EQ(cart->sfx[6].speed, 8);
  EXPECT_EQ(cart->sfx[2].speed, 16);  // cleared to the default
  EXPECT_EQ(cart->sfx[2].notes[0].volume, 0);
  EXPECT_EQ(cart->music[0][0], 5);
  EXPECT_EQ(cart->music[0][1], 6);
  EXPECT_EQ(cart->music[0][2], 9);
  EXPECT_EQ(cart->sfx[20].notes[0].waveform, 6);
  EXPECT_EQ(cart->sfx[20].notes[1].waveform, 3);
  do_paste_sfxes(clip, cart, 40);  // the mark is gone: a plain paste
  EXPECT_EQ(shown(), "pasted 2 sfx");
}

TEST_F(SoundClip, PatternsCutAndPastedFindOrAddTheirSfx) {
  fill(1, 11);
  fill(2, 12);
  fill(3, 13);
  cart->music[4][0] = 1;
  cart->music[4][1] = 2;
  cart->music[4][2] = 3;
  cart->music_flags[4] = 5;
  do_copy_patterns(cart, clip, 4, 4, 1);
  EXPECT_EQ(shown(), "cut 1 patterns");
  EXPECT_EQ(cart->music[4][0], 0x41);
  EXPECT_EQ(cart->music[4][3], 0x44);
  EXPECT_EQ(cart->music_flags[4], 0);
  EXPECT_EQ(clip->gff[1], 1);

  // Sfx 1 moved to 30 in the cart, sfx 2 changed and has nowhere identical,
  // sfx 3 unchanged; empty sfx are 0 and 4 onwards.
  cart->sfx[30] = cart->sfx[1];
  memset(&cart->sfx[1], 0, sizeof(tovo_sfx));
  cart->sfx[2].speed = 99;
  do_paste_patterns(clip, cart, 8);
  EXPECT_EQ(shown(), "pasted 1 patterns, added 1 sfx");
  EXPECT_EQ(cart->music[8][0], 30);
  EXPECT_EQ(cart->music[8][1], 0);  // copied into the first silent sfx
  EXPECT_EQ(cart->sfx[0].speed, 12);
  EXPECT_EQ(cart->music[8][2], 3);
  EXPECT_EQ(cart->music[8][3], 0x44);
  EXPECT_EQ(cart->music_flags[8], 5);
}

TEST_F(SoundClip, BackupAndSwapAudio) {
  fill(7, 21);
  cart->music[1][1] = 7;
  backup_audio(cart, clip);
  fill(7, 40);
  restore_audio(cart, clip);
  EXPECT_EQ(cart->sfx[7].speed, 21);
  EXPECT_EQ(clip->sfx[7].speed, 40);
  EXPECT_EQ(cart->music[1][1], 7);
}

// A sound effect's set holds one row per note, its columns the note's pitch,
// waveform, volume, effect and custom flag; restoring writes every row back,
// each field cut to its width.
TEST_F(SoundClip, AnSfxSetWritesItsNotesBack) {
  tovo_create_selection_sets();
  ASSERT_NE(selection_sets().sfx[12], nullptr);
  fill(12, 30);
  tarq_bitmap* notes = selection_sets().sfx[12]->backup;
  const uint8_t rows[][5] = {{0, 0, 0, 0, 0}, {12, 3, 7, 5, 1}, {63, 7, 1, 2, 0}, {64 + 9, 8 + 2, 8 + 4, 9, 200}};
  for (int32_t r = 0; r < 32; r++) memcpy(notes->rows[r], rows[r % 4], 5);
  backup_sfx();  // keeps nothing of its own
  restore_sfx(&cart->sfx[12], selection_sets().sfx[12]);
  const tovo_note want[] = {{0, 0, 0, 0, 0}, {12, 3, 7, 5, 128}, {63, 7, 1, 2, 0}, {9, 2, 4, 1, 128}};
  for (int32_t n = 0; n < 32; n++) {
    const tovo_note& got = cart->sfx[12].notes[n];
    const tovo_note& w = want[n % 4];
    EXPECT_EQ(got.pitch, w.pitch) << n;
    EXPECT_EQ(got.waveform, w.waveform) << n;
    EXPECT_EQ(got.volume, w.volume) << n;
    EXPECT_EQ(got.effect, w.effect) << n;
    EXPECT_EQ(got.custom, w.custom) << n;
  }
  EXPECT_EQ(cart->sfx[12].speed, 30) << "the notes alone";
  EXPECT_EQ(cart->sfx[11].notes[1].volume, 0) << "no other sfx";
  restore_sfx(&cart->sfx[13], nullptr);  // no set: nothing
  EXPECT_EQ(cart->sfx[13].notes[0].pitch, 0);
  tovo_destroy_selection_sets();
  for (const dbmp* set : selection_sets().sfx) EXPECT_EQ(set, nullptr);
}
