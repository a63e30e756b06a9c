#pragma once
// Former name of the display-selection header, kept while code written
// against it moves to console/draw_display.h.
#include "console/draw_display.h"
