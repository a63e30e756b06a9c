// The lowest key held down.
#include "engine/extra/any_key.h"

#include <SDL.h>

#include "engine/platform/events.h"

int32_t tarq_get_any_key_down() {
  for (int32_t k = 0; k < TARQ_NUM_KEYS; k++)
    if (tarqkey[k] && k != SDL_SCANCODE_CAPSLOCK) return k;
  return 0;
}
