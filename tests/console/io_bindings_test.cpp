// btn, btnp, serial, sfx, music, cartdata, dget, dset, reload and cstore
// by name: argument conventions, results and charges.
#include <cstring>
#include <string>

#include "console/machine/address_space.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/serial.h"
#include "console/run/run_record.h"
#include "sound/play/play.h"
#include "sound/sound.h"
#include "tests/console/bindings_fixture.h"
#include "tests/support/fake_shell.h"

namespace {

class IoBindingsTest : public BindingsTest {
 protected:
  void SetUp() override {
    BindingsTest::SetUp();
    std::memset(&button_state(), 0, sizeof button_state());
    run_state().buttons_read = 0;
  }
  void TearDown() override {
    serial_free_buffers();
    tarq_stop_all_sounds();
    cmusic_stop(0, 0);
    install_fake_shell();
    BindingsTest::TearDown();
  }
};

TEST_F(IoBindingsTest, ButtonsAsBitsOrBooleans) {
  pstate().held[0][0] = pstate().held[0][4] = pstate().held[1][1] = 1;
  pstate().held[3][7] = 1;
  button_state().pressed[0][2] = 1;
  EXPECT_EQ(results("btn()"), "529");  // 0x0211
  EXPECT_EQ(run_state().buttons_read, 1);
  EXPECT_EQ(results("btnp()"), "4");
  EXPECT_EQ(results("btn(0), btn(1), btn(1, 1), btn(0, 8), btn(7, 3), btn(9, 3), btn(-3)"),
            "true,false,true,false,true,true,true");
  EXPECT_EQ(results("btn(0, -1), btnp(2), btnp(2, 0.5)"), "false,true,true");
  EXPECT_EQ(charge("btn", ""), 0);
  EXPECT_EQ(charge("btn", "1"), 8);
}

TEST_F(IoBindingsTest, SerialBindingArgumentsAndCharge) {
  for (int i = 0; i < 4; i++) tovo_poke(&pstate(), cart, 0x8000 + i, 0x10 + i);
  EXPECT_EQ(results("serial(3, 0x8000, 4)"), "4");
  EXPECT_EQ(results("serial(3, 0x8000, 4, 3)"), "12");
  EXPECT_EQ(results("serial(3, 0x8000, 4, 0.5)"), "0");
  EXPECT_EQ(results("serial(5000, 0x8000, 4)"), "0");
  EXPECT_EQ(results("serial(2, 'freq:77')"), "");
  EXPECT_EQ(tovo_serial_channel_record(2)->freq, 77);
  serial_end_frame();
  EXPECT_EQ(pstate().ram[0x5f83], 0x13);
  EXPECT_EQ(charge("serial", "0x100, 0x8000, 64"), 2 * (64 * 8 / 64));
}

TEST_F(IoBindingsTest, SfxArguments) {
  tovo_sound_word_store(cart->sfx[5].speed, 255);
  tovo_sound_word_store(cart->sfx[5].notes[0].volume, 5);
  tovo_sound_word_store(cart->sfx[63].speed, 255);
  tovo_sound_word_store(cart->sfx[63].notes[0].volume, 5);
  run("sfx(5, 2)");
  EXPECT_EQ(tarq_get_tovo_channel_sfx(2), &cart->sfx[5]);
  run("sfx(5, -2)");  // stops it wherever it plays
  EXPECT_EQ(tarq_get_tovo_channel_sfx(2), nullptr);
  run("sfx(3, 4) sfx(3, -3)");
  for (int c = 0; c < 4; c++) EXPECT_EQ(tarq_get_tovo_channel_sfx(c), nullptr);
  run("sfx(70, 1)");
  EXPECT_EQ(tarq_get_tovo_channel_sfx(1), &cart->sfx[63]);
  run("sfx(-1, 1)");
  EXPECT_EQ(tarq_get_tovo_channel_sfx(1), nullptr);
  EXPECT_EQ(charge("sfx", "5"), 32);
  EXPECT_EQ(charge("sfx", ""), 0);
}

TEST_F(IoBindingsTest, MusicArguments) {
  tovo_sound_word_store(cart->music[63][0], 1);
  tovo_sound_word_store(cart->sfx[1].speed, 255);
  tovo_sound_word_store(cart->music[0][0], 1);
  run("music(100)");
  EXPECT_EQ(tarq_music_is_playing(), 1);
  EXPECT_EQ(results("stat(24)"), "63");
  run("music(-1)");
  EXPECT_EQ(tarq_music_is_playing(), 0);
  run("music(-5)");
  EXPECT_EQ(results("stat(24)"), "0");
  EXPECT_EQ(charge("music", "-1"), 32);
}

// Cart storage hooks that record what they were asked.
struct storage_log {
  int opened;
  std::string last_path;
  int32_t dst, src, len, own, sandboxed;
};
storage_log storage;

int fake_load(const char* id, const char** message) {
  if (storage.opened) {
    *message = "cartdata() can only be called once";
    return 2;
  }
  storage.opened = 1;
  return std::strcmp(id, "new") == 0 ? 1 : 0;
}
int fake_opened() { return storage.opened; }
int fake_mounted(const char* name, char* out, int size) {
  if (std::strcmp(name, "mounted.kx") != 0) return 1;
  snprintf(out, static_cast<size_t>(size), "cstore/__hash.kx");
  return 0;
}
int fake_cstore_file(const char* name, char* out, int size) {
  if (std::strchr(name, '/')) return 1;
  snprintf(out, static_cast<size_t>(size), "cstore/%s", name);
  return 0;
}
int fake_own(char* out, int size) {
  snprintf(out, static_cast<size_t>(size), "cstore/__own.kx");
  return 0;
}
int fake_exists(const char*) { return 0; }
int fake_reload(const char* path, int32_t dst, int32_t src, int32_t len) {
  storage.last_path = path;
  storage.dst = dst;
  storage.src = src;
  storage.len = len;
  return std::strstr(path, "fail") ? 1 : 0;
}
int fake_cstore(const char* path, int32_t dst, int32_t src, int32_t len, int own, int sandboxed) {
  fake_reload(path, dst, src, len);
  storage.own = own;
  storage.sandboxed = sandboxed;
  return 0;
}

class StorageBindingsTest : public IoBindingsTest {
 protected:
  void SetUp() override {
    IoBindingsTest::SetUp();
    storage = {};
    install_fake_shell();
    tovo_shell().load_cdata = fake_load;
    tovo_shell().cdata_opened = fake_opened;
    tovo_shell().mounted_sandboxed_file = fake_mounted;
    tovo_shell().cstore_file_for_name = fake_cstore_file;
    tovo_shell().own_cstore_file = fake_own;
    tovo_shell().file_exists = fake_exists;
    tovo_shell().reload_cart_partial = fake_reload;
    tovo_shell().cstore_cart_partial = fake_cstore;
  }
};

TEST_F(StorageBindingsTest, CartDataWords) {
  EXPECT_EQ(error_of("dget(0)"), "dget called before cartdata()");
  EXPECT_EQ(error_of("dset(0, 1)"), "dset called before cartdata()");
  EXPECT_EQ(results("cartdata()"), "");
  EXPECT_EQ(results("cartdata('mygame')"), "true");
  EXPECT_EQ(error_of("cartdata('again')"), "cartdata() can only be called once");
  run("dset(3, 1.5)");
  EXPECT_EQ(pstate().cart_data[3], 0x18000);
  EXPECT_EQ(pstate().cart_data_dirty, 1);
  pstate().cart_data_dirty = 0;
  run("dset(3, 1.5) dset(-1, 5) dset(64, 5)");
  EXPECT_EQ(pstate().cart_data_dirty, 0);
  EXPECT_EQ(results("dget(3), dget(64), dget(-1), dget(3.9)"), "1.5,0,0,1.5");
}

TEST_F(StorageBindingsTest, ReloadAndCstoreByName) {
  EXPECT_EQ(results("reload(0x8000, 0, 16, 'levels.kx')"), "16");
  EXPECT_EQ(storage.last_path, "cstore/levels.kx");
  EXPECT_EQ(results("reload(0x8000, 0, 16, '/levels.kx')"), "16");
  EXPECT_EQ(storage.last_path, "cstore/levels.kx");
  EXPECT_EQ(results("reload(0x8000, 0, 16, '__x')"), "0");
  EXPECT_EQ(results("reload(0x8000, 0, 16, 'a/b')"), "0");
  EXPECT_EQ(results("reload(0x8000, 0, 16, 'fail.kx')"), "0");
  EXPECT_EQ(results("reload(0x8000, 0, 16, 'mounted.kx')"), "16");
  EXPECT_EQ(storage.last_path, "mounted.kx");  // no sandboxed file yet: the mounted cart

  EXPECT_EQ(results("cstore(0, 0x8000, 32, 'data.kx')"), "32");
  EXPECT_EQ(storage.last_path, "cstore/data.kx");
  EXPECT_EQ(storage.own, 0);
  EXPECT_EQ(storage.sandboxed, 0);
  EXPECT_EQ(results("cstore(0, 0x8000, 32)"), "32");
  EXPECT_EQ(storage.last_path, "cstore/__own.kx");
  EXPECT_EQ(storage.own, 1);
  EXPECT_EQ(results("cstore(0, 0x8000, 32, 'mounted.kx')"), "32");
  EXPECT_EQ(storage.last_path, "cstore/__hash.kx");
  EXPECT_EQ(storage.sandboxed, 1);
  EXPECT_EQ(results("cstore(0, 0x8000, 32, '__no')"), "0");
  EXPECT_EQ(results("cstore(0, 0x8000, 32, '" + std::string(600, 'a') + "')"), "0");
  EXPECT_EQ(charge("cstore", "0, 0x8000, 5000"), 2 * 64 * 4096);
  EXPECT_EQ(charge("cstore", ""), 2 * 0x40000);
}

TEST_F(IoBindingsTest, StorageTheShellRefusesFails) {
  EXPECT_EQ(results("cartdata('x')"), "false");
  EXPECT_EQ(results("reload(0, 0, 16, 'x.kx'), cstore(0, 0, 16, 'x.kx'), cstore()"), "0,0,0");
}

}  // namespace
