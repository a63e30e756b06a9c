#include "console/shell_standin.h"

#include <cstdio>
#include <cstring>

#include "console/cart.h"
#include "console/pstate.h"

tovo_shell_standin shell_standin;
tovo_shell_hook_table tovo_shell_hooks;

#define TOVO_HOOK(name, ...) \
  if (tovo_shell_hooks.name) return tovo_shell_hooks.name(__VA_ARGS__)

void tovo_shell_save_cdata() {
  TOVO_HOOK(save_cdata);
  shell_standin.cdata_saves++;
}
void tovo_shell_update_paused_menu() {
  TOVO_HOOK(update_paused_menu);
  shell_standin.paused_menu_updates++;
}

void tovo_shell_build_paused_menu(int32_t page, int32_t keep_selection) {
  TOVO_HOOK(build_paused_menu, page, keep_selection);
  shell_standin.paused_menu_builds++;
  shell_standin.paused_menu_page = page;
  shell_standin.paused_menu_keep = keep_selection;
}

void tovo_shell_show_message(const char* text, int32_t ms) {
  TOVO_HOOK(show_message, text, ms);
  std::snprintf(shell_standin.message, sizeof shell_standin.message, "%s", text);
  shell_standin.message_ms = ms;
  shell_standin.messages++;
}

void tovo_shell_copy_back_page() {
  TOVO_HOOK(copy_back_page);
  shell_standin.back_page_copies++;
}
void tovo_shell_set_cart_label() {
  TOVO_HOOK(set_cart_label);
  shell_standin.labels++;
}

int32_t tovo_shell_save_screenshot(int32_t scale, int32_t destination) {
  TOVO_HOOK(save_screenshot, scale, destination);
  shell_standin.screenshots++;
  return shell_standin.screenshot_result;
}

int32_t tovo_shell_save_video(int32_t scale, int32_t destination) {
  TOVO_HOOK(save_video, scale, destination);
  return shell_standin.video_result;
}
int32_t tovo_shell_gif_seconds() {
  TOVO_HOOK(gif_seconds);
  return shell_standin.gif_seconds;
}
void tovo_shell_reset_video() {
  TOVO_HOOK(reset_video);
  shell_standin.video_resets++;
}
void tovo_shell_record_video_frame() {
  TOVO_HOOK(record_video_frame);
  shell_standin.video_frames++;
}
void tovo_shell_hash_working_cart() {
  TOVO_HOOK(hash_working_cart);
  shell_standin.hashes++;
}
void tovo_shell_stop_sound() {
  TOVO_HOOK(stop_sound);
  shell_standin.sound_stops++;
}

void tovo_shell_mount(const char* name, const char* code) {
  if (shell_standin.mounts >= TOVO_STANDIN_MOUNTS) return;
  int i = shell_standin.mounts++;
  std::snprintf(shell_standin.mount_name[i], TOVO_STANDIN_TEXT, "%s", name);
  shell_standin.mount_code[i] = code;
}

int32_t tovo_shell_is_mounted(const char* name) {
  TOVO_HOOK(is_mounted, name);
  for (int i = 0; i < shell_standin.mounts; i++)
    if (std::strcmp(shell_standin.mount_name[i], name) == 0) return 1;
  return 0;
}

int32_t tovo_shell_load_working_cart(const char* name) {
  TOVO_HOOK(load_working_cart, name);
  for (int i = 0; i < shell_standin.mounts; i++) {
    if (std::strcmp(shell_standin.mount_name[i], name) != 0) continue;
    tovo_cart* cart = tarq_create_tovo_cart();
    if (!cart) return 1;
    std::snprintf(cart->code, TOVO_CODE_SIZE, "%s", shell_standin.mount_code[i] ? shell_standin.mount_code[i] : "");
    tarq_destroy_tovo_cart(pitem[0]);
    pitem[0] = cart;
    if (pitems < 1) pitems = 1;
    std::snprintf(shell_standin.current_filename, sizeof shell_standin.current_filename, "%s", name);
    return 0;
  }
  return 1;
}

char tovo_standin_prompt_command[TOVO_STANDIN_TEXT];

void tovo_shell_prompt_command(const char* command, const char* argument) {
  TOVO_HOOK(prompt_command, command, argument);
  // A command line that does not fit is not recorded rather than cut short.
  if (std::snprintf(tovo_standin_prompt_command, sizeof tovo_standin_prompt_command, "%s %s", command,
                    argument ? argument : "") >= (int)sizeof tovo_standin_prompt_command)
    tovo_standin_prompt_command[0] = 0;
}

const char* tovo_shell_current_filename() {
  TOVO_HOOK(current_filename);
  return shell_standin.current_filename;
}

const char* tovo_shell_root_path() {
  TOVO_HOOK(root_path);
  return "";
}

const char* tovo_shell_bbs_path() {
  TOVO_HOOK(bbs_path);
  return "";
}

int32_t tovo_shell_load_dropped_cart() {
  TOVO_HOOK(load_dropped_cart);
  return 1;
}

int32_t tovo_shell_take_load_reason() {
  TOVO_HOOK(take_load_reason);
  return 0;
}

void tovo_shell_save_backup() {
  TOVO_HOOK(save_backup);
  tovo_shell_prompt_command("backup", tovo_shell_current_filename());
}

void tovo_shell_clear_kiosk() { TOVO_HOOK(clear_kiosk); }

int32_t tovo_shell_save_to_clipboard() {
  TOVO_HOOK(save_to_clipboard);
  return 1;
}

namespace {

struct standin_setting {
  char name[32];
  int32_t value;
};
standin_setting standin_settings[TOVO_STANDIN_SETTINGS];

standin_setting* find_setting(const char* name, bool make) {
  for (standin_setting& s : standin_settings) {
    if (!s.name[0]) {
      if (!make || std::strlen(name) >= sizeof s.name) return nullptr;
      std::snprintf(s.name, sizeof s.name, "%s", name);
      return &s;
    }
    if (std::strcmp(s.name, name) == 0) return &s;
  }
  return nullptr;
}

}  // namespace

int32_t tovo_shell_get_setting(const char* name) {
  TOVO_HOOK(get_setting, name);
  standin_setting* s = find_setting(name, false);
  return s ? s->value : 0;
}

void tovo_shell_set_setting(const char* name, int32_t value) {
  TOVO_HOOK(set_setting, name, value);
  if (standin_setting* s = find_setting(name, true)) s->value = value;
}

int32_t tovo_shell_compressed_size(const char* code) {
  TOVO_HOOK(compressed_size, code);
  return -1;
}
