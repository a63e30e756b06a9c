// The cart browser's actions: the per-cart menu, entering folders, starting
// local carts, searches, and list pages fetched from a local server.
#include <gtest/gtest.h>

#include <SDL_scancode.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "console/bindings/stat.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "player/browser/splore.h"
#include "player/browser/splore_download.h"
#include "player/browser/splore_keys.h"
#include "player/browser/splore_menu.h"
#include "player/browser/splore_shutdown.h"
#include "player/cart/disk_state.h"
#include "player/message.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"
#include "tests/player/disk_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"

namespace {

struct splore_menu_test : disk_fixture {
  int32_t saved_timeout = 0;
  void SetUp() override {
    disk_fixture::SetUp();
    splore_shutdown();
    cancel_download(nullptr);
    splore_set_bbs_base("http://127.0.0.1:9");  // nothing listens: no request leaves the machine
    app.kiosk = 0;
    splore.list_index = SPLORE_LIST_LOCAL;
    snprintf(shell.root_path, sizeof shell.root_path, "%s/", dir.path.c_str());
    shell.current_folder[0] = 0;
    shell.sub_mode = 2;
    run_state().pending_action = 0;
    cart_menu = {};
    message_bar = {};
    saved_timeout = cconfig.timeout;
    cconfig.timeout = 30;
  }
  void TearDown() override {
    cancel_download(nullptr);
    cconfig.timeout = saved_timeout;
    splore_shutdown();
    shell.root_path[0] = shell.current_folder[0] = 0;
    shell.sub_mode = 0;
    run_state().pending_action = 0;
    disk_fixture::TearDown();
  }
  std::vector<std::string> menu_labels() const {
    std::vector<std::string> out;
    for (int32_t i = 0; i < cart_menu.count; i++) out.push_back(cart_menu.items[i].label);
    return out;
  }
  void select(int32_t list, int32_t index) {
    splore.list_index = list;
    splore.lists[list].selected = index;
  }
};

TEST_F(splore_menu_test, CartMenusFollowTheItemAndTheList) {
  write_file(appdata + "favourites.txt", "|4321 |9 |2 |maker |  |far cart\n|  |  |0 |x |mine.kx |mine\n");
  splore_enter();
  select(SPLORE_LIST_FAVOURITES, 0);
  ASSERT_TRUE(cart_menu_pop());
  EXPECT_EQ(menu_labels(),
            (std::vector<std::string>{"run cart", "options", "remove from favourites", "carts by @maker",
                                      "similar carts", "search bbs thread", "open thread in browser", "[back]"}));
  select(SPLORE_LIST_FAVOURITES, 1);
  ASSERT_TRUE(cart_menu_pop());
  EXPECT_EQ(menu_labels(), (std::vector<std::string>{"run cart", "options", "remove from favourites", "[back]"}));

  process_cart_menu_action(SPLORE_ACT_OPTIONS);
  EXPECT_EQ(cart_menu.which, SPLORE_MENU_OPTIONS);
  EXPECT_EQ(menu_labels().back(), "back");
  process_cart_menu_action(SPLORE_ACT_BACK);
  EXPECT_EQ(cart_menu.which, SPLORE_MENU_CART);
  process_cart_menu_action(SPLORE_ACT_BACK);
  EXPECT_EQ(cart_menu.which, SPLORE_MENU_NONE);

  // Removing a favourite closes the menu inside the favourites list.
  ASSERT_TRUE(cart_menu_pop());
  process_cart_menu_action(SPLORE_ACT_FAVOURITE);
  EXPECT_EQ(cart_menu.which, SPLORE_MENU_NONE);
  EXPECT_EQ(is_favourite("", "mine.kx"), 0);
  EXPECT_EQ(read_file(appdata + "favourites.txt").find("|4321"), 0u);
}

TEST_F(splore_menu_test, ANewerVersionReplacesTheFavouriteAndIsFetched) {
  write_file(appdata + "favourites.txt", "|4321 |9 |2 |maker |  |far cart\n");
  splore_enter();
  select(SPLORE_LIST_FAVOURITES, 0);
  char nfo[TARQ_PATH_MAX];
  get_bbs_cart_filename_nfo("4321", nfo);
  write_file(nfo, "lid: 4321-2\ntitle: Far Cart Two\nauthor: maker\nmid: 10\ncatsub: 2\n");
  splore.newer_version = 1;
  splore_update_cartridge_to_newer_version();
  EXPECT_EQ(splore.newer_version, 0);
  EXPECT_STREQ(splore.lists[SPLORE_LIST_FAVOURITES].items[0].title, "far cart two");
  EXPECT_EQ(read_file(appdata + "favourites.txt").find("|4321-2 "), 0u);
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_RUNNING);
  EXPECT_NE(std::string(splore.download.file).find("bbs/carts/4321-2.kx.png"), std::string::npos)
      << splore.download.file;
}

