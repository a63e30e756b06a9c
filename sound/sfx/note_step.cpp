// The phase step of a pitch.
#include "sound/sfx/note_step.h"

#include "sound/mixer/mixer.h"

namespace {

// Hz of the twelve notes from C.
constexpr int32_t note_dx[12] = {523, 554, 587, 622, 659, 698, 740, 784, 831, 880, 932, 984};

}  // namespace

int32_t get_dx_for_note(int32_t pitch) {
  const int32_t k = ((pitch % 12) + 12) % 12;
  const int32_t octave = (pitch - k) / 12;
  int64_t step = (static_cast<int64_t>(note_dx[k]) << 16) / 22050;
  for (int32_t o = octave; o < 3 && step > 0; o++) step /= 2;
  // Above the table's top octaves the step would outgrow 32 bits.
  for (int32_t o = 3; o < octave && step <= 0x7fffffff / 2; o++) step *= 2;
  return static_cast<int32_t>(step);
}

int32_t get_dx_for_note_fine(int32_t pitch) { return tovo_pitch_step(pitch); }
