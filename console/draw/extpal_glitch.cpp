#include "console/draw/extpal_glitch.h"

#include "engine/tarq.h"

int32_t tovo_extpal_glitch_end;

void activate_extpal_glitch() {
  constexpr int32_t GLITCH_MS = 150;
  if (tovo_extpal_glitch_end == 0) tovo_extpal_glitch_end = tarq_get_time() + GLITCH_MS;
}
