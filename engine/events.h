#pragma once
// The event pump, keyboard and mouse.
#include <cstdint>

extern int32_t tarq_system_active;  // 1 while the window is shown and focused

int tarq_handle_system_messages();
int tarq_keys_init();
int tarq_keys_exit();
int tarq_mouse_init();
void tarq_get_mouse(int32_t* x, int32_t* y, int32_t* buttons);
