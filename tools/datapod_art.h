#pragma once
// The resource pictures that the data-pod tool draws itself: the window icon,
// the controller pictures of the key configuration, the load and download
// spinners, the controls picture, the tv-frame picture, the cart picture
// template and the small tiles that fill the numbers no Part draws.
#include <cstdint>

struct tarq_bitmap;
struct tarq_palette;
struct tarq_pod;

// A 32-bit copy of an 8-bit picture, each pixel `scale` times larger; colour 0
// becomes transparent.
tarq_bitmap* tovo_art_to_32(const tarq_bitmap* src, const tarq_palette* pal, int32_t scale);
// Controller picture for key index k: 0-5 one button lit (left, right, up,
// down, O, X), 6 the pause button lit, 7 all lit (done).
tarq_bitmap* tovo_art_controller(const tarq_bitmap* base, int32_t k);
// Load spinner frame f of 12 and download spinner frame f of 16 (12x12).
tarq_bitmap* tovo_art_spinner(int32_t f);
tarq_bitmap* tovo_art_download_spinner(int32_t f);
// The controls picture (100x90), labelled with the font.
tarq_bitmap* tovo_art_controls(tarq_pod* font);
// The tv-frame picture (32-bit, 8x64).
tarq_bitmap* tovo_art_tv_frame();
// The cart picture template (32-bit, 160x205), labelled with the font.
tarq_bitmap* tovo_art_cart_template(tarq_pod* font, const tarq_palette* pal);
// An 8x8 tile for resource number n.
tarq_bitmap* tovo_art_tile(int32_t n);
