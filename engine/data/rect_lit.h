#pragma once
// A filled rectangle with lit edges: the top and right edges in edge_b, the
// bottom and left in edge_a, corners in any order. The player draws no such
// frame.
#include <cstdint>

struct tarq_bitmap;

void tarq_rect_lit(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t edge_a, uint32_t fill,
                   uint32_t edge_b);
