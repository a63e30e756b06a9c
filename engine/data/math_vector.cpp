#include <cmath>

#include "engine/data/math.h"

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
