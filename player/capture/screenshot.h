#pragma once
// Screenshots as PNG files, the cart label from the screen, and the copy of
// the back page that clips and labels are taken from.
#include <cstdint>

struct tarq_bitmap;

constexpr int32_t TOVO_SCREENSHOT_MAX_SCALE = 32;

// The scale a screenshot uses for an argument: the argument when above 0 (at
// most 32), else screenshot_scale clamped to 1..32.
int32_t tovo_screenshot_scale(int32_t scale);
// Saves the bitmap enlarged by the scale, colour 0 written as 16: 0 when the
// whole file was written, else 1. Destination 0 is the desktop folder, any
// other the cart's output folder.
int32_t save_png_screenshot(const tarq_bitmap* bitmap, int32_t scale, int32_t destination);
// Converts screen page 0 (the cart's screen as drawn so far) into the
// video-frame bitmap, through the display palette and screen modes.
void tovo_copy_back_page();
// The working cart's label becomes a copy of the video-frame bitmap; 0.
int32_t set_cart_label();
