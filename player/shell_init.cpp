// Player start-up and shutdown.
#include "player/shell_init.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/draw/sprite.h"
#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/gpio.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/serial.h"
#include "console/print/console_print.h"
#include "console/print/print.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/data/ctext.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/undo.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "engine/platform/present.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"
#include "player/boot.h"
#include "player/browser/splore_download.h"
#include "player/capture/clip_record.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/cdata.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/cart/drop.h"
#include "player/cart/export_step.h"
#include "player/cart/load_reason.h"
#include "player/cart/prompt_files.h"
#include "player/clipboard/activity_log.h"
#include "player/console_port.h"
#include "player/pod_title.h"
#include "player/selection_sets.h"
#include "player/shell_config.h"
#include "player/shell_state.h"
#include "sound/machine.h"
#include "sound/sound.h"

namespace {

const char* const FOLDERS[] = {"carts/",  "backup/", "cdata/",     "cstore/",
                               "plates/", "bbs/",    "bbs/carts/", "bbs/labels/"};

tovo_cart* item_text_cart(tarq_pod* pod, int32_t index) {
  tarq_file* f = (tarq_file*)cpod_get_item(pod, index, TARQ_ITEM_FILE);
  if (!f) return nullptr;
  f->pos = 0;
  return tarq_load_tovo_cart_from_file(f, 0);
}

void flip_ampersand_glyph() {
  tarq_bitmap* g = shell.font ? (tarq_bitmap*)cpod_get_item(shell.font, 38, TARQ_ITEM_BITMAP) : nullptr;
  if (!g || g->depth != 8 || g->width < 3) return;
  for (int32_t y = 0; y < 5 && y < g->height; y++) {
    uint8_t t = g->rows[y][0];
    g->rows[y][0] = g->rows[y][2];
    g->rows[y][2] = t;
  }
}

// The window title: the data pod's title.
void set_window_title_from_pod() {
  const char* title = get_embedded_cart_title();
  if (!title[0]) return;
  char text[TARQ_TITLE_SIZE];
  snprintf(text, sizeof text, "%s", title);
  tarq_set_window_title(text);
}

tarq_bitmap* make_page() { return tarq_create_bitmap(128, 128, 8); }

void set_window_from_pod() {
  set_window_title_from_pod();
  int32_t w, h;
  tovo_back_page_size(app.tv_frame, app.displays_x, app.displays_y, &w, &h);
  tarq_set_screen(w, h, 8, 256);
  tarq_set_window_icon((tarq_bitmap*)cpod_get_item(shell.resources, 6, TARQ_ITEM_BITMAP));
  tarq_palette* pal = (tarq_palette*)cpod_get_item(shell.resources, 1, TARQ_ITEM_PALETTE);
  if (pal) tarq_set_palette(pal);
}

void make_bitmaps() {
  for (tarq_bitmap*& s : pstate().screens) s = make_page();
  pstate().draw_target = pstate().screens[0];
  shell.display = make_page();
  shell.video_frame = make_page();
  shell.tiny[0] = tarq_create_bitmap(1, 1, 8);
  shell.tiny[1] = tarq_create_bitmap(8, 8, 8);
}

void free_bitmaps() {
  for (tarq_bitmap*& s : pstate().screens) s = tarq_destroy_bitmap(s);
  pstate().draw_target = nullptr;
  shell.display = tarq_destroy_bitmap(shell.display);
  shell.video_frame = tarq_destroy_bitmap(shell.video_frame);
  for (tarq_bitmap*& b : shell.tiny) b = tarq_destroy_bitmap(b);
}

}  // namespace

void tovo_back_page_size(int32_t tv_frame, int32_t displays_x, int32_t displays_y, int32_t* w, int32_t* h) {
  if (tv_frame != 0) {
    *w = 144;
    *h = 136;
    return;
  }
  auto count = [](int32_t n) { return n < 1 ? 1 : n > 8 ? 8 : n; };
  *w = 128 * count(displays_x);
  *h = 128 * count(displays_y);
}

void init_editor_state() {}

