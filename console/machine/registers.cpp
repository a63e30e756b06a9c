// Register writes and reads, and the register reset.
#include "console/machine/registers.h"

#include "console/draw/extpal_glitch.h"
#include "console/draw/gfx_state.h"
#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_prng.h"
#include "console/machine/mem_bulk.h"
#include "console/machine/memory_map.h"
#include "console/machine/pstate.h"
#include "console/print/print.h"

namespace {

constexpr uint32_t DRAW_PAL = TOVO_REG_DRAW_PAL, SCREEN_PAL = TOVO_REG_SCREEN_PAL, CLIP = TOVO_REG_CLIP,
                   PRINT_HOME_X = TOVO_REG_PRINT_HOME_X, PEN = TOVO_REG_PEN, CURSOR_X = TOVO_REG_CURSOR_X,
                   CURSOR_Y = TOVO_REG_CURSOR_Y, CAMERA_X = TOVO_REG_CAMERA_X, CAMERA_Y = TOVO_REG_CAMERA_Y,
                   SCREEN_MODE = TOVO_REG_SCREEN_MODE, FILL_PATTERN = TOVO_REG_FILL_PATTERN,
                   DRAWING_FLAG = TOVO_REG_DRAWING_FLAG, LINE_FLAG = TOVO_REG_LINE_FLAG, KEPT_BYTE = TOVO_REG_KEPT_BYTE,
                   LINE_END_X = TOVO_REG_LINE_END_X, LINE_END_Y = TOVO_REG_LINE_END_Y, SOUND = TOVO_REG_SOUND,
                   PRNG_HIGH = TOVO_REG_PRNG_HIGH, PRNG_LOW = TOVO_REG_PRNG_LOW, BUTTONS = TOVO_REG_BUTTONS,
                   BUTTONS_LIVE_END = TOVO_REG_BUTTONS + TOVO_LIVE_BUTTON_PLAYERS,
                   BUTTONS_END = TOVO_REG_BUTTONS + TOVO_BUTTON_PLAYERS, SPRITE_SOURCE = TOVO_REG_SPRITE_SOURCE,
                   DRAW_TARGET = TOVO_REG_DRAW_TARGET, MAP_BASE = TOVO_REG_MAP_BASE, MAP_WIDTH = TOVO_REG_MAP_WIDTH,
                   MASKS = TOVO_REG_MASKS, SECONDARY_PAL = TOVO_REG_SECONDARY_PAL, REGISTERS_END = TOVO_REGISTERS_END;
static_assert(BUTTONS_END == SPRITE_SOURCE);

constexpr int LIVE_BUTTONS = 6;  // buttons 0-5 live; bits 6-7 are RAM only
constexpr int32_t SECONDARY_DEFAULTS[16] = {0x00, 0x01, 0x12, 0x13, 0x24, 0x15, 0xd6, 0x67,
                                            0x48, 0x49, 0x9a, 0x3b, 0xdc, 0x5d, 0x8e, 0xef};

// A signed 16-bit field kept in an int, written a byte at a time: the high
// byte is sign-extended into bits 8 and up.
void write_word_byte(int32_t& field, uint32_t byte_index, uint32_t v) {
  uint32_t old = static_cast<uint32_t>(field);
  if (byte_index == 0) {
    field = static_cast<int32_t>((old & ~0xffu) | v);
  } else {
    uint32_t high = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(v)));
    field = static_cast<int32_t>((old & 0xffu) | high << 8);
  }
}

uint32_t byte_of(uint32_t word, uint32_t byte_index) { return word >> (8 * byte_index) & 0xff; }
uint32_t with_byte(uint32_t word, uint32_t byte_index, uint32_t v) {
  uint32_t shift = 8 * byte_index;
  return (word & ~(0xffu << shift)) | v << shift;
}

uint32_t read_buttons(const tovo_machine_state* machine, uint32_t a) {
  const int32_t* held = machine->held[a - BUTTONS];
  uint32_t bits = machine->ram[a] & 0xc0u;
  for (int b = 0; b < LIVE_BUTTONS; b++) bits |= (held[b] != 0 ? 1u : 0u) << b;
  return bits;
}

void write_buttons(tovo_machine_state* machine, uint32_t a, uint32_t v) {
  if (a >= BUTTONS_LIVE_END) return;
  int32_t* held = machine->held[a - BUTTONS];
  for (int b = 0; b < LIVE_BUTTONS; b++) held[b] = static_cast<int32_t>(v >> b & 1);
}

}  // namespace

