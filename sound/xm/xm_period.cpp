// The module period table and the step of a pitch: notes to sample steps.
#include <cstdint>

#include "sound/xm/xm.h"

namespace {

// 12 notes x 8 finetune steps of one octave.
constexpr int16_t period_table[96] = {907, 900, 894, 887, 881, 875, 868, 862, 856, 850, 844, 838, 832, 826, 820, 814,
                                      808, 802, 796, 791, 785, 779, 774, 768, 762, 757, 752, 746, 741, 736, 730, 725,
                                      720, 715, 709, 704, 699, 694, 689, 684, 678, 674, 670, 665, 660, 655, 651, 646,
                                      640, 637, 632, 628, 623, 619, 614, 610, 604, 601, 597, 592, 588, 584, 580, 575,
                                      570, 567, 563, 559, 555, 551, 547, 543, 538, 535, 532, 528, 524, 520, 516, 513,
                                      508, 505, 502, 498, 494, 491, 487, 484, 480, 477, 474, 470, 467, 463, 460, 457};

constexpr int32_t FINE_PER_NOTE = 128;  // 8 table steps of 16 fine steps
constexpr int32_t OCTAVES = 10;

}  // namespace

int64_t tarq_xm_step(int32_t fine) {
  const int32_t top = OCTAVES * 12 * FINE_PER_NOTE - 1;
  if (fine < 0) fine = 0;
  if (fine > top) fine = top;
  const int32_t eighth = fine >> 4, frac = fine & 15;
  const int32_t octave = eighth / 96, k = eighth % 96;
  const double a = period_table[k], b = k < 95 ? period_table[k + 1] : period_table[0] / 2.0;
  const double p = a + (b - a) * frac / 16.0;
  const double period = p * 16.0 * 64.0 / static_cast<double>(1 << octave);
  return static_cast<int64_t>(0.5 + 916317184.0 / period / 44742.0 * 65536.0 * 256.0);
}
