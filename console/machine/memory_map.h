#pragma once
// The machine's memory map: the areas of its 64 KiB address space, the
// draw-state and hardware registers, the bits of the registers that hold
// flags, and the values that registers give a meaning. Code names machine
// addresses through these, never as bare numbers.
#include <cstdint>

#include "sound/machine.h"

// The areas, in address order. The cart's ROM bytes are the first
// TOVO_ROM_SIZE of them; the live structures behind each area are described
// with tovo_poke and tovo_peek (mem.h).
constexpr int32_t TOVO_RAM_SIZE = 0x10000;
constexpr int32_t TOVO_SHEET_START = 0x0000;   // sprite sheet, two pixels a byte, 64 bytes a row
constexpr int32_t TOVO_SHARED_START = 0x1000;  // sheet rows 64-127, shared with map rows 32-63
constexpr int32_t TOVO_MAP_START = 0x2000;     // map rows 0-31, a byte a cell, 128 cells a row
constexpr int32_t TOVO_FLAGS_START = 0x3000;   // sprite flags, a byte a sprite
constexpr int32_t TOVO_MUSIC_START = 0x3100;   // music patterns, 4 bytes each
constexpr int32_t TOVO_SFX_START = 0x3200;     // sound effects, TOVO_SFX_BYTES each
constexpr int32_t TOVO_SFX_BYTES = 68;
// A sound effect's bytes: two a note, then its settings.
constexpr int32_t TOVO_SFX_FLAGS_BYTE = 64;  // the flags, bit 0 kept apart
constexpr int32_t TOVO_SFX_SPEED_BYTE = 65;
constexpr int32_t TOVO_SFX_LOOP_START_BYTE = 66;
constexpr int32_t TOVO_SFX_LOOP_END_BYTE = 67;
static_assert(TOVO_SFX_FLAGS_BYTE == 2 * TOVO_SFX_NOTES && TOVO_SFX_LOOP_END_BYTE + 1 == TOVO_SFX_BYTES);
constexpr int32_t TOVO_USER_START = 0x4300;         // user memory
constexpr int32_t TOVO_CUSTOM_FONT = 0x5600;        // a custom font, in user memory
constexpr int32_t TOVO_CART_DATA_START = 0x5e00;    // 64 cart data words, little endian
constexpr int32_t TOVO_REGISTERS_START = 0x5f00;    // draw-state and hardware registers
constexpr int32_t TOVO_GPIO_START = 0x5f80;         // GPIO bytes
constexpr int32_t TOVO_SCREEN_START = 0x6000;       // the screen, 64 bytes a row like the sheet
constexpr int32_t TOVO_UPPER_START = 0x8000;        // upper memory, RAM only
constexpr int32_t TOVO_ROM_SIZE = TOVO_USER_START;  // a cart's bytes: sheet to sound effects
constexpr int32_t TOVO_SHEET_BYTES = TOVO_MAP_START - TOVO_SHEET_START;
constexpr int32_t TOVO_CART_DATA_WORDS = (TOVO_REGISTERS_START - TOVO_CART_DATA_START) / 4;
constexpr int32_t TOVO_GPIO_BYTES = TOVO_SCREEN_START - TOVO_GPIO_START;
constexpr int32_t TOVO_SCREEN_BYTES = TOVO_UPPER_START - TOVO_SCREEN_START;
constexpr int32_t TOVO_PAGE_SIZE = 0x100;  // a memory page: the map base register counts in these

