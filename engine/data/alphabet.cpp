#include "engine/data/alphabet.h"

namespace {

constexpr char symbols[] = ".ABCDEFGHIJKLMNOPQRSTUVWXYZ01234_abcdefghijklmnopqrstuvwxyz56789";
static_assert(sizeof(symbols) == 65);

struct reverse_table {
  unsigned char index[128] = {};
  constexpr reverse_table() {
    for (int i = 0; i < 64; i++) index[static_cast<unsigned char>(symbols[i])] = static_cast<unsigned char>(i);
  }
};

constexpr reverse_table reverse;

}  // namespace

int tarq_int6_to_ascii(int v) { return v >= 0 && v < 64 ? symbols[v] : 0; }

int tarq_ascii_to_int6(int ch) { return ch >= 0 && ch < 128 ? reverse.index[ch] : 0; }
