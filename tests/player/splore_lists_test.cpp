// The cart browser's lists: the favourites file, the local folder, the cache
// paths and bulletin-board list pages.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/platform/host.h"
#include "engine/platform/present.h"
#include "engine/tracked_mem.h"
#include "player/browser/splore.h"
#include "player/browser/splore_requests.h"
#include "player/browser/splore_shutdown.h"
#include "player/cart/cart_installers.h"
#include "player/shell_state.h"
#include "tests/player/disk_fixture.h"

namespace {

struct splore_lists_test : disk_fixture {
  splore_list list{};
  void SetUp() override {
    disk_fixture::SetUp();
    splore_shutdown();
    splore.list_index = 1;
    app.kiosk = 0;
    snprintf(shell.root_path, sizeof shell.root_path, "%s/", dir.path.c_str());
    shell.current_folder[0] = 0;
  }
  void TearDown() override {
    clear_splore_list(&list);
    tarq_free(list.items);
    splore_shutdown();
    shell.root_path[0] = 0;
    disk_fixture::TearDown();
  }
  std::string favourites_file() const { return appdata + "favourites.txt"; }
  std::vector<std::string> titles(const splore_list* l) const {
    std::vector<std::string> out;
    for (int32_t i = 0; i < l->count; i++) out.push_back(l->items[i].title);
    return out;
  }
};

TEST_F(splore_lists_test, FavouriteLineRoundTrip) {
  splore_item item{};
  item.kind = SPLORE_KIND_CART;
  strcpy(item.lid, "1234");
  strcpy(item.author, "someone");
  strcpy(item.title, "hello");
  ASSERT_TRUE(splore_add_item(&list, &item));
  splore_item folder{};
  folder.kind = SPLORE_KIND_FOLDER;  // only carts are written
  strcpy(folder.title, "stuff");
  ASSERT_TRUE(splore_add_item(&list, &folder));
  std::string path = file("fav.txt");
  ASSERT_EQ(save_splore_list_to_file(&list, path.c_str()), 0);
  EXPECT_EQ(read_file(path),
            "|1234                 |                     |0      |someone          |                     |hello\n");

  splore_list back{};
  ASSERT_EQ(populate_splore_list_from_text_file(&back, path.c_str()), 0);
  ASSERT_EQ(back.count, 1);
  const splore_item& b = back.items[0];
  EXPECT_STREQ(b.lid, "1234");
  EXPECT_STREQ(b.mid, "");
  EXPECT_EQ(b.catsub, 0);
  EXPECT_STREQ(b.author, "someone");
  EXPECT_STREQ(b.file, "");
  EXPECT_STREQ(b.title, "hello");
  EXPECT_EQ(b.icon, SPLORE_ICON_CART);
  clear_splore_list(&back);
  tarq_free(back.items);
}

TEST_F(splore_lists_test, ReadingFavouritesDropsRepeatsAndUnusableLines) {
  std::string path = file("fav.txt");
  write_file(path,
             "a comment line\n"
             "|77 |5 |3 |The Maker! |  |First Title|extra\n"
             "|77 |  |0 |other |  |repeated lid\n"
             "|   |  |0 |x |games/mine.kx.png |local picture\n"
             "|   |  |0 |x |games/mine.kx.png |repeated file\n"
             "|   |  |0 |x |notes.kx |local text\n"
             "|   |9 |0 |x |  |a mid but no lid\n"
             "|0  |  |0 |x |  |neither lid nor file\n");
  ASSERT_EQ(populate_splore_list_from_text_file(&list, path.c_str()), 0);
  EXPECT_EQ(titles(&list), (std::vector<std::string>{"first title", "local picture", "local text"}));
  EXPECT_STREQ(list.items[0].author, "the_maker_");
  EXPECT_EQ(list.items[0].catsub, 3);
  EXPECT_EQ(list.items[0].icon, SPLORE_ICON_CART);
  EXPECT_EQ(list.items[1].icon, SPLORE_ICON_PICTURE_CART);
  EXPECT_EQ(list.items[2].icon, SPLORE_ICON_TEXT_CART);
  EXPECT_EQ(populate_splore_list_from_text_file(&list, file("missing.txt").c_str()), 1);
}

TEST_F(splore_lists_test, TogglingFavouritesInGameWritesTheFile) {
  write_file(favourites_file(), "|500 |  |0 |old |  |older cart\n");
  splore_init();
  ASSERT_EQ(splore.lists[SPLORE_LIST_FAVOURITES].count, 1);
  splore.running_item = {};
  strcpy(splore.running_item.lid, "600");
  strcpy(splore.running_item.title, "new cart");
  strcpy(splore.running_item.author, "maker");
  splore_toggle_favourite_ingame("600", "");
  EXPECT_EQ(is_favourite("600", ""), 1);
  EXPECT_EQ(titles(&splore.lists[SPLORE_LIST_FAVOURITES]), (std::vector<std::string>{"new cart", "older cart"}));
  std::string text = read_file(favourites_file());
  EXPECT_EQ(text.find("|600 "), 0u) << text;  // the newest stands first

  splore_toggle_favourite_ingame("600", "");
  EXPECT_EQ(is_favourite("600", ""), 0);
  EXPECT_EQ(read_file(favourites_file()),
            "|500                  |                     |0      |old              |"
            "                     |older cart\n");
}

TEST_F(splore_lists_test, FavouritesAreNotWrittenBeforeTheyWereRead) {
  write_file(favourites_file(), "|500 |  |0 |old |  |keep me\n");
  EXPECT_EQ(save_splore_favourites(), 1);
  EXPECT_EQ(read_file(favourites_file()), "|500 |  |0 |old |  |keep me\n");
}

TEST_F(splore_lists_test, InstallingGamesKeepsTheFavourites) {
  write_file(favourites_file(), "|500 |  |0 |old |  |keep me\n");
  install_games();  // the lists were never set up: the file stays as it is
  EXPECT_EQ(read_file(favourites_file()), "|500 |  |0 |old |  |keep me\n");
  splore_init();
  splore.running_item = {};
  strcpy(splore.running_item.lid, "600");
  splore_toggle_favourite_ingame("600", "");
  write_file(favourites_file(), "|700 |  |0 |x |  |written meanwhile\n");
  install_games();  // saved first, then read back
  EXPECT_EQ(splore.lists[SPLORE_LIST_FAVOURITES].count, 2);
  EXPECT_EQ(is_favourite("600", ""), 1);
  EXPECT_EQ(is_favourite("500", ""), 1);
  EXPECT_EQ(is_favourite("700", ""), 0);
}

TEST_F(splore_lists_test, LocalFolderListsFoldersFirstThenCarts) {
  mkdir(file("zzz").c_str(), 0755);
  mkdir(file(".hidden_folder").c_str(), 0755);
  write_file(file("aaa.kx.png"), "x");
  write_file(file("mid.KX"), "x");
  write_file(file("readme.txt"), "x");
  write_file(file(".secret.kx"), "x");
  write_file(favourites_file(), "|   |  |0 |x |mid.KX |mid\n");
  splore.list_index = SPLORE_LIST_LOCAL;
  splore_enter();
  const splore_list* local = &splore.lists[SPLORE_LIST_LOCAL];
  EXPECT_EQ(titles(local), (std::vector<std::string>{"zzz", "aaa", "mid"}));
  EXPECT_EQ(local->items[0].kind, SPLORE_KIND_FOLDER);
  EXPECT_EQ(local->items[0].icon, SPLORE_ICON_FOLDER);
  EXPECT_EQ(local->items[1].icon, SPLORE_ICON_PICTURE_CART);
  EXPECT_STREQ(local->items[2].file, "mid.KX");
  EXPECT_EQ(local->items[2].favourite, 1);
  EXPECT_EQ(local->items[1].favourite, 0);

  write_file(file("zzz/inner.kx"), "x");
  snprintf(shell.current_folder, sizeof shell.current_folder, "zzz/");
  splore_enter();
  EXPECT_EQ(titles(local), (std::vector<std::string>{"..", "inner"}));
  EXPECT_EQ(local->items[0].icon, SPLORE_ICON_UP);
  EXPECT_STREQ(local->items[1].file, "zzz/inner.kx");
}

TEST_F(splore_lists_test, CachePathsOfLids) {
  char path[TARQ_PATH_MAX], bare[SPLORE_TEXT];
  get_bbs_cart_filename("12345", path);
  EXPECT_EQ(std::string(path), appdata + "bbs/1/12345.kx.png");
  get_bbs_cart_filename_nfo("12345", path);
  EXPECT_EQ(std::string(path), appdata + "bbs/1/temp-12345.nfo");
  get_bbs_cart_filename("my_game-2", path);
  EXPECT_EQ(std::string(path), appdata + "bbs/carts/my_game-2.kx.png");
  EXPECT_TRUE(tovo_test::is_directory(appdata + "bbs/carts"));
  strip_lid_version("my_game-2", bare);
  EXPECT_STREQ(bare, "my_game");
  for (const char* bad : {"../../x", "a/b", "", "a b"}) {
    get_bbs_cart_filename(bad, path);
    EXPECT_STREQ(path, "") << bad;
  }
}

// A list page with `cells` carts in its first cells.
void write_page(const std::string& path, int cells, int width = 1024) {
  tarq_bitmap* page = tarq_create_bitmap(width, 544, 32);
  memset(page->pixels, 0, (size_t)width * 544 * 4);
  auto text = [&](int cell, int row, const std::string& s) {
    for (size_t i = 0; i < s.size(); i++)
      tarq_row32(page, (cell / 8) * 136 + row)[(cell % 8) * 128 + i] = 0xFF000000u | (uint32_t)(uint8_t)s[i] << 8;
  };
  for (int c = 0; c < cells; c++) {
    text(c, 128, std::to_string(100 + c) + " " + std::to_string(900 + c) + " 2");
    text(c, 129, "Cart " + std::to_string(c));
    text(c, 130, "Author" + std::to_string(c));
    if (c == 1) text(c, 131, "named_lid-3");
    for (int y = 0; y < 128; y++) tarq_row32(page, (c / 8) * 136 + y)[(c % 8) * 128] = 0xFFFF0000u;
  }
  ASSERT_EQ(tarq_save_png(path.c_str(), page), 0);
  tarq_destroy_bitmap(page);
}

TEST_F(splore_lists_test, ListPagesGiveCartsAndLoadMore) {
  strcpy(list.name, "new");
  std::string full = file("full.png"), part = file("part.png"), wide = file("wide.png");
  write_page(full, 32);
  write_page(part, 3);
  write_page(wide, 2, 1000);

  ASSERT_EQ(populate_splore_list_from_png_file(&list, full.c_str(), 0), 0);
  ASSERT_EQ(list.count, 34);
  EXPECT_EQ(list.items[0].kind, SPLORE_KIND_UPDATE);
  EXPECT_STREQ(list.items[0].title, "[update]");
  EXPECT_STREQ(list.items[1].title, "cart 0");
  EXPECT_STREQ(list.items[1].author, "author0");
  EXPECT_STREQ(list.items[1].lid, "100");
  EXPECT_STREQ(list.items[1].mid, "900");
  EXPECT_EQ(list.items[1].catsub, 2);
  EXPECT_STREQ(list.items[2].lid, "named_lid-3");
  ASSERT_NE(list.items[1].label, nullptr);
  EXPECT_EQ(list.items[33].kind, SPLORE_KIND_LOAD_MORE);

  // A further page replaces "[load more]"; a short one adds none.
  ASSERT_EQ(populate_splore_list_from_png_file(&list, part.c_str(), 1), 0);
  EXPECT_EQ(list.count, 36);
  EXPECT_EQ(list.items[35].kind, SPLORE_KIND_CART);

  ASSERT_EQ(populate_splore_list_from_png_file(&list, part.c_str(), 0), 0);
  EXPECT_EQ(titles(&list), (std::vector<std::string>{"[update]", "cart 0", "cart 1", "cart 2"}));

  EXPECT_EQ(populate_splore_list_from_png_file(&list, wide.c_str(), 0), 2);
  EXPECT_EQ(titles(&list), (std::vector<std::string>{"[update]"}));
  EXPECT_EQ(populate_splore_list_from_png_file(&list, file("none.png").c_str(), 1), 1);
  EXPECT_EQ(list.count, 1);
}

TEST_F(splore_lists_test, LabelColoursGiveExtendedColoursFreeSlots) {
  splore_item item{};
  item.label = tarq_create_bitmap(128, 128, 8);
  memset(item.label->pixels, 2, 128 * 128);  // colour 2 is used a lot
  item.label->rows[0][0] = 128 + 3;          // colour 3 is unused
  item.label->rows[0][1] = 128 + 2;          // colour 2 is used
  item.label->rows[0][2] = 5;
  splore_item_label_colours(&item);
  // 130 comes first: the least-used free slot, the lowest on a tie (3); slot
  // 3 is then taken, so 131 gets the next one (4) instead of pushing 130 out.
  EXPECT_EQ(item.label_colours[3], 130);
  EXPECT_EQ(item.label_colours[16 + 2], 3);
  EXPECT_EQ(item.label_colours[4], 131);
  EXPECT_EQ(item.label_colours[16 + 3], 4);
  EXPECT_EQ(item.label_colours[5], 5);
  EXPECT_EQ(item.label_colours[1], 1);
  EXPECT_EQ(item.label_colours[2], 2);
  tarq_destroy_bitmap(item.label);
}

}  // namespace