void tovo_register_write(tovo_machine_state* m, uint32_t a, uint32_t v) {
  int32_t value = static_cast<int32_t>(v);
  if (a < SCREEN_PAL) {
    m->draw_pal[a - DRAW_PAL] = value;
  } else if (a < CLIP) {
    m->screen_pal[a - SCREEN_PAL] = value;
    if (v & TOVO_SCREEN_PAL_EXTENDED) activate_extpal_glitch();
  } else if (a < PRINT_HOME_X) {
    m->clip[a - CLIP] = value;
    update_gfx_clipping();
  } else if (a >= FILL_PATTERN && a < DRAWING_FLAG) {
    m->fill_pattern = static_cast<int32_t>(with_byte(static_cast<uint32_t>(m->fill_pattern), a - FILL_PATTERN, v));
  } else if (a >= SOUND && a < PRNG_HIGH) {
    tovo_sound_word_store(m->sound_regs[a - SOUND], value);
  } else if (a >= PRNG_HIGH && a < BUTTONS) {
    int which = a < PRNG_LOW ? 0 : 1;
    set_rand_seed(which, with_byte(get_rand_seed(which), a & 3, v));
  } else if (a >= BUTTONS && a < BUTTONS_END) {
    write_buttons(m, a, v);
  } else if (a >= SECONDARY_PAL && a < SECONDARY_PAL + 16) {
    m->secondary_pal[a - SECONDARY_PAL] = value;
  } else {
    switch (a) {
      case PRINT_HOME_X: m->print_home_x = value; break;
      case PEN: m->pen = value; break;
      case CURSOR_X: m->cursor_x = value; break;
      case CURSOR_Y: m->cursor_y = value; break;
      case CAMERA_X:
      case CAMERA_X + 1: write_word_byte(m->camera_x, a - CAMERA_X, v); break;
      case CAMERA_Y:
      case CAMERA_Y + 1: write_word_byte(m->camera_y, a - CAMERA_Y, v); break;
      case SCREEN_MODE: m->screen_mode = value; break;
      case DRAWING_FLAG: m->drawing_flag = value; break;
      case LINE_FLAG: m->line_flag = value; break;
      case LINE_END_X:
      case LINE_END_X + 1: write_word_byte(m->line_end_x, a - LINE_END_X, v); break;
      case LINE_END_Y:
      case LINE_END_Y + 1: write_word_byte(m->line_end_y, a - LINE_END_Y, v); break;
      case SPRITE_SOURCE:
      case DRAW_TARGET: set_draw_display(m->display); break;
      case MASKS:
        m->mask_byte = value;
        m->write_mask = static_cast<int32_t>(v & 15);
        m->read_mask = static_cast<int32_t>(v >> 4);
        break;
      default: break;  // RAM only
    }
  }
}

uint32_t tovo_register_read(const tovo_machine_state* m, uint32_t a) {
  auto low = [](int32_t field) { return static_cast<uint32_t>(field) & 0xff; };
  if (a < SCREEN_PAL) return low(m->draw_pal[a - DRAW_PAL]);
  if (a < CLIP) return low(m->screen_pal[a - SCREEN_PAL]);
  if (a < PRINT_HOME_X) return low(m->clip[a - CLIP]);
  if (a >= FILL_PATTERN && a < DRAWING_FLAG) return byte_of(static_cast<uint32_t>(m->fill_pattern), a - FILL_PATTERN);
  if (a >= SOUND && a < PRNG_HIGH) return low(tovo_sound_word_load(m->sound_regs[a - SOUND]));
  if (a >= PRNG_HIGH && a < BUTTONS) return byte_of(get_rand_seed(a < PRNG_LOW ? 0 : 1), a & 3);
  if (a >= BUTTONS && a < BUTTONS_END) return read_buttons(m, a);
  if (a >= SECONDARY_PAL && a < SECONDARY_PAL + 16) return low(m->secondary_pal[a - SECONDARY_PAL]);
  switch (a) {
    case PRINT_HOME_X: return low(m->print_home_x);
    case PEN: return low(m->pen);
    case CURSOR_X: return low(m->cursor_x);
    case CURSOR_Y: return low(m->cursor_y);
    case CAMERA_X:
    case CAMERA_X + 1: return byte_of(static_cast<uint32_t>(m->camera_x), a - CAMERA_X);
    case CAMERA_Y:
    case CAMERA_Y + 1: return byte_of(static_cast<uint32_t>(m->camera_y), a - CAMERA_Y);
    case SCREEN_MODE: return low(m->screen_mode);
    case LINE_FLAG: return low(m->line_flag);
    case LINE_END_X:
    case LINE_END_X + 1: return byte_of(static_cast<uint32_t>(m->line_end_x), a - LINE_END_X);
    case LINE_END_Y:
    case LINE_END_Y + 1: return byte_of(static_cast<uint32_t>(m->line_end_y), a - LINE_END_Y);
    case MASKS: return low(m->mask_byte);
    default: return m->ram[a];  // RAM only, and the drawing flag, sprite source and draw target
  }
}

void tovo_reset_registers(tovo_machine_state* m, tovo_cart* cart) {
  int32_t cursor_y = m->cursor_y;
  uint32_t prng_high = get_rand_seed(0), prng_low = get_rand_seed(1);
  int32_t kept = tovo_peek(m, cart, KEPT_BYTE);

  tovo_memset(m, cart, DRAW_PAL, 0, static_cast<int32_t>(REGISTERS_END - DRAW_PAL));
  tovo_poke(m, cart, SPRITE_SOURCE, 0);
  tovo_poke(m, cart, DRAW_TARGET, TOVO_DEFAULT_DRAW_TARGET);
  tovo_poke(m, cart, MAP_BASE, TOVO_DEFAULT_MAP_BASE);
  tovo_poke(m, cart, MAP_WIDTH, TOVO_DEFAULT_MAP_WIDTH);

  m->cursor_y = cursor_y;
  set_rand_seed(0, prng_high);
  set_rand_seed(1, prng_low);
  tovo_poke(m, cart, KEPT_BYTE, kept);

  // Defaults straight into the live fields; the RAM image keeps 0 there.
  for (int i = 0; i < 16; i++) {
    m->draw_pal[i] = i == 0 ? TOVO_DRAW_PAL_TRANSPARENT : i;
    m->screen_pal[i] = i;
    m->secondary_pal[i] = SECONDARY_DEFAULTS[i];
  }
  m->clip[0] = m->clip[1] = 0;
  m->clip[2] = m->clip[3] = 128;
  update_gfx_clipping();
  m->pen = TOVO_DEFAULT_PEN;
  m->cursor_x = 0;
  m->print_home_x = 0;
  m->camera_x = m->camera_y = 0;
  m->line_end_x = m->line_end_y = 0;
  m->screen_mode = 0;
  m->mask_byte = TOVO_DEFAULT_MASKS;
  m->write_mask = m->read_mask = 15;
  m->fill_pattern = 0;

  reset_print_context();
}