// The registers. Some are backed by live fields of the machine state, the
// rest live in the RAM image only (registers.h).
constexpr int32_t TOVO_REG_DRAW_PAL = 0x5f00;      // 16 entries; bits 0-3 colour, TOVO_DRAW_PAL_TRANSPARENT
constexpr int32_t TOVO_REG_SCREEN_PAL = 0x5f10;    // 16 entries; TOVO_SCREEN_PAL_EXTENDED
constexpr int32_t TOVO_REG_CLIP = 0x5f20;          // x0, y0, x1, y1 (x1 and y1 exclusive)
constexpr int32_t TOVO_REG_PRINT_HOME_X = 0x5f24;  // where a new printed line starts
constexpr int32_t TOVO_REG_PEN = 0x5f25;
constexpr int32_t TOVO_REG_CURSOR_X = 0x5f26;
constexpr int32_t TOVO_REG_CURSOR_Y = 0x5f27;
constexpr int32_t TOVO_REG_CAMERA_X = 0x5f28;  // signed 16-bit, low byte first
constexpr int32_t TOVO_REG_CAMERA_Y = 0x5f2a;  // signed 16-bit, low byte first
constexpr int32_t TOVO_REG_SCREEN_MODE = 0x5f2c;
constexpr int32_t TOVO_REG_MOUSE_KEYBOARD = 0x5f2d;  // TOVO_MOUSE_KEYBOARD_* bits
constexpr int32_t TOVO_REG_PERSIST = 0x5f2e;         // TOVO_KEEP_* bits
constexpr int32_t TOVO_REG_AUDIO_PAUSE = 0x5f2f;     // TOVO_AUDIO_PAUSE_* values
constexpr int32_t TOVO_REG_PAUSE_SUPPRESS = 0x5f30;  // TOVO_PAUSE_SUPPRESS_ONCE swallows a pause
constexpr int32_t TOVO_REG_FILL_PATTERN = 0x5f31;    // 3 bytes: pattern bits 0-7, 8-15, 16-23
constexpr int32_t TOVO_REG_DRAWING_FLAG = 0x5f34;    // 1: colour arguments may carry a fill pattern
constexpr int32_t TOVO_REG_LINE_FLAG = 0x5f35;       // bit 0: no line end point yet
constexpr int32_t TOVO_REG_FEATURES = 0x5f36;        // TOVO_FEATURE_* bits
constexpr int32_t TOVO_REG_KEPT_BYTE = 0x5f37;       // kept through the register reset
constexpr int32_t TOVO_REG_TLINE_WRAP_W = 0x5f38;    // textured lines: map wrap in cells, 0 = 256
constexpr int32_t TOVO_REG_TLINE_WRAP_H = 0x5f39;
constexpr int32_t TOVO_REG_TLINE_OFFSET_X = 0x5f3a;  // textured lines: cells added after wrapping
constexpr int32_t TOVO_REG_TLINE_OFFSET_Y = 0x5f3b;
constexpr int32_t TOVO_REG_LINE_END_X = 0x5f3c;  // signed 16-bit, low byte first
constexpr int32_t TOVO_REG_LINE_END_Y = 0x5f3e;  // signed 16-bit, low byte first
constexpr int32_t TOVO_REG_SOUND = 0x5f40;       // the sound registers, in tovo_sound_register order
constexpr int32_t TOVO_REG_PRNG_HIGH = 0x5f44;   // PRNG words, little endian
constexpr int32_t TOVO_REG_PRNG_LOW = 0x5f48;
constexpr int32_t TOVO_REG_BUTTONS = 0x5f4c;          // players 0-7, bit b = button b
constexpr int32_t TOVO_REG_SPRITE_SOURCE = 0x5f54;    // TOVO_SOURCE_SCREEN: sprites come from the screen
constexpr int32_t TOVO_REG_DRAW_TARGET = 0x5f55;      // 0: drawing goes to the sprite sheet
constexpr int32_t TOVO_REG_MAP_BASE = 0x5f56;         // the map's page; upper memory from page 0x80
constexpr int32_t TOVO_REG_MAP_WIDTH = 0x5f57;        // in cells, 0 = 256
constexpr int32_t TOVO_REG_PRINT_STYLE = 0x5f58;      // TOVO_PRINT_* bits
constexpr int32_t TOVO_REG_PRINT_SIZE = 0x5f59;       // low nibble char width, high nibble char height
constexpr int32_t TOVO_REG_PRINT_WIDE_TAB = 0x5f5a;   // low nibble wide char width, high nibble tab stops
constexpr int32_t TOVO_REG_PRINT_OFFSET = 0x5f5b;     // low nibble x offset, high nibble y offset
constexpr int32_t TOVO_REG_REPEAT_DELAY = 0x5f5c;     // button repeat: frames before the first, 0 = 15
constexpr int32_t TOVO_REG_REPEAT_INTERVAL = 0x5f5d;  // frames between repeats, 0 = 4
constexpr int32_t TOVO_REG_MASKS = 0x5f5e;            // bitplane masks: low nibble write, high nibble read
constexpr int32_t TOVO_REG_PAL_MODE = 0x5f5f;         // TOVO_PAL_MODE_* values
constexpr int32_t TOVO_REG_SECONDARY_PAL = 0x5f60;    // 16 colour pairs
constexpr int32_t TOVO_REG_ROW_BITS = 0x5f70;         // a bit a screen row: bit (y & 7) of byte y >> 3
constexpr int32_t TOVO_REGISTERS_END = TOVO_GPIO_START;

constexpr int32_t TOVO_PALETTE_ENTRIES = 16;
constexpr int32_t TOVO_PRINT_REGISTERS = 4;  // style, size, wide and tab, offset
constexpr int32_t TOVO_FILL_PATTERN_BYTES = 3;
constexpr int32_t TOVO_BUTTON_PLAYERS = 8;
constexpr int32_t TOVO_LIVE_BUTTON_PLAYERS = 4;  // players whose button bytes are backed by the held states

// The sound registers one by one; the sound engine names their bits.
constexpr int32_t TOVO_REG_SOUND_SPEED = TOVO_REG_SOUND + TOVO_SOUND_REG_SPEED;
constexpr int32_t TOVO_REG_SOUND_REVERB = TOVO_REG_SOUND + TOVO_SOUND_REG_REVERB;
constexpr int32_t TOVO_REG_SOUND_CRUSH = TOVO_REG_SOUND + TOVO_SOUND_REG_CRUSH;
constexpr int32_t TOVO_REG_SOUND_LOWPASS = TOVO_REG_SOUND + TOVO_SOUND_REG_LOWPASS;
static_assert(TOVO_REG_SOUND + TOVO_SOUND_REGISTERS == TOVO_REG_PRNG_HIGH);

