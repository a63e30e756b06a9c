#pragma once
// Further forms of the message bar's calls: the "_ex" forms act as the plain
// ones, and a hover text shows in the bar when no message does.
#include <cstdint>

void show_message_ex(const char* text, int32_t ms);
void show_message_2_ex(const char* format, int32_t ms, int32_t a, int32_t b);
// The hover text formatted from two integers, unless a message is showing.
void show_message_hover(const char* format, int32_t a, int32_t b);