TEST_F(splore_menu_test, FoldersAreEnteredAndLeftButNeverEscaped) {
  mkdir(file("games").c_str(), 0755);
  write_file(file("games/inner.kx"), "x");
  splore_enter();
  ASSERT_STREQ(splore.lists[SPLORE_LIST_LOCAL].items[0].title, "games");
  select(SPLORE_LIST_LOCAL, 0);
  action_current_splore_item();
  EXPECT_STREQ(shell.current_folder, "games/");
  ASSERT_STREQ(splore.lists[SPLORE_LIST_LOCAL].items[0].title, "..");
  action_current_splore_item();  // ".." goes back up
  EXPECT_STREQ(shell.current_folder, "");

  // A folder item that would lead outside the cart folder is ignored.
  splore_item& first = splore.lists[SPLORE_LIST_LOCAL].items[0];
  strcpy(first.title, "../..");
  action_current_splore_item();
  EXPECT_STREQ(shell.current_folder, "");
}

TEST_F(splore_menu_test, LocalCartsRunOrSayTheyCannotLoad) {
  write_text_cart(file("hello.kx"), "print(\"hi\")");
  write_file(file("broken.kx"), "not a cart");
  splore_enter();
  ASSERT_EQ(splore.lists[SPLORE_LIST_LOCAL].count, 2);
  select(SPLORE_LIST_LOCAL, 1);  // "hello", after "broken"
  action_current_splore_item();
  EXPECT_EQ(run_state().pending_action, TOVO_PENDING_RUN);
  EXPECT_EQ(shell.sub_mode, 0);
  EXPECT_EQ(working_code().find("print(\"hi\")"), 0u);

  run_state().pending_action = 0;
  shell.sub_mode = 2;
  select(SPLORE_LIST_LOCAL, 0);
  action_current_splore_item();
  EXPECT_EQ(run_state().pending_action, 0);
  EXPECT_STREQ(message_bar.text, "could not load");
}

// A list page with `cells` carts.
void write_page(const std::string& path, int cells) {
  tarq_bitmap* page = tarq_create_bitmap(1024, 544, 32);
  memset(page->pixels, 0, 1024 * 544 * 4);
  for (int c = 0; c < cells; c++) {
    std::string numbers = std::to_string(500 + c) + " 1 2", title = "page cart " + std::to_string(c);
    int x0 = (c % 8) * 128, y0 = (c / 8) * 136;
    for (size_t i = 0; i < numbers.size(); i++)
      tarq_row32(page, y0 + 128)[x0 + i] = 0xFF000000u | (uint8_t)numbers[i] << 8;
    for (size_t i = 0; i < title.size(); i++) tarq_row32(page, y0 + 129)[x0 + i] = 0xFF000000u | (uint8_t)title[i] << 8;
  }
  ASSERT_EQ(tarq_save_png(path.c_str(), page), 0);
  tarq_destroy_bitmap(page);
}

TEST_F(splore_menu_test, ListPagesAndSearchesComeFromTheServer) {
  if (!tovo_test::on_path("python3") || !tovo_test::on_path("wget")) GTEST_SKIP() << "needs python3 and wget";
  tovo_test::temp_dir served;
  mkdir((served.path + "/bbs").c_str(), 0755);
  write_page(served.path + "/bbs/cpost_lister3.php", 32);
  tovo_test::http_server server(served.path);
  ASSERT_TRUE(server.up());
  splore_set_bbs_base(server.base().c_str());
  splore_enter();

  auto fetch = [&] {
    auto start = std::chrono::steady_clock::now();
    while (splore_download_state() != SPLORE_DOWNLOAD_IDLE &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
      update_splore_download();
      tovo_test::sleep_ms(20);
    }
  };
  select(2, 0);  // "new": "[update]"
  ASSERT_STREQ(splore.lists[2].items[0].title, "[update]");
  action_current_splore_item();
  EXPECT_NE(std::string(splore.download.url)
                .find("/bbs/cpost_lister3.php?max=32&start_index=0&cat=7&sub=2&version=000204r&cfil="),
            std::string::npos)
      << splore.download.url;
  fetch();
  ASSERT_EQ(splore.lists[2].count, 34) << message_bar.text;
  EXPECT_STREQ(splore.lists[2].items[1].title, "page cart 0");
  EXPECT_EQ(splore.lists[2].selected, 1);
  EXPECT_TRUE(tovo_test::file_exists(appdata + "bbs/new.pip.png"));

  // "[load more]" asks for the next page from the count less 2 and appends it.
  select(2, 33);
  action_current_splore_item();
  EXPECT_NE(std::string(splore.download.url).find("start_index=32&"), std::string::npos) << splore.download.url;
  fetch();
  EXPECT_EQ(splore.lists[2].count, 66);

  // "carts by @author" searches the search list.
  select(2, 1);
  strcpy(splore.lists[2].items[1].author, "someone");
  ASSERT_TRUE(cart_menu_pop());
  process_cart_menu_action(SPLORE_ACT_BY_AUTHOR);
  EXPECT_EQ(splore.list_index, SPLORE_LIST_SEARCH);
  EXPECT_STREQ(splore.lists[SPLORE_LIST_SEARCH].request, "cat=7&search=by:someone&max=32");
  fetch();
  EXPECT_STREQ(splore.lists[SPLORE_LIST_SEARCH].items[0].title, "[search]");
  EXPECT_EQ(splore.lists[SPLORE_LIST_SEARCH].count, 34);
}

