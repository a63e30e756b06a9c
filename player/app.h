#pragma once
// The application hooks that the engine's main loop runs, and the record of
// them that the program hands to tarq_main.
#include "engine/tarq.h"

int tarq_main_init(int argc, char** argv);
int tarq_main_update();
int tarq_main_draw();
int tarq_main_exit();

extern const tarq_application tovo_application;
