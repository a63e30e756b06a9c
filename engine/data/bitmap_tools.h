#pragma once
// Drawing helpers on bitmaps that the player never uses (its drawing clips
// whole spans, draws no lit frame and saves no clip this way).
#include <cstdint>

struct tarq_bitmap;

// Single points: tarq_putpixel for a bitmap that may be null, and a point's
// outcode against the clip rectangle (1 left, 2 above, 4 right, 8 below).
void tarq_put_pixel(tarq_bitmap* b, int32_t x, int32_t y, uint32_t colour);
int32_t code_point(const tarq_bitmap* b, int32_t x, int32_t y);

// A filled rectangle with lit edges: the top and right edges in edge_b, the
// bottom and left in edge_a, corners in any order.
void tarq_rect_lit(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t edge_a, uint32_t fill,
                   uint32_t edge_b);

// One saved clip rectangle: a bitmap's clip is saved and later given back to
// a bitmap.
void tarq_save_clip(const tarq_bitmap* b);
void tarq_restore_clip(tarq_bitmap* b);
