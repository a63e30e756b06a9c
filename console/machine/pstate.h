#pragma once
// The machine state record `pstate`: the RAM image and every live structure
// that the memory map shows through it (the machine's cart, the screen pages
// and draw target, the draw-state and hardware registers, the held buttons,
// the cart data words), and the run-loop fields that the console allocator
// keeps. The player shell owns it; the console core and the sound engine use
// it. A plain record, zeroed at start.
#include <cstdint>

struct tarq_bitmap;
struct tovo_cart;

constexpr int TOVO_RAM_SIZE = 0x10000;
constexpr int TOVO_DISPLAYS = 4;
constexpr int TOVO_PLAYERS = 8;
constexpr int TOVO_BUTTONS = 8;
constexpr int TOVO_CART_DATA_WORDS = 64;

struct tovo_machine_state {
  int32_t ticks;                        // console ticks run (first word)
  uint8_t ram[TOVO_RAM_SIZE];           // the RAM image
  tovo_cart* cart;                      // the machine's cart
  tarq_bitmap* screens[TOVO_DISPLAYS];  // 128x128 8-bit screen pages
  int32_t display;                      // the selected display, 0-3
  tarq_bitmap* draw_target;             // a screen page or the cart's sheet

  // Draw state, the live side of registers 0x5f00-0x5f7f.
  int32_t draw_pal[16];       // 0x5f00: bits 0-3 colour, bit 4 transparent
  int32_t screen_pal[16];     // 0x5f10
  int32_t clip[4];            // 0x5f20: x0, y0, x1, y1 (x1, y1 exclusive)
  int32_t print_home_x;       // 0x5f24
  int32_t pen;                // 0x5f25
  int32_t cursor_x;           // 0x5f26
  int32_t cursor_y;           // 0x5f27
  int32_t camera_x;           // 0x5f28-0x5f29, signed 16-bit
  int32_t camera_y;           // 0x5f2a-0x5f2b
  int32_t screen_mode;        // 0x5f2c
  int32_t fill_pattern;       // 0x5f31-0x5f33, bits 0-23
  int32_t drawing_flag;       // 0x5f34
  int32_t line_flag;          // 0x5f35
  int32_t line_end_x;         // 0x5f3c-0x5f3d, signed 16-bit
  int32_t line_end_y;         // 0x5f3e-0x5f3f
  int32_t sound_regs[4];      // 0x5f40-0x5f43; read by the mixer (tovo_sound_word_load)
  int32_t mask_byte;          // 0x5f5e as stored
  int32_t write_mask;         // its bits 0-3
  int32_t read_mask;          // its bits 4-7
  int32_t secondary_pal[16];  // 0x5f60

  // Buttons: 1 while held this frame.
  int32_t held[TOVO_PLAYERS][TOVO_BUTTONS];

  // Cart data, 0x5e00-0x5eff.
  int32_t cart_data[TOVO_CART_DATA_WORDS];
  int32_t cart_data_dirty;

  int32_t reset_counter;  // above 0 while the reset sequence runs

  // Script memory, kept by the console allocator.
  int32_t script_memory;  // bytes counted for the running interpreter
  int32_t code_overhead;  // charge for the compiled program text
  int32_t compiling;      // 1 while the program text compiles
  int32_t slice_escape;   // the allocator forced a super-yield
  int32_t alloc_error;    // "host allocation error" was printed
};

extern tovo_machine_state pstate;

// The working-cart list: its first entry is the working cart, the cart as
// loaded, which `reload` reads.
constexpr int TOVO_MAX_PITEMS = 1;
extern tovo_cart* pitem[TOVO_MAX_PITEMS];
extern int32_t pitems;
