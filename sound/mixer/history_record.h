#pragma once
// One record of a mix channel's history, as the channel fill writes them
// before each tick; the fill has its own steps, so nothing calls this.
#include <cstdint>

// Appends {tick position, sfx record, note index, pattern index, pattern
// counter} to the history of mix channel 0-15 while it holds fewer than 64
// records; nothing for other channels. A step of the mixer: it runs where the
// mixer runs, or under the audio lock.
void add_mixer_state_history_record(int32_t channel);
