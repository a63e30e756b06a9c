// The data pod: the layout the player reads, from the build's own data.pod
// and from generate_dat_file directly.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/png.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_installers.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/datapod_write.h"
#include "tests/player/built_datapod.h"

namespace {

tarq_file* file_item(tarq_pod* pod, int32_t i) { return (tarq_file*)cpod_get_item(pod, i, TARQ_ITEM_FILE); }

struct datapod : ::testing::Test {
  void SetUp() override {
    std::string path = built_datapod();
    pod = tarq_load_pod(path.c_str());
    ASSERT_NE(pod, nullptr) << path;
  }
  void TearDown() override { tarq_destroy_pod(pod); }
  tarq_pod* pod = nullptr;
};

TEST_F(datapod, ItemsAreFilesInThePlayersOrder) {
  ASSERT_EQ(pod->count, 5);
  const char* names[] = {nullptr, nullptr, nullptr, "tovo_game.kx", "tovo_shed.kx"};
  for (int i = 0; i < 5; i++) {
    tarq_file* f = file_item(pod, i);
    ASSERT_NE(f, nullptr) << i;
    if (names[i]) {
      EXPECT_STREQ(f->name, names[i]);
      EXPECT_EQ(f->size, TOVO_CART_IMAGE_SIZE);
    }
  }
}

TEST_F(datapod, BootCartCarriesTheBootSound) {
  tarq_file* f = file_item(pod, 0);
  f->pos = 0;
  tovo_cart* boot = tarq_load_tovo_cart_from_file(f, 0);
  ASSERT_NE(boot, nullptr);
  int notes = 0;
  for (const tovo_note& n : boot->sfx[0].notes) notes += n.volume > 0;
  EXPECT_GE(notes, 4);
  tarq_destroy_tovo_cart(boot);
}

TEST_F(datapod, EveryResourceUpToTheTemplateIsFilled) {
  tarq_pod* res = tarq_load_pod_item(pod, 1);
  ASSERT_NE(res, nullptr);
  ASSERT_EQ(res->count, 253);  // the pictures up to the template, then the installers' two pods
  EXPECT_NE(cpod_get_item(res, 1, TARQ_ITEM_PALETTE), nullptr);
  tarq_file* title = file_item(res, 4);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(std::string((const char*)title->data), "tovo");
  struct expect {
    int first, last, w, h, depth;
  };
  const expect table[] = {
      {2, 2, 40, 10, 8},     {6, 6, 128, 128, 32},  {188, 188, 7, 6, 8},      {212, 223, 12, 12, 8},
      {226, 226, 15, 15, 8}, {227, 227, 17, 15, 8}, {228, 228, 10, 10, 8},    {229, 244, 12, 12, 8},
      {245, 245, 7, 7, 8},   {249, 249, 8, 64, 32}, {250, 250, 160, 205, 32},
  };
  for (const expect& e : table)
    for (int i = e.first; i <= e.last; i++) {
      tarq_bitmap* b = (tarq_bitmap*)cpod_get_item(res, i, TARQ_ITEM_BITMAP);
      ASSERT_NE(b, nullptr) << i;
      EXPECT_EQ(b->width, e.w) << i;
      EXPECT_EQ(b->height, e.h) << i;
      EXPECT_EQ(b->depth, e.depth) << i;
    }
  for (int i = 0; i < 251; i++)
    if (i != 1 && i != 4) {
      EXPECT_NE(cpod_get_item(res, i, TARQ_ITEM_BITMAP), nullptr) << i;
    }
  // Consecutive spinner frames differ.
  tarq_bitmap* a = (tarq_bitmap*)cpod_get_item(res, 212, TARQ_ITEM_BITMAP);
  tarq_bitmap* b = (tarq_bitmap*)cpod_get_item(res, 213, TARQ_ITEM_BITMAP);
  EXPECT_NE(memcmp(a->pixels, b->pixels, 144), 0);
  tarq_destroy_pod(res);
}

TEST_F(datapod, PaletteFollowsTheColourRoles) {
  tarq_pod* res = tarq_load_pod_item(pod, 1);
  ASSERT_NE(res, nullptr);
  tarq_palette* p = (tarq_palette*)cpod_get_item(res, 1, TARQ_ITEM_PALETTE);
  ASSERT_NE(p, nullptr);
  auto luma = [&](int c) { return 299 * p->rgb[c][0] + 587 * p->rgb[c][1] + 114 * p->rgb[c][2]; };
  const int order[16] = {0, 1, 5, 2, 4, 3, 13, 8, 12, 11, 14, 6, 9, 10, 15, 7};
  for (int i = 1; i < 16; i++) EXPECT_LT(luma(order[i - 1]), luma(order[i])) << order[i];
  EXPECT_GT(p->rgb[8][0], 2 * p->rgb[8][1]);  // red
  EXPECT_GT(p->rgb[12][2], p->rgb[12][0]);    // blue
  tarq_destroy_pod(res);
}

TEST_F(datapod, FontHasNarrowAndWideGlyphs) {
  tarq_pod* font = tarq_load_pod_item(pod, 2);
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(font->count, 256);
  for (int c = 0; c < 256; c++) {
    tarq_bitmap* g = (tarq_bitmap*)cpod_get_item(font, c, TARQ_ITEM_BITMAP);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->width, c < 128 ? 3 : 7) << c;  // a 4x6 or 8x6 cell less its spacing
    EXPECT_EQ(g->height, 5) << c;
    int set = 0;
    for (int i = 0; i < g->width * 5; i++) set += g->pixels[i] != 0;
    if (c > 32) {
      EXPECT_GT(set, 0) << c;  // every printable code shows something
    }
  }
  tarq_destroy_pod(font);
}

