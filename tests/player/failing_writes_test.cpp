// Every writer of the player against a full disk and against links planted
// where it puts its files: a write that fails leaves the file that was there
// and says so; a link is replaced, never written through.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/browser/splore.h"
#include "player/capture/clip_record.h"
#include "player/capture/gif.h"
#include "player/capture/screenshot.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_installers.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/cdata.h"
#include "player/cart/cstore.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/clipboard/clip_cart.h"
#include "player/message.h"
#include "player/shell_state.h"
#include "tests/player/built_datapod.h"
#include "tests/player/cart_fixture.h"
#include "tests/player/console_capture.h"
#include "tests/player/disk_fixture.h"
#include "tests/support/disk_full.h"

namespace {

const std::string OLD_BYTES = "the user's own bytes, kept until a whole new file stands in their place";

bool is_link(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

uint32_t noise_state = 1;
uint8_t noise() {
  noise_state = noise_state * 1103515245u + 12345u;
  return (uint8_t)(noise_state >> 24);
}

struct writers : disk_fixture {
  tovo_test::temp_dir root;  // the root cart folder
  tarq_pod* data = nullptr;
  tarq_bitmap* frame = nullptr;

  void SetUp() override {
    disk_fixture::SetUp();
    snprintf(shell.root_path, sizeof shell.root_path, "%s/", root.path.c_str());
    cconfig.home_path[0] = 0;
    cconfig.desktop_path[0] = 0;
    frame = tarq_create_bitmap(128, 128, 8);
    for (int32_t i = 0; i < 128 * 128; i++) frame->pixels[i] = noise() & 15;
  }
  void TearDown() override {
    frame = tarq_destroy_bitmap(frame);
    shell.resources = tarq_destroy_pod(shell.resources);
    data = tarq_destroy_pod(data);
    cconfig.config_sha1[0] = 0;
    disk_fixture::TearDown();
  }

  // A working cart with a full sheet, loaded from game.kx.
  void load_working_cart() {
    tovo_cart* cart = tovo_test::make_full_cart(3000);
    ASSERT_EQ(tarq_save_tovo_cart(cart, file("game.kx").c_str()), 0);
    prepare_loaded_cart(cart, file("game.kx").c_str());
    for (int32_t a = 0; a < 0x2000; a++) tovo_poke(&pstate(), pstate().cart, a, noise());
  }

  // The data pod's resources, for the installers.
  void load_resources() {
    data = tarq_load_pod(built_datapod().c_str());
    ASSERT_NE(data, nullptr);
    tarq_file* f = (tarq_file*)cpod_get_item(data, 1, TARQ_ITEM_FILE);
    ASSERT_NE(f, nullptr);
    f->pos = 0;
    shell.resources = tarq_load_pod_file("", f);
    ASSERT_NE(shell.resources, nullptr);
  }

  std::string desktop_file(const char* name) {
    tarq_mkdir((home.path() + "/Desktop").c_str());
    snprintf(run_state().set_filename, sizeof run_state().set_filename, "%s", name);
    return home.path() + "/Desktop/" + name;
  }
};

// One writer: `prepare` makes what it needs and gives the file it replaces
// (every folder on the way made); `write` writes it and says whether it
// reported success.
struct player_writer {
  const char* what;
  std::string (*prepare)(writers& t);
  bool (*write)(writers& t);
};

const player_writer WRITERS[] = {
    {"a text cart", [](writers& t) { return t.file("out.kx"); },
     [](writers& t) {
       tovo_cart* cart = tovo_test::make_full_cart(3000);
       bool ok = tarq_save_tovo_cart(cart, t.file("out.kx").c_str()) == 0;
       tarq_destroy_tovo_cart(cart);
       return ok;
     }},
    {"a picture cart", [](writers& t) { return t.file("out.kx.png"); },
     [](writers& t) {
       tovo_cart* cart = tovo_test::make_full_cart(3000);
       bool ok = save_tovo_cart_png(cart, t.file("out.kx.png").c_str()) == 0;
       tarq_destroy_tovo_cart(cart);
       return ok;
     }},
    {"a ROM cart", [](writers& t) { return t.file("out.rom"); },
     [](writers& t) {
       tovo_cart* cart = tovo_test::make_full_cart(3000);
       bool ok = save_tovo_cart_rom(cart, t.file("out.rom").c_str()) == 0;
       tarq_destroy_tovo_cart(cart);
       return ok;
     }},
    {"the save road",
     [](writers& t) {
       t.load_working_cart();
       return t.file("saved.kx.png");
     },
     [](writers& t) {
       message_bar = {};
       bool ok = save_working_cart(t.file("saved.kx.png").c_str()) == 0;
       EXPECT_EQ(std::string(message_bar.text), ok ? "" : "** failed to save **");
       return ok;
     }},
    {"cstore to a text cart",
     [](writers& t) {
       t.load_working_cart();
       return t.file("data.kx");
     },
     [](writers& t) { return cstore_cart_partial(t.file("data.kx").c_str(), 0, 0, 0x2000, 0, 0) == TOVO_CSTORE_OK; }},
    {"cstore to a picture cart",
     [](writers& t) {
       t.load_working_cart();
       return t.file("data.kx.png");
     },
     [](writers& t) {
       return cstore_cart_partial(t.file("data.kx.png").c_str(), 0, 0, 0x2000, 0, 0) == TOVO_CSTORE_OK;
     }},
    {"cstore to a ROM name",
     [](writers& t) {
       t.load_working_cart();
       return t.file("data.kx.rom");
     },
     [](writers& t) {
       return cstore_cart_partial(t.file("data.kx.rom").c_str(), 0, 0, 0x2000, 0, 0) == TOVO_CSTORE_OK;
     }},
    {"the sandboxed cstore file",
     [](writers& t) {
       t.load_working_cart();
       return std::string(get_sandboxed_cstore_filename(disk_state.saved_hash));
     },
     [](writers&) {
       std::string own = get_sandboxed_cstore_filename(disk_state.saved_hash);
       return cstore_cart_partial(own.c_str(), 0, 0, 0x2000, 1, 1) == TOVO_CSTORE_OK;
     }},
    {"cart data", [](writers& t) { return t.appdata + "cdata/keep.kxd.txt"; },
     [](writers&) {
       shell.mode = TOVO_MODE_RUNNING;
       shell.program_started = 1;
       disk_state.cdata_id[0] = 0;
       load_cdata("keep");
       for (int32_t& word : pstate().cart_data) word = (int32_t)(noise() * 0x01010101u);
       pstate().cart_data_dirty = 1;
       bool ok = save_cdata() == 0;
       EXPECT_EQ(pstate().cart_data_dirty, ok ? 0 : 1) << "the data is kept for a later save";
       return ok;
     }},
    {"config.txt", [](writers& t) { return t.appdata + "config.txt"; },
     [](writers&) {
       cconfig.config_sha1[0] = 0;
       return tarq_config_save() == TARQ_CONFIG_SAVED;
     }},
    {"favourites", [](writers& t) { return t.appdata + "favourites.txt"; },
     [](writers& t) {
       splore_list list{};
       for (int32_t i = 0; i < 8; i++) {
         splore_item item{};
         item.kind = SPLORE_KIND_CART;
         snprintf(item.lid, sizeof item.lid, "%d", 1000 + i);
         snprintf(item.title, sizeof item.title, "favourite cart number %d", i);
         splore_add_item(&list, &item);
       }
       bool ok = save_splore_list_to_file(&list, (t.appdata + "favourites.txt").c_str()) == 0;
       clear_splore_list(&list);
       tarq_free(list.items);
       return ok;
     }},
    {"a screenshot", [](writers& t) { return t.desktop_file("shot") + ".png"; },
     [](writers& t) { return save_png_screenshot(t.frame, 1, 0) == 0; }},
    {"a GIF clip", [](writers& t) { return t.desktop_file("clip") + ".gif"; },
     [](writers& t) {
       app.gif_len = 1;
       reset_video();
       record_video_frame(t.frame);
       return save_gif(1, 0) == 0;
     }},
    {"demo carts",
     [](writers& t) {
       t.load_resources();
       tarq_mkdir((t.root.path + "/demos").c_str());
       return t.root.path + "/demos/hello.kx";
     },
     [](writers&) { return install_demo_carts() == 0; }},
    {"preloaded games",
     [](writers& t) {
       t.load_resources();
       tarq_mkdir((t.root.path + "/games").c_str());
       return t.root.path + "/games/tovo_hop.kx.png";
     },
     [](writers&) { return install_preloaded_bbs_carts() == 0; }},
    {"a cart as a clipboard code",
     [](writers& t) {
       tovo_cart* cart = tovo_test::make_full_cart(3000);
       EXPECT_EQ(save_tovo_cart_png(cart, t.file("source.kx.png").c_str()), 0);
       tarq_destroy_tovo_cart(cart);
       return t.file("cart.hex");
     },
     [](writers& t) {
       return convert_binary_file_to_hex(t.file("source.kx.png").c_str(), t.file("cart.hex").c_str()) == 0;
     }},
};

TEST_F(writers, AFullDiskKeepsEveryOldFileAndIsReported) {
  for (rlim_t limit : {rlim_t{0}, rlim_t{200}}) {  // the first write fails; a write on the way fails
    for (const player_writer& w : WRITERS) {
      SCOPED_TRACE(std::string(w.what) + " with room for " + std::to_string(limit) + " bytes");
      std::string path = w.prepare(*this);
      write_file(path, OLD_BYTES);
      bool reported;
      {
        tovo_test::disk_full full(limit);
        reported = w.write(*this);
      }
      EXPECT_FALSE(reported);
      EXPECT_EQ(read_file(path), OLD_BYTES);
      EXPECT_FALSE(tarq_file_exists((path + ".tmp").c_str()));
      TearDown();
      SetUp();
    }
  }
}

TEST_F(writers, WithRoomEachOfThemReplacesTheFile) {
  for (const player_writer& w : WRITERS) {
    SCOPED_TRACE(w.what);
    std::string path = w.prepare(*this);
    write_file(path, OLD_BYTES);
    EXPECT_TRUE(w.write(*this));
    EXPECT_NE(read_file(path), OLD_BYTES);
    EXPECT_FALSE(tarq_file_exists((path + ".tmp").c_str()));
    TearDown();
    SetUp();
  }
}

TEST_F(writers, LinksPlantedAtTheirNamesAreReplacedNotFollowed) {
  for (const char* planted : {".tmp", ""}) {  // at the temporary name, at the file's own name
    for (const player_writer& w : WRITERS) {
      SCOPED_TRACE(std::string(w.what) + ", link at the name + \"" + planted + "\"");
      std::string path = w.prepare(*this);
      unlink(path.c_str());
      std::string victim = file("victim");
      write_file(victim, OLD_BYTES);
      ASSERT_EQ(symlink(victim.c_str(), (path + planted).c_str()), 0);
      EXPECT_TRUE(w.write(*this));
      EXPECT_EQ(read_file(victim), OLD_BYTES);
      EXPECT_FALSE(is_link(path));
      EXPECT_NE(read_file(path), "<missing>");
      EXPECT_FALSE(is_link(path + ".tmp") || tarq_file_exists((path + ".tmp").c_str()));
      TearDown();
      SetUp();
    }
  }
}

TEST_F(writers, InstallersSayWhatTheyCouldNotWrite) {
  load_resources();
  // A folder in the way of the first demo cart.
  ASSERT_EQ(tarq_mkdir((root.path + "/demos").c_str()), 0);
  ASSERT_EQ(tarq_mkdir((root.path + "/demos/hello.kx.tmp").c_str()), 0);
  write_file(root.path + "/demos/hello.kx", OLD_BYTES);
  {
    console_capture console;
    EXPECT_EQ(install_demo_carts(), 1);
    std::string lines = console.lines();
    EXPECT_NE(lines.find("could not write to disk"), std::string::npos) << lines;
  }
  EXPECT_EQ(read_file(root.path + "/demos/hello.kx"), OLD_BYTES);

  // The cache file of a game is written; a folder in the way of its copy in games/.
  // The cache file is written; a folder in the way of the copy in games/.
  ASSERT_EQ(tarq_mkdir((root.path + "/games").c_str()), 0);
  ASSERT_EQ(tarq_mkdir((root.path + "/games/tovo_hop.kx.png.tmp").c_str()), 0);
  write_file(root.path + "/games/tovo_hop.kx.png", OLD_BYTES);
  console_capture console;
  EXPECT_EQ(install_preloaded_bbs_carts(), 1);
  std::string lines = console.lines();
  EXPECT_NE(lines.find("could not write to disk"), std::string::npos) << lines;
  EXPECT_EQ(read_file(root.path + "/games/tovo_hop.kx.png"), OLD_BYTES);
  EXPECT_FALSE(tarq_file_exists((root.path + "/games/tovo_catch.kx.png").c_str())) << "the installing stops";
}

}  // namespace