TEST_F(splore_menu_test, KeysAndButtonsEnterSearchesAndChangeLists) {
  splore_enter();
  select(SPLORE_LIST_SEARCH, 0);
  ASSERT_STREQ(splore.lists[SPLORE_LIST_SEARCH].items[0].title, "[search]");
  action_current_splore_item();
  EXPECT_EQ(splore_entering_text(), 1);
  for (char c : std::string("abc")) splore_keypress(c);
  splore_keypress(8);
  splore_controls(1 << 1);  // right at the end adds a blank
  splore_keypress('z');
  EXPECT_STREQ(splore.lists[SPLORE_LIST_SEARCH].entry_text, "ab z");
  splore_keypress(13);
  EXPECT_EQ(splore_entering_text(), 0);
  EXPECT_STREQ(splore.lists[SPLORE_LIST_SEARCH].request, "cat=7&search=ab z&max=32");
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_RUNNING);
  splore_keypress(27);  // Escape cancels the running download first
  EXPECT_EQ(splore_download_state(), SPLORE_DOWNLOAD_IDLE);
  EXPECT_STREQ(message_bar.text, "download cancelled");

  splore_controls(1 << 1);  // right wraps from the search list to the local one
  EXPECT_EQ(splore.list_index, SPLORE_LIST_LOCAL);
  splore_controls(1 << 0);
  EXPECT_EQ(splore.list_index, SPLORE_LIST_SEARCH);

  app.kiosk = 1;  // lists stay put; Escape opens the exit menu
  splore_controls(1 << 1);
  EXPECT_EQ(splore.list_index, SPLORE_LIST_SEARCH);
  splore_keypress(27);
  EXPECT_EQ(splore_exit_menu_entry(), 0);
  splore_controls(1 << 3);
  splore_controls(1 << 3);
  splore_controls(1 << 4);  // "close the menu"
  EXPECT_EQ(splore_exit_menu_entry(), -1);
  EXPECT_EQ(tarq_quit_requested(), 0);
}

// A key that gives the engine's queue no code, pressed this frame: the queue
// holds -1 for it and the key's state tells which it was.
void press_codeless_key(int32_t scancode) {
  tarq_set_key(scancode, 3);
  splore_keypress(-1);
  tarq_set_key(scancode, 0);
}

TEST_F(splore_menu_test, PageHomeAndEndKeysMoveTheSelectionUnlessBoundToAButton) {
  for (int i = 0; i < 10; i++) write_text_cart(file("cart" + std::to_string(i) + ".kx"), "x=1");
  splore_enter();
  select(SPLORE_LIST_LOCAL, 0);
  ASSERT_EQ(splore.lists[SPLORE_LIST_LOCAL].count, 10);
  const struct {
    int32_t scancode;
    int32_t want;
  } steps[] = {{SDL_SCANCODE_PAGEDOWN, 6}, {SDL_SCANCODE_PAGEDOWN, 9}, {SDL_SCANCODE_PAGEUP, 3},
               {SDL_SCANCODE_PAGEUP, 0},   {SDL_SCANCODE_END, 9},      {SDL_SCANCODE_HOME, 0}};
  for (const auto& step : steps) {
    press_codeless_key(step.scancode);
    EXPECT_EQ(splore.lists[SPLORE_LIST_LOCAL].selected, step.want) << step.scancode;
  }
  // Bound to a console button, the key drives that button instead.
  const tovo_button_config saved = button_config();
  for (const auto& step : steps) {
    button_config().keys[3] = step.scancode;  // player 0's up
    select(SPLORE_LIST_LOCAL, 5);
    press_codeless_key(step.scancode);
    EXPECT_EQ(splore.lists[SPLORE_LIST_LOCAL].selected, 5) << step.scancode;
  }
  button_config() = saved;
  splore_keypress(-1);  // no key down: nothing moves
  EXPECT_EQ(splore.lists[SPLORE_LIST_LOCAL].selected, 5);
}