void reset_editor_for_new_cart() {
  init_editor_state();
  for (tarq_ctext* t : shell.tabs)
    if (t) tarq_clear_undo_stack(t->undo);
  // The pod's title again (a cart may have set its own), then the hook.
  set_window_title_from_pod();
  update_window_title();
}

// Each code tab's record holds the tab's own text (the console's tab buffer),
// so that the cursor an error report puts on a line stands in that text.
void tovo_create_code_tabs() {
  for (int i = 0; i < TOVO_CODE_TABS; i++) {
    tarq_ctext*& t = shell.tabs[i];
    t = tarq_create_ctext(reinterpret_cast<uint8_t*>(code_tab(i)), TOVO_CODE_SIZE - 1);
    if (!t) continue;
    t->char_width = 4;
    t->line_height = 6;
    t->tab_width = app.tab_width >= 1 ? 4 * (app.tab_width < 4 ? app.tab_width : 4) : 4;
  }
}

void tovo_destroy_code_tabs() {
  for (tarq_ctext*& t : shell.tabs) {
    if (t) tarq_destroy_ctext(t);
    t = nullptr;
  }
}

void set_untitled_filename() {
  char* name = shell.suggested_name;
  const int size = (int)sizeof shell.suggested_name;
  if (snprintf(name, size, "%suntitled.kx", shell.root_path) >= size) name[0] = 0;
  for (int i = 1; i <= 1000 && name[0] && tarq_file_exists(name); i++)
    if (snprintf(name, size, "%suntitled_%d.kx", shell.root_path, i) >= size) name[0] = 0;
}

void init_path(char* path, const char* dflt) {
  tarq_find f{};
  bool usable = path[0] != 0 && tarq_find_first(path, "*", &f, TARQ_FIND_ALL) == 0;
  if (path[0] != 0) tarq_find_close(&f);
  if (!usable) tarq_prefix_with_appdata_path(dflt, path);
}

