#include "player/keyqueue.h"

#include "console/bindings/stat.h"
#include "console/machine/machine_record.h"

bool tovo_key_queue_push(uint8_t code) {
  if (stat_inputs().key_queue_len >= TOVO_KEY_QUEUE) return false;
  stat_inputs().key_queue[stat_inputs().key_queue_len++] = code;
  return true;
}

void tovo_key_queue_clear() { stat_inputs().key_queue_len = 0; }

int32_t tovo_typed_code(int32_t code) {
  if (code >= 'A' && code <= 'Z') return code + 63;
  if (code == 127) return 8;
  if (code < 0 || code > 153) return -1;
  return code;
}
