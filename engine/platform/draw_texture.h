#pragma once
// The texture draw of the library's offer: no operation, it returns its
// argument. Nothing in the player draws textures.
#include <cstdint>

int32_t tarq_draw_texture(int32_t n);
