#pragma once
// The machine state `pstate`: the RAM image and every live structure that
// the memory map shows through it (the machine's cart, the screen pages and
// draw target, the draw-state and hardware registers, the held buttons, the
// cart data words), and the run-loop fields that the console allocator
// keeps. A plain record, zeroed at start, kept in the machine record
// (console/machine/machine_record.h); the player shell sets it up, the console core
// and the sound engine use it.
#include <cstdint>

#include "console/machine/memory_map.h"

struct tarq_bitmap;
struct tovo_cart;

constexpr int TOVO_DISPLAYS = 4;
constexpr int TOVO_PLAYERS = 8;
constexpr int TOVO_BUTTONS = 8;

struct tovo_machine_state {
  int32_t ticks;                        // console ticks run (first word)
  uint8_t ram[TOVO_RAM_SIZE];           // the RAM image
  tovo_cart* cart;                      // the machine's cart
  tarq_bitmap* screens[TOVO_DISPLAYS];  // 128x128 8-bit screen pages
  int32_t display;                      // the selected display, 0-3
  tarq_bitmap* draw_target;             // a screen page or the cart's sheet

  // Draw state, the live side of the registers (memory_map.h).
  int32_t draw_pal[16];    // TOVO_REG_DRAW_PAL: bits 0-3 colour, bit 4 transparent
  int32_t screen_pal[16];  // TOVO_REG_SCREEN_PAL
  int32_t clip[4];         // TOVO_REG_CLIP: x0, y0, x1, y1 (x1, y1 exclusive)
  int32_t print_home_x;    // TOVO_REG_PRINT_HOME_X
  int32_t pen;             // TOVO_REG_PEN
  int32_t cursor_x;        // TOVO_REG_CURSOR_X
  int32_t cursor_y;        // TOVO_REG_CURSOR_Y
  int32_t camera_x;        // TOVO_REG_CAMERA_X, both bytes, signed 16-bit
  int32_t camera_y;        // TOVO_REG_CAMERA_Y, both bytes
  int32_t screen_mode;     // TOVO_REG_SCREEN_MODE
  int32_t fill_pattern;    // TOVO_REG_FILL_PATTERN, all three bytes: bits 0-23
  int32_t drawing_flag;    // TOVO_REG_DRAWING_FLAG
  int32_t line_flag;       // TOVO_REG_LINE_FLAG
  int32_t line_end_x;      // TOVO_REG_LINE_END_X, both bytes, signed 16-bit
  int32_t line_end_y;      // TOVO_REG_LINE_END_Y, both bytes
  // TOVO_REG_SOUND on; read by the mixer (tovo_sound_word_load).
  int32_t sound_regs[TOVO_SOUND_REGISTERS];
  int32_t mask_byte;          // TOVO_REG_MASKS as stored
  int32_t write_mask;         // its bits 0-3
  int32_t read_mask;          // its bits 4-7
  int32_t secondary_pal[16];  // TOVO_REG_SECONDARY_PAL

  // Buttons: 1 while held this frame.
  int32_t held[TOVO_PLAYERS][TOVO_BUTTONS];

  // Cart data, the words at TOVO_CART_DATA_START.
  int32_t cart_data[TOVO_CART_DATA_WORDS];
  int32_t cart_data_dirty;

  int32_t reset_counter;  // above 0 while the reset sequence runs

  // Script memory, kept by the console allocator.
  int32_t script_memory;  // bytes counted for the running interpreter
  int32_t code_overhead;  // charge for the compiled program text
  int32_t compiling;      // 1 while the program text compiles
  int32_t slice_escape;   // the allocator forced a super-yield
  int32_t alloc_error;    // "host allocation error" was printed
  int64_t host_memory;    // host bytes the interpreter's blocks take
  int32_t host_refused;   // a block was refused for the host memory cap
};

// The working-cart list: its first entry is the working cart, the cart as
// loaded, which `reload` reads (pitem(i) and pitems(), machine_record.h).
constexpr int TOVO_MAX_PITEMS = 1;