// The glyphs the player's own screens draw (the volume bar's on and off
// marks, the controls page's arrow, O and X lamps) must not read as text:
// none looks like a printable character, and no two look alike.
TEST_F(datapod, UiGlyphsDifferFromPrintableCharacters) {
  tarq_pod* font = tarq_load_pod_item(pod, 2);
  ASSERT_NE(font, nullptr);
  auto glyph = [&](int c) { return (tarq_bitmap*)cpod_get_item(font, c, TARQ_ITEM_BITMAP); };
  auto same = [&](int a, int b) {
    tarq_bitmap *x = glyph(a), *y = glyph(b);
    if (!x || !y || x->width != y->width || x->height != y->height) return false;
    for (int i = 0; i < x->width * x->height; i++)
      if ((x->pixels[i] != 0) != (y->pixels[i] != 0)) return false;
    return true;
  };
  const int ui[] = {16, 18, 131, 139, 145, 148, 142, 151};  // bar on/off; down, left, right, up; O, X
  for (int u : ui) {
    for (int c = 32; c < 127; c++) EXPECT_FALSE(same(u, c)) << "glyph " << u << " looks like '" << (char)c << "'";
    for (int v : ui)
      if (v != u) {
        EXPECT_FALSE(same(u, v)) << "glyphs " << u << " and " << v << " look alike";
      }
  }
  tarq_destroy_pod(font);
}

TEST_F(datapod, CartImagesHoldTheGameAndTheShed) {
  const char* starts[] = {"-- tovo garden", "-- tovo shed"};
  for (int i = 0; i < 2; i++) {
    tovo_cart* cart = tarq_create_tovo_cart();
    load_tovo_cart_32k(cart, file_item(pod, 3 + i)->data);
    EXPECT_EQ(strncmp(cart->code, starts[i], strlen(starts[i])), 0) << cart->code;
    tarq_destroy_tovo_cart(cart);
  }
}

// The preloaded games' pictures: the cart template around them, a label of
// their own in the label window and their title lines written under it.
TEST_F(datapod, PreloadedGamesHaveLabelsAndTitles) {
  tarq_pod* res = tarq_load_pod_item(pod, 1);
  ASSERT_NE(res, nullptr);
  tarq_bitmap* templ = (tarq_bitmap*)cpod_get_item(res, TOVO_CART_TEMPLATE_RESOURCE, TARQ_ITEM_BITMAP);
  tarq_pod* games = tarq_load_pod_item(res, TOVO_PRELOADED_GAMES_RESOURCE);
  ASSERT_TRUE(templ && games);
  ASSERT_EQ(games->count, TOVO_PRELOADED_GAMES + 1);  // the index, then the pictures
  auto visible = [](tarq_bitmap* b, int x, int y) { return tarq_row32(b, y)[x] & 0xfcfcfcfc; };
  for (int i = 1; i < games->count; i++) {
    tarq_file* f = file_item(games, i);
    ASSERT_NE(f, nullptr) << i;
    f->pos = 0;
    tarq_bitmap* picture = tarq_load_png_from_file(f);
    ASSERT_NE(picture, nullptr) << f->name;
    EXPECT_EQ(visible(picture, 2, 100), visible(templ, 2, 100)) << f->name << ": the template's frame";
    // The label window holds a picture: more than one colour, not the template's.
    std::set<uint32_t> colours;
    int differ = 0;
    for (int y = 24; y < 152; y++)
      for (int x = 16; x < 144; x++) {
        colours.insert(visible(picture, x, y));
        differ += visible(picture, x, y) != visible(templ, x, y);
      }
    EXPECT_GT(colours.size(), 2u) << f->name << ": an empty label";
    EXPECT_GT(differ, 200) << f->name << ": an empty label";
    // The first title line, in the title colour, at (18, 167).
    int title = 0;
    for (int y = 167; y < 172; y++)
      for (int x = 18; x < 144; x++) title += visible(picture, x, y) == (0xfffff8f0u & 0xfcfcfcfc);
    EXPECT_GT(title, 10) << f->name << ": no title line";
    tarq_destroy_bitmap(picture);
  }
  tarq_destroy_pod(games);
  tarq_destroy_pod(res);
}

