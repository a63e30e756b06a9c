#include "tools/datapod_installers.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/text.h"
#include "engine/data/text_layout.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/platform/present.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_installers.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"

namespace {

constexpr int32_t PLAYER_TEXT_SPACING = 1;  // the engine's spacing, which the player keeps

const char* const DEMOS[TOVO_DEMO_CARTS] = {"hello.kx",   "circles.kx", "lines.kx",   "rects.kx",
                                            "stars.kx",   "bounce.kx",  "buttons.kx", "mouse.kx",
                                            "palette.kx", "text.kx",    "clock.kx",   "worm.kx"};

// The whole file as a named memory stream, or null.
tarq_file* file_item(const std::string& path, const char* name) {
  tarq_file* f = tarq_load_file(path.c_str());
  if (!f) {
    fprintf(stderr, "make_datapod: cannot read %s\n", path.c_str());
    return nullptr;
  }
  snprintf(f->name, sizeof f->name, "%s", name);
  f->pos = 0;
  return f;
}

bool add_file(tarq_pod* pod, tarq_file* f) {
  if (!f) return false;
  if (cpod_add_item(pod, TARQ_ITEM_FILE, f) < 0) {
    tarq_destroy_buffer(f);
    return false;
  }
  return true;
}

// A pod saved as a pod file into a named memory stream.
tarq_file* pod_item(tarq_pod* pod, const char* name) {
  tarq_file* f = tarq_create_buffer(0x10000);
  if (!f || tarq_save_pod_file("", pod, f) != 0) {
    if (f) tarq_destroy_buffer(f);
    return nullptr;
  }
  snprintf(f->name, sizeof f->name, "%s", name);
  f->pos = 0;
  return f;
}

tarq_pod* demo_pod(const std::string& folder) {
  tarq_pod* pod = tarq_create_pod(TOVO_DEMO_CARTS);
  for (const char* name : DEMOS)
    if (!pod || !add_file(pod, file_item(folder + "/demos/" + name, name))) return tarq_destroy_pod(pod);
  return pod;
}

// Each game's text cart saved as a picture cart, read back as bytes.
tarq_pod* games_pod(const std::string& folder, const char* scratch) {
  std::string index_path = folder + "/games/index.txt";
  tarq_pod* pod = tarq_create_pod(TOVO_PRELOADED_GAMES + 1);
  if (!pod || !add_file(pod, file_item(index_path, "index.txt"))) return tarq_destroy_pod(pod);
  FILE* index = fopen(index_path.c_str(), "r");
  if (!index) return tarq_destroy_pod(pod);
  char line[512];
  int games = 0;
  bool ok = true;
  while (ok && fgets(line, sizeof line, index)) {
    char* file = strchr(line, '|');
    char* title = file ? strchr(file + 1, '|') : nullptr;
    if (!title) continue;
    *file++ = 0;
    *title = 0;
    std::string png(file);
    std::string source = folder + "/games/" + png.substr(0, png.size() - strlen(".png"));
    tovo_cart* cart = tarq_load_tovo_cart(source.c_str());
    ok = cart && save_tovo_cart_png(cart, scratch) == 0 && add_file(pod, file_item(scratch, png.c_str()));
    if (!ok) fprintf(stderr, "make_datapod: %s could not be made a picture cart\n", source.c_str());
    tarq_destroy_tovo_cart(cart);
    games++;
  }
  fclose(index);
  remove(scratch);
  if (!ok || games != TOVO_PRELOADED_GAMES) {
    if (ok)
      fprintf(stderr, "make_datapod: %s lists %d games, not %d\n", index_path.c_str(), games, TOVO_PRELOADED_GAMES);
    return tarq_destroy_pod(pod);
  }
  return pod;
}

// What the player has when it saves a picture cart: the template, the
// console palette as the video palette (labels are drawn through it) and
// its built-in font at its own spacing (the title lines).
struct picture_writer {
  tarq_palette* saved_palette = tarq_video.tarq_video_palette;
  int32_t saved_spacing = tarq_get_text_spacing();
  bool own_fonts = tarq_fonts.tarq_font1 == nullptr;
  explicit picture_writer(tarq_pod* resources) {
    tovo_set_cart_template((tarq_bitmap*)cpod_get_item(resources, TOVO_CART_TEMPLATE_RESOURCE, TARQ_ITEM_BITMAP));
    tarq_swap_video_palette((tarq_palette*)cpod_get_item(resources, 1, TARQ_ITEM_PALETTE));
    tarq_set_text_spacing(PLAYER_TEXT_SPACING);
    if (own_fonts) tarq_text_init();
  }
  ~picture_writer() {
    if (own_fonts) tarq_text_exit();
    tarq_set_text_spacing(saved_spacing);
    tarq_swap_video_palette(saved_palette);
    tovo_set_cart_template(nullptr);
  }
};

}  // namespace

int tovo_add_installer_pods(tarq_pod* resources, const char* data_folder, const char* scratch) {
  tarq_pod* demos = demo_pod(data_folder);
  tarq_pod* games = nullptr;
  if (demos) {
    picture_writer writer(resources);
    games = games_pod(data_folder, scratch);
  }
  tarq_file* demo_file = games ? pod_item(demos, "demos") : nullptr;
  tarq_file* games_file = demo_file ? pod_item(games, "games") : nullptr;
  tarq_destroy_pod(demos);
  tarq_destroy_pod(games);
  bool ok = games_file && cpod_add_item(resources, TARQ_ITEM_FILE, demo_file) == TOVO_DEMO_CARTS_RESOURCE &&
            cpod_add_item(resources, TARQ_ITEM_FILE, games_file) == TOVO_PRELOADED_GAMES_RESOURCE;
  if (!games_file) {
    if (demo_file) tarq_destroy_buffer(demo_file);
  }
  if (!ok) fprintf(stderr, "make_datapod: the installers' carts could not be added\n");
  return ok ? 0 : 1;
}
