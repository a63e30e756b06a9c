#pragma once
// The video system: its start and shutdown, the SDL window, and presenting
// the back page. The screen and window operations are in window.h, the
// palette and the placement of the page in present.h.
#include "engine/platform/present.h"
#include "engine/platform/window.h"

int tarq_video_init();
int tarq_video_exit();
void tarq_blit_back_page();
