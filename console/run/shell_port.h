#pragma once
// The console's one way into the player shell: every routine of the shell
// that the run loop and the bindings call, gathered in one record that the
// shell fills by one call at start-up. The check there makes an unset entry
// a fatal start-up error; nothing in the console stands in for a missing one.
#include <cstdint>

struct tarq_ctext;

struct tovo_shell_port {
  // Cart data and storage (cartdata, dget, dset, reload, cstore).
  void (*save_cdata)();
  // cartdata(id): 0 read, 1 no file, 2 refused with the runtime error in
  // *message, 3 no id.
  int (*load_cdata)(const char* id, const char** message);
  int (*cdata_opened)();  // 1 once cartdata() was called in this run
  // A cart mounted from the data file under this name: 0, with its sandboxed
  // cstore file in out (size bytes); 1 when the name is no mounted cart.
  int (*mounted_sandboxed_file)(const char* name, char* out, int size);
  // The file of a name inside the cstore folder: 0, or 1 when refused.
  int (*cstore_file_for_name)(const char* name, char* out, int size);
  // The running cart's own sandboxed cstore file: 0, or 1 when none.
  int (*own_cstore_file)(char* out, int size);
  int (*file_exists)(const char* path);
  // 0 done, else failed.
  int (*reload_cart_partial)(const char* path, int32_t dst, int32_t src, int32_t len);
  int (*cstore_cart_partial)(const char* path, int32_t dst, int32_t src, int32_t len, int own, int sandboxed);
  // The cart's output folder + name in out (TARQ_PATH_MAX bytes): 0, or 1
  // when it does not fit.
  int (*output_path_for)(const char* name, char* out);

  // Pause menu and message bar.
  void (*update_paused_menu)();
  void (*build_paused_menu)(int32_t page, int32_t keep_selection);
  void (*close_paused_menu)();
  int32_t (*menu_item_count)();  // after rebuilding the menu
  void (*show_message)(const char* text, int32_t ms);

  // Screen, label, screenshots and clips.
  void (*copy_back_page)();
  void (*set_cart_label)();
  int32_t (*save_screenshot)(int32_t scale, int32_t destination);  // 0 saved
  int32_t (*save_video)(int32_t scale, int32_t destination);       // 0 saved, 9 no frames
  int32_t (*gif_seconds)();
  const char* (*capture_name)();  // the file name of the last screenshot or clip
  void (*reset_video)();
  void (*record_video_frame)();

  // The working cart and the cart file system.
  void (*hash_working_cart)();
  const char* (*working_cart_hash)();  // 40 hex digits, "" when none
  int32_t (*is_mounted)(const char* name);
  // A mounted cart (or cart file) becomes the working cart: 0 loaded.
  int32_t (*load_working_cart)(const char* name);
  // The cart dropped on the window becomes the working cart ("dropped.kx"):
  // 0, or 1 when none is held.
  int32_t (*load_dropped_cart)();
  // Reason of the last failed cart read: 1 future version, 2 code too long;
  // cleared by the call.
  int32_t (*take_load_reason)();
  const char* (*current_filename)();             // the current cart file ("" when none)
  const char* (*root_path)();                    // the console's root folder, ending in "/"
  const char* (*current_folder)();               // below the root: "" or ending in "/"
  const char* (*bbs_path)();                     // the application folder's "bbs/" path
  int32_t (*compressed_size)(const char* code);  // compressed size of code text
  int32_t (*external_changes)();                 // 1 when the current cart file changed on disk
  int32_t (*unsaved_changes)();                  // 1 when the working cart has changes not saved
  // save with a name (the save road, with its messages; 0 saved) and
  // without one.
  int (*save_cart)(const char* name);
  void (*quick_save)();
  void (*save_backup)();  // backs up the current cart file
  // Asks before reboot or shutdown when there are unsaved changes, with the
  // prompt; non-zero when the user declined.
  int (*unsaved_changes_confirmation)(const char* prompt);
  // The working cart as a "[cart]" code on the host clipboard: 0 saved.
  int32_t (*save_to_clipboard)();
  // cd with a name, mkdir with a name (0 made or there, 1 refused), ls
  // while no cart runs (filter or null); each prints its own lines.
  void (*change_folder)(const char* name);
  int (*make_folder)(const char* name);
  void (*list_files)(const char* filter);
  // Opens a folder with the host's desktop opener.
  void (*open_folder)(const char* path);
  void (*install_demos)();
  void (*install_games)();
  void (*open_keyconfig)();

  // The code text record of a code tab (0 to 15), whose text is the tab's
  // text; null when the shell holds none.
  tarq_ctext* (*code_tab_record)(int32_t tab);

  // Machine.
  void (*stop_sound)();
  void (*clear_kiosk)();  // reboot leaves kiosk mode
  // A program was suspended: the cart browser's scroll animation starts over.
  void (*reset_splore_animation)();

  // The shell's settings by their "config.txt" names ("volume", "theme",
  // "gif_len", ...); a set carries the setting's own effects.
  int32_t (*get_setting)(const char* name);
  void (*set_setting)(const char* name, int32_t value);
};

// The connected port, which the console calls the shell through (tests may
// replace single entries of it); tovo_connect_shell sets it.
inline tovo_shell_port& tovo_shell() {
  static tovo_shell_port port;
  return port;
}

// The name of the first entry of port that is unset, or null when all are set.
const char* tovo_shell_port_missing(const tovo_shell_port& port);
// Makes port the console's way into the shell: 0, or 1 (the port unchanged)
// when an entry is unset, with "shell port: %s is not set" on standard error.
int tovo_connect_shell(const tovo_shell_port& port);
