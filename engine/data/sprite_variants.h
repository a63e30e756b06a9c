#pragma once
// Sprite draws the player never makes: through a colour map (by the sprite's
// colour or by the colour under it) and mirrored left to right.
#include <cstdint>

struct tarq_bitmap;

void tarq_draw_sprite_pal(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                          int32_t w, int32_t h, const uint8_t* map);
void tarq_draw_sprite_shadow(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, const uint8_t* map);
void tarq_draw_sprite_h(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                        int32_t w, int32_t h);
void tarq_draw_sprite8_h(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                         int32_t w, int32_t h);
