#pragma once
// Host services: the application, program, desktop and working folders.
// Each prefix operation writes folder + '/' + name into `out` (TARQ_PATH_MAX
// bytes) and returns 0; a result that does not fit is refused: `out` becomes
// the empty string and the result is non-zero.
#include "engine/path.h"

int tarq_prefix_with_appdata_path(const char* name, char* out);
int tarq_prefix_with_program_path(const char* name, char* out);
int tarq_prefix_with_desktop_path(const char* name, char* out);
int tarq_prefix_with_current_path(const char* name, char* out);
