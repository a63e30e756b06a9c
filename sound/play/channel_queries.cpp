// What the mix channels play, and a debug view of them.
#include "sound/play/channel_queries.h"

#include <cstdio>

#include "engine/data/text.h"
#include "engine/platform/window.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"

namespace {

constexpr int32_t LINE_HEIGHT = 7;

void format_line(const tovo_mixer_channel& c, int32_t channel, char* out, size_t size) {
  std::snprintf(out, size, "chan %d %c %c %d", static_cast<int>(channel), c.sfx || c.sound ? 'P' : '-',
                c.music ? 'S' : '-', static_cast<int>(c.end));
}

}  // namespace

int tarq_sfx_is_playing(const tovo_sfx* sfx) {
  tarq_audio_guard lock;
  if (!sfx) return 0;
  for (const tovo_mixer_channel& c : ms0.ch)
    if (c.sfx == sfx) return 1;
  return 0;
}

int tarq_any_sound_is_playing() {
  tarq_audio_guard lock;
  for (const tovo_mixer_channel& c : ms0.ch)
    if (c.sfx || c.sound) return 1;
  return 0;
}

int32_t tarq_tovo_song_is_playing(const tovo_cart_sound* cart) {
  tarq_audio_guard lock;
  for (const tovo_mixer_channel& c : ms0.ch)
    if (c.music && c.cart == cart) return c.pattern;
  return -1;
}

void tovo_channel_debug_line(int32_t channel, char* out, size_t size) {
  if (size == 0) return;
  out[0] = 0;
  if (channel < 0 || channel >= TOVO_MIX_CHANNELS) return;
  tarq_audio_guard lock;
  format_line(ms0.ch[channel], channel, out, size);
}

void debug_tovo_channels() {
  if (!tarq_window.tarq_back_page) return;
  char lines[TOVO_MIX_CHANNELS][48];
  {
    tarq_audio_guard lock;
    for (int32_t i = 0; i < TOVO_MIX_CHANNELS; i++) format_line(ms0.ch[i], i, lines[i], sizeof lines[i]);
  }
  for (int32_t i = 0; i < TOVO_MIX_CHANNELS; i++)
    tarq_draw_text(tarq_window.tarq_back_page, lines[i], tarq_fonts.tarq_font1, 2, 2 + i * LINE_HEIGHT);
}
