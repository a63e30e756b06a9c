#include "player/keyqueue.h"

#include <cstring>

#include "console/bindings/stat.h"

bool tovo_key_queue_push(uint8_t code) {
  if (stat_inputs.key_queue_len >= TOVO_KEY_QUEUE) return false;
  stat_inputs.key_queue[stat_inputs.key_queue_len++] = code;
  return true;
}

int32_t tovo_key_queue_pop() {
  if (stat_inputs.key_queue_len <= 0) return -1;
  int32_t code = stat_inputs.key_queue[0];
  stat_inputs.key_queue_len--;
  memmove(stat_inputs.key_queue, stat_inputs.key_queue + 1, (size_t)stat_inputs.key_queue_len);
  return code;
}

int32_t tovo_key_queue_length() { return stat_inputs.key_queue_len; }

void tovo_key_queue_clear() { stat_inputs.key_queue_len = 0; }

int32_t tovo_typed_code(int32_t code) {
  if (code >= 'A' && code <= 'Z') return code + 63;
  if (code == 127) return 8;
  if (code < 0 || code > 153) return -1;
  return code;
}
