// Trigonometry tables and vectors.
#include "engine/data/math.h"

#include <cmath>
#include <cstdlib>

namespace {

struct trig_tables {
  int32_t cos_table[TARQ_COS_TABLE_SIZE];
  int32_t atan_table[TARQ_ATAN_TABLE_SIZE];
  trig_tables() {
    const double turn = 2.0 * M_PI;
    for (int i = 0; i < TARQ_COS_TABLE_SIZE; i++)
      cos_table[i] = static_cast<int32_t>(std::lround(std::cos(turn * i / 16384.0) * 65536.0));
    for (int i = 0; i < TARQ_ATAN_TABLE_SIZE; i++)
      atan_table[i] = static_cast<int32_t>(std::lround(std::atan(i / 2048.0) / turn * 65536.0));
  }
};

const trig_tables tables;

int32_t wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

int32_t atan_entry(uint64_t i) { return tables.atan_table[i < 2048 ? i : 2048]; }

// Angle of a non-negative ratio e (16.16) in 0..16384.
int32_t atan_of_ratio(uint64_t e) {
  if (e <= 65536) return atan_entry(e >> 5);
  return 16384 - atan_entry((0x100000000ull / e) >> 5);
}

}  // namespace

const int32_t* const cos_val = tables.cos_table;
const int32_t* const atan_val = tables.atan_table;

int32_t fcos(int32_t angle) {
  uint32_t b = (static_cast<uint32_t>(angle) + 2) & 0xFFFF;
  uint32_t i = b >> 2;
  if (i >= 8192) i = 16384 - i;
  if (i < 4096) return tables.cos_table[i];
  return -tables.cos_table[8192 - i];
}

int32_t fsin(int32_t angle) { return fcos(wrap32(static_cast<int64_t>(angle) + 16384)); }

int32_t ftan(int32_t ratio) {
  int64_t r = ratio;
  int32_t angle = atan_of_ratio(static_cast<uint64_t>(r < 0 ? -r : r));
  return r < 0 ? -angle : angle;
}

int32_t ftan2(int32_t x, int32_t y) {
  int64_t ny = -static_cast<int64_t>(y);
  int64_t base = x < 0 ? 32768 : 0;
  if (x == 0) return ny >= 0 ? 16384 : 49152;
  int64_t q = ny * 65536 / x;
  int64_t e = q < 0 ? -q : q;
  if (e > 0x7FFFFFFF) e = 0x7FFFFFFF;
  int64_t angle = atan_of_ratio(static_cast<uint64_t>(e));
  int64_t s = q > 0 ? 1 : (q < 0 ? -1 : 0);
  return static_cast<int32_t>((base + s * angle) & 0xFFFF);
}

void tarq_normalize(tarq_vector* v) {
  float len = std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
  if (len == 0.0f) {
    *v = {0.0f, 1.0f, 0.0f};
    return;
  }
  v->x /= len;
  v->y /= len;
  v->z /= len;
}

void tarq_cross_product(const tarq_vector* a, const tarq_vector* b, tarq_vector* out) {
  tarq_vector r = {a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
  *out = r;
}

void tarq_apply_matrix_inverse(const tarq_matrix* m, const tarq_vector* p, tarq_vector* out) {
  float dx = p->x - m->t[0], dy = p->y - m->t[1], dz = p->z - m->t[2];
  float k = m->m[0] * m->m[0] + m->m[3] * m->m[3] + m->m[6] * m->m[6];
  tarq_vector r = {(m->m[0] * dx + m->m[3] * dy + m->m[6] * dz) / k, (m->m[1] * dx + m->m[4] * dy + m->m[7] * dz) / k,
                   (m->m[2] * dx + m->m[5] * dy + m->m[8] * dz) / k};
  *out = r;
}
