#include "tests/support/fake_shell.h"

#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/ctext.h"

tovo_fake_shell fake_shell;

namespace {

void keep_command(const char* command, const char* argument) {
  // A command line that does not fit is not kept rather than cut short.
  if (std::snprintf(fake_shell.command, sizeof fake_shell.command, "%s %s", command, argument ? argument : "") >=
      (int)sizeof fake_shell.command)
    fake_shell.command[0] = 0;
}

int find_mount(const char* name) {
  for (int i = 0; i < fake_shell.mounts; i++)
    if (std::strcmp(fake_shell.mount_name[i], name) == 0) return i;
  return -1;
}

int32_t* find_setting(const char* name, bool make) {
  for (int i = 0; i < TOVO_FAKE_SETTINGS; i++) {
    char* slot = fake_shell.setting_name[i];
    if (std::strcmp(slot, name) == 0) return &fake_shell.setting_value[i];
    if (slot[0]) continue;
    if (!make || std::strlen(name) >= sizeof fake_shell.setting_name[i]) return nullptr;
    std::snprintf(slot, sizeof fake_shell.setting_name[i], "%s", name);
    return &fake_shell.setting_value[i];
  }
  return nullptr;
}

// One code text record per code tab over the tab's text, as the shell keeps
// them; made on first use and kept for the whole test program.
tarq_ctext* code_tab_record(int32_t tab) {
  static tarq_ctext* records[TOVO_CODE_TABS];
  if (tab < 0 || tab >= TOVO_CODE_TABS) return nullptr;
  if (!records[tab]) {
    records[tab] = tarq_create_ctext(reinterpret_cast<uint8_t*>(code_tab(tab)), TOVO_CODE_SIZE - 1);
    if (records[tab]) {
      records[tab]->char_width = 4;
      records[tab]->line_height = 6;
    }
  }
  return records[tab];
}

int32_t load_mounted(const char* name) {
  int i = find_mount(name);
  if (i < 0) return 1;
  tovo_cart* cart = tarq_create_tovo_cart();
  if (!cart) return 1;
  std::snprintf(cart->code, TOVO_CODE_SIZE, "%s", fake_shell.mount_code[i] ? fake_shell.mount_code[i] : "");
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = cart;
  if (pitems() < 1) pitems() = 1;
  std::snprintf(fake_shell.current_filename, sizeof fake_shell.current_filename, "%s", name);
  return 0;
}

}  // namespace

void fake_shell_mount(const char* name, const char* code) {
  if (fake_shell.mounts >= TOVO_FAKE_MOUNTS) return;
  int i = fake_shell.mounts++;
  std::snprintf(fake_shell.mount_name[i], TOVO_FAKE_TEXT, "%s", name);
  fake_shell.mount_code[i] = code;
}

void install_fake_shell() {
  fake_shell = {};
  tovo_shell_port p{};
  p.save_cdata = [] { fake_shell.cdata_saves++; };
  p.load_cdata = [](const char*, const char** message) {
    *message = nullptr;
    return 1;
  };
  p.cdata_opened = [] { return 0; };
  p.mounted_sandboxed_file = [](const char*, char*, int) { return 1; };
  p.cstore_file_for_name = [](const char*, char*, int) { return 1; };
  p.own_cstore_file = [](char*, int) { return 1; };
  p.file_exists = [](const char*) { return 0; };
  p.reload_cart_partial = [](const char*, int32_t, int32_t, int32_t) { return 1; };
  p.cstore_cart_partial = [](const char*, int32_t, int32_t, int32_t, int, int) { return 2; };
  p.output_path_for = [](const char*, char* out) {
    out[0] = 0;
    return 1;
  };
  p.update_paused_menu = [] { fake_shell.paused_menu_updates++; };
  p.build_paused_menu = [](int32_t page, int32_t keep) {
    fake_shell.paused_menu_builds++;
    fake_shell.paused_menu_page = page;
    fake_shell.paused_menu_keep = keep;
  };
  p.close_paused_menu = [] { fake_shell.paused_menu_closes++; };
  p.menu_item_count = [] { return 0; };
  p.show_message = [](const char* text, int32_t ms) {
    std::snprintf(fake_shell.message, sizeof fake_shell.message, "%s", text);
    fake_shell.message_ms = ms;
    fake_shell.messages++;
  };
  p.copy_back_page = [] { fake_shell.back_page_copies++; };
  p.set_cart_label = [] { fake_shell.labels++; };
  p.save_screenshot = [](int32_t, int32_t) {
    fake_shell.screenshots++;
    return fake_shell.screenshot_result;
  };
  p.save_video = [](int32_t, int32_t) { return fake_shell.video_result; };
  p.gif_seconds = [] { return fake_shell.gif_seconds; };
  p.capture_name = [] { return "shot_0.png"; };
  p.reset_video = [] { fake_shell.video_resets++; };
  p.record_video_frame = [] { fake_shell.video_frames++; };
  p.hash_working_cart = [] { fake_shell.hashes++; };
  p.working_cart_hash = [] { return ""; };
  p.is_mounted = [](const char* name) { return find_mount(name) >= 0 ? 1 : 0; };
  p.load_working_cart = load_mounted;
  p.load_dropped_cart = [] { return 1; };
  p.take_load_reason = [] { return 0; };
  p.current_filename = [] { return static_cast<const char*>(fake_shell.current_filename); };
  p.root_path = [] { return ""; };
  p.current_folder = [] { return static_cast<const char*>(fake_shell.current_folder); };
  p.bbs_path = [] { return ""; };
  p.compressed_size = [](const char* code) { return static_cast<int32_t>(std::strlen(code)); };
  p.external_changes = [] { return 0; };
  p.unsaved_changes = [] { return fake_shell.unsaved; };
  p.save_cart = [](const char* name) {
    keep_command("save", name);
    return 0;
  };
  p.quick_save = [] { fake_shell.quick_saves++; };
  p.save_backup = [] { fake_shell.backups++; };
  p.unsaved_changes_confirmation = [](const char* prompt) {
    std::snprintf(fake_shell.confirm_prompt, sizeof fake_shell.confirm_prompt, "%s", prompt);
    return static_cast<int>(fake_shell.confirm_answer);
  };
  p.save_to_clipboard = [] { return 1; };
  p.change_folder = [](const char* name) { keep_command("cd", name); };
  p.make_folder = [](const char* name) {
    keep_command("mkdir", name);
    return 0;
  };
  p.list_files = [](const char* filter) { keep_command("ls", filter); };
  p.open_folder = [](const char* path) { keep_command("open", path); };
  p.install_demos = [] { keep_command("install_demos", nullptr); };
  p.install_games = [] { keep_command("install_games", nullptr); };
  p.open_keyconfig = [] { keep_command("keyconfig", nullptr); };
  p.code_tab_record = code_tab_record;
  p.stop_sound = [] { fake_shell.sound_stops++; };
  p.clear_kiosk = [] { fake_shell.kiosk_clears++; };
  p.reset_splore_animation = [] { fake_shell.splore_animation_resets++; };
  p.get_setting = [](const char* name) {
    int32_t* v = find_setting(name, false);
    return v ? *v : 0;
  };
  p.set_setting = [](const char* name, int32_t value) {
    if (int32_t* v = find_setting(name, true)) *v = value;
  };
  tovo_connect_shell(p);
}
