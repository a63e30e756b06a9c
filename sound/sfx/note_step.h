#pragma once
// The phase step of a pitch, as routines of their own: the mixer works it
// out inline and calls neither.
#include <cstdint>

// The step of a whole pitch: note_dx[pitch mod 12] << 16 / 22050, halved
// for each octave (pitch / 12, rounded down) below 3 and doubled for each
// above. A negative pitch counts its note and octave downwards, as the mixer
// does, so it never reads outside the table.
int32_t get_dx_for_note(int32_t pitch);
// The step of a 16.16 pitch exactly as the mixer takes it: the two nearest
// notes interpolated by the fraction, kept within 8..0x8000.
int32_t get_dx_for_note_fine(int32_t pitch);
