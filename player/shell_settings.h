#pragma once
// The shell settings that the config command shows and changes, by their
// "config.txt" names: theme (gui_theme), splore_filter, volume, gif_len,
// gif_reset_mode, gif_scale, screenshot_scale, tab_width and enable_gpio.
// Other names read 0 and are not kept.
#include <cstdint>

int32_t tovo_get_shell_setting(const char* name);
// Also: a volume becomes the sound volume unless sound is off (0); a tab
// width sets every code tab's tab stop to min(width, 4) x 4 pixels.
void tovo_set_shell_setting(const char* name, int32_t value);
