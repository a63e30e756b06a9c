#pragma once
// The keyboard queue that the running cart reads (typed characters as
// one-byte codes) and the player's copy of the host clipboard in glyph codes.
#include <cstdint>

constexpr int TOVO_KEY_QUEUE_SIZE = 256;

struct tovo_key_queue {
  uint8_t code[TOVO_KEY_QUEUE_SIZE];
  int32_t length;  // 0..256
};

extern tovo_key_queue key_queue;

// Appends a code; false when the queue is full.
bool tovo_key_queue_push(uint8_t code);
// Takes the oldest code; -1 when the queue is empty.
int32_t tovo_key_queue_pop();
void tovo_key_queue_clear();
// The code a typed character enters the queue as: 'A'-'Z' become 128-153,
// delete (127) becomes 8, codes above 153 (and below 0) are dropped (-1).
int32_t tovo_typed_code(int32_t code);

// The clipboard buffer: glyph codes, NUL-terminated; null when nothing was
// pasted. Replaced by tovo_set_clipboard_glyphs, which keeps the old buffer
// when the text is empty.
const uint8_t* tovo_clipboard_glyphs();
void tovo_set_clipboard_glyphs(const char* utf8);
void tovo_free_clipboard();