// Draw palette entries: the colour in bits 0-3, transparency in bit 4.
constexpr int32_t TOVO_DRAW_PAL_TRANSPARENT = 0x10;
// Screen palette entries: bit 7 picks the extended colours.
constexpr int32_t TOVO_SCREEN_PAL_EXTENDED = 0x80;

// Mouse and keyboard bits.
constexpr int32_t TOVO_MOUSE_KEYBOARD_ON = 0x01;       // the mouse and keyboard can be read
constexpr int32_t TOVO_MOUSE_KEYBOARD_BUTTONS = 0x02;  // with ON: the mouse buttons press X, O and pause
constexpr int32_t TOVO_MOUSE_KEYBOARD_LOCK = 0x04;     // with ON: the cursor locked, the mouse read as moves

// Persistence bits: what survives when a program stops. A clear bit resets
// its group.
constexpr int32_t TOVO_KEEP_DRAW_PAL = 0x01;
constexpr int32_t TOVO_KEEP_PAL_MODE = 0x02;
constexpr int32_t TOVO_KEEP_SOUND = 0x04;
constexpr int32_t TOVO_KEEP_MASKS = 0x08;
constexpr int32_t TOVO_KEEP_PRINT = 0x10;  // the print registers and the font
constexpr int32_t TOVO_KEEP_FILL_PATTERN = 0x20;
constexpr int32_t TOVO_KEEP_PEN = 0x40;
constexpr int32_t TOVO_KEEP_MAPPING = 0x80;  // the sprite source and draw target

// Audio pause values.
constexpr int32_t TOVO_AUDIO_PAUSE_NOW = 1;      // the mixer pauses
constexpr int32_t TOVO_AUDIO_PAUSE_NEVER = 2;    // sound plays on under the pause menu
constexpr int32_t TOVO_PAUSE_SUPPRESS_ONCE = 1;  // the next pause press only clears it

// Feature bits.
constexpr int32_t TOVO_FEATURE_DISPLAYS = 0x01;          // extra displays may be selected and shown
constexpr int32_t TOVO_FEATURE_EVEN_CIRCLES = 0x02;      // radii of x.5 and more give even diameters
constexpr int32_t TOVO_FEATURE_NO_NEWLINE = 0x04;        // print adds no newline
constexpr int32_t TOVO_FEATURE_DRAW_ZERO = 0x08;         // map and textured lines draw cell 0 too
constexpr int32_t TOVO_FEATURE_RAW_SERIAL_AUDIO = 0x20;  // serial audio without smoothing
constexpr int32_t TOVO_FEATURE_NO_SCROLL = 0x40;         // the console text does not scroll

// The sprite source register: this value takes sprites from the screen
// (the page of TOVO_SCREEN_START).
constexpr int32_t TOVO_SOURCE_SCREEN = TOVO_SCREEN_START / TOVO_PAGE_SIZE;
constexpr int32_t TOVO_TARGET_SHEET = 0;  // the draw target register's value for the sheet

// Print style bits; the style bits count only with TOVO_PRINT_STYLED.
constexpr int32_t TOVO_PRINT_STYLED = 0x01;
constexpr int32_t TOVO_PRINT_BORDER = 0x02;
constexpr int32_t TOVO_PRINT_WIDE = 0x04;
constexpr int32_t TOVO_PRINT_TALL = 0x08;
constexpr int32_t TOVO_PRINT_SOLID = 0x10;
constexpr int32_t TOVO_PRINT_INVERT = 0x20;
constexpr int32_t TOVO_PRINT_STRIPE = 0x40;
constexpr int32_t TOVO_PRINT_CUSTOM_FONT = 0x80;  // with TOVO_PRINT_STYLED: the font at TOVO_CUSTOM_FONT

// Screen-palette display modes: how the secondary palette joins in.
constexpr int32_t TOVO_PAL_MODE_ROWS = 0x10;    // the row bits choose the secondary palette for a row
constexpr int32_t TOVO_PAL_MODE_HALVES = 0x20;  // in screen mode 1: the right half picks the left's palette
constexpr int32_t TOVO_PAL_MODE_COLOUR = 0x30;  // 0x30 + c: colour c takes a secondary entry a band of rows
constexpr int32_t TOVO_PAL_MODE_COLOUR_LAST = TOVO_PAL_MODE_COLOUR + 0x0f;

// Register values after the register reset, where they are not 0.
constexpr int32_t TOVO_DEFAULT_PEN = 6;
constexpr int32_t TOVO_DEFAULT_DRAW_TARGET = TOVO_SOURCE_SCREEN;
constexpr int32_t TOVO_DEFAULT_MAP_BASE = TOVO_MAP_START / TOVO_PAGE_SIZE;
constexpr int32_t TOVO_DEFAULT_MAP_WIDTH = 0x80;
constexpr int32_t TOVO_DEFAULT_MASKS = 0xff;
