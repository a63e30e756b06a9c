#pragma once
// Blocking line entry drawn over the back page. Nothing in the player asks
// for a line this way.
#include <cstdint>

struct tarq_pod;

// Line entry into `buffer` (max_len bytes with its terminator):
// 1 when Enter ends it, 0 when a quit does (the buffer keeps what was typed);
// 0 at once for a null buffer or a max_len below 1.
int32_t tarq_get_keyboard_string_ex(char* buffer, int32_t x, int32_t y, tarq_pod* font, int32_t max_len,
                                    int32_t field_width);
int32_t tarq_get_keyboard_string(char* buffer, int32_t x, int32_t y, tarq_pod* font, int32_t max_len);
