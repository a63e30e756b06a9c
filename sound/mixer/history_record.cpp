// One record of a mix channel's history.
#include "sound/mixer/history_record.h"

#include "sound/mixer/mixer.h"

void add_mixer_state_history_record(int32_t channel) {
  if (channel < 0 || channel >= TOVO_MIX_CHANNELS) return;
  tovo_mixer_channel* c = &ms0.ch[channel];
  if (c->history_count < TOVO_HISTORY) tovo_history_add(c);
}
