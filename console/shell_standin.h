#pragma once
// The player shell's side of the run loop and the program-control bindings:
// cart data, the pause menu, messages, the working cart and mounted carts,
// screenshots, video and the label, the sound stop and the prompt commands'
// file work. The player installs its routines in tovo_shell_hooks at start;
// a call whose hook is null goes to a stand-in that keeps what it was asked
// (so that callers can be checked), with mounted carts as a small table of
// names and code texts.
#include <cstdint>

struct tovo_shell_hook_table {
  void (*save_cdata)();
  void (*update_paused_menu)();
  void (*build_paused_menu)(int32_t page, int32_t keep_selection);
  void (*show_message)(const char* text, int32_t ms);
  void (*copy_back_page)();
  void (*set_cart_label)();
  int32_t (*save_screenshot)(int32_t scale, int32_t destination);  // 0 saved
  int32_t (*save_video)(int32_t scale, int32_t destination);       // 0 saved, 9 no frames
  int32_t (*gif_seconds)();
  void (*reset_video)();
  void (*record_video_frame)();
  void (*hash_working_cart)();
  void (*stop_sound)();
  int32_t (*is_mounted)(const char* name);
  int32_t (*load_working_cart)(const char* name);  // 0 loaded
  const char* (*current_filename)();               // the current cart file ("" when none)
  const char* (*root_path)();                      // the console's root folder
  const char* (*bbs_path)();                       // the application folder's "bbs/" path
  // The cart dropped on the window becomes the working cart ("dropped.kx"):
  // 0, or 1 when none is held.
  int32_t (*load_dropped_cart)();
  // Reason of the last failed cart read: 1 future version, 2 code too long;
  // cleared by the call.
  int32_t (*take_load_reason)();
  void (*save_backup)();           // backs up the current cart file
  void (*clear_kiosk)();           // reboot leaves kiosk mode
  int32_t (*compressed_size)(const char* code);  // PXA size of code text
  void (*prompt_command)(const char* command, const char* argument);
  // The working cart as a "[cart]" code on the host clipboard: 0 saved.
  int32_t (*save_to_clipboard)();
  // The shell's settings by their "config.txt" names ("volume", "theme",
  // "gif_len", ...); a set carries the setting's own effects.
  int32_t (*get_setting)(const char* name);
  void (*set_setting)(const char* name, int32_t value);
};

extern tovo_shell_hook_table tovo_shell_hooks;

constexpr int TOVO_STANDIN_TEXT = 256;
constexpr int TOVO_STANDIN_MOUNTS = 8;

struct tovo_shell_standin {
  char message[TOVO_STANDIN_TEXT];  // the last message shown
  int32_t message_ms;
  int32_t messages;
  int32_t cdata_saves;
  int32_t paused_menu_updates;
  int32_t paused_menu_builds;   // pause menu opened
  int32_t paused_menu_page;     // 0 the first page, 1 the controls page
  int32_t paused_menu_keep;     // the previous selection stays
  int32_t pause_state;          // the pause menu's state word
  int32_t back_page_copies;
  int32_t labels;
  int32_t screenshots;
  int32_t screenshot_result;    // what the next screenshot returns (0 saved)
  int32_t video_frames;
  int32_t video_resets;
  int32_t video_result;         // what the next GIF save returns (0 saved, 9 no frames)
  int32_t gif_seconds;
  int32_t sound_stops;
  int32_t hashes;
  int32_t bbs_cart;             // the running cart is a bulletin-board cart
  char mount_name[TOVO_STANDIN_MOUNTS][TOVO_STANDIN_TEXT];
  const char* mount_code[TOVO_STANDIN_MOUNTS];
  int32_t mounts;
  char current_filename[TOVO_STANDIN_TEXT];  // the current cart file
  char current_dir[TOVO_STANDIN_TEXT];
};

extern tovo_shell_standin shell_standin;

void tovo_shell_save_cdata();
void tovo_shell_update_paused_menu();
void tovo_shell_build_paused_menu(int32_t page, int32_t keep_selection);
void tovo_shell_show_message(const char* text, int32_t ms);
void tovo_shell_copy_back_page();
void tovo_shell_set_cart_label();
int32_t tovo_shell_save_screenshot(int32_t scale, int32_t destination);
int32_t tovo_shell_save_video(int32_t scale, int32_t destination);
int32_t tovo_shell_gif_seconds();
void tovo_shell_reset_video();
void tovo_shell_record_video_frame();
void tovo_shell_hash_working_cart();
void tovo_shell_stop_sound();

// Mounted carts: a name mounted with its code; a load makes a new working
// cart with that code. 0 loaded, 1 not found or no memory.
void tovo_shell_mount(const char* name, const char* code);
int32_t tovo_shell_is_mounted(const char* name);
int32_t tovo_shell_load_working_cart(const char* name);
const char* tovo_shell_current_filename();
const char* tovo_shell_root_path();  // "" without the shell
const char* tovo_shell_bbs_path();   // "" without the shell
int32_t tovo_shell_load_dropped_cart();  // 1 (none) without the shell
int32_t tovo_shell_take_load_reason();   // 0 without the shell
void tovo_shell_save_backup();
void tovo_shell_clear_kiosk();
int32_t tovo_shell_compressed_size(const char* code);  // -1 without the shell
int32_t tovo_shell_save_to_clipboard();                 // 1 (failed) without the shell
// Without the shell a setting keeps the last value set (0 before), for up to
// TOVO_STANDIN_SETTINGS names.
constexpr int TOVO_STANDIN_SETTINGS = 16;
int32_t tovo_shell_get_setting(const char* name);
void tovo_shell_set_setting(const char* name, int32_t value);

// Prompt commands that reach the cart file system or the host (cd, mkdir,
// ls, folder, backup, save, install_demos, install_games, keyconfig): the
// command and its argument are kept.
void tovo_shell_prompt_command(const char* command, const char* argument);
extern char tovo_standin_prompt_command[TOVO_STANDIN_TEXT];