int tovo_shell_init(int argc, char** argv) {
  // The engine stops and closes sound at shutdown and reads pods through the
  // sound engine's hooks and item kinds, whatever happens next.
  tarq_sound_register();
  memset(&app, 0, sizeof app);
  init_print_context();
  set_default_app_config();
  tarq_set_application_title("tovo");
  tarq_set_load_config_func(tovo_load_config);
  tarq_set_save_config_func(tovo_save_config);
  memset(&shell, 0, sizeof shell);
  tarq_init();
  process_arguments(argc, argv);
  // The console reaches the shell only through its port; an entry left unset
  // is a fault of this program, reported here before anything runs.
  if (connect_console_to_shell() != 0) tarq_fatal_error("the console's port to the shell is incomplete");
  run_state().list_to_table = run_state().exec;
  tarq_set_post_mix_func(mix_serial_sound_buffer);
  for (const char* folder : FOLDERS) {
    char path[TARQ_PATH_MAX];
    tarq_prefix_with_appdata_path(folder, path);
    tarq_mkdir(path);
  }
  // The window: the size of -width/-height or config.txt's window_size,
  // else its screen_size, else 580 x 540.
  if (cconfig.window_width < 32 || cconfig.window_height < 32) {
    cconfig.window_width = cconfig.screen_width;
    cconfig.window_height = cconfig.screen_height;
  }
  if (cconfig.window_width < 32 || cconfig.window_height < 32) {
    cconfig.window_width = 580;
    cconfig.window_height = 540;
  }
  tarq_set_window_size(cconfig.window_width, cconfig.window_height);
  init_path(shell.root_path, "carts/");
  init_path(shell.cdata_path, "cdata/");
  init_editor_state();
  tovo_create_selection_sets();
  pstate().cart = tarq_create_tovo_cart();
  tovo_set_sound_machine({pstate().sound_regs});

  char pod_path[TARQ_PATH_MAX];
  tarq_prefix_with_program_path("data.pod", pod_path);
  if (run_state().exec) printf("RUNNING: %s\n", app.cart_name);
  shell.data_pod = tarq_load_pod(pod_path);
  if (!shell.data_pod) {
    printf("couldn't load %s\n", pod_path);
    fflush(stdout);
    exit(TOVO_EXIT_CANNOT_START);
  }
  shell.boot_cart = item_text_cart(shell.data_pod, 0);
  shell.resources = tarq_load_pod_item(shell.data_pod, 1);
  shell.font = tarq_load_pod_item(shell.data_pod, 2);
  if (!shell.resources || !shell.font) {
    printf("couldn't load %s\n", pod_path);
    fflush(stdout);
    exit(TOVO_EXIT_CANNOT_START);
  }
  // Picture carts the player saves start from the data pod's template.
  tovo_set_cart_template((tarq_bitmap*)cpod_get_item(shell.resources, TOVO_CART_TEMPLATE_RESOURCE, TARQ_ITEM_BITMAP));
  if (app.flip_ampersand) flip_ampersand_glyph();
  tovo_set_console_font(shell.font);
  for (int i = 0; i < TOVO_BUTTON_KEYS; i++) button_config().keys[i + 1] = app.button_keys[i];
  button_config().first_controller = app.joystick_index;
  set_window_from_pod();
  make_bitmaps();
  pitems() = 1;
  pitem(0) = tarq_create_tovo_cart();
  if (load_splash_bmp()) shell.mode = TOVO_MODE_SPLASH;
  else boot_init();
  tovo_create_code_tabs();
  set_untitled_filename();
  hash_cart(pitem(0), disk_state.saved_hash);
  tarq_sound_init(22050, 1);
  tarq_set_console_mode(1);
  if (!run_state().exec && app.export_name[0] == 0) {
    cconfig.accept_future = app.accept_future;
    app.play_source = 2;
    return 0;
  }
  mount_data_pod_carts();                     // a command-line cart may be one of the pod's
  cconfig.accept_future = app.accept_future;  // the switch applies to the cart named with it
  char path[TARQ_PATH_MAX];
  if (tarq_resolve_filename(app.cart_name, path) != 0) snprintf(path, sizeof path, "%s", app.cart_name);
  if (app.cart_name[0] == 0 || load_working_cart(path) != 0) {
    tovo_report_load_failure(app.cart_name, path);
    printf("could not load %s\n", app.cart_name);
    fflush(stdout);
    exit(TOVO_EXIT_CANNOT_START);
  }
  if (app.export_name[0] != 0) {
    run_state().exec = 1;
    do_export(app.export_name);
    exit(0);
  }
  shell.mode = TOVO_MODE_STOPPED;
  app.play_source = 2;
  run_state().pending_action = TOVO_PENDING_RUN;
  return 0;
}

int tovo_shell_exit() {
  // With -x the exit status tells how the cart's program ended.
  if (run_state().exec && run_state().end_error == TOVO_END_COMPILE_ERROR)
    tarq_set_exit_status(TOVO_EXIT_COMPILE_ERROR);
  if (run_state().exec && run_state().end_error == TOVO_END_RUNTIME_ERROR)
    tarq_set_exit_status(TOVO_EXIT_RUNTIME_ERROR);
  cancel_download(nullptr);  // no download command outlives the player
  save_cdata();
  flush_activity_log_buffer(0);
  tovo_close_listing();
  gpio_close();
  forget_dropped_cart();
  if (app.input_record) fclose(app.input_record);
  if (app.output_record) fclose(app.output_record);
  app.input_record = app.output_record = nullptr;
  serial_free_buffers();
  tovo_destroy_code_tabs();
  tovo_destroy_selection_sets();
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = nullptr;
  tarq_destroy_tovo_cart(pstate().cart);
  pstate().cart = nullptr;
  tarq_destroy_tovo_cart(shell.boot_cart);
  shell.boot_cart = nullptr;
  tovo_set_cart_template(nullptr);  // it lives in the resource pod
  shell.resources = tarq_destroy_pod(shell.resources);
  shell.font = tarq_destroy_pod(shell.font);
  shell.data_pod = tarq_destroy_pod(shell.data_pod);
  free_bitmaps();
  // The clip ring keeps its bitmaps for the whole run; they go with the shell.
  for (int32_t i = 0; i < video_clip.made; i++) video_clip.slot[i] = tarq_destroy_bitmap(video_clip.slot[i]);
  video_clip.made = video_clip.index = 0;
  tovo_free_sprite_scratch();
  tarq_exit();
  return 0;
}
