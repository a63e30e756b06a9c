// Music: patterns of four sound effects on the music channels, the advance
// from pattern to pattern by the pattern flags, and the fade.
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"
#include "sound/play/play.h"
#include "sound/xm/xm.h"

namespace {

constexpr int32_t FLAG_LOOP_START = 1, FLAG_LOOP_END = 2, FLAG_STOP = 4;
constexpr int32_t FULL = 0x10000;

int32_t fade0, fade1, fade_start_t, fade_len;

int32_t pattern_sfx(const tovo_cart_sound* cart, int32_t pattern, int32_t channel) {
  return snd(cart->music[pattern][channel]);
}
int32_t pattern_flags(const tovo_cart_sound* cart, int32_t pattern) { return snd(cart->music_flags[pattern]); }
bool channel_on(int32_t n) { return n >= 0 && n < TOVO_SFX_COUNT; }
bool all_off(const tovo_cart_sound* cart, int32_t pattern) {
  for (int i = 0; i < TOVO_PATTERN_CHANNELS; i++)
    if (channel_on(pattern_sfx(cart, pattern, i))) return false;
  return true;
}

// Clears the music channels of the cart (null: every music channel).
void clear_music(const tovo_cart_sound* cart) {
  for (tovo_mixer_channel& c : ms0.ch)
    if (c.music && (!cart || c.cart == cart)) tovo_clear_channel(&c);
}

void stop_music() {
  tarq_audio_guard lock;
  clear_music(nullptr);
  xm0.ps0.playing = 0;
}

// The fade's three cases; the music stops when the level arrives at 0.
void step_fade() {
  const int32_t level = tovo_sound_word_load(ms0.fade_vol);
  if (level == fade1) {
    if (level == 0) stop_music();
    return;
  }
  if (fade_len == 0) {
    tovo_sound_word_store(ms0.fade_vol, fade1);
    if (fade1 == 0) stop_music();
    return;
  }
  const int64_t d = static_cast<int64_t>(tarq_sound_clock()) - fade_start_t;
  if (d < fade_len) {
    int64_t v = (static_cast<int64_t>(fade0) * (fade_len - d) + static_cast<int64_t>(fade1) * d) / fade_len;
    v = v < 0 ? 0 : v > FULL ? FULL : v;
    tovo_sound_word_store(ms0.fade_vol, static_cast<int32_t>(v));
    return;
  }
  tovo_sound_word_store(ms0.fade_vol, fade1);
  if (fade1 == 0) stop_music();
}

}  // namespace

int32_t tovo_pattern_length(const tovo_cart_sound* cart, int32_t pattern) {
  int32_t longest = -1;
  for (int i = 0; i < TOVO_PATTERN_CHANNELS; i++) {
    const int32_t n = pattern_sfx(cart, pattern, i);
    if (!channel_on(n)) continue;
    const tovo_sfx* s = &cart->sfx[n];
    const int32_t length = sfx_speed(s) * sfx_length(s);
    if (!sfx_loops(s)) return length;
    if (length > longest) longest = length;
  }
  return longest;
}

void tovo_advance_pattern(tovo_mixer_channel* c) {
  const tovo_cart_sound* cart = c->cart;
  const int32_t now = c->pattern, flags = pattern_flags(cart, now);
  ms0.advanced_pattern = 1;
  int32_t next;
  if (flags & FLAG_STOP) {
    c->pattern = -1;
    ms0.music_pattern = -1;
    tovo_clear_channel(c);
    return;
  }
  if (flags & FLAG_LOOP_END) {
    next = now;
    if (now > 0 && !(flags & FLAG_LOOP_START)) {
      next = 0;
      for (int32_t p = now - 1; p >= 0; p--)
        if (pattern_flags(cart, p) & FLAG_LOOP_START) {
          next = p;
          break;
        }
    }
  } else {
    next = now + 1;
  }
  c->pattern = next;
  ms0.music_pattern = next;
  if (next >= TOVO_PATTERNS || all_off(cart, next)) {
    tovo_clear_channel(c);
    return;
  }
  const int32_t n = pattern_sfx(cart, next, c->number);
  c->sfx = channel_on(n) ? &c->cart->sfx[n] : nullptr;
  c->tick_pos = 0;
  c->end = tovo_pattern_length(cart, next);
}

void tarq_play_tovo_song(tovo_cart_sound* cart, int32_t pattern, int32_t fade_ms) {
  tarq_audio_guard lock;
  {
    tarq_audio_guard clearing;
    clear_music(cart);
    if (!cart) return;
  }
  if (pattern < 0 || pattern >= TOVO_PATTERNS || all_off(cart, pattern)) return;
  ms0.music_pattern_counter = 0;
  ms0.music_pattern = pattern;
  const int32_t length = tovo_pattern_length(cart, pattern);
  for (int i = 0; i < TOVO_PATTERN_CHANNELS; i++) {
    const int32_t n = pattern_sfx(cart, pattern, i);
    const int32_t k = n < 0 ? 0 : n > 63 ? 63 : n;
    const int ch = tarq_play_sfx_ex(&cart->sfx[k], 0, 32, cart, i + 4);
    if (ch < 0) continue;
    tovo_mixer_channel& c = ms0.ch[ch];
    if (!channel_on(n)) c.sfx = nullptr;
    c.music = 1;
    c.pattern = pattern;
    c.cart = cart;
    c.number = i;
    c.end = length;
    c.history_count = 0;
  }
  fade_len = fade_ms;
  fade0 = 0;
  fade1 = FULL;
  fade_start_t = tarq_sound_clock();
  tarq_update_music_fading();
}

void tarq_stop_tovo_song(tovo_cart_sound* cart) {
  tarq_audio_guard lock;
  clear_music(cart);
}

int tarq_music_is_playing() {
  tarq_audio_guard lock;
  for (const tovo_mixer_channel& c : ms0.ch)
    if (c.music && c.cart) return c.pattern != -1;
  return 0;
}

int32_t tarq_get_tovo_song_ticks() {
  tarq_audio_guard lock;
  int32_t ticks = 0;
  for (const tovo_mixer_channel& c : ms0.ch)
    if (c.sfx && c.music && c.tick_pos > ticks) ticks = c.tick_pos;
  return ticks;
}

void tarq_update_music_fading() { step_fade(); }

void tovo_fade_music_to(int32_t level, int32_t fade_ms) {
  fade0 = tovo_sound_word_load(ms0.fade_vol);
  fade1 = level;
  fade_len = fade_ms;
  fade_start_t = tarq_sound_clock();
  step_fade();
}

void cmusic_stop(int32_t, int32_t fade_ms) { tovo_fade_music_to(0, fade_ms); }

int32_t tovo_fade_direction() {
  const int32_t level = tovo_sound_word_load(ms0.fade_vol);
  if (fade1 > 0 && level < fade1) return 1;
  if (fade1 == 0 && level > 0) return 2;
  return 0;
}

// Sound start puts the fade back to silence.
void tovo_reset_fade() {
  tovo_sound_word_store(ms0.fade_vol, 0);
  fade0 = fade1 = fade_start_t = fade_len = 0;
}
