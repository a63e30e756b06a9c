#pragma once
// Single points on a bitmap: tarq_putpixel for a bitmap that may be null, and
// a point's outcode against the clip rectangle (1 left, 2 above, 4 right,
// 8 below). The player's drawing clips whole spans.
#include <cstdint>

struct tarq_bitmap;

void tarq_put_pixel(tarq_bitmap* b, int32_t x, int32_t y, uint32_t colour);
int32_t code_point(const tarq_bitmap* b, int32_t x, int32_t y);
