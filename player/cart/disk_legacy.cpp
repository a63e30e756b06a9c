// Changes that carts of old format versions need.
#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "console/print/console_print.h"
#include "player/cart/disk.h"
#include "player/message.h"

namespace {

constexpr int32_t CONSOLE_COLOUR = 6;

// The one old cart that needs its api put back is told by this line of its
// code. It was written for the 0.1.1 api, whose random numbers came from
// rand(), a name the api no longer has: the prelude, a line of its own put
// before the code, gives it that name again.
constexpr const char* OLD_API_LINE = "-- tovo 0.1.1";
constexpr const char* OLD_API_PRELUDE = "rand=rnd\n";

bool has_line(const char* code, const char* line) {
  size_t n = strlen(line);
  for (const char* at = strstr(code, line); at; at = strstr(at + 1, line)) {
    bool starts = at == code || at[-1] == '\n';
    bool ends = at[n] == 0 || at[n] == '\n' || at[n] == '\r';
    if (starts && ends) return true;
  }
  return false;
}

void inject_old_api(tovo_cart* cart) {
  if (!has_line(cart->code, OLD_API_LINE)) return;
  size_t prelude = strlen(OLD_API_PRELUDE), code = strlen(cart->code);
  if (prelude + code + 1 > (size_t)TOVO_CODE_SIZE) return;  // no room: the code stays whole
  memmove(cart->code + prelude, cart->code, code + 1);
  memcpy(cart->code, OLD_API_PRELUDE, prelude);
  tovo_print_col("legacy: 0.1.1 api injected", CONSOLE_COLOUR);
}

int32_t sfx_duration(const tovo_sfx& s) { return 32 * (s.speed > 1 ? s.speed : 1); }
bool sfx_loops(const tovo_sfx& s) { return s.loop_end > s.loop_start; }

// Old music played channel 0 to its end to time the pattern: put a
// non-looping channel of the pattern's full length there.
void swap_pattern_channels(tovo_cart* cart) {
  for (int32_t p = 0; p < TOVO_PATTERNS; p++) {
    int32_t duration[TOVO_PATTERN_CHANNELS] = {};
    bool looping[TOVO_PATTERN_CHANNELS] = {};
    bool used[TOVO_PATTERN_CHANNELS] = {};
    int32_t longest = 0;
    for (int32_t c = 0; c < TOVO_PATTERN_CHANNELS; c++) {
      int32_t v = cart->music[p][c];
      if (v < 0 || v > 63) continue;
      used[c] = true;
      duration[c] = sfx_duration(cart->sfx[v]);
      looping[c] = sfx_loops(cart->sfx[v]);
      if (duration[c] > longest) longest = duration[c];
    }
    int32_t first = 0;
    while (first < TOVO_PATTERN_CHANNELS && !(used[first] && !looping[first])) first++;
    if (first == TOVO_PATTERN_CHANNELS || duration[first] == longest) continue;
    for (int32_t c = 1; c < TOVO_PATTERN_CHANNELS; c++) {
      if (!used[c] || looping[c] || duration[c] != longest) continue;
      int32_t t = cart->music[p][0];
      cart->music[p][0] = cart->music[p][c];
      cart->music[p][c] = t;
      char line[64];
      snprintf(line, sizeof line, "legacy: pat %d swap chan: %d %d", p, 0, c);
      tovo_print_col(line, CONSOLE_COLOUR);
      break;
    }
  }
}

bool uses_newer_sfx_features(const tovo_cart* cart) {
  for (const tovo_sfx& s : cart->sfx) {
    if (s.loop_start > 63 || s.loop_end > 63 || s.flag0 > 1) return true;
    for (const tovo_note& n : s.notes)
      if (n.custom) return true;
  }
  return false;
}

}  // namespace

void apply_legacy_changes(tovo_cart* cart) {
  cart->legacy_done = 1;
  int32_t v = cart->version;
  if (v >= 19 && v <= 23 && strstr(cart->code, "@@")) show_message("warning: possible deprecated @@", 3000);
  if (v <= 4) {
    swap_pattern_channels(cart);
    for (tovo_sfx& s : cart->sfx)
      for (tovo_note& n : s.notes)
        if (n.waveform == TOVO_WAVE_NOISE && n.volume > 5) n.volume = 5;
    inject_old_api(cart);
  }
  if (v <= 10 && !uses_newer_sfx_features(cart)) {
    for (tovo_sfx& s : cart->sfx)
      for (tovo_note& n : s.notes)
        if (n.effect == TOVO_EFFECT_SLIDE && n.volume == 0) n.effect = TOVO_EFFECT_NONE;
  }
}
