#pragma once
// The application hooks: the engine calls these by name; the application
// (the player shell, or a test's stand-in) defines all four.

int tarq_main_init(int argc, char** argv);
int tarq_main_update();
int tarq_main_draw();
int tarq_main_exit();
