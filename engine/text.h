#pragma once
// Bitmap-font text.

int tarq_text_init();
int tarq_text_exit();
