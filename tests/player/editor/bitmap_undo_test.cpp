#include <gtest/gtest.h>

#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/data/undo.h"
#include "engine/data/undo_step.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "player/cart/disk_state.h"
#include "player/cart/drop.h"
#include "player/editor/bitmap_undo.h"

namespace {

struct BitmapUndo : ::testing::Test {
  tovo_cart* saved = nullptr;
  void SetUp() override {
    saved = pitem(0);
    pitem(0) = tarq_create_tovo_cart();
    tovo_create_selection_sets();
    disk_state.edit_flag = 0;
  }
  void TearDown() override {
    tovo_destroy_selection_sets();
    tarq_destroy_tovo_cart(pitem(0));
    pitem(0) = saved;
  }
};

}  // namespace

TEST_F(BitmapUndo, SetsHaveTheirSizes) {
  ASSERT_NE(selection_sets().gfx, nullptr);
  EXPECT_EQ(selection_sets().gfx->mask->width, 128);
  EXPECT_EQ(selection_sets().map->work->height, 128);
  for (const dbmp* set : selection_sets().sfx) {
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->backup->width, 8);
    EXPECT_EQ(set->backup->height, 32);
  }
}

TEST_F(BitmapUndo, BackupSwapsBackAndClearsTheMask) {
  tovo_cart* cart = pitem(0);
  cart->gfx->rows[1][2] = 7;
  cart->gff[3] = 0x21;
  backup_bmp(cart->gfx, selection_sets().gfx);
  cart->gfx->rows[1][2] = 9;
  cart->gff[3] = 0;
  selection_sets().gfx->mask->rows[5][6] = 1;
  selection_sets().gfx->mask->rows[9][2] = 1;
  int32_t area[4];
  EXPECT_EQ(get_selected_area(selection_sets().gfx, area), 1);
  EXPECT_EQ(area[0], 2);
  EXPECT_EQ(area[1], 5);
  EXPECT_EQ(area[2], 6);
  EXPECT_EQ(area[3], 9);
  restore_bmp(cart->gfx, selection_sets().gfx);
  EXPECT_EQ(cart->gfx->rows[1][2], 7);
  EXPECT_EQ(selection_sets().gfx->backup->rows[1][2], 9);  // swapped, not copied
  EXPECT_EQ(cart->gff[3], 0x21);
  EXPECT_EQ(selection_active(selection_sets().gfx->mask), 0);
  EXPECT_EQ(get_selected_area(selection_sets().gfx, area), 0);
  EXPECT_EQ(area[2], 127);
}

TEST_F(BitmapUndo, SheetUndoStatesRoundTripThroughTheCartStack) {
  tovo_cart* cart = pitem(0);
  cart->gfx->rows[0][0] = 3;
  cart->gff[10] = 0x80;
  backup_gfx();  // first push: installs the state
  EXPECT_EQ(disk_state.edit_flag, 1);
  EXPECT_EQ(selection_sets().gfx->work->rows[0][0], 3);
  cart->gfx->rows[0][0] = 4;
  cart->gfx->rows[127][127] = 5;
  cart->gff[10] = 1;
  backup_gfx();
  // A change the undo does not cover stays: only marked bytes are written.
  cart->gfx->rows[64][64] = 12;
  tarq_file* earlier = tarq_undo(cart->undo[0]);
  ASSERT_NE(earlier, nullptr);
  ASSERT_EQ(restore_undo_bmp_state(earlier, cart->gfx, cart->undo[0]->last_patch), 1);
  EXPECT_EQ(cart->gfx->rows[0][0], 3);
  EXPECT_EQ(cart->gfx->rows[127][127], 0);
  EXPECT_EQ(cart->gfx->rows[64][64], 12);
  EXPECT_EQ(cart->gff[10], 0x80);
  // Without a patch every byte is written.
  ASSERT_EQ(restore_undo_bmp_state(earlier, cart->gfx, nullptr), 1);
  EXPECT_EQ(cart->gfx->rows[64][64], 0);
}

TEST_F(BitmapUndo, MapStatesCarryTheMapMask) {
  tovo_cart* cart = pitem(0);
  selection_sets().map->mask->rows[3][3] = 1;
  tarq_file* state = create_undo_bmp_state(cart->map, 42);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->size, 128 * 64 + 4 + 128 * 128 + 16 + 4);
  int32_t kind, value;
  memcpy(&kind, state->data + 128 * 64, 4);
  memcpy(&value, state->data + state->size - 4, 4);
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(value, 42);
  selection_sets().map->mask->rows[3][3] = 0;
  cart->map->rows[2][2] = 77;
  EXPECT_EQ(restore_undo_bmp_state(state, cart->map, nullptr), 1);
  EXPECT_EQ(selection_sets().map->mask->rows[3][3], 1);
  EXPECT_EQ(cart->map->rows[2][2], 0);
  state->size = 100;  // cut short: refused
  EXPECT_EQ(restore_undo_bmp_state(state, cart->map, nullptr), 0);
  tarq_destroy_buffer(state);
}

TEST_F(BitmapUndo, SoundStates) {
  tovo_cart* cart = pitem(0);
  cart->sfx[5].notes[3].volume = 6;
  cart->music[7][2] = 12;
  cart->music_flags[7] = 3;
  tarq_file* state = create_undo_sfx64_state(cart);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->size, 42240 + 1024 + 256 + 13 * 4);
  cart->sfx[5].notes[3].volume = 0;
  cart->music[7][2] = 0x43;
  cart->music_flags[7] = 0;
  EXPECT_EQ(restore_undo_sfx64_state(state, cart), 1);
  EXPECT_EQ(cart->sfx[5].notes[3].volume, 6);
  EXPECT_EQ(cart->music[7][2], 12);
  EXPECT_EQ(cart->music_flags[7], 3);
  state->size = 1000;
  EXPECT_EQ(restore_undo_sfx64_state(state, cart), 0);
  tarq_destroy_buffer(state);
}
