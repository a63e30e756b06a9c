// The byte-by-byte pages: sprite flags, music patterns, sound effects, cart
// data, registers and GPIO bytes.
#include "console/machine/gpio.h"
#include "console/machine/mem_decode.h"
#include "console/machine/registers.h"

namespace {

uint32_t load(const int32_t& word) { return static_cast<uint32_t>(tovo_sound_word_load(word)); }
void store(int32_t& word, uint32_t value) { tovo_sound_word_store(word, static_cast<int32_t>(value)); }

uint32_t peek_music(tovo_cart* cart, uint32_t a) {
  uint32_t pattern = (a - TOVO_MUSIC_START) >> 2, channel = a & 3;
  uint32_t flag = (load(cart->music_flags[pattern]) >> channel & 1) << 7;
  return (load(cart->music[pattern][channel]) & 0x7f) | flag;
}

void poke_music(tovo_cart* cart, uint32_t a, uint32_t v) {
  uint32_t pattern = (a - TOVO_MUSIC_START) >> 2, channel = a & 3;
  store(cart->music[pattern][channel], v & 0x7f);
  uint32_t flags = load(cart->music_flags[pattern]) & ~(1u << channel);
  store(cart->music_flags[pattern], flags | (v >> 7) << channel);
}

uint32_t peek_sfx(tovo_cart* cart, uint32_t a) {
  uint32_t offset = a - TOVO_SFX_START;
  tovo_sfx& sfx = cart->sfx[offset / TOVO_SFX_BYTES];
  uint32_t k = offset % TOVO_SFX_BYTES;
  if (k < TOVO_SFX_FLAGS_BYTE) {
    const tovo_note& note = sfx.notes[k >> 1];
    if ((k & 1) == 0) return (load(note.waveform) & 3) << 6 | (load(note.pitch) & 63);
    return (load(note.volume) & 7) << 1 | (load(note.waveform) & 4) >> 2 | (load(note.effect) & 7) << 4 |
           (load(note.custom) & 0x80);
  }
  switch (k) {
    case TOVO_SFX_FLAGS_BYTE: return (load(sfx.flags) & 0xfe) | (load(sfx.flag0) & 1);
    case TOVO_SFX_SPEED_BYTE: return load(sfx.speed) & 0xff;
    case TOVO_SFX_LOOP_START_BYTE: return load(sfx.loop_start) & 0xff;
    default: return load(sfx.loop_end) & 0xff;  // TOVO_SFX_LOOP_END_BYTE
  }
}

void poke_sfx(tovo_cart* cart, uint32_t a, uint32_t v) {
  uint32_t offset = a - TOVO_SFX_START;
  tovo_sfx& sfx = cart->sfx[offset / TOVO_SFX_BYTES];
  uint32_t k = offset % TOVO_SFX_BYTES;
  if (k < TOVO_SFX_FLAGS_BYTE) {
    tovo_note& note = sfx.notes[k >> 1];
    if ((k & 1) == 0) {
      store(note.pitch, v & 63);
      store(note.waveform, (load(note.waveform) & 4) | v >> 6);
    } else {
      store(note.waveform, (load(note.waveform) & 3) | (v & 1) << 2);
      store(note.volume, v >> 1 & 7);
      store(note.effect, v >> 4 & 7);
      store(note.custom, v & 0x80);
    }
    return;
  }
  switch (k) {
    case TOVO_SFX_FLAGS_BYTE:
      store(sfx.flags, v & 0xfe);
      store(sfx.flag0, v & 1);
      return;
    case TOVO_SFX_SPEED_BYTE: store(sfx.speed, v); return;
    case TOVO_SFX_LOOP_START_BYTE: store(sfx.loop_start, v); return;
    default: store(sfx.loop_end, v);  // TOVO_SFX_LOOP_END_BYTE
  }
}

uint32_t peek_cart_data(const tovo_machine_state* machine, uint32_t a) {
  uint32_t word = static_cast<uint32_t>(machine->cart_data[(a - TOVO_CART_DATA_START) >> 2]);
  return word >> (8 * (a & 3)) & 0xff;
}

void poke_cart_data(tovo_machine_state* machine, uint32_t a, uint32_t v) {
  int32_t& word = machine->cart_data[(a - TOVO_CART_DATA_START) >> 2];
  uint32_t shift = 8 * (a & 3);
  uint32_t old = static_cast<uint32_t>(word);
  uint32_t changed = (old & ~(0xffu << shift)) | v << shift;
  if (changed == old) return;
  word = static_cast<int32_t>(changed);
  machine->cart_data_dirty = 1;
}

}  // namespace

uint32_t tovo_peek_special(tovo_machine_state* machine, tovo_cart* cart, uint32_t a) {
  if (a < TOVO_MUSIC_START) return static_cast<uint32_t>(cart->gff[a - TOVO_FLAGS_START]) & 0xff;
  if (a < TOVO_SFX_START) return peek_music(cart, a);
  if (a < TOVO_USER_START) return peek_sfx(cart, a);
  if (!machine) return 0;
  if (a < TOVO_REGISTERS_START) return peek_cart_data(machine, a);
  if (a < TOVO_GPIO_START) return tovo_register_read(machine, a);
  return gpio_read(static_cast<int32_t>(a - TOVO_GPIO_START));
}

void tovo_poke_special(tovo_machine_state* machine, tovo_cart* cart, uint32_t a, uint32_t v) {
  if (a < TOVO_MUSIC_START) {
    cart->gff[a - TOVO_FLAGS_START] = static_cast<int32_t>(v);
  } else if (a < TOVO_SFX_START) {
    poke_music(cart, a, v);
  } else if (a < TOVO_USER_START) {
    poke_sfx(cart, a, v);
  } else if (!machine) {
    return;
  } else if (a < TOVO_REGISTERS_START) {
    poke_cart_data(machine, a, v);
  } else if (a < TOVO_GPIO_START) {
    tovo_register_write(machine, a, v);
  } else {
    gpio_write(static_cast<int32_t>(a - TOVO_GPIO_START), static_cast<int32_t>(v));
  }
}
