// The texture draw: no operation.
#include "engine/platform/draw_texture.h"

int32_t tarq_draw_texture(int32_t n) { return n; }