TEST_F(splore_menu_test, BackspaceOrDeleteRemovesAFavouriteAndDeleteEditsTheSearch) {
  write_file(appdata + "favourites.txt", "|4321 |9 |2 |maker |  |far cart\n|1234 |8 |2 |maker |  |near cart\n");
  splore_enter();
  select(SPLORE_LIST_FAVOURITES, 0);
  ASSERT_EQ(splore.lists[SPLORE_LIST_FAVOURITES].count, 2);
  press_codeless_key(SDL_SCANCODE_DELETE);
  ASSERT_EQ(splore.lists[SPLORE_LIST_FAVOURITES].count, 1);
  EXPECT_STREQ(splore.lists[SPLORE_LIST_FAVOURITES].items[0].lid, "1234");
  EXPECT_EQ(read_file(appdata + "favourites.txt").find("|4321"), std::string::npos);
  splore_keypress(8);
  EXPECT_EQ(splore.lists[SPLORE_LIST_FAVOURITES].count, 0);

  // In the search entry Delete takes the character at the cursor, Backspace
  // the one before it.
  select(SPLORE_LIST_SEARCH, 0);
  action_current_splore_item();
  for (char c : std::string("abcd")) splore_keypress(c);
  splore_controls(1 << 0);
  splore_controls(1 << 0);  // the cursor before "c"
  press_codeless_key(SDL_SCANCODE_DELETE);
  EXPECT_STREQ(splore.lists[SPLORE_LIST_SEARCH].entry_text, "abd");
  splore_keypress(8);
  EXPECT_STREQ(splore.lists[SPLORE_LIST_SEARCH].entry_text, "ad");
  splore_keypress(27);
}

TEST_F(splore_menu_test, TheUpdateCheckOffersANewerVersionInThePauseMenu) {
  char nfo[TARQ_PATH_MAX], running[TARQ_PATH_MAX];
  get_bbs_cart_filename_nfo("4321", nfo);
  get_bbs_cart_filename("4321", running);
  const struct {
    const char* info_lid;
    const char* running_lid;
    int32_t kiosk;
    bool offered;
  } cases[] = {
      {"4321-2", "4321", 0, true},  // a bulletin-board cart with a newer version
      {"4321", "4321", 0, false},   // the version that runs
      {"4321-2", "", 0, false},     // a cart of the local folder
      {"4321-2", "", 1, true},      // kiosk mode checks whatever runs
      {"4", "4321", 0, false},      // an id too short
  };
  for (const auto& c : cases) {
    write_file(nfo, std::string("lid: ") + c.info_lid + "\ntitle: far cart\n");
    snprintf(run_state().running_cart_lid, sizeof run_state().running_cart_lid, "%s", c.running_lid);
    snprintf(disk_state.cart_filename, sizeof disk_state.cart_filename, "%s", running);
    app.kiosk = c.kiosk;
    app.pause_state = 0;
    shell.program_started = 1;
    check_cart_update_nfo(nfo);
    update_paused_menu();
    EXPECT_EQ(app.pause_state == TOVO_PAUSE_MENU, c.offered) << c.info_lid << " " << c.running_lid;
    if (c.offered) {
      EXPECT_STREQ(pause_menu.item[0].label, "update cart");
      EXPECT_STREQ(pause_menu.item[1].label, "skip");
    }
    EXPECT_EQ(splore.newer_version, 0);
  }
  app.kiosk = 0;
  app.pause_state = 0;
  run_state().running_cart_lid[0] = disk_state.cart_filename[0] = 0;
  button_state() = {};
  tarq_keys_init();
}

TEST_F(splore_menu_test, ThePauseMenusFavouriteItemTogglesTheRunningCart) {
  write_file(appdata + "favourites.txt", "|1234 |8 |2 |maker |  |near cart\n");
  splore_enter();
  splore.running_item = {};
  snprintf(splore.running_item.lid, sizeof splore.running_item.lid, "4321");
  snprintf(splore.running_item.title, sizeof splore.running_item.title, "far cart");
  splore.running_item.kind = SPLORE_KIND_CART;
  for (bool want : {true, false}) {
    pause_menu = {};
    app.pause_state = TOVO_PAUSE_MENU;
    add_paused_menu_item("favourite", TOVO_ITEM_FAVOURITE);
    button_state() = {};
    memset(pstate().held, 0, sizeof pstate().held);
    pstate().held[0][4] = 1;  // O
    process_paused_keypresses();
    EXPECT_EQ(is_favourite("4321", ""), want ? 1 : 0);
    EXPECT_EQ(read_file(appdata + "favourites.txt").find("|4321 ") != std::string::npos, want);
  }
  memset(pstate().held, 0, sizeof pstate().held);
  button_state() = {};
  app.pause_state = 0;
  splore.running_item = {};
}

}  // namespace
