// Taking codes from the keyboard queue.
#include "player/key_queue_read.h"

#include <cstring>

#include "console/bindings/stat.h"
#include "console/machine/machine_record.h"

int32_t tovo_key_queue_pop() {
  if (stat_inputs().key_queue_len <= 0) return -1;
  int32_t code = stat_inputs().key_queue[0];
  stat_inputs().key_queue_len--;
  memmove(stat_inputs().key_queue, stat_inputs().key_queue + 1, (size_t)stat_inputs().key_queue_len);
  return code;
}

int32_t tovo_key_queue_length() { return stat_inputs().key_queue_len; }
