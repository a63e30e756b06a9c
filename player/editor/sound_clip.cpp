#include "player/editor/sound_clip.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "player/clipboard/clip_codes.h"
#include "player/message.h"
#include "player/selection_sets.h"
#include "sound/mixer/audio_lock.h"

namespace {

tarq_bitmap* note_clipboard = nullptr;

constexpr int32_t MESSAGE_MS = 2000;
constexpr int32_t CUSTOM_INSTRUMENTS = 8;
constexpr int32_t CUSTOM_FLAG = 128;

struct move_mark {
  bool set = false;
  int32_t first = 0, last = 0;
};
move_mark marked;

int32_t clamp_sfx(int32_t i) { return i < 0 ? 0 : i >= TOVO_SFX_COUNT ? TOVO_SFX_COUNT - 1 : i; }

void ordered_range(int32_t* first, int32_t* last, int32_t count) {
  *first = *first < 0 ? 0 : *first >= count ? count - 1 : *first;
  *last = *last < 0 ? 0 : *last >= count ? count - 1 : *last;
  if (*first > *last) std::swap(*first, *last);
}

bool note_clipboard_ready() {
  if (!note_clipboard) note_clipboard = tarq_create_bitmap(TOVO_NOTE_FIELDS, TOVO_SFX_NOTES, 8);
  return note_clipboard != nullptr;
}

int32_t field_of(const tovo_note& n, int32_t column) {
  switch (column) {
    case 0: return n.pitch % 12;
    case 1: return n.pitch / 12;
    case 2: return n.waveform;
    case 3: return n.volume;
    case 4: return n.effect;
    default: return n.custom ? 1 : 0;
  }
}

void message(const char* format, int32_t a, int32_t b = 0) { show_message_2(format, MESSAGE_MS, a, b); }

void default_sfx(tovo_sfx* sfx, int32_t index) {
  memset(sfx, 0, sizeof *sfx);
  sfx->speed = tovo_default_sfx_speed(index);
}

bool same_sfx(const tovo_sfx& a, const tovo_sfx& b) { return memcmp(&a, &b, sizeof a) == 0; }

bool silent_sfx(const tovo_sfx& s) {
  for (const tovo_note& n : s.notes)
    if (n.volume != 0) return false;
  return true;
}

}  // namespace

const tarq_bitmap* tovo_note_clipboard() { return note_clipboard; }

void tovo_free_note_clipboard() { note_clipboard = tarq_destroy_bitmap(note_clipboard); }

void tovo_clear_sfx_move_mark() { marked = move_mark{}; }

void do_copy_sfx(const tovo_sfx* sfx, const tarq_bitmap* mask) {
  if (!sfx || !mask || !note_clipboard_ready()) return;
  memset(note_clipboard->pixels, TOVO_NO_VALUE, TOVO_NOTE_FIELDS * TOVO_SFX_NOTES);
  int32_t rows = mask->height < TOVO_SFX_NOTES ? mask->height : TOVO_SFX_NOTES;
  int32_t columns = mask->width < TOVO_NOTE_FIELDS ? mask->width : TOVO_NOTE_FIELDS;
  int32_t copied = 0;
  for (int32_t r = 0; r < rows; r++) {
    bool any = false;
    for (int32_t k = 0; k < columns; k++)
      if (mask->rows[r][k]) {
        note_clipboard->rows[copied][k] = (uint8_t)field_of(sfx->notes[r], k);
        any = true;
      }
    if (any) copied++;
  }
  message("copied %d notes", copied);
}

void do_paste_sfx(tovo_sfx* sfx, int32_t, int32_t first_note) {
  if (!sfx || !note_clipboard) return;
  int32_t pasted = 0;
  tarq_audio_guard lock;
  for (int32_t r = 0; r < TOVO_SFX_NOTES; r++) {
    int32_t at = first_note + r;
    if (at < 0 || at >= TOVO_SFX_NOTES) continue;
    const uint8_t* v = note_clipboard->rows[r];
    bool any = false;
    for (int32_t k = 0; k < TOVO_NOTE_FIELDS; k++) any = any || v[k] != TOVO_NO_VALUE;
    if (!any) continue;
    tovo_note& n = sfx->notes[at];
    int32_t within = v[0] != TOVO_NO_VALUE ? v[0] % 12 : n.pitch % 12;
    int32_t octave = v[1] != TOVO_NO_VALUE ? v[1] : n.pitch / 12;
    int32_t pitch = octave * 12 + within;
    n.pitch = pitch > 63 ? 63 : pitch;
    if (v[2] != TOVO_NO_VALUE) n.waveform = v[2] & 7;
    if (v[3] != TOVO_NO_VALUE) n.volume = v[3] & 7;
    if (v[4] != TOVO_NO_VALUE) n.effect = v[4] & 7;
    if (v[5] != TOVO_NO_VALUE) n.custom = v[5] ? CUSTOM_FLAG : 0;
    pasted++;
  }
  message("pasted %d notes", pasted);
}

void restore_sfx(tovo_sfx* sfx, const dbmp* set) {
  if (!sfx || !set || !set->backup) return;
  const tarq_bitmap* b = set->backup;
  if (b->width < 5) return;
  tarq_audio_guard lock;
  for (int32_t r = 0; r < TOVO_SFX_NOTES && r < b->height; r++) {
    const uint8_t* v = b->rows[r];
    tovo_note& n = sfx->notes[r];
    n.pitch = v[0] & 63;
    n.waveform = v[1] & 7;
    n.volume = v[2] & 7;
    n.effect = v[3] & 7;
    n.custom = v[4] ? CUSTOM_FLAG : 0;
  }
}

