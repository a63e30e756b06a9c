#include "player/keyqueue.h"

#include <cstring>

#include "engine/glyph_utf8.h"
#include "engine/mem.h"

tovo_key_queue key_queue;

namespace {

uint8_t* clipboard;

}  // namespace

bool tovo_key_queue_push(uint8_t code) {
  if (key_queue.length >= TOVO_KEY_QUEUE_SIZE) return false;
  key_queue.code[key_queue.length++] = code;
  return true;
}

int32_t tovo_key_queue_pop() {
  if (key_queue.length <= 0) return -1;
  int32_t code = key_queue.code[0];
  key_queue.length--;
  memmove(key_queue.code, key_queue.code + 1, (size_t)key_queue.length);
  return code;
}

void tovo_key_queue_clear() { key_queue.length = 0; }

int32_t tovo_typed_code(int32_t code) {
  if (code >= 'A' && code <= 'Z') return code + 63;
  if (code == 127) return 8;
  if (code < 0 || code > 153) return -1;
  return code;
}

const uint8_t* tovo_clipboard_glyphs() { return clipboard; }

void tovo_set_clipboard_glyphs(const char* utf8) {
  if (!utf8 || !utf8[0]) return;
  size_t n = strlen(utf8);
  uint8_t* glyphs = (uint8_t*)tarq_malloc(n * 4 + 1);
  if (!glyphs) return;
  convert_escaped_to_glyphs(utf8, glyphs);
  tarq_free(clipboard);
  clipboard = glyphs;
}

void tovo_free_clipboard() {
  tarq_free(clipboard);
  clipboard = nullptr;
}
