#pragma once
// Start-up and shutdown of the player: the application and machine records,
// the engine, switches, folders, the machine's cart, the data pod, window,
// back page, bitmaps, code tabs, the working cart, sound, and then the boot
// sequence or (with exec) the command-line cart.
#include <cstdint>

// The program's exit status: 0 when it ended normally (also when a cart run
// with -x stopped or returned), 1 when it could not start (no data.pod, a
// command-line cart that could not be loaded), and with -x 2 or 3 when the
// cart ended in a compile error or a runtime error.
enum {
  TOVO_EXIT_OK = 0,
  TOVO_EXIT_CANNOT_START = 1,
  TOVO_EXIT_COMPILE_ERROR = 2,
  TOVO_EXIT_RUNTIME_ERROR = 3,
};

int tovo_shell_init(int argc, char** argv);
int tovo_shell_exit();

// The back page for the display options: 144x136 with the tv frame, else
// 128 x (1..8 displays across) by 128 x (1..8 down).
void tovo_back_page_size(int32_t tv_frame, int32_t displays_x, int32_t displays_y, int32_t* w, int32_t* h);
// Resets the editor-view fields (nothing visible in the player).
void init_editor_state();
// For a newly loaded cart: the editor state reset, the code tabs' undo
// stacks cleared and the window title set again.
void reset_editor_for_new_cart();
// The 16 code tabs' records, each over its tab's text (4x6 cells, the tab
// width setting); tovo_destroy_code_tabs leaves the texts alone.
void tovo_create_code_tabs();
void tovo_destroy_code_tabs();
// root path + "untitled.kx", or "untitled_%d.kx" (1..1000) while taken.
void set_untitled_filename();
// Replaces an empty or unlistable path with the application folder + dflt.
void init_path(char* path, const char* dflt);
