// The sound engine's hooks, as registered.
#include "engine/sound_hooks.h"

tarq_sound_hooks tarq_sound_engine = {};

void tarq_set_sound_hooks(const tarq_sound_hooks& hooks) { tarq_sound_engine = hooks; }
