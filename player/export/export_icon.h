#pragma once
// The exported program's icon: a 128x128 32-bit picture (0xAARRGGBB words)
// made from the cart's sprites or label, with a soft shadow around it, and
// the forms the platforms want it in: the macOS icon file and the icon block
// inside the Windows program.
#include <cstddef>
#include <cstdint>

struct tarq_bitmap;
struct tarq_palette;
struct tovo_cart;

constexpr int32_t TOVO_ICON_SIZE = 128;
constexpr int32_t TOVO_ICNS_SIZE = 65948;

// Fills icon (128x128, 32-bit; cleared first) from the cart. With sprite >= 0
// and size absent (< 0) or at least 1: an (s x 8)-pixel square of the sheet
// at sprite `sprite`, stretched to the border that s gives; otherwise the
// label. Colours come through pal; pixels of the transparent colour (< 0:
// none for a label, 0 for sprites) become 0, all others opaque. Returns false
// when there is neither a sprite choice nor a label.
bool tovo_make_export_icon(tarq_bitmap* icon, tovo_cart* cart, const tarq_palette* pal, int32_t sprite, int32_t size,
                           int32_t transparent);

// Gives every transparent pixel a soft shadow of the opaque ones above and
// to its left.
void generate_shadow(tarq_bitmap* icon);

// Writes the macOS icon file (65948 bytes); 0 done, 1 when it cannot be made.
int save_icns(const tarq_bitmap* icon, const char* path);

// Writes the icon into the Windows program's icon block, found before its
// marker; logs and leaves the program unchanged when there is no marker.
// Returns true when the icon was written.
bool inject_windows_icon(const tarq_bitmap* icon, uint8_t* program, size_t size);

// Writes the macOS property list of an application called name; 0 done.
int create_plist_file(const char* path, const char* name);
