// Audio strings (code 7): a sound effect number to play, or a sound effect
// rebuilt from settings and notes in the text and then played.
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/font.h"
#include "console/print/print_context.h"
#include "engine/tarq.h"
#include "sound/play/play.h"
#include "sound/sound.h"

namespace {

constexpr int32_t NOTES = 32;
constexpr const char* SEMITONES = "c d ef g a b";

bool ends_audio(uint8_t ch) { return ch == 0 || ch == ' ' || ch == '\n'; }
bool is_digit(uint8_t ch) { return ch >= '0' && ch <= '9'; }

bool playing(const tovo_sfx* sfx) {
  for (int32_t ch = 0; ch < 16; ch++) {
    if (tarq_get_tovo_channel_sfx(ch) == sfx) return true;
  }
  return false;
}

// The first of 63, 62, 61, 60 that no channel plays; 63 when all do.
int32_t free_slot() {
  if (!pstate().cart) return 63;
  for (int32_t n = 63; n >= 60; n--) {
    if (!playing(&pstate().cart->sfx[n])) return n;
  }
  return 63;
}

// Reads the text from q: the cursor of the audio string.
struct reader {
  const tovo_print_context* c;
  int32_t q;
  uint8_t peek() const { return print_byte(c, q); }
  // The argument after the letter at q, stepping past both; 0 when the
  // audio string ends there instead (the end is left to be read).
  int32_t argument() {
    const uint8_t a = print_byte(c, q + 1);
    if (ends_audio(a)) {
      q++;
      return 0;
    }
    q += 2;
    return print_digit(a);
  }
};

void set_note(uint8_t* sfx, int32_t n, int32_t pitch, int32_t instrument, int32_t volume, int32_t effect) {
  sfx[2 * n] = static_cast<uint8_t>((instrument & 3) << 6 | (pitch & 63));
  sfx[2 * n + 1] = static_cast<uint8_t>((volume & 7) << 1 | (instrument & 4) >> 2 | (effect & 7) << 4);
}

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// Settings, then notes, into the TOVO_SFX_BYTES bytes of a sound effect.
void build(reader& r, uint8_t* sfx) {
  std::memset(sfx, 0, TOVO_SFX_BYTES);
  sfx[TOVO_SFX_SPEED_BYTE] = 4;
  for (;;) {
    const uint8_t ch = r.peek();
    if (ch == 's') {
      sfx[TOVO_SFX_SPEED_BYTE] = static_cast<uint8_t>(r.argument());
    } else if (ch == 'l') {
      sfx[TOVO_SFX_LOOP_START_BYTE] = static_cast<uint8_t>(r.argument());
      if (ends_audio(r.peek())) break;
      sfx[TOVO_SFX_LOOP_END_BYTE] = static_cast<uint8_t>(print_digit(r.peek()));
      r.q++;
    } else if (ch == 'z') {
      sfx[TOVO_SFX_FLAGS_BYTE] = static_cast<uint8_t>(r.argument() * 2);
    } else {
      break;
    }
  }
  if (ends_audio(r.peek())) {
    set_note(sfx, 0, 46, 0, 5, 0);
    sfx[TOVO_SFX_SPEED_BYTE] = 16;
    return;
  }
  int32_t instrument = 5, volume = 5, effect = 0, octave = 3, n = 0;
  while (!ends_audio(r.peek())) {
    const uint8_t ch = r.peek();
    switch (ch) {
      case 'i': instrument = r.argument() & 15; continue;
      case 'v': volume = r.argument() & 7; continue;
      case 'x': effect = r.argument() & 7; continue;
      case '<': volume = clamp(volume - 1, 0, 7); break;
      case '>': volume = clamp(volume + 1, 0, 7); break;
      case '[': octave = clamp(octave - 1, 0, 5); break;
      case ']': octave = clamp(octave + 1, 0, 5); break;
      case '.': n++; break;
      default: {
        const char* at = std::strchr(SEMITONES, ch);
        int32_t semitone = at ? static_cast<int32_t>(at - SEMITONES) : 0;
        r.q++;
        if (r.peek() == '#') semitone++, r.q++;
        else if (r.peek() == '-') semitone--, r.q++;
        if (r.peek() >= '0' && r.peek() <= '5') octave = r.peek() - '0', r.q++;
        if (n < NOTES) set_note(sfx, n, clamp(semitone + octave * 12, 0, 63), instrument & 7, volume, effect);
        n++;
        continue;
      }
    }
    r.q++;
  }
}

}  // namespace

int32_t print_audio(tovo_print_context* c, int32_t p) {
  reader r{c, p};
  int32_t slot = -1;
  if (is_digit(r.peek())) {
    slot = r.peek() - '0';
    r.q++;
    if (is_digit(r.peek())) {
      slot = slot * 10 + r.peek() - '0';
      if (slot > 63) slot = 63;
      r.q++;
    }
  }
  const bool as_it_is = slot >= 0 && ends_audio(r.peek());
  if (slot < 0) slot = free_slot();
  if (!as_it_is) {
    uint8_t sfx[TOVO_SFX_BYTES];
    build(r, sfx);
    for (int32_t i = 0; pstate().cart && i < TOVO_SFX_BYTES; i++)
      tovo_poke(&pstate(), pstate().cart, TOVO_SFX_START + slot * TOVO_SFX_BYTES + i, sfx[i]);
  }
  if (pstate().cart) {
    if (!print_cart_running() && tarq_audio_pause()) {
      tarq_stop_tovo_song(nullptr);
      tarq_stop_all_sounds();
      tarq_set_audio_pause(0);
    }
    tarq_play_sfx_ex(&pstate().cart->sfx[slot], 0, 0, pstate().cart, -1);
  }
  if (r.peek() == ' ') r.q++;
  return r.q - p;
}
