#pragma once
// The prompt's screen and file hooks that the player keeps: each does nothing
// and hands its argument back.
#include <cstdint>

int32_t draw_splash_screen(int32_t arg);
int32_t draw_command_string(int32_t arg);
int32_t open_filesystem(int32_t arg);
int32_t do_file_test(int32_t arg);
