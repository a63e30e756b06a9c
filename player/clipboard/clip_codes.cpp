#include "player/clipboard/clip_codes.h"

#include <cstdio>
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/platform/clipboard_save.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"

namespace {

const char HEX[] = "0123456789abcdef";

// Appends to a fixed buffer, dropping what does not fit; always terminated.
struct code_writer {
  char* out;
  size_t size;
  size_t len;
};

void put_char(code_writer* w, char c) {
  if (w->len + 1 < w->size) w->out[w->len++] = c;
  w->out[w->len < w->size ? w->len : w->size - 1] = 0;
}
void put_text(code_writer* w, const char* s) {
  while (*s) put_char(w, *s++);
}
void put_hex2(code_writer* w, int32_t v) {
  put_char(w, HEX[(v >> 4) & 15]);
  put_char(w, HEX[v & 15]);
}

// Runs build into the given buffer, or into a temporary block that goes on
// the clipboard.
template <typename F>
void emit(char* out, size_t out_size, int32_t preemptive, F build) {
  char* block = out;
  if (!out) {
    block = (char*)tarq_malloc(TOVO_CLIP_CODE_SIZE);
    if (!block) return;
    out_size = TOVO_CLIP_CODE_SIZE;
  }
  if (out_size == 0) return;
  code_writer w{block, out_size, 0};
  block[0] = 0;
  build(&w);
  if (!out) {
    tarq_set_clipboard_text(block);
    if (preemptive) tarq_set_clipboard_text_preemptive();
    tarq_free(block);
  }
}

int32_t clamp_count(int32_t n, int32_t hi) { return n < 0 ? 0 : n > hi ? hi : n; }

void put_sfx_block(code_writer* w, tovo_cart* cart, int32_t index) {
  put_hex2(w, index);
  for (int32_t i = 0; i < TOVO_SFX_BYTES; i++)
    put_hex2(w, tovo_peek(nullptr, cart, TOVO_SFX_START + TOVO_SFX_BYTES * index + i));
}

// A pattern channel's sound effect, 0x40 and above when the channel is off.
int32_t channel_byte(tovo_cart* cart, int32_t pattern, int32_t channel) {
  return tovo_peek(nullptr, cart, TOVO_MUSIC_START + 4 * pattern + channel) & 0x7f;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The two-digit value at s, or -1 when either character is not a digit
// (a terminator included, so the text is never read past its end).
int hex_pair(const char* s) {
  int hi = hex_value(s[0]);
  if (hi < 0) return -1;
  int lo = hex_value(s[1]);
  return lo < 0 ? -1 : hi * 16 + lo;
}

}  // namespace

void convert_sfxes_to_bbs_code(tovo_cart* cart, int32_t n, char* out, size_t out_size, int32_t preemptive) {
  n = clamp_count(n, TOVO_SFX_COUNT);
  emit(out, out_size, preemptive, [&](code_writer* w) {
    put_text(w, "[sfx]");
    put_hex2(w, n);
    put_hex2(w, 0);
    for (int32_t i = 0; i < n; i++) put_sfx_block(w, cart, i);
    put_text(w, "[/sfx]");
  });
}

void convert_patterns_to_bbs_code(tovo_cart* cart, int32_t p, char* out, size_t out_size, int32_t preemptive) {
  p = clamp_count(p, TOVO_PATTERNS);
  int32_t listed[TOVO_SFX_COUNT];
  int32_t k = 0;
  bool seen[TOVO_SFX_COUNT] = {};
  auto list = [&](int32_t s) {
    if (!seen[s]) {
      seen[s] = true;
      listed[k++] = s;
    }
  };
  // Instruments first: the custom-instrument notes of every sound effect
  // the patterns play, then the sound effects themselves.
  for (int32_t pass = 0; pass < 2; pass++) {
    for (int32_t i = 0; i < p; i++) {
      for (int32_t c = 0; c < TOVO_PATTERN_CHANNELS; c++) {
        int32_t s = channel_byte(cart, i, c);
        if (s >= 0x40) continue;
        if (pass == 1) {
          list(s);
          continue;
        }
        for (const tovo_note& note : cart->sfx[s].notes)
          if (tovo_sound_word_load(note.custom)) list(tovo_sound_word_load(note.waveform) & 7);
      }
    }
  }
  emit(out, out_size, preemptive, [&](code_writer* w) {
    put_text(w, "[sfx]");
    put_hex2(w, k);
    put_hex2(w, p);
    for (int32_t i = 0; i < k; i++) put_sfx_block(w, cart, listed[i]);
    for (int32_t i = 0; i < p; i++) {
      for (int32_t c = 0; c < TOVO_PATTERN_CHANNELS; c++) put_hex2(w, channel_byte(cart, i, c));
      put_char(w, HEX[tovo_sound_word_load(cart->music_flags[i]) & 15]);
    }
    put_text(w, "[/sfx]");
  });
}

void convert_bmp_to_bbs_code(const tarq_bitmap* bitmap, char* out, size_t out_size, int32_t preemptive) {
  int32_t width = clamp_count(bitmap->width, 255);
  int32_t height = clamp_count(bitmap->height, 255);
  emit(out, out_size, preemptive, [&](code_writer* w) {
    put_text(w, "[gfx]");
    put_hex2(w, width);
    put_hex2(w, height);
    for (int32_t y = 0; y < height; y++)
      for (int32_t x = 0; x < width; x++) put_char(w, HEX[bitmap->rows[y][x] & 15]);
    put_text(w, "[/gfx]");
  });
}

tovo_cart* convert_bbs_code_to_song(const char* text) {
  const char* s = strstr(text, "[sfx]");
  if (!s) return nullptr;
  s += 5;
  int k = hex_pair(s);
  int p = k < 0 ? -1 : hex_pair(s + 2);
  if (p < 0 || k > TOVO_SFX_COUNT || p > TOVO_PATTERNS) return nullptr;
  s += 4;
  // Every block and pattern must be whole before anything is made.
  const char* body = s;
  for (int i = 0; i < k * (1 + TOVO_SFX_BYTES); i++, s += 2)
    if (hex_pair(s) < 0) return nullptr;
  for (int i = 0; i < p; i++, s += 9) {
    for (int c = 0; c < TOVO_PATTERN_CHANNELS; c++)
      if (hex_pair(s + 2 * c) < 0) return nullptr;
    if (hex_value(s[8]) < 0) return nullptr;
  }
  tovo_cart* cart = tarq_create_tovo_cart();
  if (!cart) return nullptr;
  s = body;
  for (int i = 0; i < k; i++) {
    int32_t index = hex_pair(s) & 0x3f;
    s += 2;
    for (int32_t b = 0; b < TOVO_SFX_BYTES; b++, s += 2)
      tovo_poke(nullptr, cart, TOVO_SFX_START + TOVO_SFX_BYTES * index + b, hex_pair(s));
  }
  for (int i = 0; i < p; i++, s += 9) {
    int flags = hex_value(s[8]);
    for (int c = 0; c < TOVO_PATTERN_CHANNELS; c++) {
      int32_t byte = (hex_pair(s + 2 * c) & 0x7f) | (((flags >> c) & 1) << 7);
      tovo_poke(nullptr, cart, TOVO_MUSIC_START + 4 * i + c, byte);
    }
  }
  cart->gff[0] = p > 0 ? TOVO_SFX_COUNT : k;
  cart->gff[1] = p;
  return cart;
}

tarq_bitmap* convert_bbs_code_to_bmp(const char* text) {
  const char* s = strstr(text, "[gfx]");
  if (!s) return nullptr;
  s += 5;
  int width = hex_pair(s);
  int height = width < 0 ? -1 : hex_pair(s + 2);
  if (width <= 0 || height <= 0) return nullptr;
  tarq_bitmap* bitmap = tarq_create_bitmap(width, height, 8);
  if (!bitmap) return nullptr;
  s += 4;
  for (int k = 0; k < width * height && s[k] && s[k] != '['; k++) {
    int v = hex_value(s[k]);
    bitmap->rows[k / width][k % width] = (uint8_t)(v < 0 ? 0 : v);
  }
  return bitmap;
}

int32_t convert_hex_to_binary_file(const char* text, const char* out_path) {
  FILE* out = fopen(out_path, "wb");
  if (!out) return 1;
  size_t len = strlen(text);
  const char* s = text + (len < 6 ? len : 6);
  for (int v; (v = hex_pair(s)) >= 0; s += 2) fputc(v, out);
  fclose(out);
  return 0;
}
