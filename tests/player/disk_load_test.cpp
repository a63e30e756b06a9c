// Loading by name forms, mounted carts, preparation, legacy changes and the
// ".lua" import.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/io/file.h"
#include "engine/platform/host.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/cstore.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/shell_state.h"
#include "tests/player/cart_fixture.h"
#include "tests/player/console_capture.h"
#include "tests/player/disk_fixture.h"

namespace {

using disk_load = disk_fixture;

tovo_cart* cart_with_code(const char* code) {
  tovo_cart* cart = tarq_create_tovo_cart();
  strcpy(cart->code, code);
  return cart;
}

TEST_F(disk_load, NameFormsInOrder) {
  struct row {
    std::vector<std::string> files;  // each holds a cart whose code is its name
    std::string requested;
    std::string found;  // empty: nothing loads
  };
  const row rows[] = {
      {{"game"}, "game", "game"},
      {{"game.kx"}, "game", "game.kx"},
      {{"game.kx.png"}, "game", "game.kx.png"},
      {{"game.png"}, "game", "game.png"},
      {{"game.kx", "game.kx.png", "game.png"}, "game", "game.kx"},
      {{"game.kx.png", "game.png"}, "game", "game.kx.png"},
      {{"game.kx.png"}, "game.png", "game.kx.png"},
      {{"game.rom"}, "game.rom", "game.rom"},
      {{"game.kx.rom"}, "game.rom", "game.kx.rom"},
      {{"game.lua"}, "game.lua", "game.lua"},
      {{"game.lua.kx"}, "game.lua", "game.lua.kx"},
      {{"other.kx"}, "game", ""},
  };
  int n = 0;
  for (const row& r : rows) {
    std::string sub = "case" + std::to_string(n++) + "/";
    tarq_mkdir(file(sub).c_str());
    for (const std::string& f : r.files) {
      tovo_cart* cart = cart_with_code(f.c_str());
      std::string path = file(sub + f);
      if (f.find(".png") != std::string::npos) ASSERT_EQ(save_tovo_cart_png(cart, path.c_str()), 0);
      else if (f.find(".rom") != std::string::npos) ASSERT_EQ(save_tovo_cart_rom(cart, path.c_str()), 0);
      else if (f.find(".lua") == f.size() - 4) write_file(path, f);
      else ASSERT_EQ(tarq_save_tovo_cart(cart, path.c_str()), 0);
      tarq_destroy_tovo_cart(cart);
    }
    tarq_destroy_tovo_cart(pitem(0));
    pitem(0) = nullptr;
    int result = load_working_cart(file(sub + r.requested).c_str());
    EXPECT_EQ(result, r.found.empty() ? 1 : 0) << r.requested;
    if (r.found.empty()) continue;
    std::string expected_code = r.found.find(".lua") == r.found.size() - 4 ? r.found + "\n\n" : r.found;
    EXPECT_EQ(working_code(), expected_code) << r.requested;
    EXPECT_EQ(std::string(disk_state.cart_filename), file(sub + r.found));
  }
}

TEST_F(disk_load, FutureVersionsStopTheSearch) {
  tovo_cart* good = cart_with_code("good");
  ASSERT_EQ(save_tovo_cart_png(good, file("game.kx.png.png").c_str()), 0);
  ASSERT_EQ(save_tovo_cart_png(good, file("game.kx.png").c_str()), 0);
  tarq_destroy_tovo_cart(good);

  // A future text cart under the requested name: the picture forms are not tried.
  write_text_cart(file("game.kx"), "x", 35);
  EXPECT_EQ(load_working_cart(file("game.kx").c_str()), 1);
  EXPECT_EQ(disk_state.text_cart_reason, TOVO_TEXT_CART_FUTURE);
  EXPECT_EQ(pitem(0), nullptr);

  // A future picture (version byte 35): the same name is not retried with ".png".
  tarq_bitmap* picture = tarq_load_png(file("game.kx.png").c_str());
  uint32_t* px = reinterpret_cast<uint32_t*>(picture->pixels);
  uint32_t v = 35;
  px[0x8000] = (px[0x8000] & 0xfcfcfcfc) | (v & 3) | ((v >> 2) & 3) << 8 | ((v >> 4) & 3) << 16 | ((v >> 6) & 3) << 24;
  tarq_save_png(file("game.kx.png").c_str(), picture);
  tarq_destroy_bitmap(picture);
  EXPECT_EQ(load_working_cart(file("game.kx.png").c_str()), 1);
  EXPECT_EQ(disk_state.png_cart_reason, TOVO_PNG_CART_FUTURE);
  EXPECT_EQ(pitem(0), nullptr);
}

TEST_F(disk_load, InjectKxExtension) {
  const char* rows[][2] = {
      {"game.png", "game.kx.png"},
      {"game", "game.kx"},
      {"game.lua", "game.lua.kx"},
      {"game.rom", "game.kx.rom"},
      {"dir.v2/game", "dir.v2/game.kx"},
      {"game.KX", "game.KX"},
      {"game.kx.png", "game.kx.png"},
      {"a/b.PNG", "a/b.kx.PNG"},
      // only the file's own name counts, not the folders above it
      {"d.kx/game", "d.kx/game.kx"},
      {".kx/../.bashrc", ".kx/../.bashrc.kx"},
  };
  for (auto& r : rows) {
    char out[1024];
    inject_kx_extention(r[0], out);
    EXPECT_STREQ(out, r[1]) << r[0];
  }
  std::string longest(1021, 'a');
  char out[1024];
  inject_kx_extention(longest.c_str(), out);
  EXPECT_STREQ(out, "");  // no room for ".kx": refused, not cut
}

TEST_F(disk_load, MountedCartsAreFoundByNameInAnyFolder) {
  for (int i = 0; i < TOVO_MAX_MOUNTED_CARTS + 1; i++) {
    std::string name = i == 0 ? "sub/level2.kx" : "mount_extra_" + std::to_string(i) + ".kx";
    tovo_cart* cart = cart_with_code(name.c_str());
    mount_embedded_cart(cart, name.c_str());
    tarq_destroy_tovo_cart(cart);
  }
  EXPECT_EQ(mounted_cart_count(), TOVO_MAX_MOUNTED_CARTS);
  EXPECT_STREQ(mounted_cart(0)->name, "sub/level2.kx");
  EXPECT_EQ(mounted_cart(TOVO_MAX_MOUNTED_CARTS), nullptr);
  EXPECT_EQ(mounted_cart(-1), nullptr);
  EXPECT_EQ(tarq_fopen_vdisk("mount_extra_64.kx", "r"), nullptr);  // the 65th was not mounted

  for (const char* name : {"level2.kx", "other/level2.kx", "level2"}) {
    ASSERT_EQ(load_working_cart(name), 0) << name;
    EXPECT_EQ(working_code(), "sub/level2.kx");
  }
  const tovo_mounted_cart* record = get_embedded_cart_hash_for_filename("sub/level2.kx", 0);
  ASSERT_TRUE(record);
  char hash[41];
  hash_cart(pitem(0), hash);
  EXPECT_STREQ(record->hash, hash);

  tovo_cart* plain = cart_with_code("x");
  mount_embedded_cart(plain, "x");  // the table is full
  tarq_destroy_tovo_cart(plain);
  clear_embedded_carts();
  plain = cart_with_code("plain");
  mount_embedded_cart(plain, "plain_mount");
  tarq_destroy_tovo_cart(plain);
  EXPECT_TRUE(get_embedded_cart_hash_for_filename("plain_mount", 0));
  EXPECT_FALSE(get_embedded_cart_hash_for_filename("plain_mount.kx", 0));
  EXPECT_TRUE(get_embedded_cart_hash_for_filename("plain_mount.kx", 1));
  EXPECT_TRUE(get_embedded_cart_hash_for_filename("plain_mount.kx.png", 1));
  EXPECT_FALSE(get_embedded_cart_hash_for_filename("sub/level2.kx", 1));
}

TEST_F(disk_load, PreparationSharedHalfHashesAndName) {
  tovo_cart* cart = cart_with_code("print(1)");
  cart->gfx->rows[64][0] = 5;
  cart->gfx->rows[64][1] = 3;
  run_state().param[0] = 'p';
  prepare_loaded_cart(cart, "here.kx");
  EXPECT_EQ(pitem(0), cart);
  EXPECT_EQ(cart->map->rows[32][0], 0x35);  // the sheet's half onto the map
  EXPECT_EQ(cart->legacy_done, 1);
  EXPECT_STREQ(disk_state.cart_filename, "here.kx");
  EXPECT_STREQ(disk_state.load_hash, disk_state.saved_hash);
  char hash[41];
  hash_cart(cart, hash);
  EXPECT_STREQ(disk_state.saved_hash, hash);
  EXPECT_EQ(std::string(disk_state.gscf_buffer), appdata + "cstore/__" + hash + ".kx");
  EXPECT_EQ(run_state().param[0], 0);  // no cart runs: the parameter string is cleared

  // The map's half wins when any of its cells is set; the old cart is destroyed.
  tovo_cart* second = cart_with_code("");
  second->gfx->rows[64][0] = 5;
  second->map->rows[63][127] = 0x9a;
  shell.mode = TOVO_MODE_RUNNING;
  shell.program_started = 1;
  run_state().param[0] = 'p';
  prepare_loaded_cart(second, nullptr);
  EXPECT_EQ(pitem(0), second);
  EXPECT_EQ(second->gfx->rows[64][0], 0);
  EXPECT_EQ(second->gfx->rows[127][126], 0x0a);
  EXPECT_EQ(second->gfx->rows[127][127], 0x09);
  EXPECT_STREQ(disk_state.cart_filename, disk_state.gscf_buffer);
  EXPECT_EQ(run_state().param[0], 'p');
  run_state().param[0] = 0;
  prepare_loaded_cart(nullptr, "x");
  EXPECT_EQ(pitem(0), second);
}

TEST_F(disk_load, TheSandboxedPatchChangesOnlyTheMarkedBytes) {
  tovo_cart* cart = tovo_test::make_full_cart(100);
  tovo_cart* reference = tovo_test::make_full_cart(100);
  char hash[41];
  prepare_loaded_cart(reference, "ref.kx");  // the hash after preparation
  hash_cart(reference, hash);
  std::string before = tovo_test::rom_bytes(reference);

  tovo_cart* patch = tarq_create_tovo_cart();
  memset(patch->change_mask, 0, sizeof patch->change_mask);
  for (int a = 0x3000; a < 0x3100; a++) {
    tovo_poke(nullptr, patch, a, 0xa5);
    patch->change_mask[a >> 3] |= static_cast<uint8_t>(1 << (a & 7));
  }
  tovo_poke(nullptr, patch, 0x0000, 0xff);  // not marked
  ASSERT_EQ(tarq_save_tovo_cart(patch, get_sandboxed_cstore_filename(hash)), 0);
  tarq_destroy_tovo_cart(patch);

  prepare_loaded_cart(cart, "game.kx");
  std::string after = tovo_test::rom_bytes(cart);
  for (int a = 0; a < 0x4300; a++) {
    if (a >= 0x3000 && a < 0x3100) ASSERT_EQ(static_cast<uint8_t>(after[a]), 0xa5) << a;
    else ASSERT_EQ(after[a], before[a]) << a;
  }
  for (int i = 0; i < 256; i++) EXPECT_EQ(cart->gff[i], 0xa5);
}

TEST_F(disk_load, LegacyPatternSwap) {
  auto old_cart = [](bool loops) {
    tovo_cart* cart = tarq_create_tovo_cart();
    cart->version = 4;
    cart->sfx[1].speed = 8;
    cart->sfx[2].speed = 16;
    if (loops) cart->sfx[2].loop_end = 8;
    cart->music[0][0] = 1;
    cart->music[0][1] = 0x41;
    cart->music[0][2] = 2;
    cart->music[0][3] = 0x43;
    return cart;
  };
  console_capture console;
  tovo_cart* cart = old_cart(false);
  apply_legacy_changes(cart);
  EXPECT_EQ(cart->music[0][0], 2);
  EXPECT_EQ(cart->music[0][2], 1);
  EXPECT_EQ(console.lines(), "legacy: pat 0 swap chan: 0 2\n");
  EXPECT_EQ(cart->legacy_done, 1);
  tarq_destroy_tovo_cart(cart);

  cart = old_cart(true);
  apply_legacy_changes(cart);
  EXPECT_EQ(cart->music[0][0], 1);
  EXPECT_EQ(cart->music[0][2], 2);
  EXPECT_EQ(console.lines(), "");
  tarq_destroy_tovo_cart(cart);
}

TEST_F(disk_load, LegacyNoteChangesByVersion) {
  struct row {
    int version;
    bool custom_note;
    int effect_after;  // of a note with effect 1, volume 0
    int volume_after;  // of a note with waveform 6, volume 7
  };
  const row rows[] = {
      {4, false, 0, 5}, {10, false, 0, 7}, {10, true, 1, 7}, {11, false, 1, 7}, {0, false, 0, 5},
  };
  for (const row& r : rows) {
    tovo_cart* cart = tarq_create_tovo_cart();
    cart->version = r.version;
    cart->sfx[3].notes[4] = {10, 2, 0, 1, 0};
    cart->sfx[3].notes[5] = {10, 6, 7, 0, 0};
    if (r.custom_note) cart->sfx[60].notes[0].custom = 128;
    apply_legacy_changes(cart);
    EXPECT_EQ(cart->sfx[3].notes[4].effect, r.effect_after) << r.version;
    EXPECT_EQ(cart->sfx[3].notes[5].volume, r.volume_after) << r.version;
    tarq_destroy_tovo_cart(cart);
  }
  console_capture console;
  tovo_cart* cart = cart_with_code("a @@ b");
  cart->version = 20;
  apply_legacy_changes(cart);
  EXPECT_STREQ(message_bar.text, "warning: possible deprecated @@");
  EXPECT_EQ(console.message_ms(), 3000);
  tarq_destroy_tovo_cart(cart);
}

TEST_F(disk_load, OnlyTheOldApiCartGetsThePrelude) {
  const struct {
    const char* code;
    int version;
    const char* after;  // "" when left alone
  } rows[] = {
      {"-- tovo 0.1.1\nx=rand(4)", 4, "rand=rnd\n-- tovo 0.1.1\nx=rand(4)"},
      {"x=1\n-- tovo 0.1.1", 0, "rand=rnd\nx=1\n-- tovo 0.1.1"},
      {"-- tovo 0.1.1\nx=1", 5, ""},   // a newer cart
      {"-- tovo 0.1.12\nx=1", 4, ""},  // not that line
      {"x=1 -- tovo 0.1.1\n", 4, ""},  // nor a line that only ends with it
  };
  for (const auto& r : rows) {
    console_capture console;
    tovo_cart* cart = cart_with_code(r.code);
    cart->version = r.version;
    apply_legacy_changes(cart);
    bool injected = r.after[0] != 0;
    EXPECT_STREQ(cart->code, injected ? r.after : r.code) << r.code;
    EXPECT_EQ(console.lines(), injected ? "legacy: 0.1.1 api injected\n" : "") << r.code;
    tarq_destroy_tovo_cart(cart);
  }
  // A code that fills the buffer has no room: it stays whole.
  tovo_cart* full = tarq_create_tovo_cart();
  full->version = 4;
  std::string code = "-- tovo 0.1.1\n" + std::string(TOVO_CODE_SIZE - 20, 'x');
  snprintf(full->code, TOVO_CODE_SIZE, "%s", code.c_str());
  console_capture console;
  apply_legacy_changes(full);
  EXPECT_EQ(std::string(full->code), code);
  EXPECT_EQ(console.lines(), "");
  tarq_destroy_tovo_cart(full);
}

TEST_F(disk_load, LuaImportEncodings) {
  struct row {
    std::string bytes;
    std::string code;
  };
  const std::string u16le_smile = std::string("\xff\xfe", 2) + std::string("a\0\x3a\x26\r\0\n\0", 8);
  const row rows[] = {
      {"print(1)\r\nx=2", "print(1)\nx=2\n\n"},
      {"\xef\xbb\xbfok", "ok\n\n"},
      {u16le_smile, "a_x3a26\n\n\n"},
      {std::string("\xfe\xff\0b\x26\x3a", 6), "b_x263a\n\n"},
      {std::string("\xff\xfe\0\0c\0\0\0\x3a\x26\x01\0", 12), "c_x3a260100\n\n"},
      {std::string("\0\0\xfe\xff\0\0\0d", 8), "d\n\n"},
  };
  for (const row& r : rows) {
    write_file(file("in.lua"), r.bytes);
    tovo_cart* cart = load_tovo_cart_lua(file("in.lua").c_str());
    ASSERT_TRUE(cart);
    EXPECT_EQ(std::string(cart->code), r.code);
    EXPECT_EQ(cart->version, 0);
    tarq_destroy_tovo_cart(cart);
  }
  EXPECT_EQ(load_tovo_cart_lua(file("missing.lua").c_str()), nullptr);
  // A long file is cut to the code buffer.
  write_file(file("long.lua"), std::string(131071, 'z'));
  tovo_cart* cart = load_tovo_cart_lua(file("long.lua").c_str());
  EXPECT_EQ(strlen(cart->code), static_cast<size_t>(TOVO_CODE_SIZE - 1));
  tarq_destroy_tovo_cart(cart);
}

}  // namespace
