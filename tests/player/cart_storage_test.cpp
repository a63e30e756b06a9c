// cstore and reload, cart data, backups, dropped files and the save road.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/serial.h"
#include "console/machine/serial_drop.h"
#include "console/run/code_tabs.h"
#include "console/run/run.h"
#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/platform/host.h"
#include "engine/platform/present.h"
#include "engine/tarq.h"
#include "player/cart/backup.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/cdata.h"
#include "player/cart/cstore.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/cart/drop.h"
#include "player/shell_state.h"
#include "tests/player/cart_fixture.h"
#include "tests/player/console_capture.h"
#include "tests/player/disk_fixture.h"

namespace {

using cart_storage = disk_fixture;

void run_cart() {
  shell.mode = TOVO_MODE_RUNNING;
  shell.program_started = 1;
}

TEST_F(cart_storage, CstoreWritesMachineBytesIntoTheFileAndTheWorkingCart) {
  prepare_loaded_cart(tarq_create_tovo_cart(), file("game.kx").c_str());
  for (int i = 0; i < 0x100; i++) tovo_poke(&pstate(), pstate().cart, 0x4300 + i, i);  // user memory
  std::string name = file("out.kx");
  EXPECT_EQ(cstore_cart_partial(name.c_str(), 0x3000, 0x4300, 0x100, 1, 0), TOVO_CSTORE_OK);
  EXPECT_STREQ(disk_state.last_file, name.c_str());
  EXPECT_EQ(disk_state.run_pause, 30);
  tovo_cart* written = tarq_load_tovo_cart(name.c_str());
  ASSERT_TRUE(written);
  for (int i = 0; i < 0x100; i++) {
    EXPECT_EQ(written->gff[i], i);
    EXPECT_EQ(pitem(0)->gff[i], i);
  }
  for (uint8_t b : written->change_mask) ASSERT_EQ(b, 0xff);  // not sandboxed
  tarq_destroy_tovo_cart(written);

  // A second store keeps the file's other bytes.
  tovo_poke(&pstate(), pstate().cart, 0x4300, 0x77);
  EXPECT_EQ(cstore_cart_partial(name.c_str(), 0x2000, 0x4300, 1, 0, 0), TOVO_CSTORE_OK);
  written = tarq_load_tovo_cart(name.c_str());
  EXPECT_EQ(written->map->rows[0][0], 0x77);
  EXPECT_EQ(written->gff[5], 5);
  EXPECT_EQ(pitem(0)->map->rows[0][0], 0);
  tarq_destroy_tovo_cart(written);
}

TEST_F(cart_storage, SandboxedStoresMarkOnlyTheirBytesInsideTheRom) {
  std::string name = file("patch.kx");
  EXPECT_EQ(cstore_cart_partial(name.c_str(), 0x42f0, 0x6000, 0x40, 0, 1), TOVO_CSTORE_OK);
  tovo_cart* patch = tarq_load_tovo_cart(name.c_str());
  ASSERT_TRUE(patch);
  for (int a = 0; a < 0x4300; a++) {
    bool marked = patch->change_mask[a >> 3] & (1 << (a & 7));
    ASSERT_EQ(marked, a >= 0x42f0) << a;
  }
  tarq_destroy_tovo_cart(patch);
}

TEST_F(cart_storage, ThePictureFormForPngAndRomNames) {
  std::string name = file("data.kx.rom");
  EXPECT_EQ(cstore_cart_partial(name.c_str(), 0, 0x4300, 4, 0, 0), TOVO_CSTORE_OK);
  tovo_cart* cart = load_tovo_cart_png(name.c_str());
  EXPECT_TRUE(cart);
  tarq_destroy_tovo_cart(cart);
}

TEST_F(cart_storage, The257thNameIsRefused) {
  for (int i = 0; i < 256; i++) {
    std::string name = file("c" + std::to_string(i) + ".kx");
    ASSERT_EQ(cstore_cart_partial(name.c_str(), 0, 0x4300, 1, 0, 0), TOVO_CSTORE_OK);
  }
  EXPECT_EQ(cstore_cart_partial(file("c0.kx").c_str(), 0, 0x4300, 1, 0, 0), TOVO_CSTORE_OK);  // already listed
  EXPECT_EQ(cstore_cart_partial(file("c256.kx").c_str(), 0, 0x4300, 1, 0, 0), TOVO_CSTORE_TOO_MANY_FILES);
  EXPECT_EQ(read_file(file("c256.kx")), "<missing>");
}

TEST_F(cart_storage, FailuresAndFutureCartsAreNotOverwritten) {
  EXPECT_EQ(cstore_cart_partial(file("no/folder.kx").c_str(), 0, 0x4300, 1, 0, 0), TOVO_CSTORE_WRITE_FAILED);
  write_text_cart(file("future.kx"), "keep me", 35);
  std::string before = read_file(file("future.kx"));
  EXPECT_EQ(cstore_cart_partial(file("future.kx").c_str(), 0, 0x4300, 1, 0, 0), TOVO_CSTORE_WRITE_FAILED);
  EXPECT_EQ(read_file(file("future.kx")), before);
}

TEST_F(cart_storage, ReloadCopiesRomBytesIntoMemoryAndPausesTheRun) {
  tovo_cart* source = tovo_test::make_full_cart(10);
  std::string name = file("levels.kx");
  ASSERT_EQ(tarq_save_tovo_cart(source, name.c_str()), 0);
  EXPECT_EQ(reload_cart_partial(name.c_str(), 0x4300, 0x3000, 0x100), 0);
  for (int i = 0; i < 0x100; i++) ASSERT_EQ(tovo_peek(&pstate(), pstate().cart, 0x4300 + i), source->gff[i] & 0xff);
  EXPECT_EQ(disk_state.run_pause, 30);
  EXPECT_EQ(disk_state.recent_access, 150);
  // The live structures follow: the sprite flags of the machine's cart.
  EXPECT_EQ(reload_cart_partial(name.c_str(), 0x3000, 0x3000, 0x100), 0);
  for (int i = 0; i < 0x100; i++) ASSERT_EQ(pstate().cart->gff[i], source->gff[i] & 0xff);
  // Another file soon after: a shorter pause.
  disk_state.recent_access = 20;
  EXPECT_EQ(reload_cart_partial(file("missing.kx").c_str(), 0, 0, 10), 1);
  EXPECT_EQ(disk_state.run_pause, 10);
  disk_state.recent_access = 150;
  EXPECT_EQ(reload_cart_partial(name.c_str(), 0, 0, 10), 0);
  EXPECT_EQ(disk_state.run_pause, 2);
  tarq_destroy_tovo_cart(source);
}

TEST_F(cart_storage, CstoreThenReloadThenPrepare) {
  // The running cart stores into its own sandboxed file; a reload reads the
  // bytes back, and loading the cart again applies them.
  write_text_cart(file("game.kx"), "print(1)");
  ASSERT_EQ(load_working_cart(file("game.kx").c_str()), 0);
  std::string sandbox = disk_state.gscf_buffer;
  for (int i = 0; i < 16; i++) tovo_poke(&pstate(), pstate().cart, 0x4300 + i, 0xc0 + i);
  ASSERT_EQ(cstore_cart_partial(sandbox.c_str(), 0x3000, 0x4300, 16, 1, 1), TOVO_CSTORE_OK);
  for (int i = 0; i < 16; i++) tovo_poke(&pstate(), pstate().cart, 0x4300 + i, 0);
  ASSERT_EQ(reload_cart_partial(sandbox.c_str(), 0x4300, 0x3000, 16), 0);
  for (int i = 0; i < 16; i++) EXPECT_EQ(tovo_peek(&pstate(), pstate().cart, 0x4300 + i), 0xc0 + i);

  ASSERT_EQ(load_working_cart(file("game.kx").c_str()), 0);
  EXPECT_STREQ(disk_state.gscf_buffer, sandbox.c_str());
  for (int i = 0; i < 16; i++) EXPECT_EQ(pitem(0)->gff[i], 0xc0 + i);
  EXPECT_EQ(pitem(0)->gff[16], 0);
  EXPECT_EQ(working_code(), "print(1)");
}

TEST_F(cart_storage, CstoreNamesStayInsideTheFolder) {
  struct row {
    const char* name;
    bool accepted;
  };
  const row rows[] = {
      {"save.kx", true},   {"/save.kx", true},      {"my level-2_b.kx.png", true},
      {"../x.kx", false},  {"a/../../x.kx", false}, {"//etc/passwd", false},
      {"sub/x.kx", false}, {"..", false},           {"", false},
      {"/", false},        {"a\\b.kx", false},      {"x\n.kx", false},
  };
  for (const row& r : rows) {
    char out[1024];
    EXPECT_EQ(tovo_cstore_path_for_name(r.name, out) == 0, r.accepted) << r.name;
    if (r.accepted) {
      EXPECT_EQ(std::string(out).rfind(appdata + "cstore/", 0), 0u) << out;
      EXPECT_EQ(std::string(out).find(".."), std::string::npos);
    }
  }
  std::string longest(1100, 'a');
  char out[1024];
  EXPECT_EQ(tovo_cstore_path_for_name(longest.c_str(), out), 1);
}

TEST_F(cart_storage, CartDataIdsAndFile) {
  EXPECT_EQ(load_cdata("my_game-1"), TOVO_CDATA_NO_FILE);  // no cart runs
  run_cart();
  EXPECT_EQ(load_cdata(nullptr), TOVO_CDATA_NO_ID);
  struct row {
    std::string id;
    const char* error;
  };
  const row bad[] = {{"", "cart data id too long"},
                     {std::string(65, 'a'), "cart data id too long"},
                     {"Game", "cart data id: bad char"},
                     {"a/b", "cart data id: bad char"},
                     {"..", "cart data id: bad char"}};
  for (const row& r : bad) {
    EXPECT_EQ(load_cdata(r.id.c_str()), TOVO_CDATA_ERROR) << r.id;
    EXPECT_STREQ(tovo_cdata_error, r.error);
    EXPECT_STREQ(disk_state.cdata_id, "");
  }
  pstate().cart_data[3] = 99;
  EXPECT_EQ(load_cdata(std::string(64, 'z').c_str()), TOVO_CDATA_NO_FILE);
  EXPECT_EQ(pstate().cart_data[3], 0);
  EXPECT_EQ(load_cdata("again"), TOVO_CDATA_ERROR);
  EXPECT_STREQ(tovo_cdata_error, "cartdata() can only be called once");

  disk_state.cdata_id[0] = 0;
  EXPECT_EQ(load_cdata("my_game-1"), TOVO_CDATA_NO_FILE);
  pstate().cart_data_dirty = 1;
  EXPECT_EQ(save_cdata(), 0);
  EXPECT_EQ(pstate().cart_data_dirty, 0);
  std::string line = std::string(64, '0') + "\n";
  std::string all;
  for (int i = 0; i < 8; i++) all += line;
  EXPECT_EQ(read_file(appdata + "cdata/my_game-1.kxd.txt"), all);

  pstate().cart_data[0] = 10;
  pstate().cart_data[9] = -1;
  pstate().cart_data[63] = 0x12345678;
  EXPECT_EQ(save_cdata(), 0);
  std::string text = read_file(appdata + "cdata/my_game-1.kxd.txt");
  ASSERT_EQ(text.size(), 520u);
  EXPECT_EQ(text.substr(0, 8), "0000000a");
  EXPECT_EQ(text.substr(65 + 8, 8), "ffffffff");
  EXPECT_EQ(text.substr(7 * 65 + 56, 9), "12345678\n");
  EXPECT_FALSE(tarq_file_exists((appdata + "cdata/my_game-1.kxd.txt.tmp").c_str()));

  memset(pstate().cart_data, 0, sizeof pstate().cart_data);
  disk_state.cdata_id[0] = 0;
  EXPECT_EQ(load_cdata("my_game-1"), TOVO_CDATA_READ);
  EXPECT_EQ(pstate().cart_data[0], 10);
  EXPECT_EQ(pstate().cart_data[9], -1);
  EXPECT_EQ(pstate().cart_data[63], 0x12345678);
}

TEST_F(cart_storage, CartDataParsesOnlyHexDigits) {
  run_cart();
  write_file(appdata + "cdata/loose.kxd.txt", "0000000A 1");
  EXPECT_EQ(load_cdata("loose"), TOVO_CDATA_READ);
  EXPECT_EQ(pstate().cart_data[0], 10);
  EXPECT_EQ(pstate().cart_data[1], 1);
  EXPECT_EQ(pstate().cart_data[2], 0);

  disk_state.cdata_id[0] = 0;
  write_file(appdata + "cdata/long.kxd.txt", std::string(2000, 'f'));
  EXPECT_EQ(load_cdata("long"), TOVO_CDATA_READ);
  for (int i = 0; i < 64; i++) EXPECT_EQ(pstate().cart_data[i], -1);
}

TEST_F(cart_storage, CartDataAutosaveWhileDirty) {
  run_cart();
  load_cdata("auto");
  std::string path = appdata + "cdata/auto.kxd.txt";
  autosave_cdata(5000);
  EXPECT_EQ(read_file(path), "<missing>");  // not dirty
  pstate().cart_data[0] = 1;
  pstate().cart_data_dirty = 1;
  autosave_cdata(5000);
  EXPECT_EQ(read_file(path).substr(0, 8), "00000001");
  pstate().cart_data[0] = 2;
  pstate().cart_data_dirty = 1;
  autosave_cdata(5500);  // within a second of the last save
  EXPECT_EQ(read_file(path).substr(0, 8), "00000001");
  autosave_cdata(6001);
  EXPECT_EQ(read_file(path).substr(0, 8), "00000002");

  // Not running: nothing is written, the flag is dropped.
  shell.mode = TOVO_MODE_STOPPED;
  pstate().cart_data[0] = 3;
  pstate().cart_data_dirty = 1;
  EXPECT_EQ(save_cdata(), 0);
  EXPECT_EQ(pstate().cart_data_dirty, 0);
  EXPECT_EQ(read_file(path).substr(0, 8), "00000002");

  // A failed write keeps the data dirty.
  run_cart();
  snprintf(disk_state.cdata_path, sizeof disk_state.cdata_path, "%s", file("no/such/").c_str());
  pstate().cart_data_dirty = 1;
  EXPECT_EQ(save_cdata(), 1);
  EXPECT_EQ(pstate().cart_data_dirty, 1);
}

// The one file in the backup folder whose name ends in `suffix`, or "".
std::string find_backup(const std::string& folder, const std::string& suffix) {
  tarq_find find;
  std::string found;
  for (int r = tarq_find_first(folder.c_str(), "*", &find, 0x8000); r == 0; r = tarq_find_next(&find)) {
    std::string name = find.name;
    if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      found = found.empty() ? folder + name : "<several>";
  }
  tarq_find_close(&find);
  return found;
}

TEST_F(cart_storage, BackupsRawAndOfTheWorkingCart) {
  write_file(file("game.kx"), "raw bytes");
  char name[1024];
  ASSERT_EQ(tovo_backup_filename(file("game.kx").c_str(), name), 0);
  std::string expected_start = appdata + "backup/";
  EXPECT_EQ(std::string(name).rfind(expected_start, 0), 0u);
  EXPECT_EQ(std::string(name).substr(std::string(name).size() - 8), "_game.kx");
  EXPECT_EQ(strlen(name), expected_start.size() + 16 + 7);

  EXPECT_EQ(save_backup(file("game.kx").c_str(), 1), 0);
  std::string raw = find_backup(expected_start, "_game.kx");
  EXPECT_EQ(read_file(raw), "raw bytes");

  prepare_loaded_cart(tovo_test::make_full_cart(100), nullptr);
  EXPECT_EQ(save_backup("", 0), 0);
  std::string untitled = find_backup(expected_start, "_untitled.kx");
  tovo_cart* back = tarq_load_tovo_cart(untitled.c_str());
  ASSERT_TRUE(back);
  EXPECT_STREQ(back->code, pitem(0)->code);
  tarq_destroy_tovo_cart(back);
}

struct drop_case : cart_storage {
  console_capture console;
  void drop(const std::string& path) {
    snprintf(tarq_state.dropped_file, sizeof tarq_state.dropped_file, "%s", path.c_str());
    message_bar = {};
    handle_dropped_file();
    EXPECT_EQ(tarq_state.dropped_file[0], 0);
  }
  void write_png(const std::string& path, int w, int h) {
    tarq_bitmap* b = tarq_create_bitmap(w, h, 32);
    for (int i = 0; i < w * h; i++) reinterpret_cast<uint32_t*>(b->pixels)[i] = 0xff000000u | static_cast<uint32_t>(i);
    ASSERT_EQ(tarq_save_png(path.c_str(), b), 0);
    tarq_destroy_bitmap(b);
  }
};

TEST_F(drop_case, CartsAreRefusedAndFilesGoToSerialChannels) {
  run_cart();
  write_text_cart(file("game.kx"), "x");
  drop(file("game.kx"));
  EXPECT_STREQ(message_bar.text, "can not load");
  EXPECT_EQ(console.message_ms(), 2000);

  write_png(file("big.png"), 200, 100);
  drop(file("big.png"));
  EXPECT_STREQ(message_bar.text, "image is too large (128 max)");

  write_png(file("thing.kxm.png"), 8, 8);
  drop(file("thing.kxm.png"));
  EXPECT_STREQ(message_bar.text, "kxm.png not supported");

  tarq_palette palette = {};
  tarq_palette* saved = tarq_video.tarq_video_palette;
  tarq_swap_video_palette(&palette);
  for (int i = 0; i < 16; i++) pstate().screen_pal[i] = i;
  palette.rgb[7][0] = palette.rgb[7][1] = palette.rgb[7][2] = 255;
  write_png(file("small.png"), 16, 8);
  drop(file("small.png"));
  tarq_swap_video_palette(saved);
  // Serial channel 0x802: width and height as 16-bit words, then the pixels.
  ASSERT_EQ(get_serial_image_file_remaining(), 4 + 16 * 8);
  EXPECT_EQ(tovo_serial_read_dropped(true, 0x4300, 8 * 5), 8 * 5);
  EXPECT_EQ(pstate().ram[0x4300], 16);
  EXPECT_EQ(pstate().ram[0x4301], 0);
  EXPECT_EQ(pstate().ram[0x4302], 8);
  EXPECT_EQ(pstate().ram[0x4303], 0);
  EXPECT_EQ(pstate().ram[0x4304], 0);  // black
  EXPECT_STREQ(message_bar.text, "");

  write_file(file("large.bin"), std::string(300000, 'q'));
  drop(file("large.bin"));
  EXPECT_STREQ(message_bar.text, "file is too large (256k max)");

  write_file(file("note.txt"), "hello");
  drop(file("note.txt"));
  // Serial channel 0x800: the file's bytes.
  ASSERT_EQ(get_serial_file_remaining(), 5);
  EXPECT_EQ(tovo_serial_read_dropped(false, 0x4400, 8 * 5), 8 * 5);
  EXPECT_EQ(memcmp(pstate().ram + 0x4400, "hello", 5), 0);
  tovo_serial_free_dropped();

  drop(file("missing.txt"));
  EXPECT_STREQ(message_bar.text, "");

  shell.mode = TOVO_MODE_STOPPED;  // the machine waits at its prompt
  shell.program_started = 0;
  console.lines();
  drop(file("note.txt"));
  EXPECT_EQ(console.lines(), "could not load cartridge\n");
}

TEST_F(cart_storage, SaveRoadWritesEachFormAndBacksUpOtherFiles) {
  console_capture console;
  prepare_loaded_cart(tovo_test::make_full_cart(500), file("game.kx").c_str());
  ASSERT_EQ(save_working_cart(file("game").c_str()), 0);
  EXPECT_STREQ(disk_state.cart_filename, file("game.kx").c_str());
  tovo_cart* back = tarq_load_tovo_cart(file("game.kx").c_str());
  ASSERT_TRUE(back);
  EXPECT_STREQ(back->code, pitem(0)->code);
  tarq_destroy_tovo_cart(back);

  ASSERT_EQ(save_working_cart(file("game.png").c_str()), 0);
  EXPECT_STREQ(disk_state.cart_filename, file("game.kx.png").c_str());
  back = load_tovo_cart_png(file("game.kx.png").c_str());
  ASSERT_TRUE(back);
  tarq_destroy_tovo_cart(back);

  ASSERT_EQ(save_working_cart(file("game.rom").c_str()), 0);
  EXPECT_EQ(read_file(file("game.kx.rom")).size(), 32768u);

  // Saving over another existing file backs that file up first.
  write_file(file("other.kx"), "old contents");
  ASSERT_EQ(save_working_cart(file("other.kx").c_str()), 0);
  EXPECT_EQ(read_file(find_backup(appdata + "backup/", "_other.kx")), "old contents");

  // Code too large for a picture.
  std::mt19937 rng(5);
  std::string noise(0x3e00, 'x');
  for (char& c : noise) c = static_cast<char>(1 + rng() % 255);
  strcpy(pitem(0)->code, noise.c_str());
  split_code_to_tabs(pitem(0));  // the save road takes the code from the tabs
  console.lines();
  EXPECT_EQ(save_working_cart(file("big.png").c_str()), 1);
  EXPECT_STREQ(message_bar.text, "** failed to save **");
  EXPECT_EQ(read_file(file("big.kx.png")), "<missing>");
  EXPECT_EQ(save_working_cart(file("big.kx").c_str()), 0);  // ".kx" anyway
  std::string lines = console.lines();
  EXPECT_NE(lines.find("compressed code size too large\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("(saving .kx anyway)\n"), std::string::npos) << lines;
}

TEST_F(cart_storage, QuickSaveAndExternalChanges) {
  console_capture console;
  do_quick_save(0);
  EXPECT_STREQ(message_bar.text, "*** no filename. not saved! ***");
  do_quick_save(1);
  EXPECT_EQ(console.lines(), "please speficy a filename\n");

  write_text_cart(file("game.kx"), "print(1)");
  ASSERT_EQ(load_working_cart(file("game.kx").c_str()), 0);
  do_quick_save(0);
  EXPECT_STREQ(message_bar.text, "saved game.kx");
  EXPECT_EQ(detect_external_changes(), 0);

  write_text_cart(file("game.kx"), "print(2)");
  EXPECT_EQ(detect_external_changes(), 1);
  EXPECT_EQ(working_code(), "print(1)");
  do_quick_load();
  EXPECT_STREQ(message_bar.text, "loaded external changes");
  EXPECT_EQ(working_code(), "print(2)");
  EXPECT_EQ(detect_external_changes(), 0);

  snprintf(disk_state.cart_filename, sizeof disk_state.cart_filename, "%s", (appdata + "bbs/x.kx").c_str());
  do_quick_save(0);
  EXPECT_STREQ(message_bar.text, "* can not overwrite bbs cart! *");
}

}  // namespace
