#include "player/cart/compress_old.h"

namespace {

int32_t hash3(const uint8_t* p) { return (7 * p[0] + 1503 * p[1] + 51717 * p[2]) % TOVO_OLD_HASHES; }

}  // namespace

void old_match_index_clear(tovo_old_match_index* index) {
  for (int32_t& p : index->last) p = -1;
}

int32_t old_find_repeatable_block(const uint8_t* text, int32_t len, int32_t pos, tovo_old_match_index* index,
                                  int32_t* offset) {
  *offset = 0;
  if (!text || pos < 0 || pos + TOVO_OLD_MATCH_MIN > len) return 0;
  int32_t h = hash3(text + pos);
  int32_t seen = index->last[h];
  index->last[h] = pos;
  if (seen < 0 || seen >= pos || pos - seen > TOVO_OLD_MATCH_WINDOW) return 0;
  int32_t best = 0;
  int32_t longest = len - pos < TOVO_OLD_MATCH_MAX ? len - pos : TOVO_OLD_MATCH_MAX;
  int32_t from = pos - TOVO_OLD_MATCH_WINDOW < 0 ? 0 : pos - TOVO_OLD_MATCH_WINDOW;
  for (int32_t q = pos - 1; q >= from && best < longest; q--) {
    int32_t n = 0;
    while (n < longest && text[q + n] == text[pos + n]) n++;
    if (n > best) {
      best = n;
      *offset = pos - q;
    }
  }
  if (best < TOVO_OLD_MATCH_MIN) {
    *offset = 0;
    return 0;
  }
  return best;
}

bool pxa_write_bit(tovo_bit_writer* w, int32_t bit) {
  int32_t byte = w->bits >> 3;
  if (!w->out || byte >= w->capacity) return false;
  uint8_t mask = (uint8_t)(1u << (w->bits & 7));
  if (bit) w->out[byte] |= mask;
  else w->out[byte] &= (uint8_t)~mask;
  w->bits++;
  return true;
}
