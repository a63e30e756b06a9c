#pragma once
// The GUI elements and their per-frame pass.

int tarq_gui_init();
int tarq_gui_exit();
int tarq_process_gui();
