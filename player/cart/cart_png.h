#pragma once
// Picture carts (".kx.png"): a 160x205 RGBA picture whose pixel i carries
// payload byte i in the two low bits of each channel (bits 0-1 blue, 2-3
// green, 4-5 red, 6-7 alpha). The payload is the cart image and a 32-byte
// trailer: version, 0, 2, 4, the platform character 'r', 0, the SHA-1 of
// the image (20 bytes) and 6 zero bytes. The upper six bits of each channel
// show the cart picture template, the label and the code's title lines.
#include <cstdint>

struct tarq_bitmap;
struct tarq_file;
struct tovo_cart;

constexpr int32_t TOVO_CART_PNG_WIDTH = 160;
constexpr int32_t TOVO_CART_PNG_HEIGHT = 205;
constexpr int32_t TOVO_CART_PAYLOAD_SIZE = 32800;
constexpr int32_t TOVO_CART_TEMPLATE_RESOURCE = 250;  // index in the data pod's resources

// The cart picture template (160x205, 32-bit), set by whoever loads the
// data pod's resources (null to forget it); the writer starts from an opaque
// black picture while there is none. Not owned.
void tovo_set_cart_template(const tarq_bitmap* picture);

// 0 written; 1 when the compressed code does not fit the code area (nothing
// written) or the picture could not be written.
int save_tovo_cart_png(tovo_cart* cart, const char* path);

// A new cart or null; the picture-cart reason code in disk_state: 0 loaded,
// 1 not a PNG picture, 2 no file, 3 future version without accept_future,
// 4 digest mismatch, 5 wrong picture size. A stored digest of zeros is not
// checked.
tovo_cart* load_tovo_cart_png_from_file(tarq_file* f);
// As above from a file (or the virtual disk); the cart's label is then read
// from the same file by the cart browser's label routine.
tovo_cart* load_tovo_cart_png(const char* path);

// The 128x128 area at (16, 24) of a 160x205 picture as an 8-bit label of
// the nearest console colours (0-15, 128-143); null for other pictures.
tarq_bitmap* create_label_from_picture(const tarq_bitmap* picture);
// A new 128x128 8-bit label from the area at (x0, y0) of a 32-bit picture
// that holds it, each pixel the nearest console colour; null without memory.
tarq_bitmap* label_from_picture_area(const tarq_bitmap* picture, int32_t x0, int32_t y0);
// The nearest of the console colours 0-15 and 128-143 to a 0xAARRGGBB colour,
// through the video palette (0 without one).
int32_t nearest_console_colour(uint32_t argb);
