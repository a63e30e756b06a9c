#include "player/prompt_hooks.h"

int32_t draw_splash_screen(int32_t arg) { return arg; }
int32_t draw_command_string(int32_t arg) { return arg; }
int32_t open_filesystem(int32_t arg) { return arg; }
int32_t do_file_test(int32_t arg) { return arg; }