struct generate : ::testing::Test {
  void SetUp() override {
    p.boot_cart = tarq_create_tovo_cart();
    p.resources = tarq_create_pod(2);
    p.font = tarq_create_pod(2);
    p.carts[0] = tarq_create_tovo_cart();
    p.names[0] = "head.kx";
    p.cart_count = 1;
  }
  void TearDown() override {
    tarq_destroy_tovo_cart(p.boot_cart);
    tarq_destroy_tovo_cart(p.carts[0]);
    tarq_destroy_pod(p.resources);
    tarq_destroy_pod(p.font);
  }
  tovo_datapod_parameters p{};
};

TEST_F(generate, WritesFileItemsThatReadBack) {
  strcpy(p.carts[0]->code, "print(1)");
  p.carts[0]->gfx->rows[3][4] = 9;
  tarq_pod* pod = generate_dat_file(&p);
  ASSERT_NE(pod, nullptr);
  tarq_file* buffer = tarq_create_buffer(0x1000);
  ASSERT_EQ(tarq_save_pod_file("", pod, buffer), 0);
  buffer->pos = 0;
  tarq_pod* back = tarq_load_pod_file("", buffer);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->count, 4);
  tarq_file* head = file_item(back, 3);
  EXPECT_STREQ(head->name, "head.kx");
  tovo_cart* cart = tarq_create_tovo_cart();
  load_tovo_cart_32k(cart, head->data);
  EXPECT_STREQ(cart->code, "print(1)");
  EXPECT_EQ(cart->gfx->rows[3][4], 9);
  tarq_destroy_tovo_cart(cart);
  tarq_destroy_pod(back);
  tarq_destroy_buffer(buffer);
  tarq_destroy_pod(pod);
}

TEST_F(generate, RefusesMissingPartsAndOversizedCode) {
  tovo_datapod_failure failure{};
  tovo_datapod_parameters none = p;
  none.font = nullptr;
  EXPECT_EQ(generate_dat_file(&none, &failure), nullptr);
  EXPECT_EQ(failure.reason, TOVO_DATAPOD_BAD_ARGUMENT);
  none = p;
  none.cart_count = TOVO_DATAPOD_MAX_CARTS + 1;
  EXPECT_EQ(generate_dat_file(&none), nullptr);
  // Code that no compression squeezes into the image's code area.
  uint32_t x = 12345;
  for (int i = 0; i < 40000; i++) {
    x = x * 1103515245u + 12345u;
    p.carts[0]->code[i] = (char)(33 + (x >> 16) % 90);
  }
  p.carts[0]->code[40000] = 0;
  EXPECT_EQ(generate_dat_file(&p, &failure), nullptr);
  EXPECT_EQ(failure.reason, TOVO_DATAPOD_CODE_TOO_LARGE);
  EXPECT_EQ(failure.cart, 0);

  // The failure names the cart that does not fit; a build that succeeds
  // leaves no failure behind.
  tovo_cart* big = p.carts[0];
  tovo_cart* small = tarq_create_tovo_cart();
  p.carts[0] = small;
  p.carts[1] = big;
  p.names[1] = "big.kx";
  p.cart_count = 2;
  EXPECT_EQ(generate_dat_file(&p, &failure), nullptr);
  EXPECT_EQ(failure.reason, TOVO_DATAPOD_CODE_TOO_LARGE);
  EXPECT_EQ(failure.cart, 1);
  p.cart_count = 1;
  tarq_pod* pod = generate_dat_file(&p, &failure);
  EXPECT_NE(pod, nullptr);
  EXPECT_EQ(failure.reason, TOVO_DATAPOD_OK);
  EXPECT_EQ(failure.cart, 0);
  tarq_destroy_pod(pod);
  p.carts[0] = big;
  tarq_destroy_tovo_cart(small);
}

TEST_F(generate, FlattenedImageTellsARefusedIncludeFromCodeTooLarge) {
  uint8_t image[TOVO_CART_IMAGE_SIZE];
  struct {
    const char* code;
    int want;
  } cases[] = {
      {"print(1)", 0},
      {"x = 1\n#include lib.lua\ny = 2", TOVO_FLATTEN_REFUSED},
  };
  for (const auto& c : cases) {
    snprintf(p.carts[0]->code, TOVO_CODE_SIZE, "%s", c.code);
    EXPECT_EQ(save_cart_to_file_as_32k_flattened_block(p.carts[0], image), c.want) << c.code;
    EXPECT_STREQ(p.carts[0]->code, c.code) << "the cart's own code is left as it was";
  }
  uint32_t x = 12345;
  for (int i = 0; i < 40000; i++) {
    x = x * 1103515245u + 12345u;
    p.carts[0]->code[i] = (char)(33 + (x >> 16) % 90);
  }
  p.carts[0]->code[40000] = 0;
  EXPECT_EQ(save_cart_to_file_as_32k_flattened_block(p.carts[0], image), 1);
  EXPECT_EQ(save_cart_to_file_as_32k_flattened_block(nullptr, image), 1);
}

}  // namespace