void do_copy_sfxes(const tovo_cart* cart, tovo_cart* clip, int32_t first, int32_t last, int32_t mark_for_move) {
  if (!cart || !clip) return;
  ordered_range(&first, &last, TOVO_SFX_COUNT);
  int32_t n = last - first + 1;
  memcpy(clip->sfx, &cart->sfx[first], sizeof(tovo_sfx) * (size_t)n);
  clip->gff[0] = n;
  clip->gff[1] = 0;
  convert_sfxes_to_bbs_code(clip, n, nullptr, 0, 0);
  if (mark_for_move) {
    marked = {true, first, last};
    message("marked %d sfx to move", n);
  } else if (n == 1) {
    message("copied sfx %d", first);
  } else {
    message("copied sfxes %d..%d", first, last);
  }
}

void do_paste_sfxes(const tovo_cart* clip, tovo_cart* cart, int32_t at) {
  if (!clip || !cart) return;
  at = clamp_sfx(at);
  int32_t n = clip->gff[0] < 0 ? 0 : clip->gff[0] > TOVO_SFX_COUNT ? TOVO_SFX_COUNT : clip->gff[0];
  tarq_audio_guard lock;
  if (marked.set)
    for (int32_t i = marked.first; i <= marked.last; i++) default_sfx(&cart->sfx[i], i);
  int32_t pasted = 0;
  for (int32_t i = 0; i < n && at + i < TOVO_SFX_COUNT; i++, pasted++) cart->sfx[at + i] = clip->sfx[i];
  if (!marked.set) {
    message("pasted %d sfx", pasted);
    return;
  }
  for (auto& pattern : cart->music)
    for (int32_t& channel : pattern) {
      int32_t moved = channel - marked.first + at;
      if (channel >= marked.first && channel <= marked.last && moved < TOVO_SFX_COUNT) channel = moved;
    }
  for (tovo_sfx& sfx : cart->sfx)
    for (tovo_note& note : sfx.notes) {
      int32_t moved = note.waveform - marked.first + at;
      if (note.custom && note.waveform >= marked.first && note.waveform <= marked.last && moved < CUSTOM_INSTRUMENTS)
        note.waveform = moved;
    }
  message("moved %d sfx", marked.last - marked.first + 1);
  tovo_clear_sfx_move_mark();
}

void do_copy_patterns(tovo_cart* cart, tovo_cart* clip, int32_t first, int32_t last, int32_t cut) {
  if (!cart || !clip) return;
  ordered_range(&first, &last, TOVO_PATTERNS);
  int32_t n = last - first + 1;
  memcpy(clip->sfx, cart->sfx, sizeof clip->sfx);
  memcpy(clip->music, &cart->music[first], sizeof(cart->music[0]) * (size_t)n);
  memcpy(clip->music_flags, &cart->music_flags[first], sizeof(int32_t) * (size_t)n);
  clip->gff[0] = TOVO_SFX_COUNT;
  clip->gff[1] = n;
  convert_patterns_to_bbs_code(clip, n, nullptr, 0, 0);
  if (cut) {
    tarq_audio_guard lock;
    for (int32_t p = first; p <= last; p++) {
      for (int32_t c = 0; c < TOVO_PATTERN_CHANNELS; c++) cart->music[p][c] = TOVO_MUSIC_CHANNEL_OFF + c;
      cart->music_flags[p] = 0;
    }
  }
  message(cut ? "cut %d patterns" : "copied %d patterns", n);
}

void do_paste_patterns(const tovo_cart* clip, tovo_cart* cart, int32_t at) {
  if (!clip || !cart) return;
  int32_t n = clip->gff[1] < 0 ? 0 : clip->gff[1] > TOVO_PATTERNS ? TOVO_PATTERNS : clip->gff[1];
  at = at < 0 ? 0 : at;
  int32_t pasted = 0, added = 0;
  tarq_audio_guard lock;
  for (int32_t i = 0; i < n && at + i < TOVO_PATTERNS; i++, pasted++) {
    for (int32_t c = 0; c < TOVO_PATTERN_CHANNELS; c++) {
      int32_t v = clip->music[i][c];
      if (v >= 0 && v < TOVO_SFX_COUNT && !same_sfx(cart->sfx[v], clip->sfx[v])) {
        int32_t found = -1;
        for (int32_t j = 0; j < TOVO_SFX_COUNT && found < 0; j++)
          if (same_sfx(cart->sfx[j], clip->sfx[v])) found = j;
        for (int32_t j = 0; j < TOVO_SFX_COUNT && found < 0; j++)
          if (silent_sfx(cart->sfx[j])) {
            cart->sfx[j] = clip->sfx[v];
            found = j;
            added++;
          }
        v = found >= 0 ? found : 128;
      }
      cart->music[at + i][c] = v;
    }
    cart->music_flags[at + i] = clip->music_flags[i];
  }
  show_message_2("pasted %d patterns, added %d sfx", MESSAGE_MS, pasted, added);
}

void backup_audio(const tovo_cart* cart, tovo_cart* copy) {
  if (!cart || !copy) return;
  memcpy(copy->sfx, cart->sfx, sizeof copy->sfx);
  memcpy(copy->music, cart->music, sizeof copy->music);
  memcpy(copy->music_flags, cart->music_flags, sizeof copy->music_flags);
}

void restore_audio(tovo_cart* cart, tovo_cart* copy) {
  if (!cart || !copy) return;
  tarq_audio_guard lock;
  std::swap(cart->sfx, copy->sfx);
  std::swap(cart->music, copy->music);
  std::swap(cart->music_flags, copy->music_flags);
}

void backup_sfx() {}
