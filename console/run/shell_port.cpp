#include "console/run/shell_port.h"

#include <cstdio>

const char* tovo_shell_port_missing(const tovo_shell_port& port) {
#define CHECK(entry) \
  if (!port.entry) return #entry
  CHECK(save_cdata);
  CHECK(load_cdata);
  CHECK(cdata_opened);
  CHECK(mounted_sandboxed_file);
  CHECK(cstore_file_for_name);
  CHECK(own_cstore_file);
  CHECK(file_exists);
  CHECK(reload_cart_partial);
  CHECK(cstore_cart_partial);
  CHECK(output_path_for);
  CHECK(update_paused_menu);
  CHECK(build_paused_menu);
  CHECK(close_paused_menu);
  CHECK(menu_item_count);
  CHECK(show_message);
  CHECK(copy_back_page);
  CHECK(set_cart_label);
  CHECK(save_screenshot);
  CHECK(save_video);
  CHECK(gif_seconds);
  CHECK(capture_name);
  CHECK(reset_video);
  CHECK(record_video_frame);
  CHECK(hash_working_cart);
  CHECK(working_cart_hash);
  CHECK(is_mounted);
  CHECK(load_working_cart);
  CHECK(load_dropped_cart);
  CHECK(take_load_reason);
  CHECK(current_filename);
  CHECK(root_path);
  CHECK(current_folder);
  CHECK(bbs_path);
  CHECK(compressed_size);
  CHECK(external_changes);
  CHECK(unsaved_changes);
  CHECK(save_cart);
  CHECK(quick_save);
  CHECK(save_backup);
  CHECK(unsaved_changes_confirmation);
  CHECK(save_to_clipboard);
  CHECK(change_folder);
  CHECK(make_folder);
  CHECK(list_files);
  CHECK(open_folder);
  CHECK(install_demos);
  CHECK(install_games);
  CHECK(open_keyconfig);
  CHECK(code_tab_record);
  CHECK(stop_sound);
  CHECK(clear_kiosk);
  CHECK(reset_splore_animation);
  CHECK(get_setting);
  CHECK(set_setting);
#undef CHECK
  return nullptr;
}

int tovo_connect_shell(const tovo_shell_port& port) {
  if (const char* missing = tovo_shell_port_missing(port)) {
    std::fprintf(stderr, "shell port: %s is not set\n", missing);
    return 1;
  }
  tovo_shell() = port;
  return 0;
}
