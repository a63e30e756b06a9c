// Sleeping the calling thread.
#include "engine/platform/delay.h"

#include <SDL.h>

void tarq_delay(int32_t ms) {
  if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
}
