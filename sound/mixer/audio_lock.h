#pragma once
// Holds the audio lock for a scope, so that every path releases it.
#include "sound/sound.h"

struct tarq_audio_guard {
  tarq_audio_guard() { tarq_lock_audio(); }
  ~tarq_audio_guard() { tarq_unlock_audio(); }
  tarq_audio_guard(const tarq_audio_guard&) = delete;
  tarq_audio_guard& operator=(const tarq_audio_guard&) = delete;
};
